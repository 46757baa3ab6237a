// The character set of a 9-pin printer's draft font as dot patterns: every character of
// code page 852, keyed by its Unicode code point.
#pragma once

#include <cstdint>

// One character cell: 12 dot columns at half the pin pitch (a 10 cpi cell is 12/120 inch
// wide), rows at the pin pitch of 1/72 inch. Row 0 is the top of a capital, row 6 the
// base line, rows 7 and 8 the descenders; rows -2 and -1 carry the accents of capitals
// and tall small letters. Bit c of a row is dot column c; the stroke of ď may reach into
// column 12, the blank first column of the next cell.
struct DotGlyph {
    static constexpr int kTop = -2;
    static constexpr int kRows = 11;  // rows -2 to 8
    static constexpr int kColumns = 12;
    static constexpr int kReach = 13;
    uint16_t rows[kRows] = {};

    uint16_t Row(int row) const { return rows[row - kTop]; }
};

// The glyph of a code point; false for one the font does not have.
bool FindDotGlyph(unsigned codePoint, DotGlyph& glyph);
