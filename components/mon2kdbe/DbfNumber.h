// The text of an N or F field read as a number: exactly as a scaled integer where it fits,
// else as a double.
#pragma once

#include <cstddef>

// The digits of an N or F field: [sign] digits [. digits], blanks around it.
struct DbfNumber {
    bool blank = true;
    bool plain = false;  // matched the form above; otherwise only strtod may read it
    bool negative = false;
    const unsigned char* whole = nullptr;
    size_t wholeDigits = 0;
    const unsigned char* fraction = nullptr;
    size_t fractionDigits = 0;
    const unsigned char* begin = nullptr;
    size_t length = 0;
};

DbfNumber ScanNumber(const unsigned char* p, size_t n);

// The value by strtod, for exponents and long fractions; false for anything else.
bool ToDouble(const DbfNumber& number, double* value);

// The number scaled by 10^scale as a 64-bit integer, when that is exact and fits.
bool ToScaled(const DbfNumber& number, int scale, long long* value);
