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
    // The spooler may hand the job to its port a moment after the job ended.
    for (int wait = 0; wait < 100 && FileBytes(path).find("%%EOF") == std::string::npos; ++wait)
        Sleep(100);
    TempFile text("gst");
    TempFile done("gsd");
    DeleteFileA(done.Path().c_str());
    // A Unix process is not waited for through its handle: it says it is done with a file.
    std::string command = "/bin/sh -c \"/usr/bin/gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=txtwrite -sOutputFile='" +
                          UnixPath(text.Path()) + "' '" + UnixPath(path) + "'; : > '" + UnixPath(done.Path()) + "'\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return "<no ghostscript>";
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int wait = 0; wait < 600 && GetFileAttributesA(done.Path().c_str()) == INVALID_FILE_ATTRIBUTES; ++wait)
        Sleep(100);
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
