// Reading and writing the keys of section "Firma" of Quillet.ini through the profile API,
// each as its row of kFirmaKeys says.
#include "config/FirmaKeys.h"

#include <windows.h>

#include <cstdlib>

#include "framework/FormatText.h"

namespace {

constexpr char kSection[] = "Firma";
// Values longer than this are cut by the API to 259 characters.
constexpr DWORD kValueBufferSize = 260;
// The profile API reads lines of at most this many characters.
constexpr size_t kLongestValue = 65536;

// One key; values longer than 259 characters arrive cut, unless whole.
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

// An empty value is written as an empty key, not removed.
bool WriteFirmaKey(const std::string& iniPath, const char* key, const std::string& value)
{
    return WritePrivateProfileStringA(kSection, key, value.c_str(), iniPath.c_str()) != FALSE;
}

// The index of the choice text names, in any case; -1 for none.
int FindChoice(const FirmaKey& key, const std::string& text)
{
    for (int i = 0; i < key.choiceCount; ++i) {
        if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, text.c_str(), -1, key.choices[i].value, -1) ==
            CSTR_EQUAL)
            return i;
    }
    return -1;
}

}  // namespace

bool ParseFirmaNumber(const FirmaKey& key, const std::string& text, int& value)
{
    long number = 0;
    if (key.type == FirmaType::Digit) {
        const size_t first = text.find_first_not_of(' ');
        const size_t last = text.find_last_not_of(' ');
        if (first == std::string::npos || first != last || text[first] < '0' || text[first] > '9')
            return false;
        number = text[first] - '0';
    } else {
        char* end = nullptr;
        number = std::strtol(text.c_str(), &end, 10);
        if (text.empty() || *end)
            return false;
    }
    if (number < key.min || number > key.max)
        return false;
    value = static_cast<int>(number);
    return true;
}

std::string FirmaNumberRefusal(const FirmaKey& key)
{
    return FormatText("%s musí být číslo od %d do %d.", key.counted, key.min, key.max);
}

void ReadFirmaSettings(const std::string& iniPath, FirmaSettings& settings)
{
    const FirmaSettings defaults;
    for (const FirmaKey& key : kFirmaKeys) {
        switch (key.type) {
        case FirmaType::Text:
        case FirmaType::WholeText:
            settings.*key.text = ReadFirmaKey(iniPath, key.name, key.missing, key.type == FirmaType::WholeText);
            break;
        case FirmaType::Number:
        case FirmaType::Digit:
            if (!ParseFirmaNumber(key, ReadFirmaKey(iniPath, key.name, "", false), settings.*key.number))
                settings.*key.number = defaults.*key.number;
            break;
        case FirmaType::Choice: {
            const int index = FindChoice(key, ReadFirmaKey(iniPath, key.name, "", false));
            settings.*key.choice = index < 0 ? defaults.*key.choice : static_cast<PrintRezim>(index);
            break;
        }
        case FirmaType::Check: {
            const std::string text = ReadFirmaKey(iniPath, key.name, "", false);
            const size_t first = text.find_first_not_of(' ');
            const bool one = first != std::string::npos && first == text.find_last_not_of(' ');
            settings.*key.flag = one && (text[first] == '1' || text[first] == '0') ? text[first] == '1'
                                                                                   : defaults.*key.flag;
            break;
        }
        }
    }
}

bool WriteFirmaSettings(const std::string& iniPath, const FirmaSettings& settings)
{
    for (const FirmaKey& key : kFirmaKeys) {
        if (!key.control)
            continue;
        std::string value;
        switch (key.type) {
        case FirmaType::Text:
        case FirmaType::WholeText:
            value = settings.*key.text;
            break;
        case FirmaType::Number:
        case FirmaType::Digit:
            value = std::to_string(settings.*key.number);
            break;
        case FirmaType::Choice:
            value = key.choices[static_cast<int>(settings.*key.choice)].value;
            break;
        case FirmaType::Check:
            value = settings.*key.flag ? "1" : "0";
            break;
        }
        if (!WriteFirmaKey(iniPath, key.name, value))
            return false;
    }
    return true;
}
