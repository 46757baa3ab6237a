// Registers mon2kdbe.dll from this program's own folder in the Wine prefix, the way the
// host's installer does, through the registration start-up uses; exit code 0 on success.
#include <windows.h>

#include <cstdio>
#include <string>

#include "host/ComponentRegistration.h"
#include "host/HostErrorText.h"

int main()
{
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path(self, length);
    path = path.substr(0, path.find_last_of('\\') + 1) + "mon2kdbe.dll";
    const HRESULT hr = RegisterHostComponent(path);
    if (FAILED(hr)) {
        std::fprintf(stderr, "cannot register %s: 0x%08lX %s\n", path.c_str(), static_cast<unsigned long>(hr),
                     HostErrorText(hr).c_str());
        return 1;
    }
    std::printf("registered %s\n", path.c_str());
    return 0;
}
