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

// Rounds in 64-bit arithmetic: one division gives the part toward zero, which never leaves
// the range; only the step away from zero can, and it wraps as the exact result cast to 64
// bits would. A unit of 1 or -1 changes nothing (and -1 would overflow the division).
Amount RoundAmount(const Amount& amount, const Amount& unit, char mode)
{
    const int64_t u = unit.value;
    if (u == 0 || u == 1 || u == -1)
        return amount;
    const int64_t v = amount.value;
    const int64_t rest = v % u;
    const int64_t towardZero = v - rest;
    const uint64_t unitSize = u < 0 ? 0 - static_cast<uint64_t>(u) : static_cast<uint64_t>(u);
    const uint64_t restSize = rest < 0 ? 0 - static_cast<uint64_t>(rest) : static_cast<uint64_t>(rest);
    bool awayFromZero = false;
    switch (mode) {
    case 'M':
        // Halves away from zero on both sides.
        awayFromZero = restSize >= unitSize - unitSize / 2;
        break;
    case 'D':
        // Toward zero on both sides.
        break;
    case 'U':
        // Away from zero on both sides, the mirror of the positive rule.
        awayFromZero = restSize != 0;
        break;
    default:
        return amount;
    }
    if (!awayFromZero)
        return {towardZero, amount.status};
    const uint64_t step = v >= 0 ? unitSize : 0 - unitSize;
    return {static_cast<int64_t>(static_cast<uint64_t>(towardZero) + step), amount.status};
}

std::string FormatMoney(const Amount& amount, int32_t unit, char mode)
{
    if (amount.status != ValueStatus::Valid)
        return "-";
    const Amount rounded = RoundAmount(amount, {unit, ValueStatus::Valid}, mode);
    // The magnitude in unsigned arithmetic, so that the most negative value has one too.
    const bool negative = rounded.value < 0;
    const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(rounded.value)
                                        : static_cast<uint64_t>(rounded.value);
    std::string text = Format(negative ? "-%llu,%04llu" : "%llu,%04llu",
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
    // The low 64 bits of the product, as the hardware's multiplication leaves them.
    const int64_t product = static_cast<int64_t>(static_cast<uint64_t>(a.value) * static_cast<uint64_t>(b.value));
    return {product / 10000, ValueStatus::Valid};
}
