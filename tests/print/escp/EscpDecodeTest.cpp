// The ESC/P decoder that explains failing byte comparisons: modes, set-up commands, PC852
// text read back through the printer's table, page ends and bytes it does not know.
#include <gtest/gtest.h>

#include <string>

#include "PortBytes.h"
#include "print/escp/EscpDecode.h"

namespace {

TEST(EscpDecode, JobBecomesReadableLines)
{
    const struct {
        const char* name;
        std::string bytes;
        std::string text;
    } cases[] = {
        {"set-up then title",
         Bytes({0x1B, 0x40, 0x1B, 0x28, 0x74, 0x03, 0x00, 0x01, 0x0A, 0x00, 0x1B, 0x74, 0x01, 0x1B,
                0x78, 0x00, 0x1B, 0x43, 0x00, 0x06, 0x1B, 0x30, 0x1B, 0x21, 0x00}) +
             "DODAC\xD6 LIST\r\n",
         u8"{init} {slot 1 = PC852} {use slot 1} {draft} {page 6 in} {1/8 in}\n[80] DODACÍ LIST\n"},
        {"modes", Bytes({0x1B, 0x21, 0x20}) + "AB\r\n" + Bytes({0x1B, 0x21, 0x1D}) + "x\r\n\r\n",
         "[40 dw] AB\n[160 c e b ds] x\n[160 c e b ds]\n"},
        {"mode changed within a line", "a" + Bytes({0x1B, 0x21, 0x08}) + "b\r\n",
         "[80] a{[80 b]}b\n"},
        {"PC852 letters, and lines that no text becomes",
         Bytes({0x9F, 0xA7, 0xA6, 0xB5, 0xDE, 0xC4, 0xCD, 0xF4, 0x0D, 0x0A}),
         "[80] " + std::string(u8"čžŽÁŮ«C4»«CD»˘") + "\n"},
        {"page end", "x\r\n\x0C", "[80] x\n==== form feed ====\n"},
        {"unknown bytes", Bytes({0x1B, 0x99, 'a', 0x07, 0x7F, 0x1B}),
         std::string("[80] ") + u8"«1B 99»a«07»«7F»«1B»" + " {no line end}\n"},
        {"lone CR and LF", "a\rb\n", "[80] a{CR}b {LF}\n"},
        {"page in lines, NLQ", Bytes({0x1B, 0x43, 66, 0x1B, 0x78, 0x01}),
         "{page 66 lines} {NLQ}\n"},
        {"page lengths the printer ignores", Bytes({0x1B, 0x43, 0x00, 23, 0x1B, 0x43, 0x00, 0x00}),
         "{page 23 in, ignored} {page 0 in, ignored}\n"},
        {"table assignment of another length", Bytes({0x1B, 0x28, 0x74, 0x01, 0x00, 0x05, 'x'}),
         std::string("[80] ") + u8"«1B 28 74 01 00 05»x {no line end}\n"},
        {"mode with no line after it", Bytes({0x1B, 0x21, 0x04}), "{mode [137 c]}\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, DecodeEscp(c.bytes)) << c.name;
}

TEST(EscpDecode, EveryUpperPc852CodeDecodesToOneCharacter)
{
    for (int b = 0x80; b < 0x100; ++b) {
        const std::string utf8 = Utf8(Pc852ToUnicode(static_cast<unsigned char>(b)));
        EXPECT_GE(utf8.size(), 2u) << b;
        EXPECT_LE(utf8.size(), 3u) << b;
    }
    EXPECT_EQ(u8"č", Utf8(Pc852ToUnicode(0x9F)));
    EXPECT_EQ(u8"\u00A0", Utf8(Pc852ToUnicode(0xFF)));
}

TEST(EscpDiff, ShowsTheLinesThatDiffer)
{
    EXPECT_EQ("", EscpDiff("same\r\n", "same\r\n"));
    const std::string diff = EscpDiff("a\r\nb\r\nc\r\n", "a\r\nB\r\nc\r\n");
    EXPECT_EQ("first difference at byte 3: expected 62, actual 42 (9 vs 9 bytes)\n"
              "  [80] a|\n"
              "- [80] b|\n"
              "+ [80] B|\n"
              "  [80] c|\n",
              diff);
}

}  // namespace
