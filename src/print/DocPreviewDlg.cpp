// The preview: the sheets drawn by the ESC/P rasteriser at the width of the view (the
// sheet fills it), one under the other, scrolled with the bar, the wheel or the keys. Only
// the sheets in sight are drawn and kept. For a printer that gets drawn pages, its own
// sheets as the drawing code makes them for it.
#include "print/DocPreviewDlg.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "print/escp/EscpRender.h"
#include "framework/Gdi.h"
#include "framework/WideText.h"
#include "print/escp/EscpDraw.h"
#include "res/resource.h"

namespace {

const char kPageViewClass[] = "QuilletPageView";
constexpr int kGap = 8;                         // pixels of desk around and between sheets
constexpr COLORREF kDesk = RGB((kDeskColour >> 16) & 0xFF, (kDeskColour >> 8) & 0xFF, kDeskColour & 0xFF);
constexpr int kWheelLines = 3;
constexpr double kMaxDpi = 150;                 // a wider screen shows the sheet no larger
// The buttons, in dialog units: their size, and the room right of and below each.
constexpr RECT kButtonUnits = {0, 0, 60, 15};
constexpr RECT kButtonMarginUnits = {0, 0, 7, 5};
constexpr int kScreenMargin = 16;               // pixels of work area left round the dialog
constexpr POINT kSmallestSize = {320, 240};     // pixels, the least the dialog shrinks to

}  // namespace

class CDocPreviewDlg::PageView {
public:
    PageView(const std::string& bytes, const std::string& drawnQueue) : job_(InterpretEscp(bytes))
    {
        if (!drawnQueue.empty())
            sheetInches_ = QueuePaperWidthInches(drawnQueue);
        if (sheetInches_ > 0) {
            queue_ = drawnQueue;
            bytes_ = bytes;
        } else {
            sheetInches_ = kSheetWidthInches;
        }
    }

    // How wide a sheet is: the printer's paper, or continuous form paper.
    double SheetInches() const { return sheetInches_; }

    HWND Create(HWND parent)
    {
        static const ATOM registered = [] {
            WNDCLASSEXA wc{};
            wc.cbSize = sizeof wc;
            wc.style = CS_HREDRAW | CS_VREDRAW;
            wc.lpfnWndProc = &PageView::Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
            wc.lpszClassName = kPageViewClass;
            return RegisterClassExA(&wc);
        }();
        (void)registered;
        return CreateWindowExA(WS_EX_CLIENTEDGE, kPageViewClass, "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP,
                               0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PAGE_VIEW)),
                               GetModuleHandleA(nullptr), this);
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE) {
            auto* self = static_cast<PageView*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
            self->hwnd_ = hwnd;
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<PageView*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self) {
            LRESULT result = 0;
            if (self->Handle(message, wParam, lParam, result))
                return result;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }

    bool Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
    {
        switch (message) {
        case WM_SIZE:
            Fit(LOWORD(lParam), HIWORD(lParam));
            return true;
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

    // Zoom to the width of the view: the pages are drawn again when it changes.
    void Fit(int width, int height)
    {
        height_ = height;
        if (width > 0 && width != width_) {
            width_ = width;
            dpi_ = std::min(kMaxDpi, width / sheetInches_);
            shown_.clear();
            total_ = kGap;
            if (!queue_.empty()) {
                // A drawn document is a few sheets of the printer's paper: all drawn at once.
                drawn_.clear();
                std::string failure;
                for (DrawnPreview& sheet : PreviewDrawnSheets(queue_, bytes_, dpi_, failure)) {
                    total_ += sheet.height + kGap;
                    drawn_.push_back({sheet.width, sheet.height, std::move(sheet.pixels)});
                }
            }
            for (size_t sheet = 0; drawn_.empty() && sheet < job_.forms.size(); ++sheet)
                total_ += EscpSheetHeight(job_, sheet, dpi_) + kGap;
        }
        ScrollTo(top_);
    }

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
        case SB_BOTTOM: ScrollTo(total_); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: ScrollTo(info.nTrackPos); break;
        }
    }

    void ScrollTo(int top)
    {
        top_ = std::max(0, std::min(top, total_ - height_));
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
        info.nMin = 0;
        info.nMax = std::max(0, total_ - 1);
        info.nPage = static_cast<UINT>(std::max(0, height_));
        info.nPos = top_;
        SetScrollInfo(hwnd_, SB_VERT, &info, TRUE);
        InvalidateRect(hwnd_, nullptr, FALSE);
    }

    void Paint()
    {
        PaintDC paint(hwnd_);
        const HDC dc = paint.Get();
        RECT client{};
        GetClientRect(hwnd_, &client);
        int y = kGap - top_;
        std::map<size_t, EscpPageImage> shown;
        const size_t sheets = drawn_.empty() ? job_.forms.size() : drawn_.size();
        for (size_t sheet = 0; sheet < sheets && y < client.bottom; ++sheet) {
            const int height = drawn_.empty() ? EscpSheetHeight(job_, sheet, dpi_) : drawn_[sheet].height;
            if (y + height > 0) {
                const auto drawn = shown_.find(sheet);
                const EscpPageImage& page =
                    !drawn_.empty() ? drawn_[sheet]
                                    : shown[sheet] = drawn != shown_.end() ? std::move(drawn->second)
                                                                           : RenderEscpSheet(job_, sheet, dpi_);
                BITMAPINFO bmi = TopDownBitmapInfo(page.width, page.height);
                StretchDIBits(dc, 0, y, page.width, page.height, 0, 0, page.width, page.height,
                              page.pixels.data(), &bmi, DIB_RGB_COLORS, SRCCOPY);
                ExcludeClipRect(dc, 0, y, page.width, y + page.height);
            }
            y += height + kGap;
        }
        shown_ = std::move(shown);
        Brush desk(CreateSolidBrush(kDesk));
        FillRect(dc, &client, desk.Get());
    }

    HWND hwnd_ = nullptr;
    EscpJob job_;
    std::map<size_t, EscpPageImage> shown_;  // the sheets in sight at the last paint
    std::string queue_, bytes_;              // a printer that gets drawn pages, and the job
    double sheetInches_ = 0;
    std::vector<EscpPageImage> drawn_;       // its sheets, when it does
    double dpi_ = 0;
    int width_ = 0;
    int height_ = 0;
    int total_ = 0;
    int top_ = 0;
};

CDocPreviewDlg::CDocPreviewDlg(std::string bytes, const std::wstring& number, HWND parent,
                               const std::string& drawnQueue)
    : CDialog(IDD_DOC_PREVIEW, parent), view_(std::make_unique<PageView>(bytes, drawnQueue)),
      caption_(ToWide("Náhled – ") + number)
{
}

CDocPreviewDlg::~CDocPreviewDlg() = default;

BOOL CDocPreviewDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowTextW(GetSafeHwnd(), caption_.c_str());
    const HWND view = view_->Create(GetSafeHwnd());

    // Most of the work area, the sheet at most kMaxDpi wide, centred.
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int chrome = 2 * GetSystemMetrics(SM_CXSIZEFRAME) + GetSystemMetrics(SM_CXVSCROLL) +
                       2 * GetSystemMetrics(SM_CXEDGE);
    const int width = std::min<int>(work.right - work.left - 2 * kScreenMargin,
                                    static_cast<int>(view_->SheetInches() * kMaxDpi) + chrome);
    const int height = work.bottom - work.top - 2 * kScreenMargin;
    SetWindowPos(GetSafeHwnd(), nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, width, height, SWP_NOZORDER);
    Layout();
    SetFocus(view);
    return FALSE;  // the page view has the focus, so that the keys scroll it
}

void CDocPreviewDlg::Layout()
{
    RECT client{};
    GetClientRect(GetSafeHwnd(), &client);
    RECT button = kButtonUnits;
    RECT margin = kButtonMarginUnits;
    MapDialogRect(GetSafeHwnd(), &button);
    MapDialogRect(GetSafeHwnd(), &margin);
    const int bottom = client.bottom - margin.bottom - button.bottom;
    int x = client.right - margin.right - button.right;
    for (int id : {IDCANCEL, IDOK}) {
        MoveWindow(GetDlgItem(id), x, bottom, button.right, button.bottom, TRUE);
        x -= margin.right + button.right;
    }
    MoveWindow(GetDlgItem(IDC_PAGE_VIEW), 0, 0, client.right, bottom - margin.bottom, TRUE);
}

bool CDocPreviewDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_SIZE:
        Layout();
        return true;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = kSmallestSize;
        return true;
    case WM_MOUSEWHEEL:
        // The wheel turns wherever the focus is; it always scrolls the page.
        result = SendMessageA(GetDlgItem(IDC_PAGE_VIEW), message, wParam, lParam);
        return true;
    }
    return false;
}
