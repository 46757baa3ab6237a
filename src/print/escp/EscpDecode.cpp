// The ESC/P decoder: the commands of a job, read through the command table, written as
// text. Sources compile with a cp1250 execution charset, so every non-ASCII literal is u8"".
#include "print/escp/EscpDecode.h"

#include <cstdio>

#include "print/escp/EscpCommands.h"

namespace {

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

std::string ModeLabel(unsigned char mode)
{
    std::string label = "[" + std::to_string(EscpLineColumns(mode));
    const struct { unsigned char bit; const char* name; } flags[] = {
        {kEscpDoubleWidth, "dw"}, {kEscpCondensed, "c"}, {kEscpElite, "e"}, {kEscpEmphasized, "b"},
        {kEscpDoubleStrike, "ds"}, {kEscpItalic, "i"}, {kEscpUnderline, "u"}, {kEscpProportional, "p"},
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
        if (settings_.mode != lastShownMode_)
            out_ += "{mode " + ModeLabel(settings_.mode) + "}\n";
        return out_;
    }

private:
    unsigned char Byte(size_t i) const { return static_cast<unsigned char>(bytes_[i]); }
    size_t Left() const { return bytes_.size() - pos_; }

    void Step()
    {
        const EscpCommand command = ReadEscpCommand(bytes_, pos_);
        const unsigned char n = command.value;
        const unsigned char modeBefore = settings_.mode;
        const bool accepted = ApplyEscpCommand(command, settings_);
        switch (command.op) {
        case EscpOp::Text:
            if (const unsigned character = TextCharacter(n))
                Text(Utf8(character));
            else
                Inline(Unknown(bytes_, pos_, 1));
            break;
        case EscpOp::CarriageReturn:
            if (Left() >= 2 && Byte(pos_ + 1) == kEscpLineFeed) {
                EndLine("");
                ++pos_;
            } else {
                Inline("{CR}");
            }
            break;
        case EscpOp::LineFeed:
            EndLine(" {LF}");
            break;
        case EscpOp::FormFeed:
            if (!line_.empty())
                EndLine(u8" {no line end}");
            FlushSetup();
            out_ += "==== form feed ====\n";
            break;
        case EscpOp::Reset: Setup("init"); break;
        case EscpOp::EighthInch: Setup("1/8 in"); break;
        case EscpOp::SetMode: ShowMode(modeBefore); break;
        case EscpOp::UseTable: Setup("use slot " + std::to_string(n)); break;
        case EscpOp::Quality:
            Setup(n == 0 ? std::string("draft") : n == 1 ? std::string("NLQ") : "quality " + std::to_string(n));
            break;
        case EscpOp::PageLines:
        case EscpOp::PageInches:
            Setup("page " + std::to_string(n) + (command.op == EscpOp::PageLines ? " lines" : " in") +
                  (accepted ? "" : ", ignored"));
            break;
        case EscpOp::AssignTable:
            Setup("slot " + std::to_string(n) + " = " + TableName(command.table[0], command.table[1]));
            break;
        case EscpOp::Unknown:
            Inline(Unknown(bytes_, pos_, command.length));
            break;
        }
        pos_ += command.length;
    }

    // A mode changed within a line is shown where it changed.
    void ShowMode(unsigned char before)
    {
        if (hasText_ && settings_.mode != before)
            line_ += "{" + ModeLabel(settings_.mode) + "}";
    }

    // Set-up commands between lines get a line of their own; within a line they stay
    // where they were sent.
    void Setup(const std::string& tag)
    {
        if (line_.empty())
            setup_ += (setup_.empty() ? "{" : " {") + tag + "}";
        else
            line_ += "{" + tag + "}";
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
            lineMode_ = settings_.mode;
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
            lineMode_ = settings_.mode;
        hasText_ = true;
        line_ += text;
    }

    void EndLine(const std::string& suffix)
    {
        FlushSetup();
        const unsigned char mode = line_.empty() ? settings_.mode : lineMode_;
        const std::string content = line_ + suffix;
        out_ += ModeLabel(mode) + (content.empty() ? "" : " ") + content + "\n";
        lastShownMode_ = settings_.mode;
        line_.clear();
        hasText_ = false;
    }

    const std::string& bytes_;
    size_t pos_ = 0;
    EscpSettings settings_;
    unsigned char lineMode_ = 0;
    unsigned char lastShownMode_ = 0;
    std::string line_;
    bool hasText_ = false;
    std::string setup_;
    std::string out_;
};

}  // namespace

std::string DecodeEscp(const std::string& bytes)
{
    return Decoder(bytes).Run();
}
