// Reading and writing one key of section "Firma" of Quillet.ini through the profile API.
#include "config/FirmaKeys.h"

#include <windows.h>

#include <cstdlib>

namespace {

constexpr char kSection[] = "Firma";
// Values longer than this are cut by the API to 259 characters.
constexpr DWORD kValueBufferSize = 260;
// The profile API reads lines of at most this many characters.
constexpr size_t kLongestValue = 65536;

}  // namespace

std::string ReadFirmaKey(const std::string& iniPath, const char* key, const char* defaultValue, bool whole)
{
    std::string value(kValueBufferSize, '\0');
    for (;;) {
        const DWORD length = GetPrivateProfileStringA(kSection, key, defaultValue, &value[0], DWORD(value.size()),
                                                      iniPath.c_str());
        // A value that filled the buffer may have been cut; the profile API has no other sign.
        if (!whole || length + 1 < value.size() || value.size() >= kLongestValue) {
            value.resize(length);
            return value;
        }
        value.assign(value.size() * 2, '\0');
    }
}

int ReadPortTimeout(const std::string& iniPath)
{
    const std::string text = ReadFirmaKey(iniPath, "PortTimeout", "");
    char* end = nullptr;
    const long seconds = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || seconds < 1 || seconds > 3600)
        return kDefaultPortTimeout;
    return static_cast<int>(seconds);
}

bool WriteFirmaKey(const std::string& iniPath, const char* key, const std::string& value)
{
    return WritePrivateProfileStringA(kSection, key, value.c_str(), iniPath.c_str()) != FALSE;
}
