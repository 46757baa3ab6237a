// Automatic printing: the year's folder is watched by a change notification and, where that
// does not come (a share), by a look at its two tables' files each second; the document
// table is read only when its file has changed, from its newest record back to the newest
// seen, so that watching costs nothing while nothing happens, however big the year.
#include "print/DocumentWatch.h"

#include <algorithm>

#include "documents/FieldValues.h"
#include "framework/FailureText.h"
#include "framework/FormatText.h"
#include "framework/MessageBox.h"
#include "framework/WideText.h"
#include "host/ComponentApartment.h"

namespace {

// The host writes a document's header first and its rows after it: a document is whole
// once the item table has not changed for this long.
constexpr DWORD kWholeAfterMs = 3000;
// A document without any row is waited for this long, then printed as it is.
constexpr DWORD kRowsAwaitedMs = 60000;
// The tables' files are looked at this often when no notification comes.
constexpr DWORD kLookEveryMs = 1000;
// After the document table could not be read.
constexpr DWORD kRetryMs = 5000;

const char kCameWhileStopped[] = "přibyl, když Quillet neběžel";
const char kPrintedBefore[] = "už byl vytištěn";

std::wstring Trimmed(const std::string& text)
{
    std::wstring wide = ToWide(text);
    const size_t first = wide.find_first_not_of(L' ');
    return first == std::wstring::npos ? std::wstring() : wide.substr(first, wide.find_last_not_of(L' ') - first + 1);
}

bool Elapsed(DWORD now, DWORD since, DWORD span)
{
    return now - since >= span;  // tick counts wrap; their difference does not
}

}  // namespace

std::string UnprintedText(long count)
{
    return FormatText("%ld %s – F9", count,
                      CzechPlural(count, "nový doklad nebyl vytištěn", "nové doklady nebyly vytištěny",
                                  "nových dokladů nebylo vytištěno"));
}

DocumentWatch::DocumentWatch(PrintJournal& journal, Notice notice) : journal_(journal), notice_(std::move(notice))
{
}

DocumentWatch::~DocumentWatch()
{
    if (folderChanged_)
        FindCloseChangeNotification(folderChanged_);
}

bool DocumentWatch::Watching() const
{
    return (kinds_[0].on || kinds_[1].on) && !config_.YearDir.empty();
}

DocumentWatch::FileStamp DocumentWatch::StampOf(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    FileStamp stamp;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return stamp;
    stamp.known = true;
    stamp.size = (ULONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.written = (ULONGLONG(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    return stamp;
}

void DocumentWatch::WatchFolder()
{
    if (folderChanged_)
        FindCloseChangeNotification(folderChanged_);
    folderChanged_ = nullptr;
    if (!Watching())
        return;
    const HANDLE handle = FindFirstChangeNotificationA(
        config_.YearDir.c_str(), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
    // Without one (a share whose server gives none) the look each second does.
    folderChanged_ = handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

JournalEntry DocumentWatch::Entry(size_t kind, PrintResult result) const
{
    JournalEntry entry;
    entry.key = JournalKeyOf(config_, kinds_[kind].typ);
    entry.port = config_.Port;
    entry.copies = kind == 0 ? config_.KopieDanovyDoklad : config_.KopieDodaciList;
    entry.origin = PrintOrigin::Automatic;
    entry.result = result;
    return entry;
}

void DocumentWatch::Record(JournalEntry& entry)
{
    entry.origin = PrintOrigin::Automatic;
    if (journal_.Record(entry) == PrintJournal::Write::Failed)
        notice_(journal_.FailureText());
}

void DocumentWatch::Problem(const std::string& text)
{
    if (!failing_)
        notice_("Automatický tisk nemůže číst doklady: " + text);
    failing_ = true;
}

bool DocumentWatch::Chosen(const std::string& vystavil) const
{
    const std::wstring wanted = Trimmed(config_.AutoTiskVystavil), issuer = Trimmed(vystavil);
    return wanted.empty() || CompareStringOrdinal(wanted.c_str(), int(wanted.size()), issuer.c_str(),
                                                  int(issuer.size()), TRUE) == CSTR_EQUAL;
}

void DocumentWatch::Configure(const AgendaConfig& config, ComponentApartment& apartment)
{
    const bool atStart = !configured_;
    configured_ = true;
    const bool moved = config.AgendaDir != config_.AgendaDir || config.YearDir != config_.YearDir;
    const bool on[2] = {config.AutoTiskDanovyDoklad, config.AutoTiskDodaciList};
    for (size_t k = 0; k < 2; ++k) {
        if (kinds_[k].on && (moved || !on[k])) {
            JournalEntry ended = Entry(k, PrintResult::WatchEnded);
            ended.id = lastSeen_;
            Record(ended);
            pending_.erase(std::remove_if(pending_.begin(), pending_.end(),
                                          [k](const Pending& p) { return p.kind == k; }),
                           pending_.end());
        }
        kinds_[k].starting = on[k] && (moved || !kinds_[k].on || kinds_[k].starting);
        kinds_[k].atStart = kinds_[k].starting && (atStart || kinds_[k].atStart);
        kinds_[k].on = on[k];
    }
    config_.CopySettings(config);
    if (moved) {
        established_ = false;
        pending_.clear();
        printedElsewhere_.clear();
        documents_ = items_ = FileStamp{};
    }
    if (moved || !Watching() || !folderChanged_)
        WatchFolder();
    if (!Watching())
        return;
    apartment_ = &apartment;
    Begin();
}

void DocumentWatch::EnterApartment()
{
    // The registration may have changed since the last call (start-up registered the
    // component, say).
    if (FAILED(apartment_->Enter()))
        throw HostError(CO_E_NOTINITIALIZED, std::string(kOleFailedText));
}

bool DocumentWatch::Begin()
{
    if (established_ && !kinds_[0].starting && !kinds_[1].starting)
        return true;
    try {
        EnterApartment();
        const FileStamp documents = StampOf(DocumentTablePath(config_) + ".dbf");
        HostTable table = CreateHostTable();
        table.OpenRequiredTable(DocumentTablePath(config_));
        table.SetIndex("CDokladu");
        long newest = 0;
        if (table.RecordCount() > 0) {
            table.MoveLast();
            newest = FieldInteger(table, "CDokladu");
        }
        if (!established_) {
            lastSeen_ = newest;
            documents_ = documents;
            established_ = true;
        }
        long missed = 0;
        for (size_t k = 0; k < 2; ++k) {
            Kind& kind = kinds_[k];
            if (!kind.starting)
                continue;
            // What is there now is not new; documents between the newest seen and now are
            // found by the next look, and are new only to the kinds watched before.
            kind.floor = newest;
            if (kind.atStart) {
                const AutomaticHistory history = journal_.Automatic(Entry(k, PrintResult::WatchStarted).key);
                if (history.watched)
                    missed += RecordMissed(table, k, history);
            }
            JournalEntry started = Entry(k, PrintResult::WatchStarted);
            started.id = newest;
            Record(started);
            kind.starting = kind.atStart = false;
        }
        failing_ = false;
        if (missed > 0)
            notice_(UnprintedText(missed));
        return true;
    } catch (const HostError& error) {
        Problem(error.Text());
        return false;
    }
}

long DocumentWatch::RecordMissed(HostTable& table, size_t kind, const AutomaticHistory& history)
{
    std::vector<JournalEntry> missed;
    table.MoveLast();
    for (long left = table.RecordCount(); left > 0; --left) {
        const long id = FieldInteger(table, "CDokladu");
        if (id <= history.newestId)
            break;
        if (FieldString(table, "Typ") == kinds_[kind].typ && Chosen(FieldString(table, "Vystavil")) &&
            !history.printed.count(id)) {
            JournalEntry entry = Entry(kind, PrintResult::NotPrinted);
            entry.id = id;
            entry.number = FieldString(table, "CisloDokla");
            entry.reason = kCameWhileStopped;
            missed.push_back(entry);
        }
        if (!table.MovePrev())
            break;
    }
    for (auto entry = missed.rbegin(); entry != missed.rend(); ++entry)
        Record(*entry);
    return long(missed.size());
}

void DocumentWatch::FindNew(DWORD now)
{
    HostTable table = CreateHostTable();
    table.OpenRequiredTable(DocumentTablePath(config_));
    table.SetIndex("CDokladu");
    if (table.RecordCount() < 1)
        return;
    std::vector<Pending> found;
    table.MoveLast();
    long newest = lastSeen_;
    for (long left = table.RecordCount(); left > 0; --left) {
        const long id = FieldInteger(table, "CDokladu");
        if (id <= lastSeen_)
            break;
        newest = std::max(newest, id);
        const std::string typ = FieldString(table, "Typ");
        for (size_t k = 0; k < 2; ++k) {
            if (kinds_[k].on && typ == kinds_[k].typ && id > kinds_[k].floor && Chosen(FieldString(table, "Vystavil")))
                found.push_back({id, k, FieldString(table, "CisloDokla"), now});
        }
        if (!table.MovePrev())
            break;
    }
    pending_.insert(pending_.end(), found.rbegin(), found.rend());
    lastSeen_ = newest;
}

bool DocumentWatch::HasRows(long id)
{
    HostTable items = CreateHostTable();
    items.OpenRequiredTable(config_.YearDir + "SkSezPol");
    items.SetIndex("CDokladu");
    return items.Seek(id) == kMon2kSeekFound;
}

DWORD DocumentWatch::Wait() const
{
    if (!Watching())
        return INFINITE;
    if (failing_)
        return kRetryMs;
    if (pending_.empty())
        return kLookEveryMs;
    const DWORD now = GetTickCount();
    const DWORD quietFor = std::min(now - pending_.front().seen, now - itemsChanged_);
    return quietFor < kWholeAfterMs ? std::min(kLookEveryMs, kWholeAfterMs - quietFor) : kLookEveryMs;
}

void DocumentWatch::Look(ComponentApartment& apartment, const SendingNotice& sending, const std::function<bool()>& stop)
{
    if (!Watching())
        return;
    // Armed again before the tables are looked at, so that no change after the look is
    // missed. One that cannot be (the folder is gone) would stay signalled: the look each
    // second does instead.
    if (folderChanged_ && !FindNextChangeNotification(folderChanged_)) {
        FindCloseChangeNotification(folderChanged_);
        folderChanged_ = nullptr;
    }
    apartment_ = &apartment;
    if (!Begin())
        return;
    const DWORD now = GetTickCount();
    const FileStamp items = StampOf(config_.YearDir + "SkSezPol.dbf");
    if (items != items_) {
        items_ = items;
        itemsChanged_ = now;
    }
    const FileStamp documents = StampOf(DocumentTablePath(config_) + ".dbf");
    long unprinted = 0;
    try {
        // A table whose file cannot be looked at is read every time.
        if (documents != documents_ || !documents.known) {
            EnterApartment();
            FindNew(now);
            documents_ = documents;
        }
        failing_ = false;
        while (!pending_.empty() && !stop()) {
            const Pending document = pending_.front();
            if (!Elapsed(now, document.seen, kWholeAfterMs) || !Elapsed(now, itemsChanged_, kWholeAfterMs))
                break;
            if (!HasRows(document.id) && !Elapsed(now, document.seen, kRowsAwaitedMs))
                break;
            pending_.erase(pending_.begin());
            unprinted += !PrintOne(document, sending);
        }
    } catch (const HostError& error) {
        Problem(error.Text());
    }
    if (unprinted > 0)
        notice_(UnprintedText(unprinted));
}

bool DocumentWatch::PrintOne(const Pending& document, const SendingNotice& sending)
{
    JournalEntry entry = Entry(document.kind, PrintResult::NotPrinted);
    entry.id = document.id;
    entry.number = document.number;
    if (printedElsewhere_.count(document.id)) {
        entry.reason = kPrintedBefore;
        Record(entry);
        return true;
    }
    // Nobody waits for it: whatever a print would ask or show is kept for the journal.
    const MessageBoxCapture shown;
    bool attempted = false;
    PrintOutcome outcome = PrintOutcome::NothingPrinted;
    try {
        outcome = PrintRequest(
            config_, ChooseDocument,
            [&document](const std::string&, long& docId) {
                docId = document.id;
                return true;
            },
            sending, BusyClaim::Unclaimed, [&](JournalEntry& attempt) {
                entry = attempt;
                attempted = true;
            });
    } catch (...) {
        outcome = PrintOutcome::Failed;
        attempted = false;
        entry.result = PrintResult::Failed;
        entry.reason = "Tisk se nepodařil: " + FailureText(std::current_exception());
    }
    if (!attempted && entry.reason.empty()) {
        for (const std::string& text : shown.Texts())
            entry.reason += (entry.reason.empty() ? "" : " ") + text;
        if (outcome == PrintOutcome::Failed)
            entry.result = PrintResult::Failed;
    }
    Record(entry);
    return entry.result == PrintResult::Printed;
}

void DocumentWatch::Printed(const JournalEntry& entry)
{
    const JournalKey ours = JournalKeyOf(config_, entry.key.kind);
    if (entry.result == PrintResult::Printed && entry.key.agenda == ours.agenda && entry.key.year == ours.year)
        printedElsewhere_.insert(entry.id);
}
