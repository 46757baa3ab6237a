// AgendaConfig::Load: finds the host's installation through its own INI files, composes
// the agenda and year directories it last opened, and reads the settings from Quillet.ini.
#include "config/AgendaConfig.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "framework/Files.h"
#include "framework/MessageBox.h"
#include "framework/WideText.h"
#include "res/resource.h"

namespace {

// The host keeps its common files in a program-files folder of C:, D: or E:, the first one
// found wins. A 32-bit host on 64-bit Windows is installed under "Program Files (x86)",
// and the system does not redirect "Program Files" there for a 32-bit program.
const char* const kProgramFilesFolders[] = {"Program Files", "Program Files (x86)"};
const char* const kHostDrives[] = {"C:", "D:", "E:"};

// The 32-bit program-files folder as Windows reports it, without a backslash at the end;
// empty where it reports none, or one the program's code page cannot name.
std::string ProgramFilesX86()
{
    PWSTR path = nullptr;
    std::string folder;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_ProgramFilesX86, KF_FLAG_DONT_VERIFY, nullptr, &path)) ||
        !ToCp1250(path, folder))
        folder.clear();
    CoTaskMemFree(path);
    while (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

bool SameFolder(const std::string& a, const std::string& b)
{
    const std::wstring wideA = ToWide(a), wideB = ToWide(b);
    return CompareStringOrdinal(wideA.c_str(), int(wideA.size()), wideB.c_str(), int(wideB.size()), TRUE) ==
           CSTR_EQUAL;
}

// Every program-files folder the host may be under, in the order they are looked in.
std::vector<std::string> HostProgramFiles()
{
    std::vector<std::string> folders;
    for (const char* folder : kProgramFilesFolders) {
        for (const char* drive : kHostDrives)
            folders.push_back(std::string(drive) + "\\" + folder);
    }
    const std::string x86 = ProgramFilesX86();
    if (!x86.empty() &&
        std::none_of(folders.begin(), folders.end(), [&](const std::string& f) { return SameFolder(f, x86); }))
        folders.push_back(x86);
    return folders;
}

// Values longer than this are cut by the API to 259 characters.
constexpr DWORD kValueBufferSize = 260;

std::string ReadIniValue(const std::string& file, const char* section, const char* key)
{
    char value[kValueBufferSize] = {};
    GetPrivateProfileStringA(section, key, "", value, kValueBufferSize, file.c_str());
    return value;
}

// Whatever the host wrote, a directory ends in exactly one backslash: trailing white
// space goes first, then the trailing backslashes, then one is appended.
std::string NormaliseDirectory(std::string dir)
{
    constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";
    while (!dir.empty() && kWhiteSpace.find(dir.back()) != std::string_view::npos)
        dir.pop_back();
    while (!dir.empty() && dir.back() == '\\')
        dir.pop_back();
    return dir + '\\';
}

// The message lives in the string table, linked into every program that loads the agenda.
std::string NoHostText()
{
    wchar_t text[kValueBufferSize] = {};
    LoadStringW(GetModuleHandleW(nullptr), IDS_NO_HOST, text, kValueBufferSize);
    return ToCp1250Shown(text);
}

}  // namespace

const char kHostCommonFiles[] = "\\CIGLER SOFTWARE\\Common Files";

AgendaConfig::~AgendaConfig() = default;

HostLocation FindHost()
{
    HostLocation host;
    for (const std::string& folder : HostProgramFiles()) {
        host.searched.push_back(folder);
        const std::string path = folder + kHostCommonFiles + "\\Setup.ini";
        if (FileExists(path)) {
            host.setupIni = path;
            host.monS3Ini = ReadIniValue(host.setupIni, "InstParams", "LocalPath") + "\\MonS3.ini";
            break;
        }
    }
    return host;
}

void AgendaConfig::Load()
{
    const HostLocation host = FindHost();
    if (host.setupIni.empty()) {
        ShowMessageBox(NoHostText(), MB_OK);
        return;
    }

    const std::string& monS3Ini = host.monS3Ini;
    std::string yearDir = NormaliseDirectory(ReadIniValue(monS3Ini, "Directory", "DataRoot"));
    yearDir = NormaliseDirectory(yearDir + ReadIniValue(monS3Ini, "LastDirs", "LastFirm"));
    AgendaDir = yearDir;
    YearDir = NormaliseDirectory(yearDir + ReadIniValue(monS3Ini, "LastDirs", "LastYear"));

    ReadFirmaSettings(QuilletIniPath(), *this);
}

void AgendaConfig::CopySettings(const AgendaConfig& from)
{
    static_cast<FirmaSettings&>(*this) = from;
    AgendaDir = from.AgendaDir;
    YearDir = from.YearDir;
}

std::string QuilletIniPath()
{
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, path.data(), DWORD(path.size()));
        if (length == 0)
            return "Quillet.ini";  // not expected; the system then looks in the Windows folder
        if (length < path.size()) {
            std::string exe(path.data(), length);
            return exe.substr(0, exe.rfind('\\') + 1) + "Quillet.ini";
        }
        path.resize(path.size() * 2);
    }
}
