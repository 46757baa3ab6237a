// Facts of the table file format that the reader's parts share.
#pragma once

#include <windows.h>

#include <cstdint>

// The host writes its texts in the Central European ANSI code page.
inline constexpr UINT kTableCodePage = 1250;

// Field types whose values are numbers: they sort and seek as numbers, not as bytes.
inline bool IsNumericType(char type)
{
    return type == 'N' || type == 'F' || type == 'I' || type == 'Y' || type == 'B';
}

inline uint32_t Le32(const unsigned char* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24);
}
