// Ghostscript runs as a Unix process: Wine starts it from its Unix path, and it is given
// the Unix names of the files.
#include "support/Ghostscript.h"

#include <windows.h>

#include "support/TempFile.h"

namespace {

std::string UnixPath(const std::string& path)
{
    using ToUnix = char*(CDECL*)(const WCHAR*);
    const auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    char* unix = toUnix ? toUnix(wide) : nullptr;
    if (!unix)
        return {};
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

}  // namespace

std::string PostScriptText(const std::string& path)
{
    TempFile text("gst");
    std::string command = "/usr/bin/gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=txtwrite -sOutputFile=" +
                          UnixPath(text.Path()) + " " + UnixPath(path);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return "<no ghostscript>";
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return text.Read();
}

int PostScriptPages(const std::string& path)
{
    const std::string ps = FileBytes(path);
    int pages = 0;
    for (size_t at = ps.find("\n%%Page: "); at != std::string::npos; at = ps.find("\n%%Page: ", at + 1))
        ++pages;
    return pages;
}
