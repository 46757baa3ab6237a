// Keeps a picture of the screen as a test artefact: BUILD/screenshots/<name>.png, taken
// by ImageMagick's import from the X root window (Wine runs Unix programs given by their
// path). A missing tool is not a test failure: the picture is for people to look at.
#pragma once

#include <windows.h>

#include <string>

inline std::string ScreenshotPath(const std::string& name)
{
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string dir(exe);
    dir = dir.substr(0, dir.find_last_of('\\'));          // BUILD\bin
    dir = dir.substr(0, dir.find_last_of('\\')) + "\\screenshots";
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir + "\\" + name + ".png";
}

// Returns true when the picture was written. The window given, with its children, is
// painted first.
inline bool SaveScreenshot(const std::string& name, HWND window = nullptr)
{
    if (window)
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    using UnixName = char*(CDECL*)(const WCHAR*);
    const auto toUnix = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix)
        return false;
    const std::string path = ScreenshotPath(name);
    DeleteFileA(path.c_str());
    WCHAR wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    char* unixPath = toUnix(wide);
    if (!unixPath)
        return false;
    std::string command = "Z:\\bin\\sh -c \"import -window root '" + std::string(unixPath) + "'\"";
    HeapFree(GetProcessHeap(), 0, unixPath);

    GdiFlush();
    // Wine hands what was painted to the X server while the thread waits for messages.
    for (int i = 0; i < 6; ++i)
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    if (process.hProcess) {
        WaitForSingleObject(process.hProcess, 10000);
        CloseHandle(process.hProcess);
    }
    if (process.hThread)
        CloseHandle(process.hThread);
    // A Unix child may not be waitable: wait for its file to appear and stop growing.
    LONGLONG last = -1;
    for (int i = 0; i < 100; ++i) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
            const LONGLONG size = (LONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
            if (size > 0 && size == last)
                return true;
            last = size;
        }
        Sleep(100);
    }
    return false;
}
