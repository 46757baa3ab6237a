// A result code in words: the system's message where it has one, else a number the
// host's own messages would give.
#include "host/HostErrorText.h"

#include <cstdio>

#include "framework/SystemText.h"

std::string HostErrorText(HRESULT result)
{
    std::string system = SystemText(static_cast<DWORD>(result));
    if (!system.empty())
        return system;
    char text[64];
    const unsigned long code = static_cast<unsigned long>(result);
    if (code >= 0x80040200UL && code <= 0x8004FFFFUL && (code & 0xFFFF) != 0x0200)
        std::snprintf(text, sizeof text, "IDispatch error #%d", static_cast<int>(code - 0x80040200UL));
    else
        std::snprintf(text, sizeof text, "Unknown error 0x%0lX", code);
    return text;
}
