// The agenda's stock-card table: opened for each item scan, searched for every printed
// row's note, closed at the end of the scan.
#include "documents/StockCards.h"

#include "documents/FieldValues.h"
#include "framework/FormatText.h"
#include "framework/MessageBox.h"

StockCardNotes::StockCardNotes(const std::string& agendaDir)
{
    const std::string path = agendaDir + "SkSezZas";
    // A component that could not be created raises its reason at OpenTable.
    table_ = CreateHostTable();
    if (table_.OpenTable(path) != 0) {
        ShowMessageBox(FormatText("Nemohu otevřít 'Kmenovou Kartu'!\n[%s]", path.c_str()), MB_OK);
        // A table that is not open answers every question with a failure: kept, it would
        // stop the print at its first note. Without it the notes are simply empty.
        table_.Release();
    }
}

void StockCardNotes::Close()
{
    if (table_.Empty())
        return;
    table_.CloseTable();
    table_.Release();
}

std::string StockCardNotes::Note(long cardNumber)
{
    std::string note;
    if (table_.Empty())
        return note;
    table_.SetIndex("Cislo");
    table_.MoveFirst();
    if (table_.Seek(cardNumber) == kMon2kSeekFound)
        note = FieldText(table_, "Pozn");
    return note;
}
