// The walk over the year's item table that both documents run to print their rows.
#pragma once

#include <functional>

#include "config/AgendaConfig.h"
#include "host/HostTable.h"

// Calls printRow, with the item table on the row, for every row of type "S" that belongs
// to the document the document table is on. Every row of the table is visited once, in
// "CDokladu" order. The stock-card table is open for the whole walk.
void ScanItems(AgendaConfig& config, HostTable& document,
               const std::function<void(HostTable& items)>& printRow);
