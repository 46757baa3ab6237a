// Drawing an ESC/P listing through a printer's Windows driver. Characters are text, not
// pictures, so that a PDF printer makes a searchable file; each sits at the column the
// dot-matrix printer gives it, so that the columns of the listing line up on any font.
#include "print/escp/EscpDraw.h"

#include <algorithm>
#include <cmath>
#include <map>

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
    ModeFonts(const DrawnSheets& layout, double pixelsPerUnit) : layout_(layout), pixelsPerUnit_(pixelsPerUnit) {}

    HFONT For(unsigned char mode)
    {
        Font& font = fonts_[mode];
        if (!font) {
            const int width = std::max(1, static_cast<int>(std::lround(EscpCellWidth(mode) * pixelsPerUnit_)));
            const int weight = (mode & (kEscpEmphasized | kEscpDoubleStrike)) ? FW_BOLD : FW_NORMAL;
            font.Reset(CreateFontW(-layout_.cellHeight, width, 0, 0, weight, (mode & kEscpItalic) != 0,
                                   (mode & kEscpUnderline) != 0, FALSE, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS,
                                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, kFace));
        }
        return font.Get();
    }

private:
    const DrawnSheets& layout_;
    double pixelsPerUnit_;
    std::map<unsigned char, Font> fonts_;
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

DrawnSheets LayOutSheets(const EscpJob& job, const SheetArea& area)
{
    DrawnSheets layout;
    if (area.dpiX > 0 && area.dpiY > 0)
        layout.scale = std::min(1.0, area.width / (kLineInches * area.dpiX));
    const double xPixels = area.dpiX * layout.scale / kXUnits;
    layout.pixelsPerUnit = xPixels;
    const double yPixels = area.dpiY * layout.scale / kYUnits;
    layout.cellHeight = std::max(1, static_cast<int>(std::lround(area.dpiY * layout.scale * kEmInches)));
    const int lineHeight = static_cast<int>(std::ceil(layout.cellHeight * kCellOverEm));

    // Where the printer's first line lies below the top of its form: every sheet starts
    // there, so that blank lines at the top of a form stay.
    long firstLine = 0;
    if (!job.strikes.empty() && static_cast<size_t>(job.strikes[0].form) < job.formStarts.size())
        firstLine = job.strikes[0].y - job.formStarts[static_cast<size_t>(job.strikes[0].form)];
    auto formTop = [&](int form) {
        const size_t f = static_cast<size_t>(form);
        return (f < job.formStarts.size() ? job.formStarts[f] : 0) + firstLine;
    };

    layout.sheets.emplace_back();
    int form = 0;
    long sheetTop = formTop(0);
    for (const EscpStrike& strike : job.strikes) {
        // A form feed ends the sheet, even one that stays empty.
        while (form < strike.form) {
            layout.sheets.emplace_back();
            sheetTop = formTop(++form);
        }
        int y = std::max(0, static_cast<int>(std::lround((strike.y - sheetTop) * yPixels)));
        if (y + lineHeight > area.height && y > 0) {
            layout.sheets.emplace_back();
            sheetTop = strike.y;
            y = 0;
        }
        DrawnCell cell;
        cell.x = static_cast<int>(std::lround(strike.x * xPixels));
        cell.y = y;
        cell.code = static_cast<wchar_t>(strike.code <= 0xFFFF ? strike.code : 0xFFFD);
        cell.mode = strike.mode;
        layout.sheets.back().push_back(cell);
    }
    for (int f = form + 1; static_cast<size_t>(f) < job.formStarts.size(); ++f)
        layout.sheets.emplace_back();
    return layout;
}

void DrawSheet(HDC dc, const DrawnSheets& layout, size_t sheet, int originX, int originY)
{
    if (sheet >= layout.sheets.size())
        return;
    const std::vector<DrawnCell>& cells = layout.sheets[sheet];
    const double pixelsPerUnit = layout.pixelsPerUnit;
    ModeFonts fonts(layout, pixelsPerUnit);
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
        text.clear();
        dx.clear();
        for (size_t i = first; i < end; ++i) {
            text.push_back(cells[i].code);
            dx.push_back(i + 1 < end ? cells[i + 1].x - cells[i].x
                                     : static_cast<INT>(std::lround(EscpCellWidth(cells[i].mode) * pixelsPerUnit)));
        }
        SelectObjectScope font(dc, fonts.For(cells[first].mode));
        ExtTextOutW(dc, originX + cells[first].x, originY + cells[first].y, 0, nullptr, text.c_str(),
                    static_cast<UINT>(text.size()), dx.data());
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
    const DrawnSheets layout = LayOutSheets(InterpretEscp(bytes), PrinterSheetArea(dc.Get()));
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
        for (size_t s = 0; s < layout.sheets.size() && reason.empty(); ++s) {
            ++sheet;
            if (StartPage(dc.Get()) <= 0) {
                reason = Reason(GetLastError());
                break;
            }
            DrawSheet(dc.Get(), layout, s, 0, 0);
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
    const int sheets = static_cast<int>(layout.sheets.size());
    if (done)
        *done = {sheets, copies};
    TracePort(FormatText("Nakresleno listů %d, kopií %d, úloha ukončena.", sheets, copies));
    return true;
}

double QueuePaperWidthInches(const std::string& queue)
{
    CreatedDC dc(QueueDC(queue, false));
    if (!dc)
        return 0;
    const SheetArea area = PrinterSheetArea(dc.Get());
    return area.dpiX > 0 ? static_cast<double>(area.paperWidth) / area.dpiX : 0;
}

std::vector<DrawnPreview> PreviewDrawnSheets(const std::string& queue, const std::string& bytes, double dpi,
                                             std::string& failure)
{
    std::vector<DrawnPreview> pages;
    SheetArea area;
    {
        CreatedDC printer(QueueDC(queue, false));
        if (!printer) {
            failure = FormatText("Tiskárnu Windows '%s' nelze připravit ke kreslení: %s", queue.c_str(),
                                 Reason(GetLastError()).c_str());
            return pages;
        }
        area = PrinterSheetArea(printer.Get());
    }
    if (area.dpiX <= 0 || area.dpiY <= 0)
        return pages;
    // The printer's sheet at the screen's resolution.
    auto atX = [&](int v) { return static_cast<int>(std::lround(v * dpi / area.dpiX)); };
    auto atY = [&](int v) { return static_cast<int>(std::lround(v * dpi / area.dpiY)); };
    SheetArea screen = area;
    screen.dpiX = screen.dpiY = static_cast<int>(std::lround(dpi));
    screen.width = atX(area.width);
    screen.height = atY(area.height);
    screen.paperWidth = std::max(1, atX(area.paperWidth));
    screen.paperHeight = std::max(1, atY(area.paperHeight));
    screen.offsetX = atX(area.offsetX);
    screen.offsetY = atY(area.offsetY);
    const DrawnSheets layout = LayOutSheets(InterpretEscp(bytes), screen);

    MemoryDC dc(nullptr);
    for (size_t s = 0; s < layout.sheets.size(); ++s) {
        BITMAPINFO bmi = TopDownBitmapInfo(screen.paperWidth, screen.paperHeight);
        void* bits = nullptr;
        Bitmap bitmap(CreateDIBSection(dc.Get(), &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!bitmap || !bits)
            break;
        const size_t count = static_cast<size_t>(screen.paperWidth) * static_cast<size_t>(screen.paperHeight);
        std::fill_n(static_cast<uint32_t*>(bits), count, 0x00FFFFFFu);
        {
            SelectObjectScope selected(dc.Get(), bitmap.Get());
            DrawSheet(dc.Get(), layout, s, screen.offsetX, screen.offsetY);
            GdiFlush();
        }
        DrawnPreview page;
        page.width = screen.paperWidth;
        page.height = screen.paperHeight;
        page.pixels.assign(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + count);
        pages.push_back(std::move(page));
    }
    return pages;
}
