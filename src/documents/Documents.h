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

// What became of one document. HostError leaves the layouts as it is.
enum class DocumentOutcome {
    Printed,        // the whole listing with its form feed
    PortNotOpened,  // reported to the user; nothing was sent
    PortFailed,     // the port stopped taking the listing; reported to the user
};

// The layouts behind AgendaConfig::PrintDeliveryNote and PrintTaxDocument, for callers
// that need to know whether a page came out. table is positioned on the document.
DocumentOutcome PrintDeliveryNotePage(AgendaConfig& config, HostTable& table);
DocumentOutcome PrintTaxDocumentPage(AgendaConfig& config, HostTable& table);
