// The hidden main window: splash, tray icon and menu, the keyboard hook and the hotkeys.
#include "app/TrayDlg.h"

#include <shellapi.h>

#include <algorithm>

#include "app/AboutDlg.h"
#include "app/HookLibrary.h"
#include "config/AgendaSettingsDlg.h"
#include "framework/Dpi.h"
#include "framework/Gdi.h"
#include "framework/MessageBox.h"
#include "framework/WideText.h"
#include "printer/JobCancel.h"
#include "res/resource.h"

namespace {

constexpr UINT_PTR kSplashTimer = 1000;
constexpr UINT kSplashMillis = 1000;
// At log-on the shell may not take icons yet: the add is tried again for half a minute.
constexpr UINT_PTR kTrayRetryTimer = 1001;
constexpr UINT kTrayRetryMillis = 1000;
constexpr int kTrayRetries = 30;
// Windows may end the process soon after WM_ENDSESSION returns; a document being sent is
// given up within this time (a device's write at once, a queue's write when it returns).
constexpr DWORD kSessionEndMillis = 4000;

UINT TaskbarCreatedMessage()
{
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

UINT CloseWithdrawnMessage()
{
    static const UINT message = RegisterWindowMessageA(kCloseWithdrawnMessage);
    return message;
}

}  // namespace

CTrayDlg::CTrayDlg(PrintWorker* printer, HWND parent)
    : CDialog(IDD_TRAY_DIALOG, parent),
      printer_(printer),
      icon_(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_MAINFRAME)))
{
}

CTrayDlg::~CTrayDlg() = default;

BOOL CTrayDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SendMessageA(GetSafeHwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    // The window has no caption to show it; the title names the taskbar button while the
    // splash is up, and lets the setup program find the running instance.
    SetWindowTextW(GetSafeHwnd(), L"Quillet");
    FitSplashPicture();

    if (printer_) {
        printer_->SetNotify(GetSafeHwnd());
        printer_->Probe();
    }
    config_.Load();
    if (printer_)
        printer_->Watch(config_);
    AddTrayIcon();
    if (!InstallHook(GetSafeHwnd()))
        ShowMessageBox("Klávesy F9, F10 a F11 nebudou fungovat: nepodařilo se zapnout sledování "
                       "klávesnice.\n\nDoklady lze tisknout kliknutím na ikonu Quillet "
                       "v oznamovací oblasti.",
                       MB_OK | MB_ICONEXCLAMATION);
    SetTimer(GetSafeHwnd(), kSplashTimer, kSplashMillis, nullptr);
    return TRUE;
}

void CTrayDlg::FitSplashPicture()
{
    HWND picture = GetWindow(GetSafeHwnd(), GW_CHILD);
    const auto shown = reinterpret_cast<HBITMAP>(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP size{};
    const unsigned dpi = WindowDpi(GetSafeHwnd());
    if (!picture || !shown || !GetObjectW(shown, sizeof size, &size) || dpi <= kDefaultDpi)
        return;
    const int width = ScaledForDpi(size.bmWidth, dpi);
    const int height = ScaledForDpi(size.bmHeight, dpi);
    WindowDC screen(GetSafeHwnd());
    MemoryDC from(screen.Get()), to(screen.Get());
    Bitmap scaled(CreateCompatibleBitmap(screen.Get(), width, height));
    if (!from || !to || !scaled)
        return;
    {
        SelectObjectScope source(from.Get(), shown), target(to.Get(), scaled.Get());
        SetStretchBltMode(to.Get(), HALFTONE);
        SetBrushOrgEx(to.Get(), 0, 0, nullptr);
        StretchBlt(to.Get(), 0, 0, width, height, from.Get(), 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
    }
    // The control answers with the picture it loaded from the resources, which is ours to
    // delete now; the scaled one stays with this window.
    Bitmap loaded(reinterpret_cast<HBITMAP>(
        SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(scaled.Get()))));
    splash_ = std::move(scaled);
    // The window, whose size the font gave, takes the picture's, centred on its monitor.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(GetSafeHwnd(), MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    SetWindowPos(GetSafeHwnd(), nullptr, (work.left + work.right - width) / 2, (work.top + work.bottom - height) / 2,
                 width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(picture, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CTrayDlg::OnTimer(UINT_PTR id)
{
    if (id == kTrayRetryTimer) {
        if (SetTrayIcon(true) || --trayRetries_ > 0)
            return true;
        KillTimer(GetSafeHwnd(), id);
        ShowMessageBox("Ikonu Quillet se nepodařilo přidat do oznamovací oblasti.\n\nDoklady lze dál tisknout "
                       "klávesami F9, F10 a F11; ikona se objeví, až se oznamovací oblast obnoví.",
                       MB_OK | MB_ICONEXCLAMATION);
        return true;
    }
    // The first tick ends the splash; the window is never shown again.
    KillTimer(GetSafeHwnd(), id);
    ShowWindow(GetSafeHwnd(), SW_HIDE);
    return false;
}

bool CTrayDlg::OnCommand(int id, int, HWND)
{
    // One of each dialog: choosing it again brings the open one to the front, where two
    // settings dialogs would each write every key and the last closed would win.
    switch (id) {
    case ID_APP_ABOUT: {
        CAboutDlg about;
        if (!BringForward(about.TemplateId()))
            RunTrayDialog(about);
        return true;
    }
    case ID_SETTINGS: {
        CAgendaSettingsDlg settings;
        if (!BringForward(settings.TemplateId()) && RunTrayDialog(settings) == IDOK) {
            config_.Load();
            if (printer_)
                printer_->Watch(config_);
        }
        return true;
    }
    case ID_APP_EXIT:
        // Never with a dialog open, where the user's work would be lost: it comes to the
        // front instead. Never in the middle of a job: the print ends first.
        if (BringForward(0))
            return true;
        if (PrintBusy)
            exitAfterPrint_ = true;
        else
            EndDialog(IDOK);
        return true;
    default:
        return false;
    }
}

INT_PTR CTrayDlg::RunTrayDialog(CDialog& dialog)
{
    struct Open {
        std::vector<CDialog*>& dialogs;
        ~Open() { dialogs.pop_back(); }
    } open{openDialogs_};
    openDialogs_.push_back(&dialog);
    return dialog.DoModal();
}

bool CTrayDlg::BringForward(UINT templateId)
{
    const auto found = std::find_if(openDialogs_.rbegin(), openDialogs_.rend(), [templateId](const CDialog* dialog) {
        return templateId == 0 || dialog->TemplateId() == templateId;
    });
    if (found == openDialogs_.rend())
        return false;
    // Just chosen from the tray menu, this process may take the foreground.
    if (const HWND window = (*found)->GetSafeHwnd())
        SetForegroundWindow(window);
    return true;
}

void CTrayDlg::OnDestroy()
{
    if (printer_)
        printer_->SetNotify(nullptr);
    SetTrayIcon(false);
    RemoveHook();
    CDialog::OnDestroy();
}

bool CTrayDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_HOOKKEY:
        OnHookKey(wParam, lParam);
        result = 0;
        return true;
    case WM_TRAYNOTIFY:
        OnTrayNotify(lParam);
        result = 0;
        return true;
    case WM_CLOSE:
        result = OnClose();
        return true;
    case WM_PRINTENDED:
        OnPrintEnded();
        result = 0;
        return true;
    case WM_PRINTSENDING:
        OnPrintSending(wParam != 0);
        result = 0;
        return true;
    case WM_PRINTNOTICE:
        OnPrintNotice();
        result = 0;
        return true;
    case WM_QUERYENDSESSION:
        // Not in the middle of a document; Windows shows the reason and lets the user end
        // the session anyway.
        result = blockingEnd_ ? FALSE : TRUE;
        return true;
    case WM_ENDSESSION:
        OnEndSession(wParam != 0);
        result = 0;
        return true;
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<LRESULT>(icon_);
        return true;
    default:
        // A restarted shell has lost the icon; without it the menu, and so "&Konec",
        // would be out of reach.
        if (message == TaskbarCreatedMessage()) {
            AddTrayIcon();
            result = 0;
            return true;
        }
        if (message == CloseWithdrawnMessage()) {
            closeAfterPrint_ = false;
            result = 0;
            return true;
        }
        return CDialog::OnMessage(message, wParam, lParam, result);
    }
}

LRESULT CTrayDlg::OnClose()
{
    // Someone asks the program to end (the setup program before an upgrade, say): it ends
    // as through "&Konec", but never with one of its dialogs open, where the user's work
    // would be lost, and never in the middle of a print.
    if (!openDialogs_.empty())
        return 0;
    if (PrintBusy) {
        closeAfterPrint_ = true;
        return kClosingAfterPrint;
    }
    EndDialog(IDOK);
    return 0;
}

void CTrayDlg::OnPrintSending(bool sending)
{
    if (sending && printer_) {
        // Where no reason can be set (Wine), the session is still not ended in the middle
        // of a document.
        const std::wstring reason = ToWide("Quillet tiskne doklad " + printer_->SendingDocument());
        ShutdownBlockReasonCreate(GetSafeHwnd(), reason.c_str());
        blockingEnd_ = true;
    } else if (!sending && blockingEnd_) {
        ShutdownBlockReasonDestroy(GetSafeHwnd());
        blockingEnd_ = false;
    }
}

void CTrayDlg::OnEndSession(bool ending)
{
    if (!ending)
        return;
    CancelPrintJobs();
    WaitForPrintJobs(kSessionEndMillis);
}

void CTrayDlg::OnPrintEnded()
{
    OnPrintSending(false);
    // The print thread cleared PrintBusy before it said so; a print started since, by a key
    // taken in between, is waited for in turn.
    if ((exitAfterPrint_ || closeAfterPrint_) && !PrintBusy)
        EndDialog(IDOK);
}

namespace {

// Whether Alt, Ctrl or Shift was down with the key. The keystrokes go to the application
// with the focus, never to this thread, so its own key state (GetKeyState) knows nothing of
// them; a hook library that does not note the modifiers leaves the system's present state.
bool ModifierHeld(DWORD flags)
{
    if (flags & kHookModifiersNoted)
        return (flags & (kHookAltHeld | kHookCtrlHeld | kHookShiftHeld)) != 0;
    return GetAsyncKeyState(VK_MENU) < 0 || GetAsyncKeyState(VK_CONTROL) < 0 || GetAsyncKeyState(VK_SHIFT) < 0;
}

}  // namespace

void CTrayDlg::OnHookKey(WPARAM vk, LPARAM flags)
{
    if (!(static_cast<DWORD>(flags) & kHookKeyReleased))
        return;  // only the release acts
    if (ModifierHeld(static_cast<DWORD>(flags)))
        return;
    switch (vk) {
    case VK_F9:
        StartPrint(ChooseDocument);
        break;
    case VK_F10:
        StartPrint(LastTaxDocument);
        break;
    case VK_F11:
        StartPrint(LastDeliveryNote);
        break;
    default:
        break;
    }
}

void CTrayDlg::OnTrayNotify(LPARAM mouseMessage)
{
    if (mouseMessage == WM_LBUTTONUP) {
        StartPrint(ChooseDocument);
        return;
    }
    if (mouseMessage != WM_RBUTTONUP)
        return;

    POINT cursor;
    GetCursorPos(&cursor);
    UniqueMenu menu(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TRAY_MENU)));
    if (!menu)
        return;
    // The foreground window and the WM_NULL afterwards make the menu close when the user
    // clicks elsewhere, and let it open again on the next click.
    SetForegroundWindow(GetSafeHwnd());
    TrackPopupMenu(GetSubMenu(menu.Get(), 0), 0, cursor.x, cursor.y, 0, GetSafeHwnd(), nullptr);
    PostMessageA(GetSafeHwnd(), WM_NULL, 0, 0);
}

bool CTrayDlg::SetTrayIcon(bool add)
{
    NOTIFYICONDATAW data{};
    // The first version of the structure.
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = GetSafeHwnd();
    data.uID = 0;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAYNOTIFY;
    data.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TRAY));
    lstrcpynW(data.szTip, L"Quillet", ARRAYSIZE(data.szTip));
    const bool done = Shell_NotifyIconW(add ? NIM_ADD : NIM_DELETE, &data);
    if (add && done && trayRetries_ > 0) {
        trayRetries_ = 0;
        KillTimer(GetSafeHwnd(), kTrayRetryTimer);
    }
    if (add && done && !balloon_.empty())
        ShowBalloon(std::exchange(balloon_, {}));
    return done;
}

void CTrayDlg::OnPrintNotice()
{
    if (!printer_)
        return;
    std::wstring text;
    for (const std::string& notice : printer_->TakeNotices())
        text += (text.empty() ? L"" : L"\n") + ToWide(notice);
    if (!text.empty())
        ShowBalloon(text);
}

void CTrayDlg::ShowBalloon(const std::wstring& text)
{
    // The balloon needs the second version of the structure. It waits for no answer, and a
    // newer one takes the place of one still shown.
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V2_SIZE;
    data.hWnd = GetSafeHwnd();
    data.uID = 0;
    data.uFlags = NIF_INFO;
    lstrcpynW(data.szInfo, text.c_str(), ARRAYSIZE(data.szInfo));
    lstrcpynW(data.szInfoTitle, L"Quillet", ARRAYSIZE(data.szInfoTitle));
    data.dwInfoFlags = NIIF_WARNING;
    // Kept for when the notification area takes the icon, where it does not have it yet.
    if (!Shell_NotifyIconW(NIM_MODIFY, &data))
        balloon_ = text;
}

void CTrayDlg::AddTrayIcon()
{
    if (SetTrayIcon(true))
        return;
    trayRetries_ = kTrayRetries;
    SetTimer(GetSafeHwnd(), kTrayRetryTimer, kTrayRetryMillis, nullptr);
}

void CTrayDlg::StartPrint(PrintMode mode)
{
    // Keys and clicks during a print are dropped here and then, so none is acted on later;
    // so are those after an end was asked for, which waits only for the print under way.
    if (!printer_ || exitAfterPrint_ || closeAfterPrint_)
        return;
    try {
        printer_->Print(config_, mode);
    } catch (...) {
        ShowMessageBox(UnexpectedPrintFailure("zadání tisku"), MB_OK | MB_ICONERROR);
    }
}
