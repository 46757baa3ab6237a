// The printer's character table, all 256 entries, against the system's code pages 1250
// and 852, and the viewer reading it backwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <iterator>

#include "print/escp/EscpDecode.h"
#include "printer/CharMap852.h"

namespace {

// The characters of code page 1250 that code page 852 lacks, and what prints instead.
const struct {
    wchar_t character;
    char standIn;
} kStandIns[] = {
    {L'\u20AC', 'E'}, {L'\u201A', ','}, {L'\u201E', '"'},  {L'\u2026', '.'}, {L'\u2020', '+'}, {L'\u2021', '+'},
    {L'\u2030', '%'}, {L'\u2039', '<'}, {L'\u2018', '\''}, {L'\u2019', '\''}, {L'\u201C', '"'}, {L'\u201D', '"'},
    {L'\u2022', '*'}, {L'\u2013', '-'}, {L'\u2014', '-'},  {L'\u2122', 'T'}, {L'\u203A', '>'}, {L'\u00A6', '|'},
    {L'\u00A9', 'C'}, {L'\u00AE', 'R'}, {L'\u00B1', '+'},  {L'\u00B5', 'u'}, {L'\u00B6', 'P'}, {L'\u00B7', '.'},
};

// The byte values that are no character of code page 1250.
const unsigned char kNoCharacter[] = {0x81, 0x83, 0x88, 0x90, 0x98};

TEST(CharMap852, EveryByteIsItsOwnCharacterInCodePage852)
{
    int standIns = 0;
    for (int b = 0; b < 256; ++b) {
        const unsigned char printed = kCharMap852[b];
        if (b < 0x20 || b == 0x7F) {
            EXPECT_EQ(' ', printed) << "control byte " << b;
            continue;
        }
        const char in = static_cast<char>(b);
        wchar_t character = 0;
        ASSERT_EQ(1, MultiByteToWideChar(1250, 0, &in, 1, &character, 1)) << b;
        // The system gives the bytes that are no character C1 control codes.
        const bool noCharacter = character >= 0x80 && character < 0xA0;
        EXPECT_EQ(noCharacter, std::count(std::begin(kNoCharacter), std::end(kNoCharacter), b) == 1) << b;
        if (noCharacter) {
            EXPECT_EQ('?', printed) << b;
            continue;
        }
        char in852 = 0;
        BOOL lacking = FALSE;
        WideCharToMultiByte(852, WC_NO_BEST_FIT_CHARS, &character, 1, &in852, 1, nullptr, &lacking);
        if (lacking) {
            const auto* standIn = std::find_if(std::begin(kStandIns), std::end(kStandIns),
                                               [&](const auto& s) { return s.character == character; });
            ASSERT_NE(std::end(kStandIns), standIn) << "no stand-in for " << b;
            EXPECT_EQ(standIn->standIn, printed) << b;
            ++standIns;
            continue;
        }
        const char out = static_cast<char>(printed);
        wchar_t back = 0;
        ASSERT_EQ(1, MultiByteToWideChar(852, 0, &out, 1, &back, 1)) << b;
        EXPECT_EQ(character, back) << "byte " << b << " prints as another character";
    }
    EXPECT_EQ(24, standIns);
}

TEST(CharMap852, ViewerShowsTextAsThePrinterPutsItOnPaper)
{
    for (int b = 0; b < 256; ++b) {
        const unsigned character = TextCharacter(static_cast<unsigned char>(b));
        if (character == 0)
            continue;
        const char in = static_cast<char>(b);
        wchar_t glyph = 0;
        MultiByteToWideChar(852, 0, &in, 1, &glyph, 1);
        EXPECT_EQ(unsigned(glyph), character) << b;
    }
    EXPECT_EQ(0x139u, TextCharacter(0x91));        // Ĺ, alone
    EXPECT_EQ(unsigned('"'), TextCharacter('"'));  // ", „, “ and ”
    EXPECT_EQ(0u, TextCharacter(0xC4));            // a line-drawing character
    EXPECT_EQ(0u, TextCharacter(0x1B));
}

}  // namespace
