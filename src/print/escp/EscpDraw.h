// A document drawn on a Windows printer instead of sent as ESC/P bytes: each character
// the dot-matrix printer would print is drawn once, as text in a fixed-pitch TrueType
// font, at its column on the printer's own paper. The preview draws the same sheets.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "print/escp/EscpInterpret.h"

// The paper of a device in its own pixels.
struct SheetArea {
    int dpiX = 0, dpiY = 0;
    int width = 0, height = 0;            // the printable area
    int paperWidth = 0, paperHeight = 0;  // the whole sheet
    int offsetX = 0, offsetY = 0;         // where the printable area lies on the sheet
};

// The paper of a printer device context, as its driver reports it.
SheetArea PrinterSheetArea(HDC dc);

// One character on a sheet, in device pixels from the printable area's top left (x the
// left edge of its cell, y the top of its line).
struct DrawnCell {
    int x = 0, y = 0;
    wchar_t code = 0;
    unsigned char mode = 0;  // ESC ! bits
};

struct DrawnSheets {
    std::vector<std::vector<DrawnCell>> sheets;  // at least one
    double scale = 1;  // below 1 when the 8-inch line is wider than the printable area
    int cellHeight = 0;  // the font's em: 1/8 inch, scaled
    double pixelsPerUnit = 0;  // pixels of 1/120 inch across
};

// Lays the job out as the dot-matrix printer would, on sheets of the given paper: the
// listing from the top left of the printable area, 8-inch lines scaled down evenly when
// they do not fit, a new sheet when a form feed comes or the printable height is used up.
// The form length of ESC C does not count: the paper is the printer's.
DrawnSheets LayOutSheets(const EscpJob& job, const SheetArea& area);

// Draws one sheet with (originX, originY) as the printable area's top left.
void DrawSheet(HDC dc, const DrawnSheets& layout, size_t sheet, int originX, int originY);

// What drawing a document came to.
struct DrawnDocument {
    int sheets = 0;  // of one copy
    int copies = 0;
};

// Called after each sheet went to the driver (counting from 1 over all copies); false
// stops the job, which is then aborted, not printed.
using SheetDone = std::function<bool(int sheet)>;

// One spooler job named jobName on the queue (names in code page 1250), with the queue's
// default settings: the listing drawn copies times, each copy on sheets of its own. False
// when the job could not be made or was stopped midway; it is then aborted, nothing of
// it is printed, and failure holds the message for the user.
bool DrawEscpDocument(const std::string& queue, const std::string& jobName, const std::string& bytes, int copies,
                      std::string& failure, DrawnDocument* done = nullptr, const SheetDone& sheetDone = {});

// The document's sheets as the queue would get them, drawn at dpi pixels per inch, each
// a whole sheet of its paper; empty, with the reason in failure, when the queue's paper
// cannot be learned.
struct DrawnPreview {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows from the top
};
std::vector<DrawnPreview> PreviewDrawnSheets(const std::string& queue, const std::string& bytes, double dpi,
                                             std::string& failure);
// The queue's paper width in inches; 0 when it cannot be learned.
double QueuePaperWidthInches(const std::string& queue);
