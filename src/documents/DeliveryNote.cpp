// The delivery note: title, parties, issue date, the delivered items with their stock-card
// notes, the weighing sentence, the handover signatures and who printed it.
#include "config/AgendaConfig.h"
#include "documents/DocumentBlocks.h"
#include "documents/Documents.h"
#include "documents/FieldValues.h"
#include "documents/ItemScan.h"
#include "framework/FormatText.h"
#include "framework/MessageBox.h"

namespace {

// 101 characters: each heading word ends where its column's values end.
const char kItemHeading[] =
    "Označení dodávky                                  Katalogové označení            Počet M.J.      M.J.";

}  // namespace

void PrintDeliveryNoteTitle(CPrinterEpson& printer, int /*page*/)
{
    printer.SetMode(static_cast<unsigned char>(printer.Mode | 0x20));
    printer.PrintLine(FormatText("DODACÍ LIST         %20.20s", CurrentDocNumber.c_str()));
    printer.SetMode(static_cast<unsigned char>(printer.Mode & 0xDF));
    PrintRule(printer);
}

void PrintDeliveryNotePage(AgendaConfig& config, HostTable& table, DocumentPage& page)
{
    CPrinterEpson printer(5, 6);
    OpenDocumentPrinter(printer, table, PrintDeliveryNoteTitle, "dodací list", page);

    PrintPartyBlock(printer, config, table, "Prodávající:", "Kupující:", true);
    std::string issued = FieldText(table, "Datum ");
    printer.PrintLine(FormatText("Datum vystavení: %s", issued.c_str()));
    PrintRule(printer);
    printer.NewLines(1);

    printer.SetMode(static_cast<unsigned char>(printer.Mode | 0x04));
    printer.PrintLine(kItemHeading);
    PrintRule(printer);
    ScanItems(config, table, [&](HostTable& items) {
        std::string unit = FieldText(items, "MJ");
        std::string catalogue = FieldText(items, "Katalog");
        std::string name = FieldText(items, "Nazev");
        std::string quantity = FormatMoney(FieldAmount(items, "PocetMJ"), 100, 'M');
        printer.PrintLine(FormatText("%-50.50s%-29.29s%12.12s%10.10s", name.c_str(), catalogue.c_str(),
                                     quantity.c_str(), unit.c_str()));
        PrintNoteLine(printer, config, items);
    });
    PrintRule(printer);
    printer.SetMode(static_cast<unsigned char>(printer.Mode & 0xFB));
    printer.NewLines(3);

    printer.SetMode(static_cast<unsigned char>(printer.Mode | 0x08));
    printer.PrintCentred("Tento dodací list slouží zároveň jako vážní list");
    printer.SetMode(static_cast<unsigned char>(printer.Mode & 0xF7));
    printer.NewLines(2);
    printer.PrintLine(FormatText("%20.20s ...................%20.20s ...................", "Předal",
                                 "Jméno příjemce"));
    printer.NewLines(1);
    printer.PrintLine(FormatText("%20.20s ...................%20.20s ...................",
                                 "Datum převzetí zboží", "Identifikace"));
    printer.NewLines(1);
    printer.PrintLine(FormatText("%60.60s ...................", "Podpis"));

    PrintFooter(printer, table);
}

void AgendaConfig::PrintDeliveryNote(HostTable& table)
{
    DocumentPage page;
    PrintDeliveryNotePage(*this, table, page);
    std::string failure;
    if (!SendDocumentPage(*this, page.jobName, page.bytes, KopieDodaciList, failure))
        ShowMessageBox(failure, MB_OK | MB_ICONERROR);
}
