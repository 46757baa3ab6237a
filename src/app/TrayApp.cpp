// Start-up and end of the program.
#include "app/TrayApp.h"

#include <commctrl.h>
#include <ole2.h>

#include "app/TrayDlg.h"
#include "framework/MessageBox.h"

CTrayApp::~CTrayApp() = default;

BOOL CTrayApp::InitInstance()
{
    // Owned from the start; the mutex goes with the process, so a new start right after
    // exit works at once.
    SetLastError(ERROR_SUCCESS);
    KernelHandle mutex(CreateMutexA(nullptr, TRUE, kInstanceMutexName));
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        return FALSE;  // another instance runs: end silently
    mutex_ = std::move(mutex);

    if (FAILED(OleInitialize(nullptr))) {
        ShowMessageBox(kOleFailedText, MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    RunMainWindow();
    // After the main window, so that every interface of the host component is released.
    OleUninitialize();
    return FALSE;
}

void CTrayApp::RunMainWindow()
{
    // The dialog and its AgendaConfig are destroyed before start-up returns.
    CTrayDlg dialog;
    dialog.DoModal();
}
