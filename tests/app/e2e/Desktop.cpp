// Win32 helpers for driving a program from another process.
#include "Desktop.h"

#include <commctrl.h>

namespace desktop {

namespace {

struct Search {
    DWORD pid;
    const char* windowClass;
    const char* title;
    bool visibleOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND hwnd, LPARAM param)
{
    auto& s = *reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (s.pid && pid != s.pid)
        return TRUE;
    if (s.visibleOnly && !IsWindowVisible(hwnd))
        return TRUE;
    char buffer[256];
    if (s.windowClass) {
        GetClassNameA(hwnd, buffer, sizeof buffer);
        if (lstrcmpA(buffer, s.windowClass) != 0)
            return TRUE;
    }
    if (s.title && Text(hwnd) != s.title)
        return TRUE;
    s.found.push_back(hwnd);
    return TRUE;
}

void Send(INPUT in)
{
    SendInput(1, &in, sizeof in);
    Sleep(15);
}

void Mouse(DWORD flags, int x = 0, int y = 0)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
        in.mi.dx = MulDiv(x, 65535, cx - 1);
        in.mi.dy = MulDiv(y, 65535, cy - 1);
    }
    Send(in);
}

}  // namespace

void Key(WORD vk, bool up)
{
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    Send(in);
}

std::vector<HWND> Windows(DWORD pid, const char* windowClass, const char* title, bool visibleOnly)
{
    Search s{pid, windowClass, title, visibleOnly, {}};
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(50);
    }
}

HWND WaitForWindow(DWORD pid, const char* windowClass, const char* title, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitFor([&] {
        auto windows = Windows(pid, windowClass, title);
        found = windows.empty() ? nullptr : windows.front();
        return found != nullptr;
    }, timeoutMs);
    return found;
}

std::string Text(HWND window)
{
    // WM_GETTEXT itself: GetWindowText gives only the stored title of another process's
    // window, never the contents of an edit box.
    char buffer[1024] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                        SMTO_ABORTIFHUNG, 2000, &copied);
    return buffer;
}

std::string ListItemText(HWND list, int row, int column)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process)
        return {};
    struct Remote {
        LVITEMA item;
        char text[256];
    } local{};
    auto* remote = static_cast<Remote*>(VirtualAllocEx(process, nullptr, sizeof local, MEM_COMMIT, PAGE_READWRITE));
    local.item.iSubItem = column;
    local.item.pszText = remote ? remote->text : nullptr;
    local.item.cchTextMax = sizeof local.text;
    if (remote && WriteProcessMemory(process, remote, &local, sizeof local, nullptr) &&
        SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&remote->item)) >= 0)
        ReadProcessMemory(process, remote, &local, sizeof local, nullptr);
    if (remote)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return local.text;
}

std::string MessageBoxText(HWND box)
{
    return Text(GetDlgItem(box, 0xFFFF));
}

void PressKey(WORD vk, WORD modifier)
{
    if (modifier)
        Key(modifier, false);
    Key(vk, false);
    Key(vk, true);
    if (modifier)
        Key(modifier, true);
}

void Type(const std::string& text)
{
    std::wstring wide(text.size(), L'\0');
    wide.resize(MultiByteToWideChar(1250, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                    static_cast<int>(wide.size())));
    for (wchar_t c : wide) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wScan = c;
        in.ki.dwFlags = KEYEVENTF_UNICODE;
        Send(in);
        in.ki.dwFlags |= KEYEVENTF_KEYUP;
        Send(in);
    }
}

void ClickAt(int x, int y, bool right, bool twice)
{
    // The pointer is moved until the system reports it there, and every button event
    // carries the position too: a pointer warped on the X side may report back late.
    const DWORD at = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    WaitFor([&] {
        Mouse(at, x, y);
        POINT p;
        GetCursorPos(&p);
        return p.x == x && p.y == y;
    }, 2000);
    Sleep(50);
    for (int i = 0; i < (twice ? 2 : 1); ++i) {
        Mouse(at | (right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN), x, y);
        Mouse(at | (right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP), x, y);
    }
}

void Click(HWND window, bool right)
{
    RECT r;
    GetWindowRect(window, &r);
    ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2, right);
}

}  // namespace desktop
