// Start-up and end of the program.
#include "app/TrayApp.h"

#include <commctrl.h>
#include <ole2.h>

#include <system_error>

#include "app/PrintWorker.h"
#include "app/TrayDlg.h"
#include "framework/MessageBox.h"
#include "host/ComponentApartment.h"

CTrayApp::CTrayApp() = default;

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

    // Before this thread takes OLE: the print thread is then the process's first
    // single-threaded apartment, where a component registered without a threading model
    // lives, and the only thread that ever calls the component.
    try {
        printer_ = std::make_unique<PrintWorker>();
    } catch (const std::system_error&) {
        ShowMessageBox(kNoThreadText, MB_OK | MB_ICONERROR);
        return FALSE;
    }
    if (FAILED(OleInitialize(nullptr))) {
        ShowMessageBox(kOleFailedText, MB_OK | MB_ICONEXCLAMATION);
        printer_.reset();
        return FALSE;
    }

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    RunMainWindow();
    // The print thread ends with its apartment, after the print it may still run.
    printer_.reset();
    OleUninitialize();
    return FALSE;
}

void CTrayApp::RunMainWindow()
{
    // The dialog and its AgendaConfig are destroyed before start-up returns.
    CTrayDlg dialog(Printer());
    dialog.DoModal();
}
