// Value formatting on real OLE variants, currencies and dates: rounding at the edges,
// the units, 64-bit amounts and the text of each variant type.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <limits>
#include <string>

#include "framework/Variant.h"
#include "printer/AmountFormat.h"

namespace {

const int64_t kMax = std::numeric_limits<int64_t>::max();
const int64_t kMin = std::numeric_limits<int64_t>::min();

Amount Valid(int64_t value)
{
    return {value, ValueStatus::Valid};
}

TEST(FormatMoney, RoundsHalvesAwayFromZeroAndCutsToTheUnit)
{
    const struct {
        int64_t value;
        int32_t unit;
        const char* text;
    } cases[] = {
        {123456, 100, "12,35"},   {123450, 100, "12,35"},    {123449, 100, "12,34"},
        {125000, 100, "12,50"},   {0, 100, "0,00"},          {125650, 100, "12,57"},
        {-125650, 100, "-12,57"}, {-123450, 100, "-12,35"},  {-123449, 100, "-12,34"},
        {-50, 100, "-0,01"},      {50, 100, "0,01"},         {-40, 100, "0,00"},
        {-49, 100, "0,00"},       {-5000, 100, "-0,50"},     {-15000, 10000, "-2"},
        {15000, 10000, "2"},      {14999, 10000, "1"},       {-14999, 10000, "-1"},
        {12345, 1, "1,2345"},     {-12345, 1, "-1,2345"},    {12345, 0, "1,2345"},
        {-5000, 0, "-0,5000"},    {12345, 10, "1,235"},      {12344, 10, "1,234"},
        {12345, 1000, "1,2"},   {1234500, 100000, "120"},  {99999950, 100, "10000,00"},
        {-1, 0, "-0,0001"},       {25000, 50, "2,50"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, FormatMoney(Valid(c.value), c.unit, 'M')) << c.value << " unit " << c.unit;
}

TEST(FormatMoney, PrintsWholePartsBeyond32Bits)
{
    const struct {
        int64_t value;
        const char* text;
    } cases[] = {
        {21474836480000, "2147483648,00"},
        {-21474836480000, "-2147483648,00"},
        {30000000000000000, "3000000000000,00"},
        {kMax, "922337203685477,58"},
        {kMin, "-922337203685477,58"},
        {kMax - 5807, "922337203685477,00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, FormatMoney(Valid(c.value), 100, 'M')) << c.value;
    EXPECT_EQ("-922337203685477,5808", FormatMoney(Valid(kMin), 0, 'M'));
    // Rounded beyond the largest amount: the text is still the exact one.
    EXPECT_EQ("922337203685478", FormatMoney(Valid(kMax), 10000, 'M'));
    EXPECT_EQ("-922337203685478", FormatMoney(Valid(kMin), 10000, 'M'));
}

TEST(FormatMoney, AmountThatIsNotValidPrintsAsDash)
{
    for (ValueStatus status : {ValueStatus::Null, ValueStatus::Invalid})
        for (int32_t unit : {0, 1, 100, 10000})
            EXPECT_EQ("-", FormatMoney({12345, status}, unit, 'M')) << unit;
}

TEST(RoundAmount, ModesUnitsAndStatus)
{
    const struct {
        int64_t value;
        int64_t unit;
        char mode;
        int64_t result;
    } cases[] = {
        {12350, 100, 'M', 12400},  {-12350, 100, 'M', -12400}, {12349, 100, 'M', 12300},
        {-12349, 100, 'M', -12300}, {12345, 0, 'M', 12345},     {12399, 100, 'D', 12300},
        {12301, 100, 'U', 12400},  {12300, 100, 'U', 12300},   {0, 100, 'U', 0},
        {12399, 100, 'X', 12399},  {-12399, 100, 'D', -12300}, {-12301, 100, 'U', -12400},
        {-12300, 100, 'U', -12300}, {kMax, 100, 'M', kMax - 7}, {kMin, 100, 'M', kMin + 8},
    };
    for (const auto& c : cases) {
        const Amount r = RoundAmount(Valid(c.value), Valid(c.unit), c.mode);
        EXPECT_EQ(c.result, r.value) << c.value << " " << c.unit << " " << c.mode;
        EXPECT_EQ(ValueStatus::Valid, r.status);
    }
    // A rounded value that does not fit is invalid, never wrapped.
    EXPECT_EQ(ValueStatus::Invalid, RoundAmount(Valid(kMax), Valid(10000), 'M').status);
    EXPECT_EQ(ValueStatus::Null, RoundAmount({12350, ValueStatus::Null}, Valid(100), 'M').status);
    EXPECT_EQ(ValueStatus::Invalid, RoundAmount({12350, ValueStatus::Invalid}, Valid(0), 'M').status);
}

TEST(MultiplyAmounts, TruncatesTheProductTowardZero)
{
    const struct {
        int64_t a;
        int64_t b;
        int64_t product;
    } cases[] = {
        {15000, 25000, 37500},
        {-10001, 5000, -5000},  // -0.50005 loses its last digit, not rounded to -0.5001
        {10001, -5000, -5000},
        {10001, 5000, 5000},
        {-10001, -5000, 5000},
        {0, kMax, 0},
        {4611686018427387904, 4, 1844674407370955},  // 2^62 * 4 = 2^64, exact beyond 64 bits
        {kMax, 3, 2767011611056432},
        {kMin, -1, 922337203685477},                 // the product's sign, not the wrapped one
        {kMax, 10000, kMax},                         // times one
        {kMin, 10000, kMin},
        {kMin, -9999, 9222449699651090330},
        {1210000, 1210000, 146410000},               // 121 * 121
    };
    for (const auto& c : cases) {
        const Amount r = MultiplyAmounts(Valid(c.a), Valid(c.b));
        EXPECT_EQ(c.product, r.value) << c.a << " * " << c.b;
        EXPECT_EQ(ValueStatus::Valid, r.status);
    }
    // A product that does not fit is invalid, never a wrapped number.
    for (const auto& [a, b] : {std::pair<int64_t, int64_t>{kMax, 10001}, {kMin, -10000}, {kMax, kMax}, {kMin, 20000}}) {
        const Amount r = MultiplyAmounts(Valid(a), Valid(b));
        EXPECT_EQ(ValueStatus::Invalid, r.status) << a << " * " << b;
        EXPECT_EQ(0, r.value) << a << " * " << b;
    }
    const Amount fromNull = MultiplyAmounts({0, ValueStatus::Null}, Valid(10000));
    EXPECT_EQ(0, fromNull.value);
    EXPECT_EQ(ValueStatus::Valid, fromNull.status);
}

TEST(FormatDate, DayMonthAndYear)
{
    const struct {
        double date;
        const char* text;
    } cases[] = {
        {45352, "01.03.2024"},     // 1 March 2024
        {45352.99, "01.03.2024"},  // the time of day does not matter
        {46363, "07.12.2026"},
        {2, "01.01.1900"},
        {-657434, "01.01.100"},
        {2958465, "31.12.9999"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, FormatDate({c.date, ValueStatus::Valid})) << c.date;
    // Beyond what an OLE date can hold: no day to print.
    EXPECT_EQ("-.-.-", FormatDate({1e10, ValueStatus::Valid}));
    EXPECT_EQ("-.-.-", FormatDate({45352, ValueStatus::Null}));
    EXPECT_EQ("-.-.-", FormatDate({45352, ValueStatus::Invalid}));
}

OleVariant Make(VARTYPE type)
{
    OleVariant v;
    v.Get().vt = type;
    return v;
}

TEST(VariantToText, EachTypeAsThePrintedText)
{
    struct Case {
        const char* name;
        OleVariant value;
        std::string text;
    };
    Case cases[] = {
        {"I2", Make(VT_I2), "-5"},         {"I4", Make(VT_I4), "1000000"},
        {"I4 min", Make(VT_I4), "-2147483648"},
        {"R4", Make(VT_R4), "0.5"},        {"R4 third", Make(VT_R4), "0.3"},
        {"R8", Make(VT_R8), "3.14"},       {"R8 negative", Make(VT_R8), "-2.50"},
        {"CY", Make(VT_CY), "12,35"},      {"CY negative", Make(VT_CY), "-0,01"},
        {"DATE", Make(VT_DATE), "01.03.2024"},
        {"BOOL true", Make(VT_BOOL), "TRUE"}, {"BOOL false", Make(VT_BOOL), "FALSE"},
        {"BOOL 1", Make(VT_BOOL), "FALSE"},
        {"EMPTY", Make(VT_EMPTY), ""},     {"NULL", Make(VT_NULL), ""},
        {"ERROR", Make(VT_ERROR), ""},     {"DISPATCH", Make(VT_DISPATCH), ""},
        {"UI1", Make(VT_UI1), ""},         {"I8", Make(VT_I8), ""},
    };
    cases[0].value.Get().iVal = -5;
    cases[1].value.Get().lVal = 1000000;
    cases[2].value.Get().lVal = std::numeric_limits<LONG>::min();
    cases[3].value.Get().fltVal = 0.5f;
    cases[4].value.Get().fltVal = 1.0f / 3;
    cases[5].value.Get().dblVal = 3.14159;
    cases[6].value.Get().dblVal = -2.5;
    cases[7].value.Get().cyVal.int64 = 123450;
    cases[8].value.Get().cyVal.int64 = -50;
    cases[9].value.Get().date = 45352.5;
    cases[10].value.Get().boolVal = VARIANT_TRUE;
    cases[11].value.Get().boolVal = VARIANT_FALSE;
    cases[12].value.Get().boolVal = 1;
    cases[15].value.Get().scode = DISP_E_PARAMNOTFOUND;
    cases[17].value.Get().bVal = 7;
    cases[18].value.Get().llVal = 7;
    for (const Case& c : cases)
        EXPECT_EQ(c.text, VariantToText(c.value.Get())) << c.name;
}

TEST(VariantToText, ByReferenceAndArrayTagsGiveEmptyText)
{
    LONG number = 42;
    OleVariant byRef = Make(VT_I4 | VT_BYREF);
    byRef.Get().plVal = &number;
    EXPECT_EQ("", VariantToText(byRef.Get()));

    BSTR text = SysAllocString(L"x");
    VARIANT byRefText;
    VariantInit(&byRefText);
    byRefText.vt = VT_BSTR | VT_BYREF;
    byRefText.pbstrVal = &text;
    EXPECT_EQ("", VariantToText(byRefText));
    SysFreeString(text);

    OleVariant array = Make(VT_ARRAY | VT_I4);
    array.Get().parray = SafeArrayCreateVector(VT_I4, 0, 3);
    EXPECT_EQ("", VariantToText(array.Get()));
}

TEST(VariantToText, StringsArriveInCodePage1250)
{
    const struct {
        const wchar_t* wide;
        std::string text;
    } cases[] = {
        {L"P\u0159\u00EDli\u0161 \u017Elu\u0165ou\u010Dk\u00FD k\u016F\u0148", "Příliš žluťoučký kůň"},
        {L"\u010CERN\u00DD \u0158\u00C1D \u010E\u00C1BL\u016E \u00DA\u0164\u011A\u0147", "ČERNÝ ŘÁD ĎÁBLŮ ÚŤĚŇ"},
        {L"", ""},
        {L"\u0416", "?"},  // a letter the code page does not have
    };
    for (const auto& c : cases) {
        OleVariant v = Make(VT_BSTR);
        v.Get().bstrVal = SysAllocString(c.wide);
        EXPECT_EQ(c.text, VariantToText(v.Get()));
    }
    OleVariant none = Make(VT_BSTR);
    none.Get().bstrVal = nullptr;
    EXPECT_EQ("", VariantToText(none.Get()));
}

TEST(VariantToText, HugeDoubleIsPrintedInFull)
{
    OleVariant v = Make(VT_R8);
    v.Get().dblVal = 1e300;
    const std::string text = VariantToText(v.Get());
    EXPECT_EQ(304u, text.size());
    EXPECT_EQ("1000000000000000052504760255204420248704468581108159154915854115511802457988908195786371375080447864043704443832883878176942523235360430575644792184786706982848387200926575803737830233794788090059368953234970799945081119038967640880074652742780142494579258788820056842838115669472196386865459400540160", text.substr(0, 301));
    EXPECT_EQ(".00", text.substr(301));
}

}  // namespace
