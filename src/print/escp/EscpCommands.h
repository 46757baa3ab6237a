// The ESC/P commands a job may hold, in one table: how many bytes each takes and what it
// changes. The decoder, which writes a job out as text, and the interpreter, which lays it
// out on paper, both read a job through it.
#pragma once

#include <cstddef>
#include <string>

#include "printer/EscpCodes.h"

// Vertical positions are counted in 1/432 inch: 1/8, 1/6, 1/72 and 1/144 inch are all
// whole numbers of it. Horizontal ones in 1/120 inch, a dot column at 10 cpi.
constexpr long kEscpVerticalUnits = 432;
constexpr double kEscpHorizontalUnits = 120;
constexpr double kEscpLineUnits = 8 * kEscpHorizontalUnits;  // the 8-inch line
// The longest form the printer accepts; a longer ESC C is ignored.
constexpr long kEscpMaxPageLength = 22 * kEscpVerticalUnits;

enum class EscpOp {
    Text,            // a byte printed as a character
    CarriageReturn,
    LineFeed,
    FormFeed,
    Reset,           // ESC @
    EighthInch,      // ESC 0: lines 1/8 inch apart
    SetMode,         // ESC ! n
    UseTable,        // ESC t n
    Quality,         // ESC x n
    PageLines,       // ESC C n: the form is n lines long
    PageInches,      // ESC C NUL n: the form is n inches long
    AssignTable,     // ESC ( t 3 0 slot d2 d3
    Unknown,         // bytes the printer would not understand, or a command cut short
};

struct EscpCommand {
    EscpOp op = EscpOp::Unknown;
    size_t length = 1;       // bytes, from the ESC or the single byte
    unsigned char value = 0;  // the byte of Text; n of ESC ! t x C; the slot of ESC ( t
    unsigned char table[2] = {};  // d2 d3 of ESC ( t
};

// What the commands set and later ones rely on.
struct EscpSettings {
    unsigned char mode = 0;                       // ESC ! bits
    long spacing = kEscpVerticalUnits / 6;        // between lines
    long pageLength = 11 * kEscpVerticalUnits;    // of the form
};

// The command that starts at bytes[at], at < bytes.size().
EscpCommand ReadEscpCommand(const std::string& bytes, size_t at);

// Applies what a command sets. False for a page length the printer does not accept (none,
// or over 22 inches): it ignores that command, and so does this.
bool ApplyEscpCommand(const EscpCommand& command, EscpSettings& settings);

// The width of one character in 1/120 inch: 10, 12, 17.14 or 20 cpi, doubled in double
// width.
double EscpCellWidth(unsigned char mode);

// The characters an 8-inch line holds in a mode: 80, 96, 137, 160, or half in double width.
int EscpLineColumns(unsigned char mode);
