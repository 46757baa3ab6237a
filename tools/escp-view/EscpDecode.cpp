// The ESC/P decoder: a small state machine over the commands the printer code sends.
// Sources compile with a cp1250 execution charset, so every non-ASCII literal is u8"".
#include "EscpDecode.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <vector>

#include "printer/CharMap852.h"

namespace {

const unsigned char kEsc = 0x1B;

// Code page 852, bytes 80 to FF, as Unicode.
const unsigned short kPc852Upper[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x016F, 0x0107, 0x00E7,
    0x0142, 0x00EB, 0x0150, 0x0151, 0x00EE, 0x0179, 0x00C4, 0x0106,
    0x00C9, 0x0139, 0x013A, 0x00F4, 0x00F6, 0x013D, 0x013E, 0x015A,
    0x015B, 0x00D6, 0x00DC, 0x0164, 0x0165, 0x0141, 0x00D7, 0x010D,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x0104, 0x0105, 0x017D, 0x017E,
    0x0118, 0x0119, 0x00AC, 0x017A, 0x010C, 0x015F, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x011A,
    0x015E, 0x2563, 0x2551, 0x2557, 0x255D, 0x017B, 0x017C, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x0102, 0x0103,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,
    0x0111, 0x0110, 0x010E, 0x00CB, 0x010F, 0x0147, 0x00CD, 0x00CE,
    0x011B, 0x2518, 0x250C, 0x2588, 0x2584, 0x0162, 0x016E, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x0143, 0x0144, 0x0148, 0x0160, 0x0161,
    0x0154, 0x00DA, 0x0155, 0x0170, 0x00FD, 0x00DD, 0x0163, 0x00B4,
    0x00AD, 0x02DD, 0x02DB, 0x02C7, 0x02D8, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x02D9, 0x0171, 0x0158, 0x0159, 0x25A0, 0x00A0,
};

// For each byte on the port, the code page 1250 byte that the printer's table turns into
// it; kNone or kSeveral.
struct ReverseCharMap {
    static constexpr short kNone = -1, kSeveral = -2;
    short source[256];

    ReverseCharMap()
    {
        std::fill(std::begin(source), std::end(source), kNone);
        for (int c = 0; c < 256; ++c) {
            // Control bytes print as spaces: that makes them no source of the space.
            if (c < 0x20 || c == 0x7F)
                continue;
            short& s = source[kCharMap852[c]];
            s = s == kNone ? static_cast<short>(c) : kSeveral;
        }
    }
};

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

std::string Hex(unsigned char b)
{
    char text[4];
    std::snprintf(text, sizeof text, "%02X", b);
    return text;
}

std::string Unknown(const std::string& bytes, size_t from, size_t count)
{
    std::string out = u8"«";
    for (size_t i = 0; i < count; ++i) {
        if (i)
            out += ' ';
        out += Hex(static_cast<unsigned char>(bytes[from + i]));
    }
    return out + u8"»";
}

// The characters per line an 8-inch line holds in an ESC ! master mode.
int ModeWidth(unsigned char mode)
{
    int width = 80;
    switch (mode & 0x05) {
    case 0x01: width = 96; break;
    case 0x04: width = 137; break;
    case 0x05: width = 160; break;
    }
    return (mode & 0x20) ? width / 2 : width;
}

std::string ModeLabel(unsigned char mode)
{
    std::string label = "[" + std::to_string(ModeWidth(mode));
    const struct { unsigned char bit; const char* name; } flags[] = {
        {0x20, "dw"}, {0x04, "c"}, {0x01, "e"}, {0x08, "b"},
        {0x10, "ds"}, {0x40, "i"}, {0x80, "u"}, {0x02, "p"},
    };
    for (const auto& flag : flags)
        if (mode & flag.bit)
            label += std::string(" ") + flag.name;
    return label + "]";
}

std::string TableName(unsigned char d2, unsigned char d3)
{
    if (d2 == 10 && d3 == 0)
        return "PC852";
    if (d2 == 1 && d3 == 0)
        return "PC437";
    if (d2 == 3 && d3 == 0)
        return "PC850";
    return "table " + std::to_string(d2) + "/" + std::to_string(d3);
}

class Decoder {
public:
    explicit Decoder(const std::string& bytes) : bytes_(bytes) {}

    std::string Run()
    {
        while (pos_ < bytes_.size())
            Step();
        if (!line_.empty())
            EndLine(u8" {no line end}");
        FlushSetup();
        if (mode_ != lastShownMode_)
            out_ += "{mode " + ModeLabel(mode_) + "}\n";
        return out_;
    }

private:
    unsigned char Byte(size_t i) const { return static_cast<unsigned char>(bytes_[i]); }
    size_t Left() const { return bytes_.size() - pos_; }

    void Step()
    {
        const unsigned char b = Byte(pos_);
        if (b == kEsc) {
            Escape();
        } else if (b == 13 && Left() >= 2 && Byte(pos_ + 1) == 10) {
            EndLine("");
            pos_ += 2;
        } else if (b == 13) {
            Inline("{CR}");
            ++pos_;
        } else if (b == 10) {
            EndLine(" {LF}");
            ++pos_;
        } else if (b == 12) {
            if (!line_.empty())
                EndLine(u8" {no line end}");
            FlushSetup();
            out_ += "==== form feed ====\n";
            ++pos_;
        } else if (const unsigned character = TextCharacter(b)) {
            Text(Utf8(character));
            ++pos_;
        } else {
            Inline(Unknown(bytes_, pos_, 1));
            ++pos_;
        }
    }

    void Escape()
    {
        if (Left() < 2) {
            Inline(Unknown(bytes_, pos_, Left()));
            pos_ = bytes_.size();
            return;
        }
        const unsigned char command = Byte(pos_ + 1);
        switch (command) {
        case '@':
            mode_ = 0;
            Setup("init", 2);
            return;
        case '0':
            Setup("1/8 in", 2);
            return;
        case '!':
            if (Left() < 3)
                break;
            SetMode(Byte(pos_ + 2));
            pos_ += 3;
            return;
        case 't':
            if (Left() < 3)
                break;
            Setup("use slot " + std::to_string(Byte(pos_ + 2)), 3);
            return;
        case 'x':
            if (Left() < 3)
                break;
            Setup(Byte(pos_ + 2) == 0 ? std::string("draft")
                  : Byte(pos_ + 2) == 1 ? std::string("NLQ")
                                         : "quality " + std::to_string(Byte(pos_ + 2)),
                  3);
            return;
        case 'C':
            if (Left() >= 3 && Byte(pos_ + 2) != 0) {
                Setup("page " + std::to_string(Byte(pos_ + 2)) + " lines", 3);
                return;
            }
            if (Left() < 4)
                break;
            Setup("page " + std::to_string(Byte(pos_ + 3)) + " in", 4);
            return;
        case '(':
            if (Left() >= 5 && Byte(pos_ + 2) == 't') {
                const size_t count = Byte(pos_ + 3) + 256u * Byte(pos_ + 4);
                if (Left() < 5 + count)
                    break;
                if (count == 3) {
                    Setup("slot " + std::to_string(Byte(pos_ + 5)) + " = " +
                              TableName(Byte(pos_ + 6), Byte(pos_ + 7)),
                          8);
                } else {
                    Inline(Unknown(bytes_, pos_, 5 + count));
                    pos_ += 5 + count;
                }
                return;
            }
            break;
        }
        Inline(Unknown(bytes_, pos_, 2));
        pos_ += 2;
    }

    void SetMode(unsigned char mode)
    {
        if (hasText_ && mode != mode_)
            line_ += "{" + ModeLabel(mode) + "}";
        mode_ = mode;
    }

    // Set-up commands between lines get a line of their own; within a line they stay
    // where they were sent.
    void Setup(const std::string& tag, size_t length)
    {
        if (line_.empty())
            setup_ += (setup_.empty() ? "{" : " {") + tag + "}";
        else
            line_ += "{" + tag + "}";
        pos_ += length;
    }

    void FlushSetup()
    {
        if (!setup_.empty())
            out_ += setup_ + "\n";
        setup_.clear();
    }

    void Begin()
    {
        if (line_.empty()) {
            FlushSetup();
            lineMode_ = mode_;
        }
    }

    void Inline(const std::string& text)
    {
        Begin();
        line_ += text;
    }

    void Text(const std::string& text)
    {
        Begin();
        if (!hasText_)
            lineMode_ = mode_;
        hasText_ = true;
        line_ += text;
    }

    void EndLine(const std::string& suffix)
    {
        FlushSetup();
        const unsigned char mode = line_.empty() ? mode_ : lineMode_;
        const std::string content = line_ + suffix;
        out_ += ModeLabel(mode) + (content.empty() ? "" : " ") + content + "\n";
        lastShownMode_ = mode_;
        line_.clear();
        hasText_ = false;
    }

    const std::string& bytes_;
    size_t pos_ = 0;
    unsigned char mode_ = 0;
    unsigned char lineMode_ = 0;
    unsigned char lastShownMode_ = 0;
    std::string line_;
    bool hasText_ = false;
    std::string setup_;
    std::string out_;
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace

std::string Pc852ToUtf8(unsigned char c)
{
    return c < 0x80 ? std::string(1, static_cast<char>(c)) : Utf8(kPc852Upper[c - 0x80]);
}

unsigned TextCharacter(unsigned char b)
{
    static const ReverseCharMap reverse;
    const short source = reverse.source[b];
    if (source == ReverseCharMap::kNone)
        return 0;
    if (source == ReverseCharMap::kSeveral)
        return b;
    const char c = static_cast<char>(source);
    wchar_t wide = 0;
    MultiByteToWideChar(kTextCodePage, 0, &c, 1, &wide, 1);
    return wide;
}

std::string DecodeEscp(const std::string& bytes)
{
    return Decoder(bytes).Run();
}

std::string EscpDiff(const std::string& expected, const std::string& actual)
{
    if (expected == actual)
        return {};
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    std::string out = "first difference at byte " + std::to_string(at) + ": expected " +
                      (at < expected.size() ? Hex(static_cast<unsigned char>(expected[at])) : "end") +
                      ", actual " +
                      (at < actual.size() ? Hex(static_cast<unsigned char>(actual[at])) : "end") +
                      " (" + std::to_string(expected.size()) + " vs " +
                      std::to_string(actual.size()) + " bytes)\n";

    // A longest-common-subsequence walk; pages are a few hundred lines at most.
    const std::vector<std::string> a = Lines(DecodeEscp(expected));
    const std::vector<std::string> b = Lines(DecodeEscp(actual));
    std::vector<std::vector<unsigned>> common(a.size() + 1, std::vector<unsigned>(b.size() + 1, 0));
    for (size_t i = a.size(); i-- > 0;)
        for (size_t j = b.size(); j-- > 0;)
            common[i][j] = a[i] == b[j] ? common[i + 1][j + 1] + 1
                                        : std::max(common[i + 1][j], common[i][j + 1]);
    // Lines end in "|" so that trailing spaces can be seen.
    size_t i = 0, j = 0;
    while (i < a.size() || j < b.size()) {
        if (i < a.size() && j < b.size() && a[i] == b[j]) {
            out += "  " + a[i++] + "|\n";
            ++j;
        } else if (i < a.size() && (j == b.size() || common[i + 1][j] >= common[i][j + 1])) {
            out += "- " + a[i++] + "|\n";
        } else {
            out += "+ " + b[j++] + "|\n";
        }
    }
    return out;
}
