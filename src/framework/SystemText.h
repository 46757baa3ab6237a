// The system's own text for an error code (a Win32 error or an HRESULT), in code page
// 1250 like every text of the program (whatever the ANSI code page), without the line end
// the system puts after it.
#pragma once

#include <windows.h>

#include <string>

// Empty when the system has no text for the code.
std::string SystemText(DWORD code);
