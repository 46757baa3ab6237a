// The setup program as an administrator and a user meet it, in a Wine prefix of its own:
// a silent installation into the default folder and into one with a space and Czech
// letters, the shortcuts and the uninstall entry, Quillet started from its Startup
// shortcut printing on F10, an upgrade over the running Quillet, and the uninstaller.
// The tests run in the order written and share the installation.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "app/InstanceMutex.h"
#include "app/e2e/Desktop.h"

namespace {

using namespace desktop;

constexpr DWORD kWait = 15000;
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillet";
const char kPort[] = "C:\\tisk.prn";
const std::set<std::string> kProgramFiles = {"Quillet.exe", "HOOKDLL.dll", "quillet-print.exe", "escp-view.exe",
                                             "uninstall.exe"};

std::string BinFolder()
{
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string s(path, n);
    return s.substr(0, s.rfind('\\') + 1);
}

std::string SetupProgram()
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((BinFolder() + "Quillet-*-setup.exe").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return {};
    FindClose(search);
    return BinFolder() + found.cFileName;
}

std::string KnownFolder(int csidl)
{
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
    return path;
}

const std::string& DefaultFolder()
{
    static const std::string folder = KnownFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Quillet";
    return folder;
}

// Runs a command line to its end; the exit code, or -1 when it did not start or end.
long RunToEnd(std::string line, const std::string& directory = "C:\\")
{
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(), &si, &pi))
        return -1;
    const bool ended = WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0;
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ended ? static_cast<long>(code) : -1;
}

std::string Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::set<std::string> FilesIn(const std::string& folder)
{
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.insert(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string RegistryText(const char* name)
{
    char value[1024];
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return "<none>";
    return value;
}

DWORD RegistryNumber(const char* name)
{
    DWORD value = 0, size = sizeof value;
    RegGetValueA(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

struct Shortcut {
    std::string target, folder;
};

Shortcut ReadShortcut(const std::string& path)
{
    Shortcut shortcut;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return shortcut;
    IPersistFile* file = nullptr;
    wchar_t widePath[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH);
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(widePath, STGM_READ))) {
        char text[MAX_PATH] = {};
        link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
        shortcut.target = text;
        text[0] = '\0';
        link->GetWorkingDirectory(text, MAX_PATH);
        shortcut.folder = text;
    }
    if (file)
        file->Release();
    link->Release();
    return shortcut;
}

bool QuilletRunning()
{
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, kInstanceMutexName);
    if (!mutex)
        return false;
    CloseHandle(mutex);
    return true;
}

// The process of Quillet's main window (the one without a caption), 0 when none runs.
DWORD QuilletPid()
{
    for (HWND w : Windows(0, "#32770", "Quillet", false)) {
        DWORD pid = 0;
        if (!(GetWindowLongA(w, GWL_STYLE) & WS_CAPTION) && GetWindowThreadProcessId(w, &pid))
            return pid;
    }
    return 0;
}

// A print is complete when the port ends with the form feed.
bool PagePrinted()
{
    return WaitFor([] {
        const std::string bytes = Read(kPort);
        return !bytes.empty() && bytes.back() == '\x0C';
    }, kWait);
}

// F10 over the desktop, and the question that it brings.
HWND PressF10()
{
    PressKey(VK_F10);
    return WaitForWindow(0, "#32770", "Quillet", kWait);
}

// A short time-out, which the setup waits for (and a margin) while Quillet prints.
void WriteQuilletIni(const std::string& folder)
{
    Write(folder + "\\Quillet.ini", "[Firma]\r\nNazev=Železářství Čermák\r\nPort=" + std::string(kPort) + "\r\nPortTimeout=3\r\n");
}

class Installer : public ::testing::Test {
protected:
    // The host as its own installer leaves it: the sample installation on C: and the
    // table component registered from its own folder, which is not Quillet's.
    static void SetUpTestSuite()
    {
        CoInitialize(nullptr);
        ASSERT_EQ(RunToEnd("\"" + BinFolder() + "samplehost.exe\" --root C:\\ --documents 20 --items 60 --cards 10"), 0);
        HMODULE component = LoadLibraryA((BinFolder() + "mon2kdbe.dll").c_str());
        ASSERT_TRUE(component);
        using Entry = HRESULT(STDAPICALLTYPE*)();
        auto reg = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(component, "DllRegisterServer")));
        ASSERT_TRUE(reg && SUCCEEDED(reg()));
        FreeLibrary(component);
    }
};

TEST_F(Installer, SilentInstallIntoTheDefaultFolder)
{
    const std::string setup = SetupProgram();
    ASSERT_FALSE(setup.empty());
    ASSERT_EQ(RunToEnd("\"" + setup + "\" /S"), 0);

    EXPECT_EQ(FilesIn(DefaultFolder()), kProgramFiles);  // never the host's mon2kdbe.dll
    const std::string exe = DefaultFolder() + "\\Quillet.exe";
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_STARTUP}) {
        const Shortcut shortcut = ReadShortcut(KnownFolder(csidl) + "\\Quillet.lnk");
        EXPECT_EQ(_stricmp(shortcut.target.c_str(), exe.c_str()), 0) << shortcut.target;
        EXPECT_EQ(_stricmp(shortcut.folder.c_str(), DefaultFolder().c_str()), 0) << shortcut.folder;
    }

    EXPECT_EQ(RegistryText("DisplayName"), "Quillet");
    // The version is the program's own.
    const std::string version = setup.substr(setup.rfind("Quillet-") + 8, setup.rfind("-setup") - setup.rfind("Quillet-") - 8);
    EXPECT_EQ(RegistryText("DisplayVersion"), version);
    EXPECT_EQ(RegistryText("Publisher"), "Quillet");
    EXPECT_EQ(RegistryText("DisplayIcon"), exe + ",0");
    EXPECT_EQ(RegistryText("InstallLocation"), DefaultFolder());
    EXPECT_EQ(RegistryText("UninstallString"), "\"" + DefaultFolder() + "\\uninstall.exe\"");
    EXPECT_EQ(RegistryText("QuietUninstallString"), "\"" + DefaultFolder() + "\\uninstall.exe\" /S");
    EXPECT_GT(RegistryNumber("EstimatedSize"), 100u);
}

TEST_F(Installer, QuilletStartedFromItsStartupShortcutPrintsOnF10)
{
    WriteQuilletIni(DefaultFolder());
    const Shortcut startup = ReadShortcut(KnownFolder(CSIDL_STARTUP) + "\\Quillet.lnk");
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string line = "\"" + startup.target + "\"";
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, startup.folder.c_str(), &si,
                               &pi));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    ASSERT_TRUE(WaitFor(QuilletRunning, kWait));
    Sleep(2500);  // past the splash

    DeleteFileA(kPort);
    HWND question = PressF10();
    ASSERT_TRUE(question);
    Click(GetDlgItem(question, IDYES));
    ASSERT_TRUE(PagePrinted());
    EXPECT_NE(Read(kPort).find("\x1B@"), std::string::npos);
}

TEST_F(Installer, UpgradeEndsTheRunningQuilletReplacesItAndStartsItAgain)
{
    ASSERT_TRUE(QuilletRunning());
    const std::string ini = Read(DefaultFolder() + "\\Quillet.ini");

    // A copy older than the setup's, to see whether it was replaced (File keeps the
    // times the files had when the setup was built).
    const std::string viewer = DefaultFolder() + "\\escp-view.exe";
    const std::string current = Read(viewer);
    Write(viewer, "an older escp-view.exe");

    // With the print's question open it would end after the print: the setup waits for the
    // answer, gives up, withdraws its request and changes nothing.
    HWND question = PressF10();
    ASSERT_TRUE(question);
    EXPECT_EQ(RunToEnd("\"" + SetupProgram() + "\" /S"), 2);
    EXPECT_TRUE(QuilletRunning());
    EXPECT_EQ(Read(viewer), "an older escp-view.exe");
    Click(GetDlgItem(question, IDNO));
    ASSERT_TRUE(WaitFor([] { return Windows(0, "#32770", "Quillet").empty(); }, kWait));

    // Started during a print, it waits for the print's end and upgrades.
    const DWORD old = QuilletPid();
    ASSERT_NE(old, 0u);
    DeleteFileA(kPort);
    ASSERT_TRUE(question = PressF10());
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION setup{};
    std::string line = "\"" + SetupProgram() + "\" /S";
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, "C:\\", &si, &setup));
    Sleep(3000);
    EXPECT_EQ(Read(viewer), "an older escp-view.exe");
    Click(GetDlgItem(question, IDYES));
    DWORD code = WaitForSingleObject(setup.hProcess, 60000);
    GetExitCodeProcess(setup.hProcess, &code);
    CloseHandle(setup.hThread), CloseHandle(setup.hProcess);
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(PagePrinted());
    EXPECT_EQ(Read(viewer), current);
    EXPECT_TRUE(WaitFor([old] { return QuilletPid() != 0 && QuilletPid() != old; }, kWait));
    EXPECT_EQ(Read(DefaultFolder() + "\\Quillet.ini"), ini);
    EXPECT_EQ(FilesIn(DefaultFolder()).size(), kProgramFiles.size() + 1);
}

TEST_F(Installer, UninstallEndsQuilletAndLeavesOnlyQuilletIni)
{
    ASSERT_TRUE(QuilletRunning());
    // As "Programs and Features" runs it: the uninstaller copies itself away and returns.
    ASSERT_EQ(RunToEnd("\"" + DefaultFolder() + "\\uninstall.exe\" /S"), 0);
    // Its last step takes the uninstall entry away.
    EXPECT_TRUE(WaitFor([] { return RegistryText("DisplayName") == "<none>"; }, 30000));
    EXPECT_EQ(FilesIn(DefaultFolder()), std::set<std::string>{"Quillet.ini"});
    EXPECT_FALSE(QuilletRunning());
    EXPECT_FALSE(Exists(KnownFolder(CSIDL_PROGRAMS) + "\\Quillet.lnk"));
    EXPECT_FALSE(Exists(KnownFolder(CSIDL_STARTUP) + "\\Quillet.lnk"));
}

TEST_F(Installer, FolderWithASpaceAndCzechLettersAndAStartFromElsewhere)
{
    const std::string folder = "C:\\Účetnictví\\Tisk dokladů";
    // /D= must be the last argument and takes the rest of the line, spaces included; cmd
    // hands the line over as it stands.
    ASSERT_EQ(RunToEnd("cmd /c \"" + SetupProgram() + " /S /D=" + folder + "\""), 0);
    EXPECT_EQ(FilesIn(folder), kProgramFiles);
    EXPECT_EQ(RegistryText("InstallLocation"), folder);
    EXPECT_EQ(ReadShortcut(KnownFolder(CSIDL_STARTUP) + "\\Quillet.lnk").folder, folder);

    // Started from the Windows folder, it still finds Quillet.ini beside itself.
    WriteQuilletIni(folder);
    DeleteFileA(kPort);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string line = "\"" + folder + "\\Quillet.exe\"";
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               KnownFolder(CSIDL_WINDOWS).c_str(), &si, &pi));
    CloseHandle(pi.hThread);
    ASSERT_TRUE(WaitFor(QuilletRunning, kWait));
    Sleep(2500);
    HWND question = PressF10();
    ASSERT_TRUE(question);
    Click(GetDlgItem(question, IDYES));
    EXPECT_TRUE(PagePrinted());

    // Waited for with _?=, which runs the uninstaller in place; it cannot remove itself then.
    ASSERT_EQ(RunToEnd("\"" + folder + "\\uninstall.exe\" /S _?=" + folder), 0);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, kWait), WAIT_OBJECT_0);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(FilesIn(folder), (std::set<std::string>{"Quillet.ini", "uninstall.exe"}));
    EXPECT_EQ(RegistryText("DisplayName"), "<none>");
}

}  // namespace
