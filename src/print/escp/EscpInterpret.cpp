// The interpreter: the job read through the command table, each character placed on a
// continuous strip of paper as the printer's head and paper feed would move.
#include "print/escp/EscpInterpret.h"

#include <cstdio>

#include "print/escp/EscpCharacters.h"
#include "print/escp/EscpCommands.h"

namespace {

class Interpreter {
public:
    explicit Interpreter(const std::string& bytes) : bytes_(bytes)
    {
        job_.forms.push_back({0, settings_.pageLength});
        job_.formStarts.push_back(0);
    }

    EscpJob Run()
    {
        while (pos_ < bytes_.size()) {
            const EscpCommand command = ReadEscpCommand(bytes_, pos_);
            Do(command);
            pos_ += command.length;
        }
        // A form feed at the end feeds out a sheet that nothing was printed on, and opens
        // no stretch of its own.
        if (job_.forms.size() > 1 && !PrintedOnLastForm())
            job_.forms.pop_back();
        if (job_.formStarts.size() > 1 && lastPrintedForm_ + 1 < static_cast<int>(job_.formStarts.size()))
            job_.formStarts.pop_back();
        return std::move(job_);
    }

private:
    void Do(const EscpCommand& command)
    {
        const bool accepted = ApplyEscpCommand(command, settings_);
        switch (command.op) {
        case EscpOp::Text: Character(Pc852ToUnicode(command.value)); break;
        case EscpOp::CarriageReturn: x_ = 0; break;
        case EscpOp::LineFeed: LineFeed(); break;
        case EscpOp::FormFeed: FormFeed(); break;
        case EscpOp::PageLines:
        case EscpOp::PageInches:
            if (accepted)
                StartForm();
            break;
        case EscpOp::Unknown: Mark(command.length); break;
        default: break;
        }
    }

    // Everything is printed at or below the top of the last form once it exists.
    bool PrintedOnLastForm() const { return printedAny_ && lastPrintedY_ >= job_.forms.back().top; }

    void Printed()
    {
        printedAny_ = true;
        lastPrintedY_ = y_;
        lastPrintedForm_ = formFeeds_;
    }

    void Character(unsigned code)
    {
        const double width = EscpCellWidth(settings_.mode);
        if (x_ + width > kEscpLineUnits + 0.01)
            LineFeed();  // the printer ends a full line itself and goes on in the next
        job_.strikes.push_back({x_, y_, code, settings_.mode, formFeeds_});
        Printed();
        x_ += width;
    }

    void LineFeed()
    {
        x_ = 0;
        y_ += settings_.spacing;
        const EscpForm& form = job_.forms.back();
        if (y_ >= form.top + form.length)
            job_.forms.push_back({form.top + form.length, settings_.pageLength});
    }

    void FormFeed()
    {
        x_ = 0;
        const EscpForm& form = job_.forms.back();
        y_ = form.top + form.length;
        job_.forms.push_back({y_, settings_.pageLength});
        ++formFeeds_;
        job_.formStarts.push_back(y_);
    }

    // The line the head stands on becomes the top of the form.
    void StartForm()
    {
        EscpForm& form = job_.forms.back();
        if (y_ > form.top && PrintedOnLastForm()) {
            form.length = y_ - form.top;
            job_.forms.push_back({y_, settings_.pageLength});
        } else {
            form = {y_, settings_.pageLength};
        }
    }

    void Mark(size_t count)
    {
        std::string label;
        for (size_t i = 0; i < count; ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, i ? " %02X" : "%02X", static_cast<unsigned char>(bytes_[pos_ + i]));
            label += hex;
        }
        job_.marks.push_back({x_, y_, label, formFeeds_});
        Printed();
    }

    const std::string& bytes_;
    size_t pos_ = 0;
    EscpSettings settings_;
    double x_ = 0;
    long y_ = 0;
    int formFeeds_ = 0;
    bool printedAny_ = false;
    long lastPrintedY_ = 0;
    int lastPrintedForm_ = 0;
    EscpJob job_;
};

}  // namespace

EscpJob InterpretEscp(const std::string& bytes)
{
    return Interpreter(bytes).Run();
}
