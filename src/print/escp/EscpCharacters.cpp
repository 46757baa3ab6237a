// The printer's character table read backwards, once, into a table of the 256 bytes.
#include "print/escp/EscpCharacters.h"

#include <windows.h>

#include "printer/CharMap852.h"

namespace {

constexpr UINT kPrinterCodePage = 852;

struct ReadBack {
    unsigned text[256] = {};   // TextCharacter
    unsigned glyph[256] = {};  // Pc852ToUnicode

    ReadBack()
    {
        constexpr int kNone = -1, kSeveral = -2;
        int source[256];
        for (int& s : source)
            s = kNone;
        for (int c = 0; c < 256; ++c) {
            // Control bytes print as spaces: that makes them no source of the space.
            if (c < 0x20 || c == 0x7F)
                continue;
            int& s = source[kCharMap852[c]];
            s = s == kNone ? c : kSeveral;
        }
        for (int b = 0; b < 256; ++b) {
            if (source[b] == kSeveral) {
                text[b] = b;
            } else if (source[b] != kNone) {
                const char c = static_cast<char>(source[b]);
                wchar_t wide = 0;
                MultiByteToWideChar(kTextCodePage, 0, &c, 1, &wide, 1);
                text[b] = wide;
            }
            glyph[b] = text[b];
            if (!glyph[b]) {
                const char c = static_cast<char>(b);
                wchar_t wide = 0;
                MultiByteToWideChar(kPrinterCodePage, 0, &c, 1, &wide, 1);
                glyph[b] = wide;
            }
        }
    }
};

const ReadBack& Table()
{
    static const ReadBack table;
    return table;
}

}  // namespace

unsigned TextCharacter(unsigned char b)
{
    return Table().text[b];
}

unsigned Pc852ToUnicode(unsigned char c)
{
    return Table().glyph[c];
}

std::string Utf8(unsigned code)
{
    std::string out;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}
