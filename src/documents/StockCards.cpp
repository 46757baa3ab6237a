// The agenda's stock-card table: opened for each item scan, searched for every printed
// row's note, closed at the end of the scan.
#include "config/AgendaConfig.h"

#include "documents/FieldValues.h"
#include "framework/FormatText.h"
#include "framework/MessageBox.h"

bool AgendaConfig::OpenStockCardTable()
{
    // A print that failed midway leaves the table open; it is closed here first.
    if (!StockCardTable.Empty()) {
        StockCardTable.CloseTable();
        StockCardTable.Release();
    }
    const std::string path = AgendaDir + "SkSezZas";
    // A component that could not be created raises its reason at OpenTable.
    StockCardTable = CreateHostTable();
    if (StockCardTable.OpenTable(path) != 0) {
        ShowMessageBox(FormatText("Nemohu otevřít 'Kmenovou Kartu'!\n[%s]", path.c_str()), MB_OK);
        // A table that is not open answers every question with a failure: kept, it would
        // stop this print at its first note and every later print at its first close.
        // Without it the notes are simply empty.
        StockCardTable.Release();
        return false;
    }
    return true;
}

bool AgendaConfig::CloseStockCardTable()
{
    if (StockCardTable.Empty())
        throw HostError(E_POINTER);
    StockCardTable.CloseTable();
    StockCardTable.Release();
    return true;
}

std::string AgendaConfig::StockCardNote(long cardNumber)
{
    std::string note;
    if (StockCardTable.Empty())
        return note;
    StockCardTable.SetIndex("Cislo");
    StockCardTable.MoveFirst();
    if (StockCardTable.Seek(cardNumber) == kMon2kSeekFound)
        note = FieldText(StockCardTable, "Pozn");
    return note;
}
