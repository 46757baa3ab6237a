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

PrintOutcome PrintCurrent(AgendaConfig& config, HostTable& table)
{
    std::string kind = FieldString(table, "Typ");
    DocumentOutcome outcome;
    if (kind == DocKind::TaxDocument)
        outcome = PrintTaxDocumentPage(config, table);
    else if (kind == DocKind::DeliveryNote)
        outcome = PrintDeliveryNotePage(config, table);
    else
        return PrintOutcome::NothingPrinted;
    return outcome == DocumentOutcome::Printed ? PrintOutcome::Printed : PrintOutcome::Failed;
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
    const std::string path = config.YearDir + "\\SkSezDok";

    long docId = 0;
    if (mode == ChooseDocument && !(choose && choose(path, docId)))
        return PrintOutcome::NothingPrinted;

    HostTable table;
    try {
        table = CreateHostTable();
        table.OpenTable(path);
        if (table.RecordCount() < 1)
            return PrintOutcome::NothingPrinted;
        table.SetIndex("CDokladu");
        switch (mode) {
        case LastTaxDocument:
            if (!FindNewest(table, DocKind::TaxDocument) || !Confirm(table, "Tisknout daňový doklad č. %s?"))
                return PrintOutcome::NothingPrinted;
            break;
        case LastDeliveryNote:
            if (!FindNewest(table, DocKind::DeliveryNote) || !Confirm(table, "Tisknout dodací list č. %s?"))
                return PrintOutcome::NothingPrinted;
            break;
        case ChooseDocument:
            if (table.Seek(docId) != kMon2kSeekFound)
                return PrintOutcome::NothingPrinted;
            break;
        default:
            return PrintOutcome::NothingPrinted;
        }
        return PrintCurrent(config, table);
    } catch (const HostError& error) {
        // Whatever was already sent stays on the page; no form feed follows it.
        ShowMessageBox(FormatText("Nastala chyba při přístupu k datům\n\n:%s", error.Text().c_str()), MB_OK);
        table.Release();
        return PrintOutcome::Failed;
    }
}
