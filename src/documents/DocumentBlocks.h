// The pieces both documents share: the opening of the printer, the party block with the
// seller's wrapped registration text, the stock-card note line and the footer.
#pragma once

#include <string>
#include <vector>

#include "config/AgendaConfig.h"
#include "documents/Documents.h"
#include "host/HostTable.h"
#include "printer/PrinterEpson.h"

// Stores the document number, names the job "Quillet – " jobKind and the number,
// registers the title callback and opens the printer on the page's bytes.
void OpenDocumentPrinter(CPrinterEpson& printer, HostTable& document, CPrinterEpson::PageCallbackFn title,
                         const char* jobKind, DocumentPage& page);

// The headings, both parties' lines, the recipient line when asked for, the registration
// lines and the closing rule.
void PrintPartyBlock(CPrinterEpson& printer, const AgendaConfig& config, HostTable& document,
                     const char* sellerHeading, const char* buyerHeading, bool withRecipient);

// The pieces the registration text is printed in: at most 31 characters first, then at
// most 40, broken before a space; always at least one piece.
std::vector<std::string> RegistrationPieces(const std::string& text);

// A rule of '-' over the printer's current line width.
void PrintRule(CPrinterEpson& printer);

// "   " and the note of the item's stock card.
void PrintNoteLine(CPrinterEpson& printer, AgendaConfig& config, HostTable& items);

// Two empty lines, who printed it and when, then Close with its form feed.
void PrintFooter(CPrinterEpson& printer, HostTable& document);
