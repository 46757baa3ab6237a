// The pieces both documents share: the frame of a document (the printer, the party block
// with the seller's wrapped registration text, the footer), the title, and the item
// table with each row's stock-card note.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "config/AgendaConfig.h"
#include "documents/Documents.h"
#include "host/HostTable.h"
#include "printer/PrinterEpson.h"

// Every document is printed with the PC852 table on a form this many inches long.
constexpr unsigned char kDocumentPageInches = 6;

// What makes a document its own inside the frame both share.
struct DocumentLayout {
    CPrinterEpson::PageCallbackFn title;
    const char* jobKind;        // the spooler's job is "Quillet – " jobKind and the number
    const char* sellerHeading;  // over the seller's and the buyer's columns
    const char* buyerHeading;
    bool withRecipient;         // a line for the recipient under the buyer's numbers
    // Everything between the party block and the footer.
    void (*body)(CPrinterEpson& printer, const AgendaConfig& config, HostTable& document);
};

// Lays out one document into job: stores the document number, names the job, and opens a
// printer with the PC852 table and the page length on the job's bytes, which prints the
// title; then the party block (the headings, both parties' lines, the recipient line when
// asked for, the registration lines and the closing rule), the body, and the footer (two
// empty lines, who printed it and when, then Close with its form feed).
void LayOutDocument(const AgendaConfig& config, HostTable& document, const DocumentLayout& layout, DocumentJob& job);

// The title line in double width, then a rule: what a page callback prints.
void PrintTitle(CPrinterEpson& printer, const std::string& line);

// The rule under the date line, an empty line, then in condensed mode the column heading,
// a rule, for each of the document's items its row (printRow) and its stock-card note
// line, and the closing rule. The printer stays condensed.
void PrintItemTable(CPrinterEpson& printer, const AgendaConfig& config, HostTable& document, const char* heading,
                    const std::function<void(HostTable& items)>& printRow);

// The pieces the registration text is printed in: at most 31 characters first, then at
// most 40, broken before a space; always at least one piece.
std::vector<std::string> RegistrationPieces(const std::string& text);

// A rule of '-' over the printer's current line width.
void PrintRule(CPrinterEpson& printer);
