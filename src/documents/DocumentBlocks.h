// The pieces both documents share: the opening of the printer, the party block with the
// seller's wrapped registration text, the stock-card note line and the footer.
#pragma once

#include <string>
#include <vector>

#include "config/AgendaConfig.h"
#include "host/HostTable.h"
#include "printer/PrinterEpson.h"

// Stores the document number, registers the title callback and opens the printer on the
// agenda's port, with the agenda's time-out and a job named "Quillet – " jobKind and the
// number. False, after telling the user errorText, when the port did not open.
bool OpenDocumentPrinter(CPrinterEpson& printer, const AgendaConfig& config, HostTable& document,
                         CPrinterEpson::PageCallbackFn title, const char* jobKind, const char* errorText);

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

// Two empty lines, who printed it and when, then Close with its form feed; false when
// the port failed on the way (the user has been told).
bool PrintFooter(CPrinterEpson& printer, HostTable& document);
