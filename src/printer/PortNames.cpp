// Port names: which way a name leads, and the names that are refused because they would
// print nowhere or somewhere else than they say.
#include "printer/PortNames.h"

#include <winternl.h>

#include <algorithm>
#include <cwchar>
#include <vector>

#include "framework/FormatText.h"
#include "framework/Handles.h"
#include "framework/WideText.h"

namespace {

bool SameName(const std::string& a, const std::string& b)
{
    const std::wstring wideA = ToWide(a), wideB = ToWide(b);
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wideA.c_str(), int(wideA.size()), wideB.c_str(),
                          int(wideB.size())) == CSTR_EQUAL;
}

// Names in Windows' object namespace are compared as the object manager does: ordinally,
// without regard to case.
bool StartsWith(const std::wstring& text, const std::wstring& prefix)
{
    return text.size() >= prefix.size() &&
           CompareStringOrdinal(text.c_str(), int(prefix.size()), prefix.c_str(), int(prefix.size()), TRUE) ==
               CSTR_EQUAL;
}

// A folder separator anywhere, or a drive letter in front.
bool HasFolderOrDrive(const std::string& name)
{
    if (name.find_first_of("\\/") != std::string::npos)
        return true;
    const unsigned char first = static_cast<unsigned char>(name.size() > 1 ? name[0] : 0);
    return name.size() > 1 && name[1] == ':' && ((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z'));
}

// What follows the last folder separator, or the drive of a name such as C:tisk.prn.
std::string LastPart(const std::string& name)
{
    const size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos)
        return name.substr(slash + 1);
    return name.size() > 1 && name[1] == ':' ? name.substr(2) : name;
}

// The name as Windows completes it before it opens it, by the same rules: a name that
// Windows takes for a device whatever folder and extension it has (C:\Tisk\lpt1.prn,
// nul.txt) comes back as \\.\ and the device.
std::wstring FullPath(const std::wstring& name)
{
    const DWORD size = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return name;
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(name.c_str(), size, &full[0], nullptr);
    if (length == 0 || length >= size)
        return name;
    full.resize(length);
    return full;
}

// What a DOS device name (NUL, LPT1, C:, GLOBALROOT) is linked to in the object
// namespace; false when it is no such name. GLOBALROOT is linked to the root itself.
bool DosDeviceTarget(const std::wstring& device, std::wstring& target)
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = QueryDosDeviceW(device.c_str(), buffer.data(), DWORD(buffer.size()));
        if (length != 0) {
            target = buffer.data();  // the first of the targets is the one in force
            return true;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || buffer.size() >= 32768)
            return false;
        buffer.resize(buffer.size() * 4);
    }
}

// Links hardly ever lead on more than twice (Global, then NUL); a loop must end anyway.
constexpr int kMostLinks = 16;

// Where a name leads in Windows' object namespace, with the DOS device links on the way
// followed: \\.\NUL, C:\Tisk\nul.prn, \\.\Global\NUL and \\?\GLOBALROOT\Device\Null all
// lead to \Device\Null, and so does LPT3 where someone has linked it there.
std::wstring ObjectPath(const std::wstring& name)
{
    const std::wstring full = FullPath(name);
    std::wstring path;
    if (StartsWith(full, L"\\\\.\\") || StartsWith(full, L"\\\\?\\"))
        path = L"\\??\\" + full.substr(4);
    else if (StartsWith(full, L"\\\\"))
        path = L"\\??\\UNC\\" + full.substr(2);
    else
        path = L"\\??\\" + full;
    for (int link = 0; link < kMostLinks; ++link) {
        size_t start = 0;
        for (const wchar_t* dosDevices : {L"\\??\\", L"\\GLOBAL??\\", L"\\DosDevices\\"}) {
            if (StartsWith(path, dosDevices))
                start = std::wcslen(dosDevices);
        }
        if (start == 0)
            break;
        const size_t end = std::min(path.find(L'\\', start), path.size());
        std::wstring target;
        if (!DosDeviceTarget(path.substr(start, end - start), target))
            break;
        path = target + path.substr(end);
    }
    return path;
}

bool LeadsToNullDevice(const std::wstring& name)
{
    const std::wstring kNull = L"\\Device\\Null";
    const std::wstring path = ObjectPath(name);
    return (path.size() == kNull.size() && StartsWith(path, kNull)) || StartsWith(path, kNull + L"\\");
}

std::string AsciiUpper(std::string text)
{
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// The device Windows opens for a name written as a file name (C:\Tisk\lpt1.prn, com1.txt,
// aux, con), in capitals; empty for a name that stays a file, and for a name written as
// a device path (\\.\COM1), which says what it opens.
std::string DeviceOpenedInstead(const std::wstring& name)
{
    if (StartsWith(name, L"\\\\"))
        return {};
    const std::wstring full = FullPath(name);
    if (!StartsWith(full, L"\\\\.\\"))
        return {};
    return AsciiUpper(ToCp1250Shown(full.substr(4)));
}

// A device that Windows links to another DOS device (AUX to COM1, PRN to LPT1) stands for
// that one; any other stands for itself.
std::string LinkedDevice(const std::string& device)
{
    std::wstring target;
    if (!DosDeviceTarget(ToWide(device), target))
        return device;
    for (const wchar_t* dosDevices : {L"\\??\\", L"\\DosDevices\\"}) {
        const std::wstring prefix = dosDevices;
        if (StartsWith(target, prefix) && target.find(L'\\', prefix.size()) == std::wstring::npos)
            return AsciiUpper(ToCp1250Shown(target.substr(prefix.size())));
    }
    return device;
}

const char kNulRefusal[] =
    "NUL není tiskárna: co se na něj pošle, Windows zahodí. Zadejte tiskárnu Windows, port (LPT1:) nebo soubor.";

// The file and volume numbers identify a file whatever its name is spelt like (a short
// name, a relative path, another case). The settings file's path comes from the system in
// its ANSI code page, and is opened in it.
bool SameFile(const std::wstring& a, const std::string& b)
{
    auto identify = [](HANDLE file, BY_HANDLE_FILE_INFORMATION& info) {
        FileHandle owner(file);
        return owner.Valid() && GetFileInformationByHandle(owner.Get(), &info);
    };
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    BY_HANDLE_FILE_INFORMATION first{}, second{};
    return identify(CreateFileW(a.c_str(), 0, share, nullptr, OPEN_EXISTING, 0, nullptr), first) &&
           identify(CreateFileA(b.c_str(), 0, share, nullptr, OPEN_EXISTING, 0, nullptr), second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

// Whether the path may name a file on a disk or a share. Opening a pipe, a mailslot or a
// device just to look at it is never harmless: a pipe's client takes up the instance the
// print would have used, which then finds the pipe busy.
bool MayBeFile(std::string name)
{
    std::replace(name.begin(), name.end(), '/', '\\');
    if (name.compare(0, 4, "\\\\.\\") == 0 || name.compare(0, 4, "\\\\?\\") == 0) {
        name.erase(0, 4);
        if (name.size() >= 4 && SameName(name.substr(0, 4), "UNC\\"))
            name.replace(0, 4, "\\\\");
        else
            return name.size() >= 2 && name[1] == ':';
    }
    if (name.compare(0, 2, "\\\\") != 0)
        return true;
    // \\server\share\...: the server's pipes and mailslots are no files.
    const size_t shareStart = name.find('\\', 2);
    if (shareStart == std::string::npos)
        return false;
    const std::string share = name.substr(shareStart + 1, name.find('\\', shareStart + 1) - shareStart - 1);
    return !SameName(share, "pipe") && !SameName(share, "mailslot");
}

// Windows drops dots and blanks at the end of a file name. Only a path is compared with
// the settings file itself: a device is not opened just to ask.
bool IsSettingsFile(const std::string& name, PortWay way, const std::string& settingsFile)
{
    std::string last = LastPart(name);
    last.erase(last.find_last_not_of(". ") + 1);
    return SameName(last, "Quillet.ini") || (way == PortWay::Path && !settingsFile.empty() && MayBeFile(name) &&
                                             SameFile(ToWide(name), settingsFile));
}

// The longest name a port may have: what Windows opens without the long-path prefix.
constexpr size_t kLongestName = 259;

// The first byte of the name that has no character in code page 1250 (0x81, 0x83, 0x88,
// 0x90, 0x98): Windows would drop it and open another name. -1 when there is none.
int UnconvertibleByte(const std::string& name)
{
    for (char c : name) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x80)
            continue;
        wchar_t wide = 0;
        char back = 0;
        BOOL lost = FALSE;
        if (MultiByteToWideChar(1250, MB_ERR_INVALID_CHARS, &c, 1, &wide, 1) != 1 || (wide >= 0x80 && wide <= 0x9F) ||
            WideCharToMultiByte(1250, WC_NO_BEST_FIT_CHARS, &wide, 1, &back, 1, nullptr, &lost) != 1 || lost ||
            back != c)
            return byte;
    }
    return -1;
}

// The kernel's own word on what kind of device a handle is on; the null device has a
// type of its own. Asked through ntdll, where the call has always been.
constexpr FS_INFORMATION_CLASS kFileFsDeviceInformation = static_cast<FS_INFORMATION_CLASS>(4);
constexpr ULONG kFileDeviceNull = 0x15;
struct FileFsDeviceInformation {
    ULONG DeviceType;
    ULONG Characteristics;
};
using QueryVolumeInformationFile = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, FS_INFORMATION_CLASS);

bool IsNullDevice(HANDLE file)
{
    static const auto query = reinterpret_cast<QueryVolumeInformationFile>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryVolumeInformationFile")));
    if (!query)
        return false;
    IO_STATUS_BLOCK status{};
    FileFsDeviceInformation device{};
    return query(file, &status, &device, sizeof device, kFileFsDeviceInformation) >= 0 &&
           device.DeviceType == kFileDeviceNull;
}

}  // namespace

std::string TrimmedPortName(const std::string& name)
{
    const size_t first = name.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return name.substr(first, name.find_last_not_of(" \t") - first + 1);
}

PortWay ClassifyPort(const std::string& portName)
{
    const std::string name = TrimmedPortName(portName);
    if (name.empty())
        return PortWay::Nothing;
    for (const std::string& queue : InstalledPrinterQueues()) {
        if (SameName(queue, name))
            return PortWay::Queue;
    }
    if (IsDeviceName(name))
        return PortWay::Device;
    if (HasFolderOrDrive(name))
        return PortWay::Path;
    return PortWay::Nothing;
}

bool IsDeviceName(std::string name)
{
    if (!name.empty() && name.back() == ':')
        name.pop_back();
    if (SameName(name, "PRN"))
        return true;
    if (name.size() != 4 || name[3] < '1' || name[3] > '9')
        return false;
    const std::string stem = name.substr(0, 3);
    return SameName(stem, "LPT") || SameName(stem, "COM");
}

std::string PortRefusal(const std::string& name, PortWay way, const std::string& settingsFile)
{
    if (name.size() > kLongestName)
        return FormatText("Název portu má %u znaků, Windows jich otevře nejvýše %u; zkrácený by vedl jinam.",
                          static_cast<unsigned>(name.size()), static_cast<unsigned>(kLongestName));
    const int byte = UnconvertibleByte(name);
    if (byte >= 0)
        return FormatText("Název portu obsahuje bajt 0x%02X, který ve Windows není znakem; port by se otevřel "
                          "pod jiným názvem.",
                          byte);
    if (way == PortWay::Queue || name.empty())
        return {};
    const std::wstring wide = ToWide(name);
    if (LeadsToNullDevice(wide))
        return kNulRefusal;
    if (way != PortWay::Device) {
        const std::string device = DeviceOpenedInstead(wide);
        if (!device.empty()) {
            const std::string port = LinkedDevice(device);
            if (IsDeviceName(port))
                return FormatText("Windows tento název neotevře jako soubor, ale jako port %s. Tiskárnu na tomto "
                                  "portu zadejte jako %s:, soubor pod jiným názvem.",
                                  port.c_str(), port.c_str());
            return FormatText("Windows tento název neotevře jako soubor, ale jako zařízení %s, které není "
                              "tiskárna. Zadejte tiskárnu Windows, port (LPT1:) nebo soubor.",
                              device.c_str());
        }
    }
    if (IsSettingsFile(name, way, settingsFile))
        return "Quillet.ini je soubor s nastavením Quillet, ne tiskárna: tisk by ho poškodil.";
    return {};
}

std::string OpenedPortRefusal(HANDLE file)
{
    return IsNullDevice(file) ? kNulRefusal : std::string();
}

std::string UnknownPortReason(const std::string& name)
{
    if (name.empty())
        return "Port není zadán.";
    return "'" + name + "' není tiskárna nainstalovaná ve Windows, port (LPT1:, COM1:, PRN) ani cesta k souboru.";
}
