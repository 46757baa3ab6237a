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
    if (text.empty() || *end || seconds < 1 || seconds > kMaxPortTimeout)
        return kDefaultPortTimeout;
    return static_cast<int>(seconds);
}

PrintRezim ReadRezim(const std::string& iniPath)
{
    const std::string text = ReadFirmaKey(iniPath, "Rezim", "");
    for (PrintRezim rezim : {PrintRezim::Escp, PrintRezim::Grafika}) {
        if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, text.c_str(), -1, RezimValue(rezim), -1) == CSTR_EQUAL)
            return rezim;
    }
    return PrintRezim::Auto;
}

const char* RezimValue(PrintRezim rezim)
{
    switch (rezim) {
    case PrintRezim::Escp: return "escp";
    case PrintRezim::Grafika: return "grafika";
    case PrintRezim::Auto: break;
    }
    return "auto";
}

int ParseCopies(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    const size_t last = text.find_last_not_of(' ');
    if (first == std::string::npos || first != last || text[first] < '1' || text[first] > '0' + kMaxCopies)
        return 0;
    return text[first] - '0';
}

int ReadCopies(const std::string& iniPath, const char* key)
{
    const int copies = ParseCopies(ReadFirmaKey(iniPath, key, ""));
    return copies ? copies : 1;
}

bool WritePrintKeys(const std::string& iniPath, PrintRezim rezim, int copiesTax, int copiesDelivery)
{
    return WriteFirmaKey(iniPath, "Rezim", RezimValue(rezim)) &&
           WriteFirmaKey(iniPath, "KopieDanovyDoklad", std::to_string(copiesTax)) &&
           WriteFirmaKey(iniPath, "KopieDodaciList", std::to_string(copiesDelivery));
}

bool WriteFirmaKey(const std::string& iniPath, const char* key, const std::string& value)
{
    return WritePrivateProfileStringA(kSection, key, value.c_str(), iniPath.c_str()) != FALSE;
}
