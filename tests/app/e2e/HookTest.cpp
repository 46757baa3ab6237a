// The keyboard hook library against real keystrokes: SendInput goes through the system's
// input path, so the low-level hook sees exactly what a typist would produce.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "Desktop.h"
#include "HookMessage.h"

extern "C" __declspec(dllimport) BOOL WINAPI InstallHook(HWND window);
extern "C" __declspec(dllimport) BOOL WINAPI RemoveHook();

namespace {

using desktop::Key;
using desktop::PressKey;

constexpr DWORD kCtrl = kHookCtrlHeld, kShift = kHookShiftHeld, kAlt = kHookAltHeld, kNoted = kHookModifiersNoted;

struct Report {
    WPARAM vk;
    DWORD flags;
};

std::vector<Report> g_reports;

LRESULT CALLBACK ReceiverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_HOOKKEY) {
        g_reports.push_back({wParam, static_cast<DWORD>(lParam)});
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND CreateReceiver()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = ReceiverProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "HookTestReceiver";
        RegisterClassA(&wc);
        registered = true;
    }
    // A hidden top-level window, like the resident main window.
    return CreateWindowExA(0, "HookTestReceiver", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

void Pump(DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

// Pumps until count reports have arrived or two seconds have passed.
void PumpUntil(size_t count)
{
    for (int i = 0; i < 100 && g_reports.size() < count; ++i)
        Pump(20);
}

class HookTest : public ::testing::Test {
protected:
    void SetUp() override { g_reports.clear(); }
    void TearDown() override
    {
        RemoveHook();
        Pump(50);
    }
};

TEST_F(HookTest, ReportsPressAndReleaseWithKeyboardMessageFlags)
{
    HWND receiver = CreateReceiver();
    ASSERT_TRUE(InstallHook(receiver));
    PressKey(VK_F10);
    PumpUntil(2);
    ASSERT_EQ(g_reports.size(), 2u);

    const DWORD scan = MapVirtualKeyA(VK_F10, MAPVK_VK_TO_VSC);
    EXPECT_EQ(g_reports[0].vk, static_cast<WPARAM>(VK_F10));
    EXPECT_EQ(g_reports[0].flags, 1u | scan << 16 | kNoted);  // press: previous state up
    EXPECT_EQ(g_reports[1].vk, static_cast<WPARAM>(VK_F10));
    EXPECT_EQ(g_reports[1].flags, 1u | scan << 16 | kNoted | 1u << 30 | 1u << 31);
    DestroyWindow(receiver);
}

TEST_F(HookTest, HeldKeyRepeatsWithPreviousStateDown)
{
    HWND receiver = CreateReceiver();
    ASSERT_TRUE(InstallHook(receiver));
    Key(VK_F9, false);
    Key(VK_F9, false);  // held: the keyboard repeats the press
    Key(VK_F9, true);
    PumpUntil(3);
    ASSERT_EQ(g_reports.size(), 3u);
    const DWORD previous = 1u << 30, release = 1u << 31;
    EXPECT_EQ(g_reports[0].flags & (previous | release), 0u);
    EXPECT_EQ(g_reports[1].flags & (previous | release), previous);
    EXPECT_EQ(g_reports[2].flags & (previous | release), previous | release);
    DestroyWindow(receiver);
}

// Whatever else is typed anywhere (a password, arrows, modifiers alone, other function
// keys) reaches the window as no message at all; only F10 around it does.
TEST_F(HookTest, KeysQuilletDoesNotUseReachItsWindowAsNoMessage)
{
    HWND receiver = CreateReceiver();
    ASSERT_TRUE(InstallHook(receiver));
    desktop::Type("Heslo 1234!");
    const WORD others[] = {'P', '4', VK_RETURN, VK_TAB, VK_F1, VK_F8, VK_F12, VK_ESCAPE, VK_CONTROL, VK_SHIFT, VK_MENU};
    for (WORD vk : others)
        PressKey(vk);
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = VK_RIGHT;
    in.ki.wScan = 0x4D;
    in.ki.dwFlags = KEYEVENTF_EXTENDEDKEY;
    SendInput(1, &in, sizeof in);
    in.ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(1, &in, sizeof in);
    PressKey(VK_F10);
    PumpUntil(2);
    Pump(300);  // anything still on its way
    ASSERT_EQ(g_reports.size(), 2u);
    EXPECT_EQ(g_reports[0].vk, static_cast<WPARAM>(VK_F10));
    EXPECT_EQ(g_reports[1].vk, static_cast<WPARAM>(VK_F10));
    DestroyWindow(receiver);
}

TEST_F(HookTest, RemovedHookReportsNothing)
{
    HWND receiver = CreateReceiver();
    ASSERT_TRUE(InstallHook(receiver));
    ASSERT_TRUE(RemoveHook());
    PressKey(VK_F11);
    Pump(300);
    EXPECT_TRUE(g_reports.empty());
    EXPECT_FALSE(RemoveHook());  // nothing left to remove
    DestroyWindow(receiver);
}

TEST_F(HookTest, SurvivesItsWindowGoingAwayAndServesTheNextOne)
{
    HWND first = CreateReceiver();
    ASSERT_TRUE(InstallHook(first));
    DestroyWindow(first);
    PressKey(VK_F10);
    Pump(200);
    EXPECT_TRUE(g_reports.empty());

    HWND second = CreateReceiver();
    ASSERT_TRUE(InstallHook(second));
    PressKey(VK_F11);
    PumpUntil(2);
    ASSERT_EQ(g_reports.size(), 2u);
    EXPECT_EQ(g_reports[1].vk, static_cast<WPARAM>(VK_F11));
    DestroyWindow(second);
}

// The caller's thread busy for seconds (a print, a dialog's own work): keystrokes typed
// meanwhile are still seen, and reported once the window reads its messages again.
TEST_F(HookTest, KeepsReportingWhileTheWindowsThreadIsBlocked)
{
    HWND receiver = CreateReceiver();
    ASSERT_TRUE(InstallHook(receiver));
    std::thread typist([] {
        Sleep(200);
        for (int i = 0; i < 3; ++i) {
            PressKey(VK_F10);
            Sleep(300);
        }
    });
    Sleep(3000);  // no message is read on this thread meanwhile
    typist.join();
    PumpUntil(6);
    ASSERT_EQ(g_reports.size(), 6u);
    for (size_t i = 0; i < g_reports.size(); ++i) {
        EXPECT_EQ(g_reports[i].vk, static_cast<WPARAM>(VK_F10));
        EXPECT_EQ(g_reports[i].flags >> 31, i % 2) << i;
    }
    DestroyWindow(receiver);
}

// The modifiers are noted as they were when the key went by, however late the window reads
// the report: here all keys are typed before it reads any.
TEST_F(HookTest, NotesTheModifiersHeldWithEachKey)
{
    HWND receiver = CreateReceiver();
    ASSERT_TRUE(InstallHook(receiver));
    const WORD modifiers[] = {VK_CONTROL, VK_SHIFT, VK_MENU, 0};
    for (WORD modifier : modifiers)
        PressKey(VK_F10, modifier);
    PumpUntil(14);
    std::vector<DWORD> releases;
    for (const Report& r : g_reports)
        if (r.vk == VK_F10 && (r.flags >> 31))
            releases.push_back(r.flags & (kCtrl | kShift | kAlt | kNoted));
    EXPECT_EQ(releases, (std::vector<DWORD>{kNoted | kCtrl, kNoted | kShift, kNoted | kAlt, kNoted}));
    DestroyWindow(receiver);
}

}  // namespace
