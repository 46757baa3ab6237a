// Printer queues for tests, in HKLM\System\CurrentControlSet\Control\Print\Printers.
#include "support/TestQueue.h"

#include <windows.h>
#include <winspool.h>

#include "framework/WideText.h"
#include "support/TempFile.h"

namespace {

const char kPrinters[] = "System\\CurrentControlSet\\Control\\Print\\Printers\\";
const char kPostScriptDriver[] = "Wine PostScript Driver";
#ifdef _WIN64
#define QUILLET_PRINT_ENVIRONMENT "Windows x64"
#else
#define QUILLET_PRINT_ENVIRONMENT "Windows NT x86"
#endif
const char kDrivers[] = "System\\CurrentControlSet\\Control\\Print\\Environments\\" QUILLET_PRINT_ENVIRONMENT
                        "\\Drivers\\Version-3\\";
// Without the queue's entry here a device context cannot be made for it.
const char kDevices[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Devices";

// Names and values are code page 1250, whatever the ANSI code page is.
void SetText(HKEY key, const std::string& name, const std::string& value)
{
    const std::wstring wide = ToWide(value);
    RegSetValueExW(key, ToWide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                   static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

// Wine's generic PPD is kept inside its spooler library: the text from "*PPD-Adobe" to
// the first NUL. Written out once, as the PostScript driver reads it from a file.
std::string GenericPpd()
{
    char folder[MAX_PATH] = {};
    GetSystemDirectoryA(folder, MAX_PATH);
    const std::string library = FileBytes(std::string(folder) + "\\winspool.drv");
    const size_t start = library.find("*PPD-Adobe");
    if (start == std::string::npos)
        return {};
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string path = std::string(temp) + "quillet-generic.ppd";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    const std::string ppd = library.substr(start, library.find('\0', start) - start);
    DWORD written = 0;
    WriteFile(file, ppd.data(), static_cast<DWORD>(ppd.size()), &written, nullptr);
    CloseHandle(file);
    return path;
}

void InstallPostScriptDriver()
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string(kDrivers) + kPostScriptDriver).c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    SetText(key, "Driver", "wineps.drv");
    SetText(key, "Configuration File", "wineps.drv");
    SetText(key, "Data File", GenericPpd());
    SetText(key, "Datatype", "RAW");
    const DWORD version = 3;
    RegSetValueExA(key, "Version", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&version), sizeof version);
    RegCloseKey(key);
}

}  // namespace

std::string PortFixtureFile(const char* name)
{
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string path = exe;
    path.resize(path.find_last_of('\\'));  // the build's bin folder
    return path.substr(0, path.find_last_of('\\') + 1) + "printer-ports\\" + name;
}

TestQueue::TestQueue(std::string name, const std::string& port, QueueDriver driver) : name_(std::move(name))
{
    const bool postScript = driver == QueueDriver::PostScript;
    if (postScript) {
        InstallPostScriptDriver();
        HKEY devices = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kDevices, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &devices, nullptr) ==
            ERROR_SUCCESS) {
            SetText(devices, name_, "wineps.drv," + port);
            RegCloseKey(devices);
        }
    }
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, ToWide(kPrinters + name_).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    SetText(key, "Name", name_);
    SetText(key, "Port", port);
    SetText(key, "Print Processor", "WinPrint");
    SetText(key, "Datatype", "RAW");
    SetText(key, "Printer Driver", postScript ? kPostScriptDriver : "Generic / Text Only");
    const DWORD attributes = 0x40;  // PRINTER_ATTRIBUTE_LOCAL
    RegSetValueExA(key, "Attributes", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&attributes), sizeof attributes);
    RegCloseKey(key);
}

TestQueue::~TestQueue()
{
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, ToWide(kPrinters + name_).c_str());
    RegDeleteKeyValueW(HKEY_CURRENT_USER, ToWide(kDevices).c_str(), ToWide(name_).c_str());
}

std::wstring TestQueue::JobName() const
{
    std::wstring name = ToWide(name_), document;
    HANDLE printer = nullptr;
    BYTE job[4096];
    DWORD needed = 0;
    // The spooler numbers the jobs of the process from 1; the queue is the test's own.
    for (DWORD id = 1; OpenPrinterW(&name[0], &printer, nullptr) && id <= 256 && document.empty(); ++id) {
        if (GetJobW(printer, id, 1, job, sizeof job, &needed) && reinterpret_cast<JOB_INFO_1W*>(job)->pDocument)
            document = reinterpret_cast<JOB_INFO_1W*>(job)->pDocument;
        ClosePrinter(printer);
    }
    return document;
}
