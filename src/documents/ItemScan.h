// The walk over a document's item rows that both documents run to print them.
#pragma once

#include <functional>

#include "config/AgendaConfig.h"
#include "documents/StockCards.h"
#include "host/HostTable.h"

// Called with the item table on the row and the agenda's stock cards for its note.
using ItemRowPrinter = std::function<void(HostTable& items, StockCardNotes& cards)>;

// Calls printRow for every row of type "S" that belongs to the document the document
// table is on, in "CDokladu" order. The rows are found by Seek on that index; when Seek
// does not find the document, every row of the table is visited once instead. The
// stock-card table is open for the whole walk.
void ScanItems(const AgendaConfig& config, HostTable& document, const ItemRowPrinter& printRow);
