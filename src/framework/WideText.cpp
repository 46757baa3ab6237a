// Conversions between code page 1250 and UTF-16, never through the ANSI code page.
#include "framework/WideText.h"

#include <windows.h>

#include <utility>

namespace {

constexpr UINT kCp1250 = 1250;

// One character of text at position at: a surrogate pair counts as one.
size_t CharLength(const std::wstring& text, size_t at)
{
    return IS_HIGH_SURROGATE(text[at]) && at + 1 < text.size() && IS_LOW_SURROGATE(text[at + 1]) ? 2 : 1;
}

// Converts without look-alikes; usedDefault tells whether a character was replaced.
std::string Convert(const wchar_t* text, size_t length, BOOL* usedDefault)
{
    if (length == 0)
        return {};
    const int count = static_cast<int>(length);
    const int size = WideCharToMultiByte(kCp1250, WC_NO_BEST_FIT_CHARS, text, count, nullptr, 0, nullptr, usedDefault);
    std::string result(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(kCp1250, WC_NO_BEST_FIT_CHARS, text, count, result.data(), size, nullptr, usedDefault);
    return result;
}

}  // namespace

std::wstring ToWide(const std::string& text)
{
    if (text.empty())
        return {};
    const int count = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(kCp1250, 0, text.data(), count, nullptr, 0);
    std::wstring result(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0)
        MultiByteToWideChar(kCp1250, 0, text.data(), count, result.data(), size);
    return result;
}

bool ToCp1250(const std::wstring& text, std::string& result, size_t* bad)
{
    BOOL usedDefault = FALSE;
    std::string converted = Convert(text.data(), text.size(), &usedDefault);
    if (!usedDefault) {
        result = std::move(converted);
        return true;
    }
    if (bad) {
        // Rarely needed: find the first character that has no place.
        for (size_t at = 0; at < text.size(); at += CharLength(text, at)) {
            usedDefault = FALSE;
            Convert(text.data() + at, CharLength(text, at), &usedDefault);
            if (usedDefault) {
                *bad = at;
                break;
            }
        }
    }
    return false;
}

std::string ToCp1250Shown(const std::wstring& text)
{
    BOOL usedDefault = FALSE;
    return Convert(text.data(), text.size(), &usedDefault);
}

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int count = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), count, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), count, result.data(), size, nullptr, nullptr);
    return result;
}
