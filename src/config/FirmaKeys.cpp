// Reading and writing one key of section "Firma" of Quillet.ini through the profile API.
#include "config/FirmaKeys.h"

#include <windows.h>

#include <cstdlib>

namespace {

constexpr char kSection[] = "Firma";
// Values longer than this are cut by the API to 259 characters.
constexpr DWORD kValueBufferSize = 260;

}  // namespace

std::string ReadFirmaKey(const std::string& iniPath, const char* key, const char* defaultValue)
{
    char value[kValueBufferSize] = {};
    GetPrivateProfileStringA(kSection, key, defaultValue, value, kValueBufferSize, iniPath.c_str());
    return value;
}

int ReadPortTimeout(const std::string& iniPath)
{
    const std::string text = ReadFirmaKey(iniPath, "PortTimeout", "");
    char* end = nullptr;
    const long seconds = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || seconds < 1 || seconds > kMaxPortTimeout)
        return kDefaultPortTimeout;
    return static_cast<int>(seconds);
}

bool WriteFirmaKey(const std::string& iniPath, const char* key, const std::string& value)
{
    return WritePrivateProfileStringA(kSection, key, value.c_str(), iniPath.c_str()) != FALSE;
}
