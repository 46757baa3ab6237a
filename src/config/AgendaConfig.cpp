// AgendaConfig::Load: finds the host's installation through its own INI files, composes
// the agenda and year directories it last opened, and reads the seller data from Quillet.ini.
#include "config/AgendaConfig.h"

#include <windows.h>

#include <string_view>
#include <vector>

#include "config/FirmaKeys.h"
#include "framework/Files.h"
#include "framework/MessageBox.h"
#include "framework/WideText.h"
#include "res/resource.h"

namespace {

// The host's common files may live on any of these drives; the first one found wins.
const char* const kSetupIniPaths[] = {
    "C:\\Program Files\\CIGLER SOFTWARE\\Common Files\\Setup.ini",
    "D:\\Program Files\\CIGLER SOFTWARE\\Common Files\\Setup.ini",
    "E:\\Program Files\\CIGLER SOFTWARE\\Common Files\\Setup.ini",
};

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

AgendaConfig::~AgendaConfig() = default;

HostLocation FindHost()
{
    HostLocation host;
    for (const char* path : kSetupIniPaths) {
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

    const std::string ini = QuilletIniPath();
    ReadFirma(ini, *this);
    PortTimeout = ReadPortTimeout(ini);
    Rezim = ReadRezim(ini);
    KopieDanovyDoklad = ReadCopies(ini, "KopieDanovyDoklad");
    KopieDodaciList = ReadCopies(ini, "KopieDodaciList");
}

void AgendaConfig::CopySettings(const AgendaConfig& from)
{
    for (const auto& key : kFirmaKeys<AgendaConfig>)
        this->*key.value = from.*key.value;
    PortTimeout = from.PortTimeout;
    Rezim = from.Rezim;
    KopieDanovyDoklad = from.KopieDanovyDoklad;
    KopieDodaciList = from.KopieDodaciList;
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
