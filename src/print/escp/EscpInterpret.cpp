// The interpreter: the job read through the command table, each character placed on a
// continuous strip of paper as the printer's head and paper feed would move. A long job
// can be read a stretch at a time, from the places its outline keeps.
#include "print/escp/EscpInterpret.h"

#include <algorithm>
#include <cstdio>

#include "print/escp/EscpCharacters.h"

namespace {

// How far apart the outline's places to start reading again lie: a stretch is read from
// at most this many bytes before it.
constexpr size_t kResumeBytes = 4096;

// What a reading does with what the interpreter finds.
class Reader {
public:
    virtual ~Reader() = default;
    // Before each command; false ends the reading there.
    virtual bool Continue(const EscpResume& state) = 0;
    // false ends the reading after this strike.
    virtual bool Strike(size_t number, const EscpStrike& strike) = 0;
    virtual void Mark(EscpMark&& mark) = 0;
};

class Interpreter {
public:
    // From the job's start.
    explicit Interpreter(const std::string& bytes) : bytes_(bytes)
    {
        state_.form = {0, state_.settings.pageLength};
        forms_.push_back(state_.form);
        formStarts_.push_back(0);
    }

    // From a place an outline of the job kept.
    Interpreter(const std::string& bytes, const EscpResume& from) : bytes_(bytes), state_(from)
    {
        forms_.push_back(from.form);
    }

    void Run(Reader& reader)
    {
        while (state_.at < bytes_.size()) {
            state_.form = forms_.back();
            if (!reader.Continue(state_))
                return;
            const EscpCommand command = ReadEscpCommand(bytes_, state_.at);
            const bool more = Do(command, reader);
            state_.at += command.length;
            if (!more)
                return;
        }
    }

    // The forms and form starts of a job read to its end.
    EscpJob Paper()
    {
        EscpJob paper;
        paper.forms = std::move(forms_);
        paper.formStarts = std::move(formStarts_);
        // A form feed at the end feeds out a sheet that nothing was printed on, and opens
        // no stretch of its own.
        if (paper.forms.size() > 1 && !PrintedOn(paper.forms.back()))
            paper.forms.pop_back();
        if (paper.formStarts.size() > 1 && state_.lastPrintedForm + 1 < static_cast<int>(paper.formStarts.size()))
            paper.formStarts.pop_back();
        return paper;
    }

private:
    bool Do(const EscpCommand& command, Reader& reader)
    {
        const bool accepted = ApplyEscpCommand(command, state_.settings);
        switch (command.op) {
        case EscpOp::Text: return Character(Pc852ToUnicode(command.value), reader);
        case EscpOp::CarriageReturn: state_.x = 0; break;
        case EscpOp::LineFeed: LineFeed(); break;
        case EscpOp::FormFeed: FormFeed(); break;
        case EscpOp::PageLines:
        case EscpOp::PageInches:
            if (accepted)
                StartForm();
            break;
        case EscpOp::Unknown: Mark(command.length, reader); break;
        default: break;
        }
        return true;
    }

    // Everything is printed at or below the top of the form once it exists.
    bool PrintedOn(const EscpForm& form) const { return state_.printedAny && state_.lastPrintedY >= form.top; }

    void Printed()
    {
        state_.printedAny = true;
        state_.lastPrintedY = state_.y;
        state_.lastPrintedForm = state_.formFeeds;
    }

    bool Character(unsigned code, Reader& reader)
    {
        const double width = EscpCellWidth(state_.settings.mode);
        if (state_.x + width > kEscpLineUnits + 0.01)
            LineFeed();  // the printer ends a full line itself and goes on in the next
        const EscpStrike strike{state_.x, state_.y, code, state_.settings.mode, state_.formFeeds};
        Printed();
        state_.x += width;
        return reader.Strike(state_.strikes++, strike);
    }

    void LineFeed()
    {
        state_.x = 0;
        state_.y += state_.settings.spacing;
        const EscpForm& form = forms_.back();
        if (state_.y >= form.top + form.length)
            forms_.push_back({form.top + form.length, state_.settings.pageLength});
    }

    void FormFeed()
    {
        state_.x = 0;
        const EscpForm& form = forms_.back();
        state_.y = form.top + form.length;
        forms_.push_back({state_.y, state_.settings.pageLength});
        ++state_.formFeeds;
        formStarts_.push_back(state_.y);
    }

    // The line the head stands on becomes the top of the form.
    void StartForm()
    {
        EscpForm& form = forms_.back();
        if (state_.y > form.top && PrintedOn(form)) {
            form.length = state_.y - form.top;
            forms_.push_back({state_.y, state_.settings.pageLength});
        } else {
            form = {state_.y, state_.settings.pageLength};
        }
    }

    void Mark(size_t count, Reader& reader)
    {
        std::string label;
        for (size_t i = 0; i < count; ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, i ? " %02X" : "%02X", static_cast<unsigned char>(bytes_[state_.at + i]));
            label += hex;
        }
        reader.Mark({state_.x, state_.y, std::move(label), state_.formFeeds});
        Printed();
    }

    const std::string& bytes_;
    EscpResume state_;
    std::vector<EscpForm> forms_;  // from the place the reading started
    std::vector<long> formStarts_;
};

class WholeJob : public Reader {
public:
    bool Continue(const EscpResume&) override { return true; }
    bool Strike(size_t, const EscpStrike& strike) override
    {
        job.strikes.push_back(strike);
        return true;
    }
    void Mark(EscpMark&& mark) override { job.marks.push_back(std::move(mark)); }

    EscpJob job;
};

class Outline : public Reader {
public:
    bool Continue(const EscpResume& state) override
    {
        if (state.at >= next_) {
            outline.resumes.push_back(state);
            next_ = state.at + kResumeBytes;
        }
        return true;
    }
    bool Strike(size_t, const EscpStrike&) override
    {
        ++outline.strikes;
        return true;
    }
    void Mark(EscpMark&&) override {}

    EscpOutline outline;

private:
    size_t next_ = 0;
};

class Numbered : public Reader {
public:
    Numbered(size_t first, const std::function<bool(size_t, const EscpStrike&)>& each) : first_(first), each_(each) {}
    bool Continue(const EscpResume&) override { return true; }
    bool Strike(size_t number, const EscpStrike& strike) override
    {
        return number < first_ || each_(number, strike);
    }
    void Mark(EscpMark&&) override {}

private:
    size_t first_;
    const std::function<bool(size_t, const EscpStrike&)>& each_;
};

class Stretch : public Reader {
public:
    Stretch(EscpJob& job, long fromY, long toY) : job_(job), from_(fromY), to_(toY) {}
    // The head never moves back up the paper: past toY nothing more lands on the stretch.
    bool Continue(const EscpResume& state) override { return state.y <= to_; }
    bool Strike(size_t, const EscpStrike& strike) override
    {
        if (strike.y >= from_ && strike.y <= to_)
            job_.strikes.push_back(strike);
        return true;
    }
    void Mark(EscpMark&& mark) override
    {
        if (mark.y >= from_ && mark.y <= to_)
            job_.marks.push_back(std::move(mark));
    }

private:
    EscpJob& job_;
    long from_, to_;
};

}  // namespace

EscpJob InterpretEscp(const std::string& bytes)
{
    Interpreter interpreter(bytes);
    WholeJob whole;
    interpreter.Run(whole);
    EscpJob paper = interpreter.Paper();
    whole.job.forms = std::move(paper.forms);
    whole.job.formStarts = std::move(paper.formStarts);
    return std::move(whole.job);
}

EscpOutline OutlineEscp(const std::string& bytes)
{
    Interpreter interpreter(bytes);
    Outline outline;
    interpreter.Run(outline);
    if (outline.outline.resumes.empty())
        outline.outline.resumes.push_back(EscpResume{});  // an empty job
    outline.outline.paper = interpreter.Paper();
    return std::move(outline.outline);
}

void ForEachEscpStrike(const std::string& bytes, const EscpOutline& outline, size_t first,
                       const std::function<bool(size_t number, const EscpStrike& strike)>& each)
{
    // The last place with no more strikes before it than first.
    const auto after = std::upper_bound(outline.resumes.begin() + 1, outline.resumes.end(), first,
                                        [](size_t n, const EscpResume& r) { return n < r.strikes; });
    Interpreter interpreter(bytes, *(after - 1));
    Numbered numbered(first, each);
    interpreter.Run(numbered);
}

EscpJob InterpretEscpBetween(const std::string& bytes, const EscpOutline& outline, long fromY, long toY)
{
    EscpJob job;
    job.forms = outline.paper.forms;
    job.formStarts = outline.paper.formStarts;
    // The last place above the stretch: everything printed after it lies at or below it.
    const auto after = std::lower_bound(outline.resumes.begin() + 1, outline.resumes.end(), fromY,
                                        [](const EscpResume& r, long y) { return r.y < y; });
    Interpreter interpreter(bytes, *(after - 1));
    Stretch stretch(job, fromY, toY);
    interpreter.Run(stretch);
    return job;
}
