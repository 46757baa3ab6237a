// The item scan: one pass over the whole item table of the year per printed document.
#include "documents/ItemScan.h"

#include "documents/FieldValues.h"

void ScanItems(AgendaConfig& config, HostTable& document,
               const std::function<void(HostTable& items)>& printRow)
{
    HostTable items = CreateHostTable();
    // The notes of a stock-card table that did not open are empty; there is nothing to close.
    const bool cardsOpen = config.OpenStockCardTable();
    // Its status is not looked at: an item table that did not open fails at its first use.
    items.OpenTable(config.YearDir + "\\SkSezPol");
    items.SetIndex("CDokladu");
    const long count = items.RecordCount();
    if (count > 0) {
        const long docId = FieldInteger(document, "CDokladu");
        items.MoveFirst();
        // The document's rows are not known to be together, so the walk never stops early.
        for (long i = 0; i < count; ++i) {
            std::string type = FieldString(items, "TypDokladu");
            long rowDoc = FieldInteger(items, "CDokladu");
            if (rowDoc == docId && type == "S")
                printRow(items);
            items.MoveNext();
        }
    }
    if (cardsOpen)
        config.CloseStockCardTable();
    // The item table is let go without CloseTable when items goes out of scope.
}
