// The delivery note: title, parties, issue date, the delivered items with their stock-card
// notes, the weighing sentence, the handover signatures and who printed it.
#include "config/AgendaConfig.h"
#include "documents/DocumentBlocks.h"
#include "documents/Documents.h"
#include "documents/FieldValues.h"
#include "framework/FormatText.h"

namespace {

// 101 characters: each heading word ends where its column's values end.
const char kItemHeading[] =
    "Označení dodávky                                  Katalogové označení            Počet M.J.      M.J.";

void PrintDeliveryNoteBody(CPrinterEpson& printer, const AgendaConfig& config, HostTable& table)
{
    std::string issued = FieldText(table, "Datum ");
    printer.PrintLine(FormatText("Datum vystavení: %s", issued.c_str()));

    PrintItemTable(printer, config, table, kItemHeading, [&](HostTable& items) {
        std::string unit = FieldText(items, "MJ");
        std::string catalogue = FieldText(items, "Katalog");
        std::string name = FieldText(items, "Nazev");
        std::string quantity = FormatMoney(FieldAmount(items, "PocetMJ"), 100, 'M');
        printer.PrintLine(FormatText("%-50.50s%-29.29s%12.12s%10.10s", name.c_str(), catalogue.c_str(),
                                     quantity.c_str(), unit.c_str()));
    });
    printer.ModeOff(kEscpCondensed);
    printer.NewLines(3);

    printer.ModeOn(kEscpEmphasized);
    printer.PrintCentred("Tento dodací list slouží zároveň jako vážní list");
    printer.ModeOff(kEscpEmphasized);
    printer.NewLines(2);
    printer.PrintLine(FormatText("%20.20s ...................%20.20s ...................", "Předal",
                                 "Jméno příjemce"));
    printer.NewLines(1);
    printer.PrintLine(FormatText("%20.20s ...................%20.20s ...................",
                                 "Datum převzetí zboží", "Identifikace"));
    printer.NewLines(1);
    printer.PrintLine(FormatText("%60.60s ...................", "Podpis"));
}

const DocumentLayout kLayout = {PrintDeliveryNoteTitle, "dodací list", "Prodávající:", "Kupující:", true,
                                 PrintDeliveryNoteBody};

}  // namespace

void PrintDeliveryNoteTitle(CPrinterEpson& printer, int /*page*/)
{
    PrintTitle(printer, FormatText("DODACÍ LIST         %20.20s", CurrentDocNumber.c_str()));
}

void LayOutDeliveryNote(const AgendaConfig& config, HostTable& table, DocumentJob& job)
{
    LayOutDocument(config, table, kLayout, job);
}
