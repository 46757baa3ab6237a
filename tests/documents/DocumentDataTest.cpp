// Taking field values, the amount arithmetic of the tax document and the pieces of the
// registration text.
#include <gtest/gtest.h>

#include "documents/AmountArithmetic.h"
#include "documents/DocumentBlocks.h"
#include "documents/FieldValues.h"
#include "documents/SampleAgenda.h"

namespace {

constexpr ValueStatus V = ValueStatus::Valid;
constexpr ValueStatus I = ValueStatus::Invalid;
constexpr ValueStatus N = ValueStatus::Null;

TEST(AmountArithmetic, SumsCarryNullAndInvalidThrough)
{
    struct Case {
        Amount a, b, sum;
    };
    const Case cases[] = {
        {{15000, V}, {-2500, V}, {12500, V}},
        {{15000, N}, {2500, I}, {0, N}},
        {{15000, I}, {2500, N}, {0, N}},
        {{15000, I}, {2500, V}, {0, I}},
        {{15000, V}, {2500, I}, {0, I}},
        {{INT64_MAX, V}, {-1, V}, {INT64_MAX - 1, V}},
    };
    for (const Case& c : cases) {
        Amount sum = AddAmounts(c.a, c.b, "a + b");
        EXPECT_EQ(c.sum.value, sum.value) << c.a.value << " + " << c.b.value;
        EXPECT_EQ(c.sum.status, sum.status) << c.a.value << " + " << c.b.value;
    }
    // A sum beyond 64 bits is a data error naming what was summed, never a wrapped number.
    for (int64_t a : {INT64_MAX, INT64_MIN}) {
        try {
            AddAmounts({a, V}, {a < 0 ? -1 : 1, V}, "Zaklad22 + DPH22");
            ADD_FAILURE() << a;
        } catch (const HostError& error) {
            EXPECT_EQ("Částka mimo rozsah: Zaklad22 + DPH22", error.Text());
        }
    }
}

TEST(AmountArithmetic, DivisionByHundredTruncatesAndKeepsWhatIsNotValid)
{
    struct Case {
        Amount a, quotient;
    };
    const Case cases[] = {
        {{220000, V}, {2200, V}},
        {{199, V}, {1, V}},
        {{-199, V}, {-1, V}},
        {{220000, I}, {220000, I}},
        {{5, N}, {5, N}},
    };
    for (const Case& c : cases) {
        Amount q = DivideAmount(c.a, 100);
        EXPECT_EQ(c.quotient.value, q.value) << c.a.value;
        EXPECT_EQ(c.quotient.status, q.status) << c.a.value;
    }
    EXPECT_EQ(10000, OneAmount().value);
    EXPECT_EQ(0, ZeroAmount().value);
    EXPECT_EQ(V, ZeroAmount().status);
}

TEST(RegistrationPieces, BreaksBeforeTheLastSpaceOfTheWindow)
{
    struct Case {
        std::string text;
        std::vector<std::string> pieces;
    };
    const std::string a31(31, 'a');
    const std::string b40(40, 'b');
    const Case cases[] = {
        {"", {""}},
        {a31, {a31}},
        {a31 + " x", {a31, " x"}},            // the space right after the window
        {"ab cd" + a31, {"ab", " cd" + a31}},  // only the space at position 2 is in reach
        {a31 + b40 + "c", {a31, b40, "c"}},    // no space anywhere: cut at the window
        {" " + a31 + "z", {" " + std::string(30, 'a'), "az"}},  // position 0 is never a break
        {a31 + " " + b40 + " end", {a31, " " + std::string(39, 'b'), "b end"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.pieces, RegistrationPieces(c.text)) << "'" << c.text << "'";
}

class FieldValuesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        using dbf::FieldType;
        dbf::DbfWriter table(agenda.YearDir() + "Hodnoty.dbf",
                             {{"Text", FieldType::Character, 20},
                              {"Cislo", FieldType::Numeric, 8},
                              {"Castka", FieldType::Numeric, 12, 2},
                              {"Mena", FieldType::Currency},
                              {"Cele", FieldType::Integer},
                              {"Realne", FieldType::Double},
                              {"Datum", FieldType::Date},
                              {"Logicke", FieldType::Logical}});
        table.Add({"Žluťoučký kůň", 42, dbf::Value::Currency(125000), dbf::Value::Currency(-5000), -7, 2.5,
                   dbf::Value::Date(2026, 12, 7), true});
        table.Add({"", dbf::Value::Blank(), dbf::Value::Blank(), dbf::Value::Currency(0), 0, 0.0,
                   dbf::Value::Blank(), dbf::Value::Blank()});
        table.Close();
        values = CreateHostTable();
        ASSERT_EQ(0, values.OpenTable(agenda.YearDir() + "Hodnoty"));
        values.MoveFirst();
    }

    SampleAgenda agenda;
    HostTable values;
};

TEST_F(FieldValuesTest, EachWayOfTakingAValue)
{
    EXPECT_EQ("Žluťoučký kůň", FieldString(values, "Text"));
    EXPECT_EQ("Žluťoučký kůň", FieldText(values, "Text"));
    EXPECT_EQ("42", FieldText(values, "Cislo"));
    EXPECT_EQ("12,50", FieldText(values, "Castka"));
    EXPECT_EQ("07.12.2026", FieldText(values, "Datum"));
    EXPECT_EQ("TRUE", FieldText(values, "Logicke"));
    EXPECT_EQ(42, FieldInteger(values, "Cislo"));
    EXPECT_EQ(-7, FieldInteger(values, "Cele"));

    Amount amount = FieldAmount(values, "Castka");
    EXPECT_EQ(125000, amount.value);
    EXPECT_EQ(V, amount.status);
    amount = FieldAmount(values, "Mena");
    EXPECT_EQ(-5000, amount.value);
    amount = FieldAmount(values, "Cislo");  // an integer converts
    EXPECT_EQ(420000, amount.value);
    EXPECT_EQ(V, amount.status);
    amount = FieldAmount(values, "Realne");
    EXPECT_EQ(25000, amount.value);
}

// Values of another kind than the way asks for give an empty text, 0 or an invalid
// amount; nothing is read from where a string or an integer would have been.
TEST_F(FieldValuesTest, ValuesOfAnotherKind)
{
    EXPECT_EQ("", FieldString(values, "Cislo"));   // an integer
    EXPECT_EQ("", FieldString(values, "Castka"));  // a currency
    EXPECT_EQ("", FieldString(values, "Datum"));
    EXPECT_EQ(0, FieldInteger(values, "Text"));     // a string
    EXPECT_EQ(0, FieldInteger(values, "Castka"));   // a currency
    EXPECT_EQ(0, FieldInteger(values, "Realne"));   // a real
    Amount amount = FieldAmount(values, "Text");    // a word is no amount
    EXPECT_EQ(I, amount.status);
    EXPECT_EQ(0, amount.value);

    values.MoveNext();  // the blank record: nulls
    EXPECT_EQ("", FieldString(values, "Text"));
    EXPECT_EQ("", FieldString(values, "Cislo"));
    EXPECT_EQ(0, FieldInteger(values, "Cislo"));
    EXPECT_EQ("", FieldText(values, "Cislo"));
    EXPECT_EQ("", FieldText(values, "Datum"));
    amount = FieldAmount(values, "Castka");
    EXPECT_EQ(I, amount.status);
    EXPECT_EQ(0, amount.value);
    EXPECT_EQ("-", FormatMoney(amount, 100, 'M'));
}

TEST_F(FieldValuesTest, AMissingFieldIsAHostError)
{
    EXPECT_THROW(FieldText(values, "Nic"), HostError);
    EXPECT_THROW(FieldString(values, "Nic"), HostError);
    EXPECT_THROW(FieldInteger(values, "Nic"), HostError);
    EXPECT_THROW(FieldAmount(values, "Nic"), HostError);
}

}  // namespace
