// The message with which the keyboard hook library reports a keystroke, and the bits of
// its lParam: written by the library, read by the window it reports to.
#pragma once

#include <windows.h>

// Sent for the presses and releases of F9, F10 and F11 only, never for any other key.
// wParam: the virtual key. lParam: the flags a WM_KEYDOWN or WM_KEYUP would carry for the
// keystroke (repeat count 1, scan code in bits 16-23), with the bits below.
constexpr UINT WM_HOOKKEY = 0x8001;

constexpr DWORD kHookKeyExtended = 1u << 24;
constexpr DWORD kHookKeyAltContext = 1u << 29;
constexpr DWORD kHookKeyWasDown = 1u << 30;   // the previous state: a repeat, or the release
constexpr DWORD kHookKeyReleased = 1u << 31;

// In bits that a keyboard message leaves reserved, the library notes which modifiers were
// down when it saw the key: exact, where the system's state read later may already have
// moved on.
constexpr DWORD kHookCtrlHeld = 1u << 25;
constexpr DWORD kHookShiftHeld = 1u << 26;
constexpr DWORD kHookAltHeld = 1u << 27;
constexpr DWORD kHookModifiersNoted = 1u << 28;  // the three bits above are meaningful
