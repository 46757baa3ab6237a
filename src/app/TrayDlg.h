// CTrayDlg: the main window. Shown for one second as the splash, then hidden for good;
// it owns the tray icon, the keyboard hook and the agenda configuration, and turns
// hotkeys and tray clicks into print requests.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/PrintWorker.h"
#include "config/AgendaConfig.h"
#include "framework/Dialog.h"
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
    explicit CTrayDlg(HWND parent = nullptr);
    ~CTrayDlg() override;

    // Starts a print of the document the mode asks for on a thread of its own, which shows
    // everything it has to say itself. While one runs, another request starts nothing.
    virtual void PrintRequest(PrintMode mode);

    AgendaConfig& Config() { return config_; }

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
    // WM_CLOSE: ends at once, refuses while one of the dialogs is open, or ends after the
    // running print.
    LRESULT OnClose();
    // WM_PRINTENDED: the print thread has ended; an end asked for meanwhile takes effect.
    void OnPrintEnded();

    // From PrintRequest until WM_PRINTENDED.
    bool printing_ = false;

private:
    AgendaConfig config_;
    HICON icon_;
    int openDialogs_ = 0;
    int trayRetries_ = 0;  // attempts left to add the icon the shell refused at start
    std::unique_ptr<PrintWorker> print_;
    bool exitAfterPrint_ = false;   // "&Konec" chosen during a print
    bool closeAfterPrint_ = false;  // WM_CLOSE during a print, not withdrawn
};

// Creates the host component once. Only when its class is not registered at all is the
// component that the host installed in its own folder registered (by its full path, never
// through the search order) and created again; a repair that did not help is reported.
// Any other failure is left to the prints, which report it with its reason.
void ProbeHostComponent();

// DllRegisterServer of the DLL at dllPath, a full path: its result, or why the DLL could
// not be loaded or has no such entry point.
HRESULT RegisterHostComponent(const std::string& dllPath);
