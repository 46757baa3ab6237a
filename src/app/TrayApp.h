// CTrayApp: the application object. It keeps a second instance from starting, starts the
// print thread, initialises OLE and runs the main window modally.
#pragma once

#include <windows.h>

#include <memory>

#include "app/InstanceMutex.h"
#include "framework/Handles.h"

class PrintWorker;

// Shown when the system makes no thread to print on.
inline constexpr char kNoThreadText[] = "Tisk nelze spustit: systém nedovolil vytvořit další vlákno.";

class CTrayApp {
public:
    CTrayApp();
    virtual ~CTrayApp();
    CTrayApp(const CTrayApp&) = delete;
    CTrayApp& operator=(const CTrayApp&) = delete;

    // Runs the whole program; returns false in every case, as there is no message loop
    // of the application's own: the main window's modal loop is this thread's only one.
    virtual BOOL InitInstance();

protected:
    // The main window's modal run; replaced where no window is wanted.
    virtual void RunMainWindow();
    // The print thread, from before OLE is initialised until after the main window.
    PrintWorker* Printer() const { return printer_.get(); }

private:
    KernelHandle mutex_;
    std::unique_ptr<PrintWorker> printer_;
};
