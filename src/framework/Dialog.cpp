// The dialog base: one dialog procedure for all dialogs, dispatching to the virtual
// handlers of the object stored at WM_INITDIALOG.
#include "framework/Dialog.h"

#include <utility>
#include <vector>

#include "framework/MessageBox.h"
#include "framework/WideText.h"

namespace {

// The few messages whose result a dialog procedure returns itself instead of through
// DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message)
{
    switch (message) {
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN: case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: case WM_COMPAREITEM: case WM_VKEYTOITEM:
    case WM_CHARTOITEM: case WM_QUERYDRAGICON:
        return true;
    default:
        return false;
    }
}

}  // namespace

CDialog::CDialog(UINT templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal()
{
    pending_ = nullptr;
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_),
                                           parent_, &CDialog::DialogProc,
                                           reinterpret_cast<LPARAM>(this));
    hwnd_ = nullptr;
    if (pending_)
        std::rethrow_exception(std::exchange(pending_, nullptr));
    return result;
}

void CDialog::EndDialog(INT_PTR result)
{
    if (hwnd_)
        ::EndDialog(hwnd_, result);
}

void CDialog::EndDialogFailed(std::exception_ptr failure)
{
    if (!pending_)
        pending_ = std::move(failure);
    EndDialog(-1);
}

bool CDialog::UpdateData(bool save)
{
    refused_ = false;
    DoDataExchange(save);
    return !refused_;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(false);
    return TRUE;
}

void CDialog::OnOK()
{
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

bool CDialog::OnCommand(int, int, HWND) { return false; }

bool CDialog::OnNotify(int, NMHDR*, LRESULT&) { return false; }

bool CDialog::OnTimer(UINT_PTR) { return false; }

bool CDialog::OnPaint() { return false; }

void CDialog::OnDestroy() {}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

void CDialog::DoDataExchange(bool) {}

std::wstring CDialog::ItemText(int id) const
{
    const HWND control = GetDlgItem(id);
    const int length = GetWindowTextLengthW(control);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    const int got = GetWindowTextW(control, buffer.data(), length + 1);
    return std::wstring(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

void CDialog::SetItemText(int id, const std::wstring& text)
{
    SetDlgItemTextW(hwnd_, id, text.c_str());
}

void CDialog::DdxText(bool save, int id, std::string& value)
{
    if (!save) {
        SetItemText(id, ToWide(value));
        return;
    }
    if (refused_)
        return;
    const std::wstring text = ItemText(id);
    size_t bad = 0;
    if (ToCp1250(text, value, &bad))
        return;
    // Nothing typed is dropped or changed behind the user's back: the dialog stays open
    // on the character to mend.
    refused_ = true;
    const size_t length = IS_HIGH_SURROGATE(text[bad]) && bad + 1 < text.size() ? 2 : 1;
    ShowMessageBox(ToWide("Znak „") + text.substr(bad, length) +
                       ToWide("“ nelze uložit: text se ukládá ve středoevropském kódování Windows "
                              "(1250), které tento znak nemá.\n\nOpravte prosím vyznačené místo."),
                   MB_OK | MB_ICONEXCLAMATION);
    const HWND control = GetDlgItem(id);
    SetFocus(control);
    SendMessageW(control, EM_SETSEL, bad, bad + length);
}

void CDialog::DdxCheck(bool save, int id, int& value)
{
    const HWND control = GetDlgItem(id);
    if (save)
        value = static_cast<int>(SendMessageW(control, BM_GETCHECK, 0, 0));
    else
        SendMessageW(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void CDialog::DdxControl(bool, int id, HWND& control)
{
    control = GetDlgItem(id);
}

void CDialog::DdxText(bool save, std::initializer_list<std::pair<int, std::string*>> texts)
{
    for (const auto& [id, value] : texts)
        DdxText(save, id, *value);
}

void CDialog::DdxControl(bool save, std::initializer_list<std::pair<int, HWND*>> controls)
{
    for (const auto& [id, control] : controls)
        DdxControl(save, id, *control);
}

void CDialog::CentreWindow()
{
    RECT window{};
    GetWindowRect(hwnd_, &window);
    const HMONITOR monitor = MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(monitor, &info);
    const RECT area = info.rcWork;

    // Centre on a visible owner, else on the work area of the screen.
    RECT centreOn = area;
    const HWND owner = GetWindow(hwnd_, GW_OWNER);
    if (owner && IsWindowVisible(owner) && !IsIconic(owner))
        GetWindowRect(owner, &centreOn);

    const LONG width = window.right - window.left;
    const LONG height = window.bottom - window.top;
    LONG left = (centreOn.left + centreOn.right) / 2 - width / 2;
    LONG top = (centreOn.top + centreOn.bottom) / 2 - height / 2;
    // Keep the whole window on the screen.
    if (left + width > area.right) left = area.right - width;
    if (left < area.left) left = area.left;
    if (top + height > area.bottom) top = area.bottom - height;
    if (top < area.top) top = area.top;
    SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDialog* self;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    } else {
        self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    // Messages before WM_INITDIALOG (WM_SETFONT) and after WM_NCDESTROY have no object.
    if (!self)
        return FALSE;

    INT_PTR handled = FALSE;
    try {
        handled = self->Dispatch(message, wParam, lParam);
    } catch (...) {
        // Windows' own frames must not be unwound: keep the first exception, end the
        // dialog, and let DoModal throw it again.
        self->EndDialogFailed(std::current_exception());
        handled = TRUE;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
    }
    return handled;
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    switch (message) {
    case WM_INITDIALOG: {
        RECT before{}, after{};
        GetWindowRect(hwnd_, &before);
        const BOOL setFocus = OnInitDialog();
        GetWindowRect(hwnd_, &after);
        // Like the framework: only a window that its init handler did not place is centred.
        if (centreOnOpen_ && EqualRect(&before, &after) && !(GetWindowLongW(hwnd_, GWL_STYLE) & WS_CHILD))
            CentreWindow();
        return setFocus;
    }
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        const HWND control = reinterpret_cast<HWND>(lParam);
        // Buttons, Enter and Esc (code BN_CLICKED, 0) and menu commands.
        if (id == IDOK && code == BN_CLICKED) {
            OnOK();
            return TRUE;
        }
        if (id == IDCANCEL && code == BN_CLICKED) {
            OnCancel();
            return TRUE;
        }
        return OnCommand(id, code, control) ? TRUE : FALSE;
    }
    case WM_NOTIFY: {
        NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
        if (!OnNotify(static_cast<int>(wParam), header, result))
            return FALSE;
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    case WM_TIMER:
        return OnTimer(static_cast<UINT_PTR>(wParam)) ? TRUE : FALSE;
    case WM_PAINT:
        return OnPaint() ? TRUE : FALSE;
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    default:
        if (!OnMessage(message, wParam, lParam, result))
            return FALSE;
        if (ReturnsResultDirectly(message))
            return static_cast<INT_PTR>(result);
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
    }
}
