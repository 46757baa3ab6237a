// CTrayDlg: the main window. Shown for one second as the splash, then hidden for good;
// it owns the tray icon, the keyboard hook and the agenda configuration, and turns
// hotkeys and tray clicks into print requests.
#pragma once

#include <windows.h>

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
    void SetTrayIcon(bool add);

private:
    AgendaConfig config_;
    HICON icon_;
    int openDialogs_ = 0;
};

// Creates the host component once; when that fails, has the component register itself
// again. Nothing is reported.
void ProbeHostComponent();

// Calls DllUnregisterServer, then DllRegisterServer, of "mon2kdbe.dll" in the current
// directory, when the file is there.
void RegisterHostComponent();
