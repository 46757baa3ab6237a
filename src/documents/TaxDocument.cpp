// The cash tax document: title, parties, dates, the items with unit price, rate and line
// amounts, the agreement sentence, the VAT recapitulation from the header and the total.
#include "config/AgendaConfig.h"
#include "documents/AmountArithmetic.h"
#include "documents/DocumentBlocks.h"
#include "documents/Documents.h"
#include "documents/FieldValues.h"
#include "framework/FormatText.h"

namespace {

// 137 characters: each heading word stands over its column.
const char kItemHeading[] =
    "Označení dodávky                        Katalogové označení            Počet M.J.      M.J.   "
    "Cena/M.J.     DPH %     bez DPH       s DPH";

const char kRecapRule[] = "------------------------------------------------------------------";

// Every amount of this document is printed to hundredths, halves away from zero.
std::string Money(const Amount& amount)
{
    return FormatMoney(amount, 100, 'M');
}

void PrintItemRow(CPrinterEpson& printer, HostTable& items)
{
    Amount quantity = FieldAmount(items, "PocetMJ");
    Amount price = FieldAmount(items, "Cena");
    Amount rate = FieldAmount(items, "DPH");
    Amount net = MultiplyChecked(quantity, price, "PocetMJ × Cena");
    Amount factor = AddAmounts(DivideAmount(rate, 100), OneAmount(), "1 + DPH / 100");
    Amount gross = MultiplyChecked(factor, net, "PocetMJ × Cena × (1 + DPH / 100)");
    std::string unit = FieldText(items, "MJ");
    std::string catalogue = FieldText(items, "Katalog");
    std::string name = FieldText(items, "Nazev");
    printer.PrintLine(FormatText("%-40.40s%-29.29s%12.12s%10.10s%12.12s%10.10s%12.12s%12.12s", name.c_str(),
                                 catalogue.c_str(), Money(quantity).c_str(), unit.c_str(),
                                 Money(price).c_str(), Money(rate).c_str(), Money(net).c_str(),
                                 Money(gross).c_str()));
}

struct RecapTotals {
    Amount bases = ZeroAmount();
    Amount vat = ZeroAmount();
    Amount including = ZeroAmount();
};

void PrintRecapRow(CPrinterEpson& printer, const char* format, const char* baseField, const char* vatField,
                   const Amount& base, const Amount& vat, RecapTotals& totals)
{
    const std::string sum = std::string(baseField) + " + " + vatField;
    Amount including = AddAmounts(base, vat, sum.c_str());
    totals.bases = AddAmounts(totals.bases, base, "součet základů DPH");
    totals.vat = AddAmounts(totals.vat, vat, "součet DPH");
    totals.including = AddAmounts(totals.including, including, "součet částek včetně DPH");
    printer.PrintRight(FormatText(format, Money(base).c_str(), Money(vat).c_str(), Money(including).c_str()));
}

void PrintTaxDocumentBody(CPrinterEpson& printer, const AgendaConfig& config, HostTable& table)
{
    // The date of taxable supply is the issue date; the field is read once for each.
    std::string issued = FieldText(table, "Datum ");
    std::string supplied = FieldText(table, "Datum ");
    printer.PrintLine(
        FormatText("Datum vystavení: %s Datum zdanitelného plnění: %s", issued.c_str(), supplied.c_str()));

    PrintItemTable(printer, config, table, kItemHeading, [&](HostTable& items) { PrintItemRow(printer, items); });
    printer.PrintLine("Smluvní strany se dohodly: daňový doklad slouží zároveň jako dodací list");
    printer.ModeOff(kEscpCondensed);
    printer.NewLines(1);

    std::string discount = Money(FieldAmount(table, "Sleva"));
    printer.PrintText(FormatText("Sleva %% %s", discount.c_str()));
    printer.PrintRight("Základ    Výše DPH  Včetně DPH");
    printer.PrintRight(kRecapRule);

    // The bases and VAT come from the header, not from the items; the rows go by
    // position, whatever the rates of the items were.
    RecapTotals totals;
    Amount base = FieldAmount(table, "Zaklad0");
    PrintRecapRow(printer, "Nulová sazba DPH              %12s%12s%12s", "Zaklad0", "0", base, ZeroAmount(), totals);
    base = FieldAmount(table, "Zaklad5");
    Amount vat = FieldAmount(table, "DPH5");
    PrintRecapRow(printer, "Snížená sazba DPH %%   5%%      %12s%12s%12s", "Zaklad5", "DPH5", base, vat, totals);
    base = FieldAmount(table, "Zaklad22");
    vat = FieldAmount(table, "DPH22");
    PrintRecapRow(printer, "Základní sazba DPH %% 22%%      %12s%12s%12s", "Zaklad22", "DPH22", base, vat, totals);
    printer.PrintRight(kRecapRule);
    printer.PrintRight(FormatText("Celkem                        %12s%12s%12s", Money(totals.bases).c_str(),
                                  Money(totals.vat).c_str(), Money(totals.including).c_str()));
    printer.NewLines(1);

    printer.ModeOn(kEscpEmphasized | kEscpDoubleStrike);
    std::string total = Money(FieldAmount(table, "Celkem"));
    printer.PrintRight(FormatText("Cena celkem s DPH:                                    %12s", total.c_str()));
    printer.SetMode(static_cast<unsigned char>((printer.Mode & ~kEscpEmphasized) | kEscpDoubleStrike));
}

const DocumentLayout kLayout = {PrintTaxDocumentTitle, "daňový doklad", "Dodavatel:", "Odběratel:", false,
                                 PrintTaxDocumentBody};

}  // namespace

void PrintTaxDocumentTitle(CPrinterEpson& printer, int /*page*/)
{
    PrintTitle(printer, FormatText("DAŇOVÝ DOKLAD - za hotové%15.15s", CurrentDocNumber.c_str()));
}

void LayOutTaxDocument(const AgendaConfig& config, HostTable& table, DocumentJob& job)
{
    LayOutDocument(config, table, kLayout, job);
}
