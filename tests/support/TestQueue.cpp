// Printer queues for tests, in HKLM\System\CurrentControlSet\Control\Print\Printers.
#include "support/TestQueue.h"

#include <windows.h>

namespace {

const char kPrinters[] = "System\\CurrentControlSet\\Control\\Print\\Printers\\";

void SetText(HKEY key, const char* name, const std::string& value)
{
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
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

TestQueue::TestQueue(std::string name, const std::string& port) : name_(std::move(name))
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, (kPrinters + name_).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    SetText(key, "Name", name_);
    SetText(key, "Port", port);
    SetText(key, "Print Processor", "WinPrint");
    SetText(key, "Datatype", "RAW");
    SetText(key, "Printer Driver", "Generic / Text Only");
    const DWORD attributes = 0x40;  // PRINTER_ATTRIBUTE_LOCAL
    RegSetValueExA(key, "Attributes", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&attributes), sizeof attributes);
    RegCloseKey(key);
}

TestQueue::~TestQueue()
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, (kPrinters + name_).c_str());
}
