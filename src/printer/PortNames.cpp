// Port names: which way a name leads, and the names that are refused because they would
// print nowhere or somewhere else than they say.
#include "printer/PortNames.h"

#include <algorithm>

#include "framework/FormatText.h"
#include "framework/Handles.h"

namespace {

bool SameName(const std::string& a, const std::string& b)
{
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_EQUAL;
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

// Windows opens its NUL device for NUL as the last part of any path, in any case, with any
// extension or a colon after it and blanks before those: whatever is written there is gone.
bool IsNulDevice(const std::string& name)
{
    std::string stem = LastPart(name);
    stem.erase(std::min(stem.find_first_of(".:"), stem.size()));
    stem.erase(stem.find_last_not_of(' ') + 1);
    return SameName(stem, "NUL");
}

// The file and volume numbers identify a file whatever its name is spelt like (a short
// name, a relative path, another case).
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
                                             SameFile(WidePortName(name), settingsFile));
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

std::wstring WidePortName(const std::string& name)
{
    if (name.empty())
        return {};
    const int length = MultiByteToWideChar(1250, 0, name.data(), int(name.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(1250, 0, name.data(), int(name.size()), &wide[0], length);
    return wide;
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
    if (way == PortWay::Queue)
        return {};
    if (IsNulDevice(name))
        return "NUL není tiskárna: co se na něj pošle, Windows zahodí. Zadejte tiskárnu Windows, port (LPT1:) nebo "
               "soubor.";
    if (IsSettingsFile(name, way, settingsFile))
        return "Quillet.ini je soubor s nastavením Quillet, ne tiskárna: tisk by ho poškodil.";
    return {};
}

std::string UnknownPortReason(const std::string& name)
{
    if (name.empty())
        return "Port není zadán.";
    return "'" + name + "' není tiskárna nainstalovaná ve Windows, port (LPT1:, COM1:, PRN) ani cesta k souboru.";
}
