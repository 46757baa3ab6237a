// The application object and the main window in the test process: single instance, the
// OLE failure, hotkeys and tray clicks turned into print requests, the exit command.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include <shellapi.h>

#include "app/HookLibrary.h"
#include "app/TrayApp.h"
#include "app/TrayDlg.h"
#include "config/HostFiles.h"
#include "host/ComponentApartment.h"
#include "host/ComponentRegistration.h"
#include "host/HostTable.h"
#include "res/resource.h"
#include "support/DialogDriver.h"
#include "support/MessageBoxRecorder.h"

namespace {

class CountingApp : public CTrayApp {
public:
    int runs = 0;

protected:
    void RunMainWindow() override { ++runs; }
};

// Whether another thread finds the single-instance mutex owned.
bool InstanceMutexHeld()
{
    bool held = false;
    std::thread([&] {
        KernelHandle mutex(OpenMutexA(SYNCHRONIZE, FALSE, kInstanceMutexName));
        held = mutex.Valid() && WaitForSingleObject(mutex.Get(), 0) == WAIT_TIMEOUT;
        if (mutex.Valid() && !held)
            ReleaseMutex(mutex.Get());
    }).join();
    return held;
}

TEST(TrayAppTest, AloneItHoldsTheMutexRunsTheMainWindowAndLetsGoAtTheEnd)
{
    MessageBoxRecorder boxes;
    {
        CountingApp app;
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(app.runs, 1);
        EXPECT_TRUE(InstanceMutexHeld());
        EXPECT_TRUE(boxes.Shown().empty());
    }
    KernelHandle again(CreateMutexA(nullptr, FALSE, kInstanceMutexName));
    EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
}

TEST(TrayAppTest, ASecondInstanceEndsSilentlyWithoutTheMutex)
{
    MessageBoxRecorder boxes;
    KernelHandle running(CreateMutexA(nullptr, TRUE, kInstanceMutexName));
    ASSERT_TRUE(running.Valid());
    CountingApp second;
    EXPECT_FALSE(second.InitInstance());
    EXPECT_EQ(second.runs, 0);
    EXPECT_TRUE(boxes.Shown().empty());
    // It kept no handle: with the first instance's gone, so is the mutex.
    running.Reset();
    EXPECT_EQ(nullptr, OpenMutexA(SYNCHRONIZE, FALSE, kInstanceMutexName));
}

TEST(TrayAppTest, OleThatCannotStartIsReportedAndNothingRuns)
{
    MessageBoxRecorder boxes;
    // A thread already in the multithreaded apartment cannot take OLE.
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    {
        CountingApp app;
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(app.runs, 0);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, "Nelze inicializovat systémovou komponentu OLE");
        EXPECT_EQ(boxes.Shown()[0].flags, 0x30u);
    }
    CoUninitialize();
}

// The main window with the print request recorded instead of run.
class RecordingTrayDlg : public CTrayDlg {
public:
    std::vector<int> requests;
    void StartPrint(PrintMode mode) override { requests.push_back(mode); }
};

void HookKey(HWND dialog, WPARAM vk, bool release, DWORD noted = 0)
{
    const DWORD flags = 1u | (release ? 0xC0000000u : 0u) | noted;
    SendMessageA(dialog, WM_HOOKKEY, vk, static_cast<LPARAM>(flags));
}

void SendKey(WORD vk, bool down)
{
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &in, sizeof in);
}

// Presses or releases a key for real and waits until this thread sees the new state.
void HoldKey(WORD vk, bool down)
{
    SendKey(vk, down);
    for (int i = 0; i < 100 && (GetKeyState(vk) < 0) != down; ++i) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(20);
    }
}

// Presses or releases a key from another thread, as when the keystrokes go to the host:
// this thread reads no keyboard message and so learns nothing of it.
void HoldKeyElsewhere(WORD vk, bool down)
{
    std::thread([vk, down] {
        SendKey(vk, down);
        for (int i = 0; i < 100 && (GetAsyncKeyState(vk) < 0) != down; ++i)
            Sleep(20);
    }).join();
}

// Whether the notification area holds the window's icon: only a known icon can be
// modified.
bool HasTrayIcon(HWND window)
{
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window;
    data.uID = 0;
    data.uFlags = NIF_TIP;
    lstrcpynA(data.szTip, "Quillet", sizeof data.szTip);
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

TEST(TrayDlgTest, HotkeysActOnReleaseWithoutModifiersAndLeftClicksChoose)
{
    MessageBoxRecorder boxes;  // no host installed: Load says so
    OleInitialize(nullptr);
    Driven<RecordingTrayDlg> dialog;
    bool hiddenAfterTick = false;
    bool iconWhileRunning = false;
    HWND window = nullptr;
    dialog
        .Then([&](HWND d) {
            window = d;
            iconWhileRunning = HasTrayIcon(d);
            HookKey(d, VK_F10, false);  // the press does nothing
            HookKey(d, VK_F10, true);
            HookKey(d, VK_F11, true);
            HookKey(d, VK_F9, true);
            HookKey(d, VK_F12, true);
            HookKey(d, 'A', true);
            SendMessageA(d, WM_TRAYNOTIFY, 0, WM_LBUTTONUP);
            SendMessageA(d, WM_TRAYNOTIFY, 0, WM_LBUTTONDOWN);
            SendMessageA(d, WM_TRAYNOTIFY, 0, WM_MOUSEMOVE);
            // Enter and Esc do not close it.
            SendMessageA(d, WM_COMMAND, IDOK, 0);
            SendMessageA(d, WM_COMMAND, IDCANCEL, 0);
        })
        .Then([](HWND d) {
            for (WORD modifier : {VK_MENU, VK_CONTROL, VK_SHIFT}) {
                HoldKey(modifier, true);
                HookKey(d, VK_F10, true);
                HookKey(d, VK_F9, true);
                HoldKey(modifier, false);
                HoldKeyElsewhere(modifier, true);
                HookKey(d, VK_F11, true);
                // What the hook noted counts, whatever the state is when the report is read.
                HookKey(d, VK_F11, true, kHookModifiersNoted);
                HoldKeyElsewhere(modifier, false);
            }
            for (DWORD noted : {kHookAltHeld, kHookCtrlHeld, kHookShiftHeld})
                HookKey(d, VK_F10, true, kHookModifiersNoted | noted);
        })
        .Then([&](HWND d) {
            // The splash goes at the first tick of the one-second timer.
            const DWORD start = GetTickCount();
            MSG msg;
            while (GetTickCount() - start < 3000 && IsWindowVisible(d)) {
                while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                    if (!IsDialogMessageA(d, &msg)) {
                        TranslateMessage(&msg);
                        DispatchMessageA(&msg);
                    }
                }
                Sleep(20);
            }
            hiddenAfterTick = !IsWindowVisible(d);
            SendMessageA(d, WM_COMMAND, ID_APP_EXIT, 0);
        });
    EXPECT_EQ(dialog.DoModal(), 1);
    EXPECT_TRUE(hiddenAfterTick);
    // The end took the icon away and removed the hook.
    EXPECT_TRUE(iconWhileRunning);
    EXPECT_FALSE(HasTrayIcon(window));
    EXPECT_FALSE(RemoveHook());
    EXPECT_EQ(dialog.requests, (std::vector<int>{LastTaxDocument, LastDeliveryNote, ChooseDocument,
                                                 ChooseDocument, LastDeliveryNote, LastDeliveryNote,
                                                 LastDeliveryNote}));
    OleUninitialize();
}

// The main window whose print runs until the test says it has ended, as the print thread
// does: PrintBusy cleared, then WM_PRINTENDED.
class PrintingTrayDlg : public CTrayDlg {
public:
    ~PrintingTrayDlg() override { PrintBusy = false; }
    void StartPrint(PrintMode) override { PrintBusy = true; }
};

TEST(TrayDlgTest, CloseRequestEndsItAsKonecButAPrintEndsFirst)
{
    MessageBoxRecorder boxes;  // no host installed: Load says so
    OleInitialize(nullptr);
    Driven<PrintingTrayDlg> dialog;
    std::string title;
    int printEnds = 0;
    HWND window = nullptr;
    const auto printThenEnd = [&](HWND d) {
        ++printEnds;
        PrintBusy = false;
        SendMessageA(d, WM_PRINTENDED, 0, 0);
        HookKey(d, VK_F10, true);
    };
    dialog
        .Then([&](HWND d) {
            window = d;
            char text[32] = {};
            GetWindowTextA(d, text, sizeof text);
            title = text;  // how the setup program finds it
            HookKey(d, VK_F10, true);
            EXPECT_EQ(SendMessageA(d, WM_CLOSE, 0, 0), kClosingAfterPrint);
            SendMessageA(d, RegisterWindowMessageA(kCloseWithdrawnMessage), 0, 0);
        })
        .Then(printThenEnd)  // withdrawn: it goes on
        .Then([&](HWND d) { SendMessageA(d, WM_COMMAND, ID_APP_EXIT, 0); })
        .Then(printThenEnd)  // "&Konec" takes effect now
        .Then(printThenEnd);
    EXPECT_EQ(dialog.DoModal(), 1);
    EXPECT_EQ(title, "Quillet");
    EXPECT_EQ(printEnds, 2);
    EXPECT_FALSE(HasTrayIcon(window));
    OleUninitialize();
}

TEST(TrayDlgTest, TheMenuOpensOneOfEachDialogKonecBringsAnOpenOneForwardAndALostIconComesBack)
{
    MessageBoxRecorder boxes;  // no host installed: Load says so
    OleInitialize(nullptr);
    Driven<CTrayDlg> dialog;
    const auto command = [](HWND d, int id) { PostMessageA(d, WM_COMMAND, id, 0); };
    std::vector<bool> shown;  // after Konec: the dialog open once and in front
    bool iconBack = false;
    const auto afterKonec = [&](const char* title, int close, bool konec) {
        return [&, title, close, konec](HWND d) {
            const HWND open = FindWindowA("#32770", title);
            shown.push_back(open && !FindWindowExA(nullptr, open, "#32770", title) && GetForegroundWindow() == open);
            PostMessageA(open, WM_COMMAND, close, 0);
            if (konec)
                command(d, ID_APP_EXIT);
        };
    };
    dialog.Then([&](HWND d) { command(d, ID_SETTINGS); })
        .Then([&](HWND d) { command(d, ID_APP_ABOUT); })  // from within the settings' own loop
        .Then([&](HWND d) {
            command(d, ID_SETTINGS);
            command(d, ID_APP_ABOUT);
            command(d, ID_APP_EXIT);
        })
        .Then(afterKonec("O aplikaci Quillet", IDOK, true))
        .Then(afterKonec("Nastaveni agendy", IDCANCEL, false))
        .Then([&](HWND d) {
            // The shell announces itself while it cannot take the icon yet (here: it still
            // has it, so adding fails), then turns out to have lost it.
            SendMessageA(d, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
            NOTIFYICONDATAW data{};
            data.cbSize = NOTIFYICONDATAW_V1_SIZE;
            data.hWnd = d;
            Shell_NotifyIconW(NIM_DELETE, &data);
            iconBack = RunMessagesUntil([&] { return HasTrayIcon(d); }, 5000);
            command(d, ID_APP_EXIT);
        });
    EXPECT_EQ(dialog.DoModal(), 1);
    EXPECT_EQ(shown, (std::vector<bool>{true, true}));
    EXPECT_TRUE(iconBack);
    OleUninitialize();
}

// Start-up registers the host component only when its class is not registered, and then
// only the DLL the host installed in its own folder, never one in the current directory.
TEST(ProbeHostComponentTest, RegistersOnlyAnUnregisteredClassFromTheHostsFolder)
{
    const std::string setupIni = "C:\\Program Files\\CIGLER SOFTWARE\\Common Files\\Setup.ini";
    const std::string hostDir = "C:\\QuilletProbe\\Money S3\\";
    const std::string built = ProgramFolder() + "mon2kdbe.dll";
    SetAside aside(setupIni);
    HostFiles files;
    files.WriteIni(setupIni, {"[InstParams]", "LocalPath=C:\\QuilletProbe\\Money S3"});
    files.Write(hostDir + "MonS3.ini", "");
    auto entry = [](const std::string& dll, const char* name) {
        HMODULE module = LoadLibraryA(dll.c_str());
        using Entry = HRESULT(STDAPICALLTYPE*)();
        auto call = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, name)));
        EXPECT_TRUE(call && SUCCEEDED(call())) << name;
        FreeLibrary(module);
    };
    MessageBoxRecorder boxes;
    {
        // COM lets go of the DLLs it loaded at its end, before the host's folder goes.
        ComponentApartment apartment(false);
        const std::string registered = FindComponentRegistration().Own();
        ASSERT_FALSE(registered.empty());
        ASSERT_TRUE(CopyFileA(built.c_str(), (hostDir + "mon2kdbe.dll").c_str(), FALSE));
        EXPECT_EQ("", ProbeHostComponent(apartment, FindHost().monS3Ini));  // registered: nothing is touched
        EXPECT_EQ(registered, FindComponentRegistration().Own());

        entry(built, "DllUnregisterServer");
        DeleteFileA((hostDir + "mon2kdbe.dll").c_str());
        SetCurrentDirectoryA(ProgramFolder().c_str());  // which holds a mon2kdbe.dll
        const std::string unregistered = ProbeHostComponent(apartment, FindHost().monS3Ini);
        EXPECT_EQ("", FindComponentRegistration().Own());
        EXPECT_NE(std::string::npos, unregistered.find("Spusťte quillet-print --check.")) << unregistered;

        ASSERT_TRUE(CopyFileA(built.c_str(), (hostDir + "mon2kdbe.dll").c_str(), FALSE));
        EXPECT_EQ("", ProbeHostComponent(apartment, FindHost().monS3Ini));
        EXPECT_EQ(hostDir + "mon2kdbe.dll", FindComponentRegistration().Own());
        EXPECT_FALSE(CreateHostTable().Empty());
        EXPECT_TRUE(boxes.Shown().empty());  // the caller shows what the probe says
    }
    entry(built, "DllRegisterServer");
}

}  // namespace
