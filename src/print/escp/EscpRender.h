// Draws what an ESC/P job puts on paper: one picture per page of continuous form paper,
// as a 9-pin printer lays it out in draft quality. One sheet, or a band of its rows, at a
// time, so that a long job never needs more than one sheet's pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "print/escp/EscpInterpret.h"

// Pixels row by row from the top, each 0x00RRGGBB (a 32-bit DIB's order).
struct EscpPageImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// The sheet is 9.5 inches wide: tractor strips of half an inch on both sides, and the
// 8-inch line starting three quarters of an inch from the left edge. A sheet is one form
// of the job (11 inches until ESC C sets another length); its top edge lies 1/12 inch
// above the line where printing starts. A line too long for 8 inches goes on in the next
// line, as the printer does.
constexpr double kSheetWidthInches = 9.5;
constexpr double kLeftMarginInches = 0.75;

// The grey of the desk under the paper: it shows through the tractor holes, and round the
// sheets where a screen shows them.
constexpr uint32_t kDeskColour = 0x8E949B;

// The colour of bytes the printer would not understand: each is marked where it came,
// in a frame with its hex codes, without moving the text.
constexpr uint32_t kUnknownMarkColour = 0xD01818;

// The size of a sheet of the job (0 to job.forms.size() - 1) at dpi pixels per inch. A
// screen that shows the sheet at some width asks for that width divided by
// kSheetWidthInches.
int EscpSheetWidth(double dpi);
int EscpSheetHeight(const EscpJob& job, size_t sheet, double dpi);

// Rows firstRow to firstRow + rows - 1 of a sheet, clipped to the sheet.
EscpPageImage RenderEscpBand(const EscpJob& job, size_t sheet, double dpi, int firstRow, int rows);

// A whole sheet, drawn a band at a time so that only its own pixels are held whole.
EscpPageImage RenderEscpSheet(const EscpJob& job, size_t sheet, double dpi);

// A whole sheet of a job too long to read whole: only the stretch that shows on the sheet
// is read, from the job's outline (sheet 0 to outline.paper.forms.size() - 1).
EscpPageImage RenderEscpSheet(const std::string& bytes, const EscpOutline& outline, size_t sheet, double dpi);
