// CTrayApp: the application object. It keeps a second instance from starting,
// initialises OLE for the host component and runs the main window modally.
#pragma once

#include <windows.h>

#include "app/InstanceMutex.h"
#include "framework/Handles.h"

// Shown when a thread cannot take OLE, which the host component needs.
inline constexpr char kOleFailedText[] = "Nelze inicializovat systémovou komponentu OLE";

class CTrayApp {
public:
    CTrayApp() = default;
    virtual ~CTrayApp();
    CTrayApp(const CTrayApp&) = delete;
    CTrayApp& operator=(const CTrayApp&) = delete;

    // Runs the whole program; returns false in every case, as there is no message loop
    // of the application's own: the main window's modal loop is the only one.
    virtual BOOL InitInstance();

    // Whether this instance holds the single-instance mutex.
    bool HoldsInstanceMutex() const { return mutex_.Valid(); }

protected:
    // The main window's modal run; replaced where no window is wanted.
    virtual void RunMainWindow();

private:
    KernelHandle mutex_;
};
