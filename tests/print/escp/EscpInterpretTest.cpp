// The interpreter: where each character lands, in which mode, on which stretch between
// form feeds, and the forms ESC C sets.
#include <gtest/gtest.h>

#include "PortBytes.h"
#include "print/escp/EscpInterpret.h"

namespace {

TEST(EscpInterpret, PlacesEveryCharacterWhereThePrinterPrintsIt)
{
    const EscpJob job = InterpretEscp(Bytes({0x1B, 0x40, 0x1B, 0x43, 0x00, 6}) + "AB\x07" + Bytes({0x1B, 0x21, 0x20}) +
                                      "CC\r\n" + Bytes({0x1B, 0x30}) + "D\r\nF\f\fE\x9F\f");
    const struct {
        unsigned code;
        double x;
        long y;
        unsigned char mode;
        int form;
    } expected[] = {
        {'A', 0, 0, 0, 0},         {'B', 12, 0, 0, 0},     {'C', 24, 0, 0x20, 0},           {'C', 48, 0, 0x20, 0},
        {'D', 0, 72, 0x20, 0},     {'F', 0, 126, 0x20, 0}, {'E', 0, 2 * 2592, 0x20, 2}, {0x10D, 24, 2 * 2592, 0x20, 2},
    };
    ASSERT_EQ(std::size(expected), job.strikes.size());
    for (size_t i = 0; i < job.strikes.size(); ++i) {
        const EscpStrike& s = job.strikes[i];
        EXPECT_EQ(expected[i].code, s.code) << i;
        EXPECT_EQ(expected[i].x, s.x) << i;
        EXPECT_EQ(expected[i].y, s.y) << i;
        EXPECT_EQ(expected[i].mode, s.mode) << i;
        EXPECT_EQ(expected[i].form, s.form) << i;
    }
    ASSERT_EQ(1u, job.marks.size());
    EXPECT_EQ("07", job.marks[0].label);
    EXPECT_EQ(24, job.marks[0].x);
    // Two form feeds open two stretches; the one that ends the job opens none.
    EXPECT_EQ((std::vector<long>{0, 2592, 2 * 2592}), job.formStarts);
    ASSERT_EQ(3u, job.forms.size());
    EXPECT_EQ(2 * 2592, job.forms[2].top);
    EXPECT_EQ(2592, job.forms[2].length);
}

}  // namespace
