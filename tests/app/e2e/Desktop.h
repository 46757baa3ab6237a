// Finding another process's windows on the Wine desktop and working them as a user
// would: keystrokes and mouse clicks through SendInput, so that they take the real
// input path (and pass the low-level keyboard hook).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace desktop {

// Visible top-level windows of a process (any process when pid is 0), optionally of one
// window class and one title (code page 1250).
std::vector<HWND> Windows(DWORD pid, const char* windowClass = nullptr,
                          const char* title = nullptr, bool visibleOnly = true);

// Polls until the condition holds or the time is up; returns the last result.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs);

HWND WaitForWindow(DWORD pid, const char* windowClass, const char* title, DWORD timeoutMs);

std::string Text(HWND window);
// The text of a cell of another process's list view, read through that process's memory
// (a list view's messages carry pointers that no other process can follow).
std::string ListItemText(HWND list, int row, int column);
// The text of a message box: its static control 0xFFFF.
std::string MessageBoxText(HWND box);

// One press or release of a key, as the keyboard sends it.
void Key(WORD vk, bool up);
// Press and release a key, with Ctrl, Shift or Alt held around it when given.
void PressKey(WORD vk, WORD modifier = 0);

// Types text as keystrokes of its characters (code page 1250 in, Unicode keystrokes out).
void Type(const std::string& text);

void ClickAt(int x, int y, bool right = false, bool twice = false);
// Clicks the middle of a window (a button, say).
void Click(HWND window, bool right = false);

}  // namespace desktop
