// CTrayDlg: the main window. Shown for one second as the splash, then hidden for good;
// it owns the tray icon, the keyboard hook and the agenda configuration, and turns
// hotkeys and tray clicks into print requests.
#pragma once

#include <windows.h>

#include <string>

#include "config/AgendaConfig.h"
#include "framework/Dialog.h"
#include "print/PrintRequest.h"

constexpr UINT WM_HOOKKEY = 0x8001;     // from the hook library
constexpr UINT WM_TRAYNOTIFY = 0x8002;  // from the tray icon

class CTrayDlg : public CDialog {
public:
    explicit CTrayDlg(HWND parent = nullptr);
    ~CTrayDlg() override;

    // Finds the document the mode asks for and prints it; everything it has to say, it
    // shows itself.
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

private:
    AgendaConfig config_;
    HICON icon_;
    int openDialogs_ = 0;
    int trayRetries_ = 0;  // attempts left to add the icon the shell refused at start
};

// Creates the host component once. Only when its class is not registered at all is the
// component that the host installed in its own folder registered (by its full path, never
// through the search order) and created again; a repair that did not help is reported.
// Any other failure is left to the prints, which report it with its reason.
void ProbeHostComponent();

// DllRegisterServer of the DLL at dllPath, a full path: its result, or why the DLL could
// not be loaded or has no such entry point.
HRESULT RegisterHostComponent(const std::string& dllPath);
