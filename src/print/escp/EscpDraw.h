// A document drawn on a Windows printer instead of sent as ESC/P bytes: each character
// the dot-matrix printer would print is drawn once, as text in a fixed-pitch TrueType
// font, at its column on the printer's own paper. The preview draws the same sheets.
#pragma once

#include <windows.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "print/escp/EscpInterpret.h"
#include "print/escp/EscpRender.h"

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

// One sheet laid out on a device.
struct DrawnSheet {
    std::vector<DrawnCell> cells;
    double scale = 1;  // below 1 when the 8-inch line is wider than the printable area
    int cellHeight = 0;  // the font's em: 1/8 inch, scaled
    double pixelsPerUnit = 0;  // pixels of 1/120 inch across
};

// Which of a job's characters go on which sheet of a paper: the listing from the top left
// of the printable area, 8-inch lines scaled down evenly when they do not fit, a new sheet
// when a form feed comes or the printable height is used up. The form length of ESC C does
// not count: the paper is the printer's. Found in one reading of the job, without keeping
// its characters, so that a job of any length is laid out a sheet at a time.
struct DrawnSheetSpan {
    size_t firstStrike = 0;  // numbered as the outline numbers them
    size_t strikes = 0;
    long top = 0;  // 1/432 inch down the strip: what lies at the printable area's top
};
struct DrawnSheetPlan {
    EscpOutline outline;
    std::vector<DrawnSheetSpan> sheets;  // at least one
};
DrawnSheetPlan PlanSheets(const std::string& bytes, const SheetArea& area);

// One sheet of the plan laid out on area: the paper the plan was made for, or the same
// paper at another resolution.
DrawnSheet LayOutSheet(const std::string& bytes, const DrawnSheetPlan& plan, size_t sheet, const SheetArea& area);

// Draws a sheet with (originX, originY) as the printable area's top left; of a device
// only rows high, the lines that lie wholly outside it are left out.
void DrawSheet(HDC dc, const DrawnSheet& sheet, int originX, int originY, int rows = INT_MAX);

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

// The paper of a queue with its default settings; false when it cannot be learned.
bool QueuePaper(const std::string& queue, SheetArea& paper);

// One sheet of the plan made for a queue's paper, drawn whole at dpi pixels per inch as
// the queue would get it (white paper, black text), a band of rows at a time.
EscpPageImage DrawPlannedSheet(const std::string& bytes, const DrawnSheetPlan& plan, size_t sheet,
                               const SheetArea& paper, double dpi);
