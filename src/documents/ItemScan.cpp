// The item scan: the document's own rows, found through the item table's "CDokladu" index;
// a pass over the whole item table of the year when the component cannot find them.
#include "documents/ItemScan.h"

#include "documents/FieldValues.h"

namespace {

// The row the item table is on, handled as every visited row is: the type is read before
// the document id. Returns whether the row belongs to the document.
bool VisitRow(HostTable& items, StockCardNotes& cards, long docId, const ItemRowPrinter& printRow)
{
    const std::string type = FieldString(items, "TypDokladu");
    const long rowDoc = FieldInteger(items, "CDokladu");
    if (rowDoc != docId)
        return false;
    if (type == "S")
        printRow(items, cards);
    return true;
}

// Every row of the table once, in index order: the document's rows are not known to be
// together, so the walk never stops early.
void ScanAllRows(HostTable& items, StockCardNotes& cards, long count, long docId, const ItemRowPrinter& printRow)
{
    items.MoveFirst();
    for (long i = 0; i < count; ++i) {
        VisitRow(items, cards, docId, printRow);
        items.MoveNext();
    }
}

// From the row Seek found: back to the first row of the document's run (a component may
// land anywhere among equal keys), then forward through the run. The rows read are the
// run and at most one row on each side of it; count bounds both walks all the same.
void ScanFoundRows(HostTable& items, StockCardNotes& cards, long count, long docId, const ItemRowPrinter& printRow)
{
    for (long back = 1; back < count; ++back) {
        if (!items.MovePrev()) {
            items.MoveNext();
            break;
        }
        if (FieldInteger(items, "CDokladu") != docId) {
            items.MoveNext();
            break;
        }
    }
    for (long i = 0; i < count; ++i) {
        if (!VisitRow(items, cards, docId, printRow) || !items.MoveNext())
            break;
    }
}

}  // namespace

void ScanItems(const AgendaConfig& config, HostTable& document, const ItemRowPrinter& printRow)
{
    HostTable items = CreateHostTable();
    StockCardNotes cards(config.AgendaDir);
    // YearDir ends in its backslash. A document without its item table is a data error.
    items.OpenRequiredTable(config.YearDir + "SkSezPol");
    items.SetIndex("CDokladu");
    const long count = items.RecordCount();
    if (count > 0) {
        const long docId = FieldInteger(document, "CDokladu");
        // Not found means no rows, or a component whose Seek does not serve this index:
        // only the whole pass tells them apart.
        if (items.Seek(docId) == kMon2kSeekFound)
            ScanFoundRows(items, cards, count, docId, printRow);
        else
            ScanAllRows(items, cards, count, docId, printRow);
    }
    cards.Close();
    // The item table is let go without CloseTable when items goes out of scope.
}
