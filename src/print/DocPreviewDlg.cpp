// The preview: the sheets drawn at the width of the view (the sheet fills it, up to a
// size that follows the screen's resolution), one under the other, scrolled with the bar,
// the wheel or the keys. Only the sheets in sight are drawn, and a few seen last are kept;
// a job of any length needs no more. For a printer that gets drawn pages, its own sheets
// as the drawing code makes them for it.
#include "print/DocPreviewDlg.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>
#include <utility>
#include <vector>

#include "framework/FailureText.h"
#include "framework/MessageBox.h"
#include "framework/SystemText.h"
#include "framework/WideText.h"
#include "print/escp/EscpDraw.h"
#include "res/resource.h"

namespace {

const wchar_t kPageViewClass[] = L"QuilletPageView";
constexpr COLORREF kDesk = RGB((kDeskColour >> 16) & 0xFF, (kDeskColour >> 8) & 0xFF, kDeskColour & 0xFF);
constexpr int kWheelLines = 3;
constexpr double kMaxDpi = 150;                 // a wider screen of 96 dpi shows the sheet no larger
// Pixels at 96 dpi, more on a screen of more dpi:
constexpr int kGap = 8;                         // desk around and between sheets
constexpr int kScreenMargin = 16;               // work area left round the dialog
constexpr POINT kSmallestSize = {320, 240};     // the least the dialog shrinks to
// The buttons, in dialog units: their size, and the room right of and below each.
constexpr RECT kButtonUnits = {0, 0, 60, 15};
constexpr RECT kButtonMarginUnits = {0, 0, 7, 5};
// Sheets out of sight are kept while all kept take no more than this.
constexpr size_t kKeptBytes = 24u << 20;

// Continuous form paper: each form of the job a sheet.
class FormSheets : public PreviewSheets {
public:
    explicit FormSheets(const std::string& bytes) : bytes_(bytes), outline_(OutlineEscp(bytes)) {}

    double WidthInches() const override { return kSheetWidthInches; }
    size_t Count() const override { return outline_.paper.forms.size(); }
    int Height(size_t sheet, double dpi) const override { return EscpSheetHeight(outline_.paper, sheet, dpi); }
    EscpPageImage Draw(size_t sheet, double dpi) const override
    {
        return RenderEscpSheet(bytes_, outline_, sheet, dpi);
    }

private:
    const std::string& bytes_;
    EscpOutline outline_;
};

// The sheets of a printer's own paper, as the job is drawn on them.
class QueueSheets : public PreviewSheets {
public:
    QueueSheets(const std::string& bytes, const SheetArea& paper)
        : bytes_(bytes), paper_(paper), plan_(PlanSheets(bytes, paper))
    {
    }

    double WidthInches() const override { return static_cast<double>(paper_.paperWidth) / paper_.dpiX; }
    size_t Count() const override { return plan_.sheets.size(); }
    int Height(size_t, double dpi) const override
    {
        return std::max(1, static_cast<int>(std::lround(paper_.paperHeight * dpi / paper_.dpiY)));
    }
    EscpPageImage Draw(size_t sheet, double dpi) const override
    {
        return DrawPlannedSheet(bytes_, plan_, sheet, paper_, dpi);
    }

private:
    const std::string& bytes_;
    SheetArea paper_;
    DrawnSheetPlan plan_;
};

}  // namespace

std::unique_ptr<PreviewSheets> MakePreviewSheets(const std::string& bytes, const std::string& drawnQueue)
{
    SheetArea paper;
    if (!drawnQueue.empty() && QueuePaper(drawnQueue, paper))
        return std::make_unique<QueueSheets>(bytes, paper);
    return std::make_unique<FormSheets>(bytes);
}

double PreviewRasterDpi(int viewWidth, double sheetInches, unsigned screenDpi)
{
    return std::min(kMaxDpi * screenDpi / kDefaultDpi, viewWidth / sheetInches);
}

class CDocPreviewDlg::PageView {
public:
    PageView(CDocPreviewDlg& owner, const PreviewSheets& sheets) : owner_(owner), sheets_(sheets) {}

    HWND Create(HWND parent)
    {
        static const ATOM registered = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof wc;
            wc.style = CS_HREDRAW | CS_VREDRAW;
            wc.lpfnWndProc = &PageView::Proc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
            wc.lpszClassName = kPageViewClass;
            return RegisterClassExW(&wc);
        }();
        (void)registered;
        return CreateWindowExW(WS_EX_CLIENTEDGE, kPageViewClass, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP,
                               0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PAGE_VIEW)),
                               GetModuleHandleW(nullptr), this);
    }

private:
    struct Kept {
        EscpPageImage image;
        unsigned long shown = 0;  // the paint that last showed it
    };

    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE) {
            auto* self = static_cast<PageView*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            self->hwnd_ = hwnd;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<PageView*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self) {
            try {
                LRESULT result = 0;
                if (self->Handle(message, wParam, lParam, result))
                    return result;
            } catch (...) {
                // Nothing may unwind through Windows' own frames: the preview ends, and
                // says why once Windows has returned.
                self->owner_.EndDialogFailed(std::current_exception());
                return 0;
            }
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    bool Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
    {
        switch (message) {
        case WM_SIZE:
            Fit(LOWORD(lParam), HIWORD(lParam));
            return true;
        case kDpiChangedAfterParent: {
            RECT client{};
            GetClientRect(hwnd_, &client);
            Fit(client.right, client.bottom);
            return true;
        }
        case WM_ERASEBKGND:
            result = 1;  // the paint covers everything
            return true;
        case WM_PAINT:
            Paint();
            return true;
        case WM_VSCROLL:
            OnScroll(LOWORD(wParam));
            return true;
        case WM_MOUSEWHEEL:
            ScrollTo(top_ - GET_WHEEL_DELTA_WPARAM(wParam) * kWheelLines * LineStep() / WHEEL_DELTA);
            return true;
        case WM_KEYDOWN: {
            const struct { WPARAM key; int code; } keys[] = {
                {VK_UP, SB_LINEUP}, {VK_DOWN, SB_LINEDOWN}, {VK_PRIOR, SB_PAGEUP},
                {VK_NEXT, SB_PAGEDOWN}, {VK_HOME, SB_TOP}, {VK_END, SB_BOTTOM},
            };
            for (const auto& k : keys) {
                if (k.key == wParam) {
                    OnScroll(k.code);
                    return true;
                }
            }
            return false;
        }
        case WM_GETDLGCODE:
            result = DLGC_WANTARROWS;
            return true;
        case WM_LBUTTONDOWN:
            SetFocus(hwnd_);
            return true;
        }
        return false;
    }

    // One printed line of 1/8 inch at the current scale.
    int LineStep() const { return std::max(1, static_cast<int>(std::lround(dpi_ / 8))); }

    // Zoom to the width of the view, at most as far as the screen's resolution asks: the
    // sheets are drawn again when that changes.
    void Fit(int width, int height)
    {
        height_ = height;
        const unsigned screenDpi = WindowDpi(hwnd_);
        const int gap = ScaledForDpi(kGap, screenDpi);
        const double dpi = PreviewRasterDpi(width, sheets_.WidthInches(), screenDpi);
        if (width > 0 && (dpi != dpi_ || gap != gap_)) {
            dpi_ = dpi;
            gap_ = gap;
            kept_.clear();
            tops_.assign(1, gap_);
            for (size_t sheet = 0; sheet < sheets_.Count(); ++sheet)
                tops_.push_back(tops_.back() + sheets_.Height(sheet, dpi_) + gap_);
        }
        ScrollTo(top_);
    }

    int Total() const { return tops_.empty() ? 0 : tops_.back(); }

    void OnScroll(int code)
    {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        GetScrollInfo(hwnd_, SB_VERT, &info);
        switch (code) {
        case SB_LINEUP: ScrollTo(top_ - LineStep()); break;
        case SB_LINEDOWN: ScrollTo(top_ + LineStep()); break;
        case SB_PAGEUP: ScrollTo(top_ - std::max(LineStep(), height_ - LineStep())); break;
        case SB_PAGEDOWN: ScrollTo(top_ + std::max(LineStep(), height_ - LineStep())); break;
        case SB_TOP: ScrollTo(0); break;
        case SB_BOTTOM: ScrollTo(Total()); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: ScrollTo(info.nTrackPos); break;
        }
    }

    void ScrollTo(int top)
    {
        top_ = std::max(0, std::min(top, Total() - height_));
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
        info.nMin = 0;
        info.nMax = std::max(0, Total() - 1);
        info.nPage = static_cast<UINT>(std::max(0, height_));
        info.nPos = top_;
        SetScrollInfo(hwnd_, SB_VERT, &info, TRUE);
        InvalidateRect(hwnd_, nullptr, FALSE);
    }

    // The sheets that reach into the view, from the first.
    std::vector<size_t> InSight(int viewHeight) const
    {
        std::vector<size_t> sheets;
        if (tops_.size() < 2)
            return sheets;
        // tops_ holds where each sheet starts, and the end: the first sheet in sight is
        // the last that starts at or above the view's top.
        const auto after = std::upper_bound(tops_.begin(), tops_.end() - 1, top_);
        size_t sheet = after == tops_.begin() ? 0 : static_cast<size_t>(after - tops_.begin() - 1);
        for (; sheet + 1 < tops_.size() && tops_[sheet] < top_ + viewHeight; ++sheet)
            if (tops_[sheet + 1] - gap_ > top_)
                sheets.push_back(sheet);
        return sheets;
    }

    static size_t Bytes(const EscpPageImage& image) { return image.pixels.size() * sizeof(uint32_t); }

    // Makes room for the sheets about to be shown: those seen longest ago go first, and
    // those in sight stay.
    void Forget(const std::vector<size_t>& inSight)
    {
        size_t bytes = 0;
        for (size_t sheet : inSight) {
            const auto kept = kept_.find(sheet);
            bytes += kept != kept_.end() ? Bytes(kept->second.image)
                                         : static_cast<size_t>(std::lround(sheets_.WidthInches() * dpi_)) *
                                               static_cast<size_t>(sheets_.Height(sheet, dpi_)) * sizeof(uint32_t);
        }
        std::vector<std::pair<unsigned long, size_t>> others;  // when shown, which sheet
        for (const auto& [sheet, kept] : kept_) {
            if (std::find(inSight.begin(), inSight.end(), sheet) == inSight.end()) {
                others.push_back({kept.shown, sheet});
                bytes += Bytes(kept.image);
            }
        }
        std::sort(others.begin(), others.end());
        for (auto other = others.begin(); bytes > kKeptBytes && other != others.end(); ++other) {
            bytes -= Bytes(kept_[other->second].image);
            kept_.erase(other->second);
        }
    }

    void Paint()
    {
        PaintDC paint(hwnd_);
        const HDC dc = paint.Get();
        RECT client{};
        GetClientRect(hwnd_, &client);
        const std::vector<size_t> inSight = InSight(client.bottom);
        Forget(inSight);
        ++paints_;
        for (size_t sheet : inSight) {
            auto kept = kept_.find(sheet);
            if (kept == kept_.end())
                kept = kept_.emplace(sheet, Kept{sheets_.Draw(sheet, dpi_)}).first;
            kept->second.shown = paints_;
            const EscpPageImage& page = kept->second.image;
            const int y = tops_[sheet] - top_;
            BITMAPINFO bmi = TopDownBitmapInfo(page.width, page.height);
            StretchDIBits(dc, 0, y, page.width, page.height, 0, 0, page.width, page.height, page.pixels.data(), &bmi,
                          DIB_RGB_COLORS, SRCCOPY);
            ExcludeClipRect(dc, 0, y, page.width, y + page.height);
        }
        Brush desk(CreateSolidBrush(kDesk));
        FillRect(dc, &client, desk.Get());
    }

    CDocPreviewDlg& owner_;
    const PreviewSheets& sheets_;
    HWND hwnd_ = nullptr;
    std::map<size_t, Kept> kept_;  // drawn at dpi_
    unsigned long paints_ = 0;
    std::vector<int> tops_;        // where each sheet starts in the view's whole height, and the end
    double dpi_ = 0;
    int gap_ = 0;
    int height_ = 0;
    int top_ = 0;
};

CDocPreviewDlg::CDocPreviewDlg(const std::string& bytes, const std::wstring& number, HWND parent,
                               const std::string& drawnQueue)
    : CDialog(IDD_DOC_PREVIEW, parent),
      makeSheets_([&bytes, drawnQueue] { return MakePreviewSheets(bytes, drawnQueue); }),
      caption_(ToWide("Náhled – ") + number)
{
}

CDocPreviewDlg::CDocPreviewDlg(std::unique_ptr<PreviewSheets> sheets, const std::wstring& number, HWND parent)
    : CDialog(IDD_DOC_PREVIEW, parent), sheets_(std::move(sheets)), caption_(ToWide("Náhled – ") + number)
{
}

CDocPreviewDlg::~CDocPreviewDlg() = default;

INT_PTR CDocPreviewDlg::Show()
{
    try {
        return DoModal();
    } catch (...) {
        ShowMessageBox("Náhled se nepodařilo zobrazit: " + FailureText(std::current_exception()) +
                           ".\n\nDoklad lze i tak vytisknout tlačítkem Tisk.",
                       MB_OK | MB_ICONEXCLAMATION);
        return IDCANCEL;
    }
}

BOOL CDocPreviewDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    const HWND dialog = GetSafeHwnd();
    TakeOverDpiChanges(dialog);
    SetWindowTextW(dialog, caption_.c_str());
    if (!sheets_)
        sheets_ = makeSheets_();

    dpi_ = openDpi_ = WindowDpi(dialog);
    RECT button = kButtonUnits;
    RECT margin = kButtonMarginUnits;
    MapDialogRect(dialog, &button);
    MapDialogRect(dialog, &margin);
    button_ = {button.right, button.bottom};
    margin_ = {margin.right, margin.bottom};
    const auto font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    if (!font || GetObjectW(font, sizeof openFont_, &openFont_) != sizeof openFont_)
        openFont_ = LOGFONTW{};
    view_ = std::make_unique<PageView>(*this, *sheets_);
    const HWND view = view_->Create(dialog);
    if (!view)
        throw std::runtime_error(SystemText(GetLastError()));

    // Most of the work area of the monitor it opens on, the sheet at most as wide as the
    // screen's resolution lets it be, centred.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT work = monitor.rcWork;
    const int screenMargin = ScaledForDpi(kScreenMargin, dpi_);
    const int chrome = 2 * GetSystemMetrics(SM_CXSIZEFRAME) + GetSystemMetrics(SM_CXVSCROLL) +
                       2 * GetSystemMetrics(SM_CXEDGE);
    const double widest = sheets_->WidthInches() * kMaxDpi * dpi_ / kDefaultDpi;
    const int width = std::min<int>(work.right - work.left - 2 * screenMargin, static_cast<int>(widest) + chrome);
    const int height = work.bottom - work.top - 2 * screenMargin;
    SetWindowPos(dialog, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, width, height, SWP_NOZORDER);
    Layout();
    SetFocus(view);
    return FALSE;  // the page view has the focus, so that the keys scroll it
}

void CDocPreviewDlg::Layout()
{
    if (!view_)
        return;  // not made yet
    auto scaled = [&](LONG pixels) { return MulDiv(pixels, static_cast<int>(dpi_), static_cast<int>(openDpi_)); };
    const SIZE button = {scaled(button_.cx), scaled(button_.cy)};
    const SIZE margin = {scaled(margin_.cx), scaled(margin_.cy)};
    RECT client{};
    GetClientRect(GetSafeHwnd(), &client);
    const int bottom = client.bottom - margin.cy - button.cy;
    int x = client.right - margin.cx - button.cx;
    for (int id : {IDCANCEL, IDOK}) {
        MoveWindow(GetDlgItem(id), x, bottom, button.cx, button.cy, TRUE);
        x -= margin.cx + button.cx;
    }
    MoveWindow(GetDlgItem(IDC_PAGE_VIEW), 0, 0, client.right, bottom - margin.cy, TRUE);
}

void CDocPreviewDlg::OnDpiChanged(unsigned dpi, const RECT& suggested)
{
    dpi_ = dpi;
    if (openFont_.lfHeight) {
        LOGFONTW font = openFont_;
        font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi_), static_cast<int>(openDpi_));
        Font scaled(CreateFontIndirectW(&font));
        for (int id : {IDOK, IDCANCEL})
            SendMessageW(GetDlgItem(id), WM_SETFONT, reinterpret_cast<WPARAM>(scaled.Get()), TRUE);
        font_ = std::move(scaled);
    }
    // The new size lays the buttons out again, and the page view draws its sheets anew.
    SetWindowPos(GetSafeHwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CDocPreviewDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_SIZE:
        Layout();
        return true;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {ScaledForDpi(kSmallestSize.x, dpi_),
                                                                 ScaledForDpi(kSmallestSize.y, dpi_)};
        return true;
    case WM_MOUSEWHEEL:
        // The wheel turns wherever the focus is; it always scrolls the page.
        result = SendMessageW(GetDlgItem(IDC_PAGE_VIEW), message, wParam, lParam);
        return true;
    case WM_DPICHANGED:
        OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        result = 0;
        return true;
    }
    return false;
}
