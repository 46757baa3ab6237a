// Registers mon2kdbe.dll from this program's own folder in the Wine prefix, the way the
// host's installer does; exit code 0 on success.
#include <windows.h>

#include <cstdio>
#include <string>

int main()
{
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path(self, length);
    path = path.substr(0, path.find_last_of('\\') + 1) + "mon2kdbe.dll";
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        std::fprintf(stderr, "cannot load %s (%lu)\n", path.c_str(), GetLastError());
        return 2;
    }
    using Entry = HRESULT(STDAPICALLTYPE*)();
    auto reg = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")));
    const HRESULT hr = reg ? reg() : E_FAIL;
    FreeLibrary(module);
    if (FAILED(hr)) {
        std::fprintf(stderr, "DllRegisterServer failed: 0x%08lX\n", static_cast<unsigned long>(hr));
        return 1;
    }
    std::printf("registered %s\n", path.c_str());
    return 0;
}
