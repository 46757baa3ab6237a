// The two printed documents: the delivery note and the cash tax document, each one
// continuous ESC/P listing ended by a form feed.
#pragma once

#include <string>

#include "config/AgendaConfig.h"
#include "host/HostTable.h"
#include "printer/PrinterEpson.h"

// The number of the document being printed: set by a layout before it opens the
// printer, printed by its title callback, kept after the print.
extern std::string CurrentDocNumber;

// Page callbacks: print the title with CurrentDocNumber and the rule under it.
void PrintDeliveryNoteTitle(CPrinterEpson& printer, int page);
void PrintTaxDocumentTitle(CPrinterEpson& printer, int page);

// One document laid out whole, before any of it goes to the printer: a data error
// midway then leaves nothing half printed. It goes to the printer as one job.
struct DocumentJob {
    std::string name;   // the spooler's document name, "Quillet – daňový doklad 123" (code page 1250)
    std::string number; // the document's number, "123"
    std::string bytes;  // the whole ESC/P listing, from ESC @ to its form feed
    int copies = 1;     // how many times the document is printed in this one job
    std::string kind;   // its "Typ"
    long id = 0;        // its "CDokladu"
};

// The layouts: table is positioned on the document, which they lay out into job (its
// name, number and bytes; the copies, kind and id are the caller's). HostError leaves
// them as it is.
void LayOutDeliveryNote(const AgendaConfig& config, HostTable& table, DocumentJob& job);
void LayOutTaxDocument(const AgendaConfig& config, HostTable& table, DocumentJob& job);
