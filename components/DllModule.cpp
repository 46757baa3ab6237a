// The entry point of a component DLL: it keeps the module's handle and asks for no calls
// on thread start and end, which none of the DLLs needs.
#include "DllModule.h"

namespace {

HINSTANCE g_module = nullptr;

}  // namespace

HINSTANCE DllModule()
{
    return g_module;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
