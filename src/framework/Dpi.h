// The screen resolution a window is shown at, for what the program draws and places in
// pixels itself. Quillet is aware of each monitor's resolution where Windows offers it
// (Windows 10 1703 on) and of the system's elsewhere.
#pragma once

#include <windows.h>

// Pixels that 96 dpi calls one inch.
constexpr unsigned kDefaultDpi = USER_DEFAULT_SCREEN_DPI;

// WM_DPICHANGED_AFTERPARENT: a child's top-level window has taken a new resolution
// (Windows 10 1703 on; the headers name it only for that version).
constexpr UINT kDpiChangedAfterParent = 0x02E3;

// The window's dots per inch: its monitor's where Windows tells it per window
// (GetDpiForWindow), else its device context's, which is the system's.
unsigned WindowDpi(HWND window);

// A length given in pixels at 96 dpi, at dpi.
int ScaledForDpi(int pixels, unsigned dpi);

// A dialog that lays itself out again on WM_DPICHANGED keeps Windows from moving its
// controls and changing their font itself (which Windows 10 1703 on does for dialogs).
void TakeOverDpiChanges(HWND dialog);
