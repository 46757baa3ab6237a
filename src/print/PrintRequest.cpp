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

// Printed when the current record's document is laid out whole into job.
PrintOutcome LayOutCurrent(AgendaConfig& config, HostTable& table, DocumentJob& job)
{
    std::string kind = FieldString(table, "Typ");
    // Laid out aside: a host error midway leaves job as it was.
    DocumentJob laidOut;
    if (kind == DocKind::TaxDocument)
        LayOutTaxDocument(config, table, laidOut);
    else if (kind == DocKind::DeliveryNote)
        LayOutDeliveryNote(config, table, laidOut);
    else
        return PrintOutcome::NothingPrinted;
    laidOut.copies = kind == DocKind::TaxDocument ? config.KopieDanovyDoklad : config.KopieDodaciList;
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

std::string DocumentTablePath(const AgendaConfig& config)
{
    // YearDir ends in its backslash.
    return config.YearDir + "SkSezDok";
}

// One table instance on the document table: find positions it on the document to lay
// out (false: nothing to do), whose layout then goes into job; Printed when it is there
// whole. A host error anywhere in it is shown here.
PrintOutcome FindAndLayOut(AgendaConfig& config, const std::function<bool(HostTable&)>& find, DocumentJob& job)
{
    HostTable table;
    try {
        table = CreateHostTable();
        table.OpenRequiredTable(DocumentTablePath(config));
        if (table.RecordCount() < 1)
            return PrintOutcome::NothingPrinted;
        table.SetIndex("CDokladu");
        if (!find(table))
            return PrintOutcome::NothingPrinted;
        return LayOutCurrent(config, table, job);
    } catch (const HostError& error) {
        // Nothing has gone to the printer: a document is sent only once it is laid out whole.
        ShowDataError(error);
        table.Release();
        return PrintOutcome::Failed;
    }
}

}  // namespace

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
                          const SendingNotice& sending, BusyClaim busy)
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
        job);
    if (laidOut != PrintOutcome::Printed)
        return laidOut;
    return PrintDocumentJob(config, job, sending);
}

PrintOutcome PrintDocumentJob(const AgendaConfig& config, const DocumentJob& job, const SendingNotice& sending)
{
    if (sending)
        sending(&job);
    std::string failure;
    const bool sent = SendDocument(config, job, failure);
    if (sending)
        sending(nullptr);
    if (sent)
        return PrintOutcome::Printed;
    ShowMessageBox(failure, MB_OK | MB_ICONERROR);
    return PrintOutcome::Failed;
}

PrintOutcome PreviewDocument(AgendaConfig& config, long docId, DocumentJob& job)
{
    job = DocumentJob{};
    return FindAndLayOut(
        config, [docId](HostTable& table) { return FindChosen(table, docId); }, job);
}
