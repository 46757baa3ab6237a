// Draws what an ESC/P byte stream puts on paper: one picture per page of continuous
// form paper, as a 9-pin printer lays it out in draft quality.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One sheet: pixels row by row from the top, each 0x00RRGGBB (a 32-bit DIB's order).
struct EscpPageImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// The sheet is 9.5 inches wide: tractor strips of half an inch on both sides, and the
// 8-inch line starting three quarters of an inch from the left edge. A page is as long
// as ESC C sets it (11 inches until then); its top edge lies 1/12 inch above the line
// where printing starts. Text is code page 852 in the printer's draft font; a line too
// long for 8 inches goes on in the next line, as the printer does.
constexpr double kSheetWidthInches = 9.5;
constexpr double kLeftMarginInches = 0.75;

// The colour of bytes the printer would not understand: each is marked where it came,
// in a frame with its hex codes, without moving the text.
constexpr uint32_t kUnknownMarkColour = 0xD01818;

// Every page the stream fills, at dpi pixels per inch; at least one. A screen that
// shows the sheet at some width asks for that width divided by kSheetWidthInches.
std::vector<EscpPageImage> RenderEscpPages(const std::string& bytes, double dpi);
