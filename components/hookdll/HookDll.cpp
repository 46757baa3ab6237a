// The keyboard hook library: a low-level keyboard hook that posts the presses and releases
// of F9, F10 and F11 made in any application to one window as WM_HOOKKEY, with the flags of
// a keyboard message. Every other keystroke, a password typed elsewhere say, stays where
// it was typed.
// The hook lives on a thread of its own: Windows silently removes a low-level hook whose
// thread does not answer within its time-out, and the caller's thread may be busy printing
// or sitting in a dialog for much longer than that.
#include <windows.h>

#include <atomic>

#include "DllModule.h"
#include "HookMessage.h"

namespace {

constexpr DWORD kThreadEndMillis = 5000;

// The window told about keystrokes; read by the hook thread, set by the caller's.
std::atomic<HWND> g_target{nullptr};
// The hook thread, owned by the caller's side: started by InstallHook, ended by RemoveHook.
HANDLE g_thread;
DWORD g_threadId;
// Whether each key is down, for the previous-state bit; a low-level hook is told only
// about the transition. Touched by the hook thread alone.
bool g_down[256];

// The only keys the window is told about: the ones it acts on.
bool IsReportedKey(DWORD vk)
{
    return vk == VK_F9 || vk == VK_F10 || vk == VK_F11;
}

// Which modifiers are down. Called from the hook, it sees every keystroke before this one:
// the system updates its state once a keystroke has passed the low-level hooks.
DWORD ModifiersHeld()
{
    DWORD flags = kHookModifiersNoted;
    if (GetAsyncKeyState(VK_CONTROL) < 0)
        flags |= kHookCtrlHeld;
    if (GetAsyncKeyState(VK_SHIFT) < 0)
        flags |= kHookShiftHeld;
    if (GetAsyncKeyState(VK_MENU) < 0)
        flags |= kHookAltHeld;
    return flags;
}

// Builds the lParam of a WM_KEYDOWN/WM_KEYUP: repeat count, scan code, extended flag,
// context code, previous state and transition state, and the modifiers held.
LPARAM KeystrokeFlags(const KBDLLHOOKSTRUCT& key, bool wasDown)
{
    DWORD flags = 1 | ModifiersHeld();
    flags |= (key.scanCode & 0xFF) << 16;
    if (key.flags & LLKHF_EXTENDED)
        flags |= kHookKeyExtended;
    if (key.flags & LLKHF_ALTDOWN)
        flags |= kHookKeyAltContext;
    if (wasDown)
        flags |= kHookKeyWasDown;
    if (key.flags & LLKHF_UP)
        flags |= kHookKeyReleased;
    return static_cast<LPARAM>(flags);
}

// Runs on the hook thread. It must return at once, so the report is posted, never sent,
// and a vanished target window is simply not told. Called from Windows' own code, it lets
// nothing unwind into it: whatever went wrong, the keystroke goes on to the next hook.
LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam)
{
    try {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        if (code == HC_ACTION && key && IsReportedKey(key->vkCode)) {
            const DWORD vk = key->vkCode;
            const bool wasDown = g_down[vk];
            g_down[vk] = !(key->flags & LLKHF_UP);
            const HWND target = g_target.load();
            if (target && IsWindow(target))
                PostMessageA(target, WM_HOOKKEY, vk, KeystrokeFlags(*key, wasDown));
        }
    } catch (...) {
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct ThreadStart {
    HANDLE ready;     // set once the hook is in place or has failed
    bool installed;
};

// The hook thread: installs the hook, reports whether that worked, then runs the message
// loop through which Windows calls the hook, until RemoveHook posts WM_QUIT.
DWORD WINAPI HookThread(LPVOID param)
{
    auto& start = *static_cast<ThreadStart*>(param);
    MSG msg;
    // A message queue before anyone may post WM_QUIT to this thread.
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    const HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardProc, DllModule(), 0);
    start.installed = hook != nullptr;
    SetEvent(start.ready);
    if (!hook)
        return 1;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    UnhookWindowsHookEx(hook);
    return 0;
}

}  // namespace

// Starts reporting keystrokes to the window; a second call moves the reports to the new
// window without installing a second hook. Returns once the hook is in place, FALSE when
// it could not be installed.
extern "C" BOOL WINAPI InstallHook(HWND window)
{
    g_target = window;
    if (g_thread) {
        // A hook thread that would not end at RemoveHook is still there; once it has
        // ended after all, a new one takes its place.
        if (WaitForSingleObject(g_thread, 0) != WAIT_OBJECT_0)
            return TRUE;
        CloseHandle(g_thread);
        g_thread = nullptr;
        g_threadId = 0;
    }
    ThreadStart start{CreateEventA(nullptr, TRUE, FALSE, nullptr), false};
    if (!start.ready)
        return FALSE;
    HANDLE thread = CreateThread(nullptr, 0, HookThread, &start, 0, &g_threadId);
    if (thread)
        WaitForSingleObject(start.ready, INFINITE);
    CloseHandle(start.ready);
    if (!thread)
        return FALSE;
    if (!start.installed) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        g_target = nullptr;
        return FALSE;
    }
    g_thread = thread;
    return TRUE;
}

extern "C" BOOL WINAPI RemoveHook()
{
    g_target = nullptr;
    if (!g_thread)
        return FALSE;
    PostThreadMessageA(g_threadId, WM_QUIT, 0, 0);
    if (WaitForSingleObject(g_thread, kThreadEndMillis) != WAIT_OBJECT_0) {
        // The hook is still installed on that thread: its handle is kept, so that a later
        // InstallHook uses that hook rather than adding a second one that reports every key
        // again, and a later RemoveHook tries once more. Reports stop with the target.
        return FALSE;
    }
    CloseHandle(g_thread);
    g_thread = nullptr;
    g_threadId = 0;
    return TRUE;
}
