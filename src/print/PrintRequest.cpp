// The print request: one table instance per request, one layout call into memory, then
// the whole document to the printer. A print's failures of the host component and of the
// printer are shown here; the picker shows those of its own list.
#include "print/PrintRequest.h"

#include <utility>

#include "documents/Documents.h"
#include "documents/FieldValues.h"
#include "framework/MessageBox.h"
#include "framework/WideText.h"
#include "print/DataError.h"

std::atomic<bool> PrintBusy{false};

namespace {

// Clears PrintBusy on every way out of a request that set it.
class BusyGuard {
public:
    explicit BusyGuard(bool held) : held_(held) {}
    ~BusyGuard()
    {
        if (held_)
            PrintBusy = false;
    }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    bool held_;
};

// question ends where the document's number goes; the number is shown as the host gave it.
bool Confirm(HostTable& table, const char* question)
{
    return ShowMessageBox(ToWide(question) + FieldShownText(table, "CisloDokla") + L"?",
                          MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL) == IDYES;
}

// Printed when the current record's document, found (its kind and id read), is laid out
// whole into job.
PrintOutcome LayOutCurrent(AgendaConfig& config, HostTable& table, const DocumentJob& found, DocumentJob& job)
{
    // Laid out aside: a host error midway leaves job as it was.
    DocumentJob laidOut;
    if (found.kind == DocKind::TaxDocument)
        LayOutTaxDocument(config, table, laidOut);
    else if (found.kind == DocKind::DeliveryNote)
        LayOutDeliveryNote(config, table, laidOut);
    else
        return PrintOutcome::NothingPrinted;
    laidOut.copies = found.kind == DocKind::TaxDocument ? config.KopieDanovyDoklad : config.KopieDodaciList;
    laidOut.kind = found.kind;
    laidOut.id = found.id;
    job = std::move(laidOut);
    return PrintOutcome::Printed;
}

// The document chosen in the picker, found again; the list may be older than the table.
bool FindChosen(HostTable& table, long docId)
{
    if (table.Seek(docId) == kMon2kSeekFound)
        return true;
    ShowMessageBox("Vybraný doklad už v MoneyS3 není, mezitím byl smazán.", MB_OK | MB_ICONEXCLAMATION);
    return false;
}

// The attempt to print job, or the document found for it, as its line of the journal.
JournalEntry AttemptEntry(const AgendaConfig& config, const DocumentJob& job, DocumentWay way, bool printed,
                          const std::string& failure)
{
    JournalEntry entry;
    entry.key = JournalKeyOf(config, job.kind);
    entry.number = job.number;
    entry.id = job.id;
    entry.port = config.Port;
    entry.way = way == DocumentWay::Raw ? PrintWay::Escp : way == DocumentWay::Drawn ? PrintWay::Drawn : PrintWay::None;
    entry.copies = job.copies;
    entry.result = printed ? PrintResult::Printed : PrintResult::Failed;
    entry.reason = failure;
    return entry;
}

// One table instance on the document table: find positions it on the document to lay
// out (false: nothing to do), whose layout then goes into job; Printed when it is there
// whole. A host error anywhere in it is shown here, and once the document was found, it
// is an attempt to print it that failed.
PrintOutcome FindAndLayOut(AgendaConfig& config, const std::function<bool(HostTable&)>& find, DocumentJob& job,
                           const AttemptNotice& attempted = {})
{
    HostTable table;
    DocumentJob found;
    bool isFound = false;
    try {
        table = CreateHostTable();
        table.OpenRequiredTable(DocumentTablePath(config));
        if (table.RecordCount() < 1)
            return PrintOutcome::NothingPrinted;
        table.SetIndex("CDokladu");
        if (!find(table))
            return PrintOutcome::NothingPrinted;
        isFound = true;
        found.kind = FieldString(table, "Typ");
        found.id = FieldInteger(table, "CDokladu");
        found.number = FieldString(table, "CisloDokla");
        return LayOutCurrent(config, table, found, job);
    } catch (const HostError& error) {
        // Nothing has gone to the printer: a document is sent only once it is laid out whole.
        ShowDataError(error);
        table.Release();
        if (isFound && attempted) {
            JournalEntry entry = AttemptEntry(config, found, DocumentWay::Refused, false,
                                              "Nastala chyba při přístupu k datům: " + error.Text());
            attempted(entry);
        }
        return PrintOutcome::Failed;
    }
}

}  // namespace

std::string DocumentTablePath(const AgendaConfig& config)
{
    // YearDir ends in its backslash.
    return config.YearDir + "SkSezDok";
}

JournalKey JournalKeyOf(const AgendaConfig& config, const std::string& kind)
{
    const auto lastFolder = [](const std::string& dir) {
        const std::string folder = dir.substr(0, dir.find_last_not_of('\\') + 1);
        return folder.substr(folder.find_last_of('\\') + 1);
    };
    return {lastFolder(config.AgendaDir), lastFolder(config.YearDir), kind};
}

bool FindNewest(HostTable& table, const char* kind)
{
    table.MoveLast();
    long remaining = table.RecordCount();
    while (remaining > 0) {
        if (FieldString(table, "Typ") == kind)
            return true;
        table.MovePrev();
        --remaining;
    }
    return false;
}

PrintOutcome PrintRequest(AgendaConfig& config, PrintMode mode, const DocumentChooser& choose,
                          const SendingNotice& sending, BusyClaim busy, const AttemptNotice& attempted)
{
    if (busy == BusyClaim::ByRequest && PrintBusy.exchange(true))
        return PrintOutcome::NothingPrinted;
    const BusyGuard clear(busy == BusyClaim::ByRequest);

    long docId = 0;
    if (mode == ChooseDocument && !(choose && choose(DocumentTablePath(config), docId)))
        return PrintOutcome::NothingPrinted;

    DocumentJob job;
    const PrintOutcome laidOut = FindAndLayOut(
        config,
        [&](HostTable& table) {
            switch (mode) {
            case LastTaxDocument:
                return FindNewest(table, DocKind::TaxDocument) && Confirm(table, "Tisknout daňový doklad č. ");
            case LastDeliveryNote:
                return FindNewest(table, DocKind::DeliveryNote) && Confirm(table, "Tisknout dodací list č. ");
            case ChooseDocument:
                return FindChosen(table, docId);
            default:
                return false;
            }
        },
        job, attempted);
    if (laidOut != PrintOutcome::Printed)
        return laidOut;
    return PrintDocumentJob(config, job, sending, attempted);
}

PrintOutcome PrintDocumentJob(const AgendaConfig& config, const DocumentJob& job, const SendingNotice& sending,
                              const AttemptNotice& attempted)
{
    if (sending)
        sending(&job);
    std::string failure;
    DocumentWay way = DocumentWay::Refused;
    const bool sent = SendDocument(config, job, failure, &way);
    if (sending)
        sending(nullptr);
    if (!sent)
        ShowMessageBox(failure, MB_OK | MB_ICONERROR);
    if (attempted) {
        JournalEntry entry = AttemptEntry(config, job, way, sent, failure);
        attempted(entry);
    }
    return sent ? PrintOutcome::Printed : PrintOutcome::Failed;
}

PrintOutcome PreviewDocument(AgendaConfig& config, long docId, DocumentJob& job)
{
    job = DocumentJob{};
    return FindAndLayOut(
        config, [docId](HostTable& table) { return FindChosen(table, docId); }, job);
}
