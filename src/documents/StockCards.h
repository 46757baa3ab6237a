// The agenda's stock-card table while one item scan runs: each printed row's note is
// looked up in it.
#pragma once

#include <string>

#include "host/HostTable.h"

class StockCardNotes {
public:
    // Opens agendaDir + "SkSezZas" (agendaDir ends in its backslash). A table that does
    // not open is reported to the user, and every note is then empty.
    explicit StockCardNotes(const std::string& agendaDir);
    // A scan cut short by a host error lets the table go without closing it.
    ~StockCardNotes() = default;
    StockCardNotes(const StockCardNotes&) = delete;
    StockCardNotes& operator=(const StockCardNotes&) = delete;

    // Closes the table at the end of the scan; nothing when it did not open.
    void Close();
    // The "Pozn" text of the card whose "Cislo" is cardNumber; empty when there is none.
    std::string Note(long cardNumber);

private:
    HostTable table_;
};
