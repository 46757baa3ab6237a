// Dates, money amounts and host field values as the short texts the documents print.
// Money is kept in ten-thousandths and rounded only when it is printed.
#include "printer/AmountFormat.h"

#include <oleauto.h>

#include <cstdio>
#include <vector>

namespace {

// printf into a string of whatever length the value needs (a huge double runs to
// hundreds of digits).
template <class... Args>
std::string Format(const char* format, Args... args)
{
    char small[64];
    const int needed = std::snprintf(small, sizeof small, format, args...);
    if (needed < 0)
        return {};
    if (static_cast<size_t>(needed) < sizeof small)
        return std::string(small, needed);
    std::vector<char> big(needed + 1);
    std::snprintf(big.data(), big.size(), format, args...);
    return std::string(big.data(), needed);
}

std::string BstrToText(BSTR text, UINT codePage)
{
    const int wideLength = static_cast<int>(SysStringLen(text));
    if (wideLength == 0)
        return {};
    const int length = WideCharToMultiByte(codePage, 0, text, wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return {};
    std::string converted(length, '\0');
    WideCharToMultiByte(codePage, 0, text, wideLength, &converted[0], length, nullptr, nullptr);
    return converted;
}

}  // namespace

std::string FormatDate(const DateValue& date)
{
    SYSTEMTIME time{};
    if (date.status != ValueStatus::Valid || !VariantTimeToSystemTime(date.date, &time))
        return "-.-.-";
    return Format("%02i.%02i.%i", int(time.wDay), int(time.wMonth), int(time.wYear));
}

std::string VariantToText(const VARIANT& value, UINT codePage)
{
    switch (value.vt) {
    case VT_I2: return Format("%hd", value.iVal);
    case VT_I4: return Format("%ld", value.lVal);
    case VT_R4: return Format("%.1f", static_cast<double>(value.fltVal));
    case VT_R8: return Format("%.2f", value.dblVal);
    case VT_CY: return FormatMoney(Amount::FromCurrency(value.cyVal), 100, 'M');
    case VT_DATE: return FormatDate({value.date, ValueStatus::Valid});
    case VT_BSTR: return BstrToText(value.bstrVal, codePage);
    case VT_BOOL: return value.boolVal == VARIANT_TRUE ? "TRUE" : "FALSE";
    default: return {};
    }
}

namespace {

// The magnitude of a 64-bit value, in unsigned arithmetic so that the most negative
// value has one too.
uint64_t Magnitude(int64_t value)
{
    return value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
}

// A magnitude rounded to a multiple of unitSize (at least 2) in the mode's direction, the
// same on both sides of zero; false for an unknown mode. Never wraps: a result beyond 64
// bits, which no amount reaches with the units in use, saturates.
bool RoundMagnitude(uint64_t magnitude, uint64_t unitSize, char mode, uint64_t& rounded)
{
    const uint64_t rest = magnitude % unitSize;
    bool awayFromZero = false;
    switch (mode) {
    case 'M':
        // Halves away from zero.
        awayFromZero = rest >= unitSize - unitSize / 2;
        break;
    case 'D':
        // Toward zero.
        break;
    case 'U':
        // Away from zero, the mirror of the positive rule on the negative side.
        awayFromZero = rest != 0;
        break;
    default:
        return false;
    }
    rounded = magnitude - rest;
    if (awayFromZero)
        rounded = rounded > UINT64_MAX - unitSize ? UINT64_MAX : rounded + unitSize;
    return true;
}

// An amount of the given sign and magnitude; invalid when it does not fit 64 bits.
Amount Signed(bool negative, uint64_t magnitude, ValueStatus status)
{
    const uint64_t limit = negative ? uint64_t(1) << 63 : (uint64_t(1) << 63) - 1;
    if (magnitude > limit)
        return {0, ValueStatus::Invalid};
    return {negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude), status};
}

}  // namespace

Amount RoundAmount(const Amount& amount, const Amount& unit, char mode)
{
    const uint64_t unitSize = Magnitude(unit.value);
    if (unitSize <= 1)
        return amount;  // nothing to round to (and -1 would overflow a division)
    uint64_t rounded = 0;
    if (!RoundMagnitude(Magnitude(amount.value), unitSize, mode, rounded))
        return amount;
    return Signed(amount.value < 0, rounded, amount.status);
}

std::string FormatMoney(const Amount& amount, int32_t unit, char mode)
{
    if (amount.status != ValueStatus::Valid)
        return "-";
    // Rounded as a magnitude, which holds every rounded amount exactly.
    const bool negative = amount.value < 0;
    uint64_t magnitude = Magnitude(amount.value);
    const uint64_t unitSize = Magnitude(unit);
    if (unitSize > 1)
        RoundMagnitude(magnitude, unitSize, mode, magnitude);
    // Rounded to zero, the amount has no sign.
    std::string text = Format(negative && magnitude != 0 ? "-%llu,%04llu" : "%llu,%04llu",
                              static_cast<unsigned long long>(magnitude / 10000),
                              static_cast<unsigned long long>(magnitude % 10000));
    size_t cut = 0;
    if (unit >= 10000) {
        cut = 5;
    } else {
        for (int32_t u = unit; u > 1; u /= 10)
            ++cut;
    }
    text.resize(text.size() - cut);
    return text;
}

Amount MultiplyAmounts(const Amount& a, const Amount& b)
{
    // The exact product of the magnitudes in 128 bits, from four 32-bit partial products.
    const uint64_t x = Magnitude(a.value), y = Magnitude(b.value);
    const uint64_t x0 = x & 0xFFFFFFFFu, x1 = x >> 32, y0 = y & 0xFFFFFFFFu, y1 = y >> 32;
    const uint64_t p00 = x0 * y0, p01 = x0 * y1, p10 = x1 * y0, p11 = x1 * y1;
    const uint64_t middle = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
    const uint64_t low = (p00 & 0xFFFFFFFFu) | (middle << 32);
    const uint64_t high = p11 + (p01 >> 32) + (p10 >> 32) + (middle >> 32);
    // Divided by 10000 a 32-bit word at a time: the remainder stays below 10000, so each
    // step fits 64 bits. The division truncates the magnitude, that is toward zero.
    const uint64_t words[4] = {high >> 32, high & 0xFFFFFFFFu, low >> 32, low & 0xFFFFFFFFu};
    uint64_t quotient[4] = {};
    uint64_t rest = 0;
    for (int i = 0; i < 4; ++i) {
        const uint64_t current = (rest << 32) | words[i];
        quotient[i] = current / 10000;
        rest = current % 10000;
    }
    if (quotient[0] != 0 || quotient[1] != 0)
        return {0, ValueStatus::Invalid};
    return Signed((a.value < 0) != (b.value < 0), (quotient[2] << 32) | quotient[3], ValueStatus::Valid);
}
