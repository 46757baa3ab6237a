// The module handle of the DLL this is linked into, kept by its DllMain (DllModule.cpp,
// part of each of the component DLLs).
#pragma once

#include <windows.h>

HINSTANCE DllModule();
