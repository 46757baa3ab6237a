// The opening with the party block, the title, the item table and the footer of both
// printed documents.
#include "documents/DocumentBlocks.h"

#include "documents/Documents.h"
#include "documents/FieldValues.h"
#include "documents/ItemScan.h"
#include "framework/FormatText.h"
#include "printer/AmountFormat.h"
#include "printer/MemoryPort.h"

std::string CurrentDocNumber;

namespace {

void PrintPartyBlock(CPrinterEpson& printer, const AgendaConfig& config, HostTable& document,
                     const DocumentLayout& head)
{
    printer.ModeOn(kEscpEmphasized | kEscpDoubleStrike);
    printer.PrintLine(FormatText("%-40.40s%-40.40s", head.sellerHeading, head.buyerHeading));
    printer.SetMode(static_cast<unsigned char>((printer.Mode & ~kEscpEmphasized) | kEscpDoubleStrike));

    std::string buyer = FieldText(document, "O_NazevOb");
    printer.PrintLine(FormatText("%-40.40s%-40.40s", config.Nazev.c_str(), buyer.c_str()));
    buyer = FieldText(document, "O_UliceOb");
    printer.PrintLine(FormatText("%-40.40s%-40.40s", config.Ulice.c_str(), buyer.c_str()));
    std::string buyerPostcode = FieldText(document, "O_PscOb");
    std::string buyerTown = FieldText(document, "O_MestoOb");
    std::string seller = FormatText("%s %s", config.PSC.c_str(), config.Mesto.c_str());
    buyer = FormatText("%s %s", buyerPostcode.c_str(), buyerTown.c_str());
    printer.PrintLine(FormatText("%-40.40s%-40.40s", seller.c_str(), buyer.c_str()));
    printer.PrintLine(FormatText("Tel: %-35.35s", config.Tel.c_str()));
    printer.PrintLine(FormatText("Fax: %-35.35s", config.Fax.c_str()));
    buyer = FieldText(document, "A_ICO");
    printer.PrintLine(FormatText("IČO: %-35.35sIČO: %-35.35s", config.ICO.c_str(), buyer.c_str()));
    buyer = FieldText(document, "A_DIC");
    printer.PrintLine(FormatText("DIČ: %-35.35sDIČ: %-35.35s", config.DIC.c_str(), buyer.c_str()));
    if (head.withRecipient) {
        std::string recipient = FieldText(document, "K_Jmeno");
        printer.PrintLine(FormatText("Příjemce: %-30.30s", recipient.c_str()));
    }

    std::vector<std::string> pieces = RegistrationPieces(config.RegCislo);
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (i == 0)
            printer.PrintLine(FormatText("Reg. č.: %-.31s", pieces[i].c_str()));
        else
            printer.PrintLine(FormatText("%-.40s", pieces[i].c_str()));
    }
    PrintRule(printer);
}

void PrintFooter(CPrinterEpson& printer, HostTable& document)
{
    printer.NewLines(2);
    std::string who = FieldString(document, "Vystavil");
    if (!who.empty())
        who += ", ";
    SYSTEMTIME now;
    GetLocalTime(&now);
    DateValue today;
    SystemTimeToVariantTime(&now, &today.date);
    printer.PrintLine(FormatText("Vytiskl (a): %s%s", who.c_str(), FormatDate(today).c_str()));
    printer.Close();
}

}  // namespace

void LayOutDocument(const AgendaConfig& config, HostTable& document, const DocumentLayout& layout, DocumentJob& job)
{
    CPrinterEpson printer(kCharTablePc852, kDocumentPageInches);
    CurrentDocNumber = FieldString(document, "CisloDokla");
    job.name = FormatText("Quillet – %s %s", layout.jobKind, CurrentDocNumber.c_str());
    job.number = CurrentDocNumber;
    job.bytes.clear();
    printer.SetPageCallback(layout.title);
    printer.Open(OpenMemoryPort(job.bytes));
    PrintPartyBlock(printer, config, document, layout);
    layout.body(printer, config, document);
    PrintFooter(printer, document);
}

void PrintTitle(CPrinterEpson& printer, const std::string& line)
{
    printer.ModeOn(kEscpDoubleWidth);
    printer.PrintLine(line);
    printer.ModeOff(kEscpDoubleWidth);
    PrintRule(printer);
}

void PrintItemTable(CPrinterEpson& printer, const AgendaConfig& config, HostTable& document, const char* heading,
                    const std::function<void(HostTable& items)>& printRow)
{
    PrintRule(printer);
    printer.NewLines(1);
    printer.ModeOn(kEscpCondensed);
    printer.PrintLine(heading);
    PrintRule(printer);
    ScanItems(config, document, [&](HostTable& items, StockCardNotes& cards) {
        printRow(items);
        // The note line follows every row, also when the note is empty.
        long card = FieldInteger(items, "CKmenKarty");
        std::string note = cards.Note(card);
        printer.PrintLine(FormatText("   %s", note.c_str()));
    });
    PrintRule(printer);
}

std::vector<std::string> RegistrationPieces(const std::string& text)
{
    std::vector<std::string> pieces;
    const size_t length = text.size();
    size_t start = 0;
    do {
        const size_t window = pieces.empty() ? 31 : 40;
        size_t count = 0;
        if (start + window >= length) {
            count = length - start;
        } else {
            // The space found stays for the next piece, which then begins with it.
            for (size_t at = start + window; at > start; --at) {
                if (text[at] == ' ') {
                    count = at - start;
                    break;
                }
            }
            // A run without a space fills the window and goes on in the next piece.
            if (count == 0)
                count = window;
        }
        pieces.push_back(text.substr(start, count));
        start += count;
    } while (start < length);
    return pieces;
}

void PrintRule(CPrinterEpson& printer)
{
    printer.PrintLine(std::string(printer.LineWidth, '-'));
}
