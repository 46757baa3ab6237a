// CTrayDlg: the main window. Shown for one second as the splash, then hidden for good;
// it owns the tray icon, the keyboard hook and the agenda configuration, and hands the
// prints that hotkeys and tray clicks ask for to the print thread.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/PrintWorker.h"
#include "config/AgendaConfig.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "print/PrintRequest.h"

constexpr UINT WM_TRAYNOTIFY = 0x8002;  // from the tray icon; WM_HOOKKEY is the hook library's

// WM_CLOSE is answered with this while a print runs: the program ends as soon as the print
// has ended (printed or failed), unless the request is withdrawn first.
constexpr LRESULT kClosingAfterPrint = 1;
// The registered message with which whoever sent WM_CLOSE withdraws it, when it has waited
// long enough (the setup program before it gives up); Quillet then keeps running.
inline constexpr char kCloseWithdrawnMessage[] = "Quillet.CloseWithdrawn";

class CTrayDlg : public CDialog {
public:
    // printer: the print thread, which every print and the start-up probe of the host
    // component go to; without one nothing is printed.
    explicit CTrayDlg(PrintWorker* printer = nullptr, HWND parent = nullptr);
    ~CTrayDlg() override;

    // Hands a print of the document the mode asks for to the print thread, which shows
    // everything it has to say itself. While PrintBusy is set, or once the program is to
    // end, it starts nothing.
    virtual void StartPrint(PrintMode mode);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    bool OnCommand(int id, int notifyCode, HWND control) override;
    bool OnTimer(UINT_PTR id) override;
    void OnDestroy() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    void OnHookKey(WPARAM vk, LPARAM flags);
    void OnTrayNotify(LPARAM mouseMessage);
    // Whether Shell_NotifyIcon did it.
    bool SetTrayIcon(bool add);
    // Adds the icon, and when the shell does not take it yet, tries again every second
    // for half a minute.
    void AddTrayIcon();
    // Runs one of the tray menu's dialogs modally, counted as open meanwhile.
    INT_PTR RunTrayDialog(CDialog& dialog);
    // Brings the open dialog of that template to the front (any open one for 0, the one
    // opened last); false when none is open.
    bool BringForward(UINT templateId);
    // WM_CLOSE: ends at once, refuses while one of the dialogs is open, or ends after the
    // running print.
    LRESULT OnClose();
    // WM_PRINTSENDING: while a document goes to the printer, Windows is asked not to end
    // the session, with the document's number as the reason.
    void OnPrintSending(bool sending);
    // WM_ENDSESSION: the session ends whatever Quillet says; a document being sent is given
    // up cleanly before this returns.
    void OnEndSession(bool ending);
    // WM_PRINTENDED: the print has ended; an end asked for meanwhile takes effect.
    void OnPrintEnded();
    // WM_PRINTNOTICE: what the print thread has to say goes into a balloon of the icon.
    void OnPrintNotice();
    void ShowBalloon(const std::wstring& text);

private:
    // At more than 96 dpi the window is laid out larger than the splash picture: the picture
    // is drawn again at the window's size.
    void FitSplashPicture();

    PrintWorker* printer_;
    AgendaConfig config_;
    HICON icon_;
    std::vector<CDialog*> openDialogs_;  // the tray menu's dialogs open now, the last opened last
    int trayRetries_ = 0;  // attempts left to add the icon the shell refused
    bool exitAfterPrint_ = false;   // "&Konec" chosen during a print
    bool closeAfterPrint_ = false;  // WM_CLOSE during a print, not withdrawn
    bool blockingEnd_ = false;      // a shutdown block reason is set
    Bitmap splash_;                 // the splash picture at the screen's resolution, where scaled
    std::wstring balloon_;          // to show once the icon is there
};
