// Dates of D fields in the proleptic Gregorian calendar; OLE dates count days from
// 30 December 1899.
#include "DbfDate.h"

namespace {

// Days since 1 March of year 0 in the proleptic Gregorian calendar, shifted so that
// differences give day counts.
long long DaysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe);
}

int DaysInMonth(int y, int m)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0))
        return 29;
    return days[m - 1];
}

}  // namespace

bool ToOleDate(const unsigned char* digits, DATE* date)
{
    int parts[8];
    for (int i = 0; i < 8; ++i) {
        if (digits[i] < '0' || digits[i] > '9')
            return false;
        parts[i] = digits[i] - '0';
    }
    const int y = parts[0] * 1000 + parts[1] * 100 + parts[2] * 10 + parts[3];
    const int m = parts[4] * 10 + parts[5];
    const int d = parts[6] * 10 + parts[7];
    if (y < 100 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m))
        return false;
    *date = static_cast<DATE>(DaysFromCivil(y, m, d) - DaysFromCivil(1899, 12, 30));
    return true;
}
