// Numbers of N and F fields, read without a locale: the file's decimal point is always '.'.
#include "DbfNumber.h"

#include <cmath>
#include <cstdlib>

DbfNumber ScanNumber(const unsigned char* p, size_t n)
{
    DbfNumber number;
    size_t b = 0, e = n;
    while (b < e && (p[b] == ' ' || p[b] == 0))
        ++b;
    while (e > b && (p[e - 1] == ' ' || p[e - 1] == 0))
        --e;
    if (b == e)
        return number;
    number.blank = false;
    number.begin = p + b;
    number.length = e - b;
    size_t i = b;
    if (p[i] == '-' || p[i] == '+')
        number.negative = p[i++] == '-';
    number.whole = p + i;
    while (i < e && p[i] >= '0' && p[i] <= '9')
        ++i, ++number.wholeDigits;
    if (i < e && p[i] == '.') {
        number.fraction = p + ++i;
        while (i < e && p[i] >= '0' && p[i] <= '9')
            ++i, ++number.fractionDigits;
    }
    number.plain = i == e && number.wholeDigits + number.fractionDigits > 0;
    return number;
}

bool ToDouble(const DbfNumber& number, double* value)
{
    char text[256];
    if (number.length >= sizeof text)
        return false;
    for (size_t i = 0; i < number.length; ++i) {
        const char c = static_cast<char>(number.begin[i]);
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
            return false;
        text[i] = c;
    }
    text[number.length] = 0;
    char* end = nullptr;
    *value = std::strtod(text, &end);
    return end == text + number.length && std::isfinite(*value);
}

bool ToScaled(const DbfNumber& number, int scale, long long* value)
{
    if (!number.plain)
        return false;
    for (size_t i = scale; i < number.fractionDigits; ++i)
        if (number.fraction[i] != '0')
            return false;
    unsigned long long magnitude = 0;
    const unsigned long long limit = 9223372036854775807ULL;
    auto push = [&](int digit) {
        if (magnitude > (limit - digit) / 10)
            return false;
        magnitude = magnitude * 10 + digit;
        return true;
    };
    for (size_t i = 0; i < number.wholeDigits; ++i)
        if (!push(number.whole[i] - '0'))
            return false;
    for (int i = 0; i < scale; ++i)
        if (!push(size_t(i) < number.fractionDigits ? number.fraction[i] - '0' : 0))
            return false;
    *value = number.negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    return true;
}
