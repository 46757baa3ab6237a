// The print request: one table instance per request, one layout call, and the one place
// (besides the picker) where failures of the host component are shown.
#include "print/PrintRequest.h"

#include "documents/Documents.h"
#include "documents/FieldValues.h"
#include "framework/FormatText.h"
#include "framework/MessageBox.h"

int PrintBusy = 0;

namespace {

// Clears PrintBusy on every way out of a request.
class BusyGuard {
public:
    BusyGuard() { PrintBusy = 1; }
    ~BusyGuard() { PrintBusy = 0; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;
};

bool Confirm(HostTable& table, const char* question)
{
    // A message box shows its text in the system's code page.
    std::string number = FieldString(table, "CisloDokla", CP_ACP);
    return ShowMessageBox(FormatText(question, number.c_str()), MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL) ==
           IDYES;
}

PrintOutcome PrintCurrent(AgendaConfig& config, HostTable& table, std::string* intoMemory)
{
    std::string kind = FieldString(table, "Typ");
    DocumentOutcome outcome;
    if (kind == DocKind::TaxDocument)
        outcome = PrintTaxDocumentPage(config, table, intoMemory);
    else if (kind == DocKind::DeliveryNote)
        outcome = PrintDeliveryNotePage(config, table, intoMemory);
    else
        return PrintOutcome::NothingPrinted;
    return outcome == DocumentOutcome::Printed ? PrintOutcome::Printed : PrintOutcome::Failed;
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
// out (false: nothing to do), whose layout then goes to the port or into memory. A host
// error anywhere in it is shown here.
PrintOutcome LayOutDocument(AgendaConfig& config, const std::function<bool(HostTable&)>& find,
                            std::string* intoMemory)
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
        return PrintCurrent(config, table, intoMemory);
    } catch (const HostError& error) {
        // Whatever was already sent stays on the page; no form feed follows it.
        ShowMessageBox(FormatText("Nastala chyba při přístupu k datům\n\n:%s", error.Text().c_str()), MB_OK);
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

PrintOutcome PrintRequest(AgendaConfig& config, PrintMode mode, const DocumentChooser& choose)
{
    if (PrintBusy)
        return PrintOutcome::NothingPrinted;
    BusyGuard busy;

    long docId = 0;
    if (mode == ChooseDocument && !(choose && choose(DocumentTablePath(config), docId)))
        return PrintOutcome::NothingPrinted;

    return LayOutDocument(
        config,
        [&](HostTable& table) {
            switch (mode) {
            case LastTaxDocument:
                return FindNewest(table, DocKind::TaxDocument) && Confirm(table, "Tisknout daňový doklad č. %s?");
            case LastDeliveryNote:
                return FindNewest(table, DocKind::DeliveryNote) && Confirm(table, "Tisknout dodací list č. %s?");
            case ChooseDocument:
                return FindChosen(table, docId);
            default:
                return false;
            }
        },
        nullptr);
}

PrintOutcome PreviewDocument(AgendaConfig& config, long docId, std::string& bytes)
{
    bytes.clear();
    return LayOutDocument(
        config, [docId](HostTable& table) { return FindChosen(table, docId); }, &bytes);
}
