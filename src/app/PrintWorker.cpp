// The print thread: its apartment, its queue of requests, the print with the picker where
// the mode asks for it, the start-up probe of the component, automatic printing between
// requests, the journal of every print, and the messages to the main window.
#include "app/PrintWorker.h"

#include <memory>
#include <utility>

#include "framework/FailureText.h"
#include "framework/FormatText.h"
#include "framework/MessageBox.h"
#include "host/ComponentApartment.h"
#include "host/ComponentRegistration.h"
#include "print/DocPickerDlg.h"
#include "printer/PrintRoute.h"

namespace {

// The stages of a print, for the message of one that fails unexpectedly.
const char kPreparing[] = "příprava dokladu";
const char kChoosing[] = "výběr dokladu";
const char kPreviewing[] = "náhled dokladu";
const char kSending[] = "odeslání na tiskárnu";

}  // namespace

std::string UnexpectedPrintFailure(const char* stage)
{
    return "Tisk se nepodařil: " + FailureText(std::current_exception()) + " (" + stage + ").";
}

PrintWorker::PrintWorker(std::wstring journalFolder)
    : journal_(std::move(journalFolder)),
      watch_(journal_, [this](const std::string& text) { Say(text); }),
      wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
    const KernelHandle started(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    thread_ = std::thread([this, event = started.Get()] { Run(event); });
    WaitForSingleObject(started.Get(), INFINITE);
}

PrintWorker::~PrintWorker()
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        ending_ = true;
    }
    SetEvent(wake_.Get());
    thread_.join();
}

void PrintWorker::SetNotify(HWND window)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    notify_ = window;
}

void PrintWorker::Notify(UINT message, WPARAM wParam)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    if (notify_)
        PostMessageW(notify_, message, wParam, 0);
}

void PrintWorker::Post(Request request)
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(std::move(request));
    }
    SetEvent(wake_.Get());
}

PrintWorker::Wake PrintWorker::Next(Request& request)
{
    for (;;) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (ending_)
                return Wake::End;
            if (!requests_.empty()) {
                request = std::move(requests_.front());
                requests_.pop_front();
                return Wake::Request;
            }
        }
        // Requests never come as thread messages, which a modal loop of the print would
        // drop. Waiting reads no messages either: a thread of the process that waits for
        // messages counts as the process waiting for input (WaitForInputIdle), which would
        // report Quillet started before its main window is. Nothing sends this thread
        // messages meanwhile: COM's windows of the apartment are message-only, and no
        // other apartment holds anything of this one. Between requests the watch looks for
        // new documents when the year's folder changes, or when its time comes.
        const HANDLE events[] = {wake_.Get(), watch_.FolderChanged()};
        if (WaitForMultipleObjects(events[1] ? 2 : 1, events, FALSE, watch_.Wait()) != WAIT_OBJECT_0)
            return Wake::Watch;
    }
}

void PrintWorker::Run(HANDLE started)
{
    ComponentApartment apartment(true);
    SetEvent(started);
    Request request;
    for (Wake wake; (wake = Next(request)) != Wake::End; request = nullptr) {
        // Each request shows its own failures; nothing may leave the thread, which would
        // end the program.
        try {
            if (wake == Wake::Request)
                request(apartment);
            else
                Look(apartment);
        } catch (...) {
        }
    }
}

void PrintWorker::Look(ComponentApartment& apartment)
{
    struct Ended {
        PrintWorker& worker;
        ~Ended() { worker.SetSending(nullptr); }
    } ended{*this};
    // A print asked for meanwhile goes first, between two automatic ones.
    watch_.Look(apartment, [this](const DocumentJob* job) { SetSending(job); },
                [this] {
                    const std::lock_guard<std::mutex> lock(mutex_);
                    return ending_ || !requests_.empty();
                });
}

void PrintWorker::Watch(const AgendaConfig& config)
{
    auto copy = std::make_shared<AgendaConfig>();
    copy->CopySettings(config);
    Post([this, copy](ComponentApartment& apartment) { watch_.Configure(*copy, apartment); });
}

void PrintWorker::Say(const std::string& text)
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        notices_.push_back(text);
    }
    Notify(WM_PRINTNOTICE, 0);
}

std::vector<std::string> PrintWorker::TakeNotices()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(notices_, {});
}

void PrintWorker::Record(JournalEntry& entry, PrintOrigin origin)
{
    entry.origin = origin;
    watch_.Printed(entry);
    if (journal_.Record(entry) == PrintJournal::Write::Failed)
        ShowMessageBox(journal_.FailureText(), MB_OK | MB_ICONEXCLAMATION);
}

void PrintWorker::Probe()
{
    Post([](ComponentApartment& apartment) {
        if (FAILED(apartment.Enter())) {
            ShowMessageBox(kOleFailedText, MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        try {
            const std::string problem = ProbeHostComponent(apartment, FindHost().monS3Ini);
            if (!problem.empty())
                ShowMessageBox(problem, MB_OK | MB_ICONEXCLAMATION);
        } catch (...) {
            ShowMessageBox("Databázovou komponentu MoneyS3 se nepodařilo vyzkoušet: " +
                               FailureText(std::current_exception()) + ".",
                           MB_OK | MB_ICONEXCLAMATION);
        }
    });
}

bool PrintWorker::Print(const AgendaConfig& config, PrintMode mode)
{
    if (PrintBusy.exchange(true))
        return false;
    try {
        auto copy = std::make_shared<AgendaConfig>();
        copy->CopySettings(config);
        Post([this, copy, mode](ComponentApartment& apartment) { RunPrint(apartment, *copy, mode); });
    } catch (...) {
        PrintBusy = false;
        throw;
    }
    return true;
}

std::string PrintWorker::SendingDocument() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return sending_;
}

void PrintWorker::SetSending(const DocumentJob* job)
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!job && sending_.empty())
            return;
        sending_ = job ? job->number : std::string();
    }
    Notify(WM_PRINTSENDING, job != nullptr);
}

void PrintWorker::RunPrint(ComponentApartment& apartment, AgendaConfig& config, PrintMode mode)
{
    // Whatever happens, the print ends here: PrintBusy is cleared, and then the main window
    // is told, which so finds it clear.
    struct Ended {
        PrintWorker& worker;
        ~Ended()
        {
            worker.SetSending(nullptr);
            PrintBusy = false;
            worker.Notify(WM_PRINTENDED, 0);
        }
    } ended{*this};
    // The apartment follows the registration, which may have changed since the last
    // request (start-up registered the component, say).
    if (FAILED(apartment.Enter())) {
        ShowMessageBox(kOleFailedText, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const char* stage = kPreparing;
    const SendingNotice sending = [this, &stage](const DocumentJob* job) {
        stage = kSending;
        SetSending(job);
    };
    try {
        // The picker, the question and every message of the print are shown by this
        // thread, as the print's own windows, without an owner on the main window's
        // thread; the question is system-modal and so stays on top of the host.
        if (mode == ChooseDocument)
            RunPicker(config, sending, stage);
        else
            PrintRequest(config, mode, {}, sending, BusyClaim::ByCaller, [this, mode](JournalEntry& entry) {
                Record(entry, mode == LastTaxDocument ? PrintOrigin::KeyF10 : PrintOrigin::KeyF11);
            });
    } catch (...) {
        // The print has ended cleanly on the way here: the port's job given up, the host's
        // tables released; PrintBusy is cleared with the request's end.
        ShowMessageBox(UnexpectedPrintFailure(stage), MB_OK | MB_ICONERROR);
    }
}

void PrintWorker::RunPicker(AgendaConfig& config, const SendingNotice& sending, const char*& stage)
{
    const AttemptNotice record = [this](JournalEntry& entry) { Record(entry, PrintOrigin::Picker); };
    stage = kChoosing;
    CDocPickerDlg picker(DocumentTablePath(config));
    picker.SetPreviewer([&](long id, DocumentJob& job) {
        stage = kPreviewing;
        const bool shown = PreviewDocument(config, id, job) == PrintOutcome::Printed;
        stage = kChoosing;
        return shown;
    });
    picker.SetPrintedLookup([&](const char* kind, const std::set<long>& ids, const SYSTEMTIME& since) {
        return journal_.LastPrinted(JournalKeyOf(config, kind), ids, since);
    });
    const DocumentRoute route = ChooseDocumentRoute(config.Port, config.Rezim);
    if (route.way == DocumentWay::Drawn)
        picker.SetDrawnQueue(route.queue);
    if (picker.DoModal() != IDOK)
        return;
    // What the preview showed is what is printed, not a new layout of the document.
    if (const DocumentJob* shown = picker.ShownDocument()) {
        PrintDocumentJob(config, *shown, sending, record);
        return;
    }
    const std::vector<long>& ids = picker.SelectedDocIds();
    const long count = long(ids.size());
    if (count > 1 && ShowMessageBox(FormatText("Vytisknout %ld %s?", count,
                                               CzechPlural(count, "doklad", "doklady", "dokladů")),
                                    MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL) != IDYES)
        return;
    // In the list's order; after a failure, which has been said, the rest is left.
    for (const long id : ids) {
        stage = kPreparing;
        const PrintOutcome outcome = PrintRequest(
            config, ChooseDocument,
            [id](const std::string&, long& docId) {
                docId = id;
                return true;
            },
            sending, BusyClaim::ByCaller, record);
        if (outcome == PrintOutcome::Failed)
            return;
    }
}
