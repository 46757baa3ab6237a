// FormatText: vsnprintf measured once, then written into a string of that length.
#include "framework/FormatText.h"

#include <cstdarg>
#include <cstdio>

std::string FormatText(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), format, again);
        text.resize(static_cast<size_t>(length));
    }
    va_end(again);
    return text;
}

const char* CzechPlural(long count, const char* one, const char* few, const char* many)
{
    return count == 1 ? one : count >= 2 && count <= 4 ? few : many;
}
