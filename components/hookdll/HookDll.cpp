// The keyboard hook library: a low-level keyboard hook that posts every keystroke made in
// any application to one window as WM_HOOKKEY, with the flags of a keyboard message.
#include <windows.h>

namespace {

constexpr UINT kHookKeyMessage = 0x8001;  // WM_HOOKKEY

HINSTANCE g_instance;
HHOOK g_hook;
HWND g_target;
// Whether each key is down, for the previous-state bit; a low-level hook is told only
// about the transition.
bool g_down[256];

// Builds the lParam of a WM_KEYDOWN/WM_KEYUP: repeat count, scan code, extended flag,
// context code, previous state and transition state.
LPARAM KeystrokeFlags(const KBDLLHOOKSTRUCT& key, bool wasDown)
{
    DWORD flags = 1;
    flags |= (key.scanCode & 0xFF) << 16;
    if (key.flags & LLKHF_EXTENDED)
        flags |= 1u << 24;
    if (key.flags & LLKHF_ALTDOWN)
        flags |= 1u << 29;
    if (wasDown)
        flags |= 1u << 30;
    if (key.flags & LLKHF_UP)
        flags |= 1u << 31;
    return static_cast<LPARAM>(flags);
}

// Runs on the installing thread, inside its message loop. It must return at once, so the
// report is posted, never sent, and a vanished target window is simply not told.
LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const auto& key = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const DWORD vk = key.vkCode & 0xFF;
        const bool wasDown = g_down[vk];
        g_down[vk] = !(key.flags & LLKHF_UP);
        const HWND target = g_target;
        if (target && IsWindow(target))
            PostMessageA(target, kHookKeyMessage, vk, KeystrokeFlags(key, wasDown));
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_instance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

// Starts reporting keystrokes to the window; a second call moves the reports to the new
// window without installing a second hook.
extern "C" BOOL WINAPI InstallHook(HWND window)
{
    g_target = window;
    if (!g_hook)
        g_hook = SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardProc, g_instance, 0);
    return g_hook != nullptr;
}

extern "C" BOOL WINAPI RemoveHook()
{
    g_target = nullptr;
    if (!g_hook)
        return FALSE;
    const BOOL removed = UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
    return removed;
}
