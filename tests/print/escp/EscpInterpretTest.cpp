// The interpreter: where each character lands, in which mode, on which stretch between
// form feeds, and the forms ESC C sets; and a long job read a stretch at a time.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

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

bool SameStrike(const EscpStrike& a, const EscpStrike& b)
{
    return a.x == b.x && a.y == b.y && a.code == b.code && a.mode == b.mode && a.form == b.form;
}

TEST(EscpInterpret, AJobReadAStretchAtATimeFromItsOutlineIsTheWholeJob)
{
    // Many kilobytes, so that the outline keeps many places to read again from: modes, a
    // form length and line spacing changed midway, form feeds and unknown bytes.
    std::string bytes = Bytes({0x1B, 0x40, 0x1B, 0x43, 0x00, 6});
    for (int line = 0; line < 900; ++line) {
        bytes += "Line " + std::to_string(line) + " \xB5\xD4 " + std::string(static_cast<size_t>(line % 120), 'x') + "\r\n";
        if (line % 97 == 0)
            bytes += Bytes({0x1B, 0x21, line % 2 ? 0x20 : 0x00});
        if (line % 131 == 0)
            bytes += "\f";
        if (line % 211 == 0)
            bytes += Bytes({0x1B, 0x99});
        if (line == 400)
            bytes += Bytes({0x1B, 0x30, 0x1B, 0x43, 0x00, 4});
    }
    const EscpJob whole = InterpretEscp(bytes);
    const EscpOutline outline = OutlineEscp(bytes);
    EXPECT_LT(15u, outline.resumes.size());
    EXPECT_EQ(whole.strikes.size(), outline.strikes);
    EXPECT_EQ(whole.formStarts, outline.paper.formStarts);
    ASSERT_EQ(whole.forms.size(), outline.paper.forms.size());
    for (size_t f = 0; f < whole.forms.size(); ++f) {
        EXPECT_EQ(whole.forms[f].top, outline.paper.forms[f].top) << f;
        EXPECT_EQ(whole.forms[f].length, outline.paper.forms[f].length) << f;
    }
    // A stretch of paper: exactly the strikes and marks that lie on it.
    for (const EscpForm& form : whole.forms) {
        const long from = form.top - 50, to = form.top + form.length / 3;
        const EscpJob part = InterpretEscpBetween(bytes, outline, from, to);
        std::vector<EscpStrike> expected;
        for (const EscpStrike& s : whole.strikes)
            if (s.y >= from && s.y <= to)
                expected.push_back(s);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), part.strikes.begin(), part.strikes.end(), SameStrike))
            << form.top;
        size_t marks = 0;
        for (const EscpMark& m : whole.marks)
            marks += m.y >= from && m.y <= to;
        EXPECT_EQ(marks, part.marks.size()) << form.top;
    }
    // Strikes by their numbers, from anywhere on, until the reader has enough.
    const size_t count = whole.strikes.size();
    for (size_t first : {size_t(0), size_t(1), count / 3, count / 2 + 7, count - 1}) {
        size_t next = first;
        bool same = true;
        ForEachEscpStrike(bytes, outline, first, [&](size_t number, const EscpStrike& s) {
            same = same && number == next && SameStrike(s, whole.strikes[next]);
            ++next;
            return true;
        });
        EXPECT_TRUE(same) << first;
        EXPECT_EQ(count, next) << first;
    }
    size_t given = 0;
    ForEachEscpStrike(bytes, outline, count / 2, [&](size_t, const EscpStrike&) { return ++given < 3; });
    EXPECT_EQ(3u, given);
}

}  // namespace
