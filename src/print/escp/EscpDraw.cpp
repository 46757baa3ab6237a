// Drawing an ESC/P listing through a printer's Windows driver. Characters are text, not
// pictures, so that a PDF printer makes a searchable file; each sits at the column the
// dot-matrix printer gives it, so that the columns of the listing line up on any font.
#include "print/escp/EscpDraw.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <new>

#include "framework/FormatText.h"
#include "framework/Gdi.h"
#include "framework/SystemText.h"
#include "framework/WideText.h"
#include "print/escp/EscpCommands.h"
#include "printer/PrinterPort.h"

namespace {

constexpr double kLineInches = kEscpLineUnits / kEscpHorizontalUnits;
constexpr double kXUnits = kEscpHorizontalUnits;  // strike x: 1/120 inch
constexpr double kYUnits = kEscpVerticalUnits;    // strike y: 1/432 inch
// The font's em is one line of 1/8 inch; its whole cell (accents, descenders) a quarter more.
constexpr double kEmInches = 1.0 / 8;
constexpr double kCellOverEm = 1.25;
const wchar_t kFace[] = L"Courier New";
const wchar_t kSpooler[] = L"WINSPOOL";
// The preview draws a sheet this many rows at a time.
constexpr int kBandRows = 256;
constexpr uint32_t kWhite = 0x00FFFFFF;

std::string Reason(DWORD error)
{
    const std::string text = SystemText(error);
    return text.empty() ? FormatText("Chyba systému č. %lu.", static_cast<unsigned long>(error)) : text;
}

// The queue's device context with its default settings. An information context is enough
// for the paper; printing needs the full one.
HDC QueueDC(const std::string& queue, bool forPrinting)
{
    const std::wstring name = ToWide(queue);
    return forPrinting ? CreateDCW(kSpooler, name.c_str(), nullptr, nullptr)
                       : CreateICW(kSpooler, name.c_str(), nullptr, nullptr);
}

// One font per mode a sheet uses.
class ModeFonts {
public:
    explicit ModeFonts(const DrawnSheet& sheet) : sheet_(sheet) {}

    HFONT For(unsigned char mode)
    {
        Font& font = fonts_[mode];
        if (!font) {
            const int width = std::max(1, static_cast<int>(std::lround(EscpCellWidth(mode) * sheet_.pixelsPerUnit)));
            const int weight = (mode & (kEscpEmphasized | kEscpDoubleStrike)) ? FW_BOLD : FW_NORMAL;
            font.Reset(CreateFontW(-sheet_.cellHeight, width, 0, 0, weight, (mode & kEscpItalic) != 0,
                                   (mode & kEscpUnderline) != 0, FALSE, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS,
                                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, kFace));
        }
        return font.Get();
    }

private:
    const DrawnSheet& sheet_;
    std::map<unsigned char, Font> fonts_;
};

// How the strip meets a paper's pixels: the scale that fits the 8-inch line, and the
// height of a line.
struct Geometry {
    explicit Geometry(const SheetArea& area)
    {
        if (area.dpiX > 0 && area.dpiY > 0)
            scale = std::min(1.0, area.width / (kLineInches * area.dpiX));
        xPixels = area.dpiX * scale / kXUnits;
        yPixels = area.dpiY * scale / kYUnits;
        cellHeight = std::max(1, static_cast<int>(std::lround(area.dpiY * scale * kEmInches)));
        lineHeight = static_cast<int>(std::ceil(cellHeight * kCellOverEm));
    }

    int X(double x) const { return static_cast<int>(std::lround(x * xPixels)); }
    // The row of a strike on a sheet whose top lies at top on the strip.
    int Y(long y, long top) const { return std::max(0, static_cast<int>(std::lround((y - top) * yPixels))); }

    double scale = 1;
    double xPixels = 0, yPixels = 0;
    int cellHeight = 0, lineHeight = 0;
};

}  // namespace

SheetArea PrinterSheetArea(HDC dc)
{
    SheetArea area;
    area.dpiX = GetDeviceCaps(dc, LOGPIXELSX);
    area.dpiY = GetDeviceCaps(dc, LOGPIXELSY);
    area.width = GetDeviceCaps(dc, HORZRES);
    area.height = GetDeviceCaps(dc, VERTRES);
    area.paperWidth = GetDeviceCaps(dc, PHYSICALWIDTH);
    area.paperHeight = GetDeviceCaps(dc, PHYSICALHEIGHT);
    area.offsetX = GetDeviceCaps(dc, PHYSICALOFFSETX);
    area.offsetY = GetDeviceCaps(dc, PHYSICALOFFSETY);
    // A device without paper (a display) is its own sheet.
    if (area.paperWidth <= 0 || area.paperHeight <= 0) {
        area.paperWidth = area.width;
        area.paperHeight = area.height;
        area.offsetX = area.offsetY = 0;
    }
    return area;
}

DrawnSheetPlan PlanSheets(const std::string& bytes, const SheetArea& area)
{
    DrawnSheetPlan plan;
    plan.outline = OutlineEscp(bytes);
    const std::vector<long>& formStarts = plan.outline.paper.formStarts;
    const Geometry geometry(area);
    // Where the printer's first line lies below the top of its form: every sheet starts
    // there, so that blank lines at the top of a form stay.
    long firstLine = 0;
    auto formTop = [&](int form) {
        const size_t f = static_cast<size_t>(form);
        return (f < formStarts.size() ? formStarts[f] : 0) + firstLine;
    };
    plan.sheets.push_back({0, 0, formTop(0)});
    int form = 0;
    ForEachEscpStrike(bytes, plan.outline, 0, [&](size_t number, const EscpStrike& strike) {
        if (number == 0 && static_cast<size_t>(strike.form) < formStarts.size()) {
            firstLine = strike.y - formStarts[static_cast<size_t>(strike.form)];
            plan.sheets[0].top = formTop(0);
        }
        // A form feed ends the sheet, even one that stays empty.
        while (form < strike.form)
            plan.sheets.push_back({number, 0, formTop(++form)});
        const int y = geometry.Y(strike.y, plan.sheets.back().top);
        if (y + geometry.lineHeight > area.height && y > 0)
            plan.sheets.push_back({number, 0, strike.y});
        ++plan.sheets.back().strikes;
        return true;
    });
    for (int f = form + 1; static_cast<size_t>(f) < formStarts.size(); ++f)
        plan.sheets.push_back({plan.outline.strikes, 0, formTop(f)});
    return plan;
}

DrawnSheet LayOutSheet(const std::string& bytes, const DrawnSheetPlan& plan, size_t sheet, const SheetArea& area)
{
    const Geometry geometry(area);
    DrawnSheet laid;
    laid.scale = geometry.scale;
    laid.cellHeight = geometry.cellHeight;
    laid.pixelsPerUnit = geometry.xPixels;
    const DrawnSheetSpan& span = plan.sheets.at(sheet);
    if (span.strikes == 0)
        return laid;
    laid.cells.reserve(span.strikes);
    const size_t end = span.firstStrike + span.strikes;
    ForEachEscpStrike(bytes, plan.outline, span.firstStrike, [&](size_t number, const EscpStrike& strike) {
        DrawnCell cell;
        cell.x = geometry.X(strike.x);
        cell.y = geometry.Y(strike.y, span.top);
        cell.code = static_cast<wchar_t>(strike.code <= 0xFFFF ? strike.code : 0xFFFD);
        cell.mode = strike.mode;
        laid.cells.push_back(cell);
        return number + 1 < end;
    });
    return laid;
}

void DrawSheet(HDC dc, const DrawnSheet& sheet, int originX, int originY, int rows)
{
    const std::vector<DrawnCell>& cells = sheet.cells;
    ModeFonts fonts(sheet);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    SetTextAlign(dc, TA_TOP | TA_LEFT | TA_NOUPDATECP);
    std::wstring text;
    std::vector<INT> dx;
    for (size_t first = 0; first < cells.size();) {
        // A run: one line, one mode, left to right; each character keeps its own column
        // through the advances.
        size_t end = first + 1;
        while (end < cells.size() && cells[end].y == cells[first].y && cells[end].mode == cells[first].mode &&
               cells[end].x > cells[end - 1].x)
            ++end;
        const int top = originY + cells[first].y;
        if (top >= rows || top + 2 * sheet.cellHeight <= 0) {
            first = end;  // the line lies wholly outside the rows drawn
            continue;
        }
        text.clear();
        dx.clear();
        for (size_t i = first; i < end; ++i) {
            text.push_back(cells[i].code);
            dx.push_back(i + 1 < end ? cells[i + 1].x - cells[i].x
                                     : static_cast<INT>(std::lround(EscpCellWidth(cells[i].mode) * sheet.pixelsPerUnit)));
        }
        SelectObjectScope font(dc, fonts.For(cells[first].mode));
        ExtTextOutW(dc, originX + cells[first].x, top, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()),
                    dx.data());
        first = end;
    }
}

bool DrawEscpDocument(const std::string& queue, const std::string& jobName, const std::string& bytes, int copies,
                      std::string& failure, DrawnDocument* done, const SheetDone& sheetDone)
{
    CreatedDC dc(QueueDC(queue, true));
    if (!dc) {
        failure = FormatText("Tiskárnu Windows '%s' nelze připravit ke kreslení: %s", queue.c_str(),
                             Reason(GetLastError()).c_str());
        return false;
    }
    const SheetArea area = PrinterSheetArea(dc.Get());
    const DrawnSheetPlan plan = PlanSheets(bytes, area);
    const std::wstring name = ToWide(jobName);
    DOCINFOW doc{};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = name.c_str();
    if (StartDocW(dc.Get(), &doc) <= 0) {
        failure = FormatText("Tiskárna Windows '%s' nepřijala úlohu: %s", queue.c_str(),
                             Reason(GetLastError()).c_str());
        return false;
    }
    // A job an exception leaves is given up, never printed half.
    struct OpenDoc {
        HDC dc;
        ~OpenDoc()
        {
            if (dc)
                AbortDoc(dc);
        }
    } open{dc.Get()};
    TracePort(FormatText("Tisk: tiskárna Windows '%s', úloha '%s', kresleno přes ovladač", queue.c_str(),
                         jobName.c_str()));
    int sheet = 0;
    std::string reason;
    for (int copy = 0; copy < copies && reason.empty(); ++copy) {
        for (size_t s = 0; s < plan.sheets.size() && reason.empty(); ++s) {
            ++sheet;
            if (StartPage(dc.Get()) <= 0) {
                reason = Reason(GetLastError());
                break;
            }
            DrawSheet(dc.Get(), LayOutSheet(bytes, plan, s, area), 0, 0);
            if (EndPage(dc.Get()) <= 0)
                reason = Reason(GetLastError());
            else if (sheetDone && !sheetDone(sheet))
                reason = "tisk byl zastaven";
        }
    }
    open.dc = nullptr;
    if (!reason.empty()) {
        AbortDoc(dc.Get());
        failure = FormatText("Tisk na tiskárnu Windows '%s' se přerušil na %d. listu: %s\n\nÚloha byla zrušena, "
                             "nevytiskne se z ní nic.",
                             queue.c_str(), sheet, reason.c_str());
        return false;
    }
    if (EndDoc(dc.Get()) <= 0) {
        failure = FormatText("Tiskový systém Windows nepředal úlohu tiskárně '%s': %s", queue.c_str(),
                             Reason(GetLastError()).c_str());
        return false;
    }
    const int sheets = static_cast<int>(plan.sheets.size());
    if (done)
        *done = {sheets, copies};
    TracePort(FormatText("Nakresleno listů %d, kopií %d, úloha ukončena.", sheets, copies));
    return true;
}

bool QueuePaper(const std::string& queue, SheetArea& paper)
{
    CreatedDC printer(QueueDC(queue, false));
    if (!printer)
        return false;
    paper = PrinterSheetArea(printer.Get());
    return paper.dpiX > 0 && paper.dpiY > 0 && paper.paperWidth > 0 && paper.paperHeight > 0;
}

EscpPageImage DrawPlannedSheet(const std::string& bytes, const DrawnSheetPlan& plan, size_t sheet,
                               const SheetArea& paper, double dpi)
{
    // The printer's sheet at the screen's resolution.
    auto atX = [&](int v) { return static_cast<int>(std::lround(v * dpi / paper.dpiX)); };
    auto atY = [&](int v) { return static_cast<int>(std::lround(v * dpi / paper.dpiY)); };
    SheetArea screen = paper;
    screen.dpiX = screen.dpiY = static_cast<int>(std::lround(dpi));
    screen.width = atX(paper.width);
    screen.height = atY(paper.height);
    screen.paperWidth = std::max(1, atX(paper.paperWidth));
    screen.paperHeight = std::max(1, atY(paper.paperHeight));
    screen.offsetX = atX(paper.offsetX);
    screen.offsetY = atY(paper.offsetY);
    const DrawnSheet laid = LayOutSheet(bytes, plan, sheet, screen);

    EscpPageImage page;
    page.width = screen.paperWidth;
    page.height = screen.paperHeight;
    page.pixels.reserve(static_cast<size_t>(page.width) * static_cast<size_t>(page.height));
    const int bandRows = std::min(kBandRows, page.height);
    MemoryDC dc(nullptr);
    BITMAPINFO bmi = TopDownBitmapInfo(page.width, bandRows);
    void* bits = nullptr;
    Bitmap band(dc ? CreateDIBSection(dc.Get(), &bmi, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr);
    if (!band || !bits)
        throw std::bad_alloc();  // Windows had no memory for the band
    const auto* pixels = static_cast<uint32_t*>(bits);
    const size_t bandPixels = static_cast<size_t>(page.width) * static_cast<size_t>(bandRows);
    SelectObjectScope selected(dc.Get(), band.Get());
    for (int row = 0; row < page.height; row += bandRows) {
        std::fill_n(static_cast<uint32_t*>(bits), bandPixels, kWhite);
        DrawSheet(dc.Get(), laid, screen.offsetX, screen.offsetY - row, bandRows);
        GdiFlush();
        const size_t rows = static_cast<size_t>(std::min(bandRows, page.height - row));
        page.pixels.insert(page.pixels.end(), pixels, pixels + rows * static_cast<size_t>(page.width));
    }
    return page;
}
