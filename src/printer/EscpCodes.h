// The ESC/P control bytes, commands and mode bits Quillet's printer speaks, named once:
// the printer writes them, the layouts switch modes with them, and the job reader
// recognises them.
#pragma once

// Control bytes.
constexpr unsigned char kEscpLineFeed = 10;
constexpr unsigned char kEscpFormFeed = 12;
constexpr unsigned char kEscpCarriageReturn = 13;
constexpr unsigned char kEscpEscape = 0x1B;

// The byte after ESC that says which command it is.
constexpr unsigned char kEscpReset = '@';         // ESC @: back to the printer's defaults
constexpr unsigned char kEscpEighthInch = '0';    // ESC 0: lines 1/8 inch apart
constexpr unsigned char kEscpSetMode = '!';       // ESC ! n: the mode bits below
constexpr unsigned char kEscpUseTable = 't';      // ESC t n: print with the table in slot n
constexpr unsigned char kEscpQuality = 'x';       // ESC x n: 0 draft, 1 letter quality
constexpr unsigned char kEscpPageLength = 'C';    // ESC C n in lines, ESC C NUL n in inches
constexpr unsigned char kEscpAssignTable = '(';   // ESC ( t 3 0 slot d2 d3: a table into a slot
constexpr unsigned char kEscpAssignTableSub = 't';

// ESC ! mode bits.
constexpr unsigned char kEscpElite = 0x01;
constexpr unsigned char kEscpProportional = 0x02;
constexpr unsigned char kEscpCondensed = 0x04;
constexpr unsigned char kEscpEmphasized = 0x08;
constexpr unsigned char kEscpDoubleStrike = 0x10;
constexpr unsigned char kEscpDoubleWidth = 0x20;
constexpr unsigned char kEscpItalic = 0x40;
constexpr unsigned char kEscpUnderline = 0x80;
