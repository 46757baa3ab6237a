// The walk over a document's item rows that both documents run to print them.
#pragma once

#include <functional>

#include "config/AgendaConfig.h"
#include "host/HostTable.h"

// Calls printRow, with the item table on the row, for every row of type "S" that belongs
// to the document the document table is on, in "CDokladu" order. The rows are found by
// Seek on that index; when Seek does not find the document, every row of the table is
// visited once instead. The stock-card table is open for the whole walk.
void ScanItems(AgendaConfig& config, HostTable& document,
               const std::function<void(HostTable& items)>& printRow);
