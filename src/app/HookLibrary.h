// The keyboard-hook library HOOKDLL.dll, linked by import. It reports keystrokes made in
// any application to one window as WM_HOOKKEY. InstallHook says whether the hook is in place.
#pragma once

#include <windows.h>

#include "HookMessage.h"

extern "C" {
__declspec(dllimport) BOOL WINAPI InstallHook(HWND window);  // ordinal 1
__declspec(dllimport) BOOL WINAPI RemoveHook();              // ordinal 2
}
