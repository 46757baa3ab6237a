// The keyboard-hook library HOOKDLL.dll, linked by import. It reports keystrokes made in
// any application to one window as WM_HOOKKEY. InstallHook says whether the hook is in place.
#pragma once

#include <windows.h>

// lParam of WM_HOOKKEY holds the keystroke flags of a keyboard message. In bits that a
// keyboard message leaves reserved, the library notes which modifiers were down when it
// saw the key: exact, where the system's state read later may already have moved on.
constexpr DWORD kHookCtrlHeld = 1u << 25;
constexpr DWORD kHookShiftHeld = 1u << 26;
constexpr DWORD kHookAltHeld = 1u << 27;
constexpr DWORD kHookModifiersNoted = 1u << 28;  // the three bits above are meaningful

extern "C" {
__declspec(dllimport) BOOL WINAPI InstallHook(HWND window);  // ordinal 1
__declspec(dllimport) BOOL WINAPI RemoveHook();              // ordinal 2
}
