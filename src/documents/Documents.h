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
// midway then leaves nothing half printed.
struct DocumentPage {
    std::string jobName;  // the spooler's name for it, "Quillet – dodací list 123" (code page 1250)
    std::string number;   // the document's number, "123"
    std::string bytes;    // the whole listing, from ESC @ to its form feed
};

// The layouts: table is positioned on the document, whose page they lay out into page.
// HostError leaves them as it is.
void PrintDeliveryNotePage(const AgendaConfig& config, HostTable& table, DocumentPage& page);
void PrintTaxDocumentPage(const AgendaConfig& config, HostTable& table, DocumentPage& page);

// A document laid out and sent to the agenda's port as its copies; a port that does not
// open or take it is reported to the user. HostError leaves them as it is.
void PrintDeliveryNote(const AgendaConfig& config, HostTable& table);
void PrintTaxDocument(const AgendaConfig& config, HostTable& table);

// Sends the bytes of a page laid out whole to the agenda's port as one job of copies.
// False, with the one message for the user in failure, when the port did not open or
// take all of it.
bool SendDocumentPage(const AgendaConfig& config, const std::string& jobName, const std::string& bytes, int copies,
                      std::string& failure);
