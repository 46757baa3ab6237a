// The end-to-end installation: files copied as an installer would, the sample host laid
// out by its generator, and reference pages from the console print command.
#include "E2ESupport.h"

#include <objbase.h>
#include <tlhelp32.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "Desktop.h"
#include "Mon2kDbe.h"
#include "host/HostTable.h"
#include "support/TempFile.h"

namespace e2e {

namespace {

constexpr UINT kAppExit = 57665;  // the tray menu's "&Konec"

std::string BinFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s = path;
    return s.substr(0, s.rfind('\\') + 1);
}

std::string ReferenceFolder()
{
    return Folder() + "reference\\";
}

// Runs a program to its end; its exit code, or -1 when it could not start. What it writes
// to its output and error output goes to *output, for a failure to name.
long Run(const std::string& commandLine, const std::string& directory, std::string* output = nullptr)
{
    TempFile written("run");
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE file = CreateFileA(written.Path().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (file != INVALID_HANDLE_VALUE) {
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = si.hStdError = file;
    }
    PROCESS_INFORMATION pi{};
    std::string line = commandLine;
    const BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, file != INVALID_HANDLE_VALUE,
                                        CREATE_NO_WINDOW, nullptr, directory.c_str(), &si, &pi);
    const DWORD error = GetLastError();
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (!started) {
        if (output)
            *output += "could not start (error " + std::to_string(error) + ")";
        return -1;
    }
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (output)
        *output += written.Read();
    return static_cast<long>(code);
}

void Copy(const std::string& name, const std::string& to)
{
    if (!CopyFileA((BinFolder() + name).c_str(), (to + name).c_str(), FALSE))
        throw std::runtime_error("cannot copy " + name);
}

std::string Quoted(const std::string& s)
{
    return "\"" + s + "\"";
}

std::string Text(VARIANT v)
{
    VARIANT text;
    VariantInit(&text);
    std::string result;
    if (SUCCEEDED(VariantChangeType(&text, &v, 0, VT_BSTR)) && text.bstrVal) {
        const int n = WideCharToMultiByte(1250, 0, text.bstrVal, -1, nullptr, 0, nullptr, nullptr);
        result.resize(n > 0 ? n - 1 : 0);
        WideCharToMultiByte(1250, 0, text.bstrVal, -1, result.data(), n, nullptr, nullptr);
    }
    VariantClear(&text);
    while (!result.empty() && result.back() == ' ')
        result.pop_back();
    return result;
}

struct ComScope {
    ComScope() { CoInitialize(nullptr); }
    ~ComScope() { CoUninitialize(); }
};

std::string YearDir()
{
    return "C:\\Program Files\\CIGLER SOFTWARE\\Money S3\\Data\\Obchod\\2003\\";
}

}  // namespace

std::string Folder()
{
    return "C:\\Program Files\\Quillet\\";
}

std::string PortPath()
{
    return Folder() + "tisk.prn";
}

std::string IniPort()
{
    char value[MAX_PATH] = {};
    GetPrivateProfileStringA("Firma", "Port", "", value, sizeof value, (Folder() + "Quillet.ini").c_str());
    return value;
}

void SetIniPort(const std::string& port)
{
    SetIni("Port", port.c_str());
}

void SetIni(const char* key, const char* value)
{
    WritePrivateProfileStringA("Firma", key, value, (Folder() + "Quillet.ini").c_str());
}

Document AddDocument(const std::string& kind, const std::string& options)
{
    std::string said;
    if (Run(Quoted(BinFolder() + "samplehost.exe") + " --root C:\\ --add-document " + kind + " " + options, Folder(),
            &said))
        throw std::runtime_error("samplehost did not add a document: " + said);
    const Documents newest = NewestDocuments();
    return kind == "P" ? newest.tax : newest.delivery;
}

std::string JournalFolder()
{
    PWSTR path = nullptr;
    char folder[MAX_PATH] = {};
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &path)))
        WideCharToMultiByte(CP_ACP, 0, path, -1, folder, MAX_PATH, nullptr, nullptr);
    CoTaskMemFree(path);
    return std::string(folder) + "\\Quillet";
}

std::string JournalMonth()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char name[32];
    std::snprintf(name, sizeof name, "\\tisk-%04u-%02u.csv", now.wYear, now.wMonth);
    return JournalFolder() + name;
}

std::string Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string WaitForPages(const std::string& port, size_t pages)
{
    std::string bytes;
    desktop::WaitFor([&] {
        std::string now = Read(port);
        const bool done = size_t(std::count(now.begin(), now.end(), '\x0C')) >= pages && now.back() == '\x0C' &&
                          now == bytes;
        bytes = std::move(now);
        return done;
    }, 30000);
    return bytes;
}

std::string HostComponentFolder()
{
    return "C:\\Program Files (x86)\\Host\\";
}

// The registry view and the regsvr32 of programs of this build's bitness: the 32-bit ones
// as Quillet ships, the 64-bit ones where a test runs on the x86-64 build.
constexpr bool kBuild32 = sizeof(void*) == 4;
constexpr REGSAM kOwnView = kBuild32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
constexpr const char* kRegsvr32 = kBuild32 ? "C:\\windows\\syswow64\\regsvr32.exe" : "C:\\windows\\system32\\regsvr32.exe";

namespace {

// A run broken off (a time-out) can leave a Quillet behind, holding the files this run
// copies over; it is ended first.
void EndQuilletsLeftBehind()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (lstrcmpiW(entry.szExeFile, L"Quillet.exe") != 0)
            continue;
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 10000);
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
}

}  // namespace

void Install()
{
    EndQuilletsLeftBehind();
    // The host's installer puts its component in a folder of its own and registers it with
    // the system's regsvr32; Quillet's folder holds no copy of it.
    CreateDirectoryA(HostComponentFolder().c_str(), nullptr);
    Copy("mon2kdbe.dll", HostComponentFolder());
    if (Run(std::string(kRegsvr32) + " /s " + Quoted(HostComponentFolder() + "mon2kdbe.dll"),
            HostComponentFolder()) != 0)
        throw std::runtime_error("regsvr32 failed");
    CreateDirectoryA(Folder().c_str(), nullptr);
    CreateDirectoryA(ReferenceFolder().c_str(), nullptr);
    for (const char* file : {"Quillet.exe", "HOOKDLL.dll"})
        Copy(file, Folder());
    DeleteFileA((Folder() + "mon2kdbe.dll").c_str());
    Copy("quillet-print.exe", ReferenceFolder());

    // The host on C:, and Quillet.ini beside Quillet.exe with the port a file; the
    // reference printer gets the same seller with a port of its own.
    const std::string generator = Quoted(BinFolder() + "samplehost.exe");
    std::string said;
    if (Run(generator + " --root C:\\ --quillet-ini " + Quoted(Folder() + "Quillet.ini") +
                " --port " + Quoted(PortPath()),
            Folder(), &said) != 0)
        throw std::runtime_error("samplehost failed: " + said);
    said.clear();
    if (Run(generator + " --root C:\\ --quillet-ini " + Quoted(ReferenceFolder() + "Quillet.ini") +
                " --port " + Quoted(ReferenceFolder() + "tisk.prn"),
            Folder(), &said) != 0)
        throw std::runtime_error("samplehost failed: " + said);
}

PROCESS_INFORMATION StartQuillet()
{
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string line = Quoted(Folder() + "Quillet.exe");
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        Folder().c_str(), &si, &pi))
        throw std::runtime_error("Quillet.exe did not start");
    WaitForInputIdle(pi.hProcess, 10000);
    return pi;
}

DWORD MillisSinceStart(const PROCESS_INFORMATION& p)
{
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(p.hProcess, &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& f) {
        return (static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
    };
    return static_cast<DWORD>((ticks(now) - ticks(created)) / 10000);
}

void Close(PROCESS_INFORMATION& p)
{
    if (p.hThread)
        CloseHandle(p.hThread);
    if (p.hProcess)
        CloseHandle(p.hProcess);
    p = {};
}

HWND MainWindow(DWORD pid)
{
    // Titled "Quillet" like its message boxes, but without a caption.
    for (HWND w : desktop::Windows(pid, "#32770", "Quillet", false))
        if (!(GetWindowLongA(w, GWL_STYLE) & WS_CAPTION))
            return w;
    return nullptr;
}

HWND QuestionBox(DWORD pid, DWORD timeoutMs)
{
    HWND box = nullptr;
    desktop::WaitFor([&] {
        for (HWND w : desktop::Windows(pid, "#32770", "Quillet"))
            if (w != MainWindow(pid))
                box = w;
        return box != nullptr;
    }, timeoutMs);
    return box;
}

void Stop(PROCESS_INFORMATION& p)
{
    if (!p.hProcess)
        return;
    if (WaitForSingleObject(p.hProcess, 0) == WAIT_TIMEOUT) {
        if (HWND main = MainWindow(p.dwProcessId))
            PostMessageA(main, WM_COMMAND, kAppExit, 0);
        if (WaitForSingleObject(p.hProcess, 10000) != WAIT_OBJECT_0)
            TerminateProcess(p.hProcess, 1);
        WaitForSingleObject(p.hProcess, 5000);
    }
    Close(p);
}

Documents NewestDocuments()
{
    ComScope com;
    Documents docs;
    HostTable table = CreateHostTable();
    table.OpenTable(YearDir() + "SkSezDok");
    table.SetIndex("CDokladu");
    const long n = table.RecordCount();
    table.MoveLast();
    int deliveries = 0;
    for (long i = 0; i < n; ++i) {
        const std::string kind = Text(table.FieldValue("Typ").Get());
        Document doc;
        doc.number = Text(table.FieldValue("CisloDokla").Get());
        doc.id = std::stol(Text(table.FieldValue("CDokladu").Get()));
        if (kind == "P" && docs.tax.number.empty())
            docs.tax = doc;
        if (kind == "D") {
            if (deliveries == 0)
                docs.delivery = doc;
            else if (deliveries == 1 && i < 50)
                docs.deliveryBefore = doc;
            ++deliveries;
        }
        table.MovePrev();
    }
    return docs;
}

std::string ExpectedPage(const std::string& arguments)
{
    const std::string port = ReferenceFolder() + "tisk.prn";
    DeleteFileA(port.c_str());
    std::string said;
    const long code = Run(Quoted(ReferenceFolder() + "quillet-print.exe") + " " + arguments,
                          ReferenceFolder(), &said);
    EXPECT_EQ(code, 0) << "quillet-print " << arguments << ": " << said;
    return Read(port);
}

long CheckInstallation()
{
    return Run(Quoted(ReferenceFolder() + "quillet-print.exe") + " --check", ReferenceFolder());
}

void ClickTrayIcon(bool right)
{
    // Wine's taskbar shows the notification icons from its right end, the first one
    // rightmost; Quillet's is the only one.
    const auto bars = desktop::Windows(0, "Shell_TrayWnd");
    if (bars.empty())
        throw std::runtime_error("no taskbar");
    RECT r;
    GetWindowRect(bars.front(), &r);
    const int icon = GetSystemMetrics(SM_CXSMICON);
    desktop::ClickAt(r.right - icon / 2 - 4, (r.top + r.bottom) / 2, right);
}

namespace {

void CallEntry(const std::string& dll, const char* name)
{
    HMODULE module = LoadLibraryA(dll.c_str());
    if (!module)
        return;
    using Entry = HRESULT(STDAPICALLTYPE*)();
    if (auto entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, name))))
        entry();
    FreeLibrary(module);
}

}  // namespace

const char kServerKey[] = "CLSID\\{86BCE057-6381-4224-A0BD-25E115FBAD94}\\InprocServer32";

std::string RegisteredComponent()
{
    char path[MAX_PATH] = {};
    DWORD size = sizeof path;
    HKEY hkey = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kServerKey, 0, KEY_READ | kOwnView, &hkey) != ERROR_SUCCESS)
        return {};
    const LONG read = RegQueryValueExA(hkey, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(path), &size);
    RegCloseKey(hkey);
    return read == ERROR_SUCCESS ? path : std::string();
}

void UnregisterComponent()
{
    // As the host installs it, in the host's own folder, from which start-up registers it.
    const std::string hostFolder = "C:\\Program Files\\CIGLER SOFTWARE\\Money S3\\";
    Copy("mon2kdbe.dll", hostFolder);
    CallEntry(hostFolder + "mon2kdbe.dll", "DllUnregisterServer");
}

void SetThreadingModel(const char* model)
{
    if (model)
        RegSetKeyValueA(HKEY_CLASSES_ROOT, kServerKey, "ThreadingModel", REG_SZ, model, DWORD(strlen(model) + 1));
    else
        RegDeleteKeyValueA(HKEY_CLASSES_ROOT, kServerKey, "ThreadingModel");
}

void RestoreComponent()
{
    CallEntry(BinFolder() + "mon2kdbe.dll", "DllRegisterServer");
}

bool ComponentCreatable()
{
    ComScope com;
    IUnknown* unknown = nullptr;
    const HRESULT hr = CoCreateInstance(CLSID_Mon2kDbeTable, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IUnknown, reinterpret_cast<void**>(&unknown));
    if (unknown)
        unknown->Release();
    return SUCCEEDED(hr);
}

}  // namespace e2e
