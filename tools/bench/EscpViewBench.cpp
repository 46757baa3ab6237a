// Runs escp-view --png on a long job (60 sheets of 11 inches, full lines of text) at
// 600 dpi and prints its time, its peak memory and what it wrote, then removes the files.
// Usage: escp_view_bench [sheets] [dpi]   (escp-view.exe beside this program)
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "Measure.h"

int main(int argc, char** argv)
{
    const int sheets = argc > 1 ? std::atoi(argv[1]) : 60;
    const int dpi = argc > 2 ? std::atoi(argv[2]) : 600;
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "escp-view-bench";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string job = folder + "\\job.prn";
    {
        std::string bytes = "\x1B@";
        for (int sheet = 0; sheet < sheets; ++sheet) {
            for (int line = 0; line < 64; ++line)
                bytes += "Polo\xA7ka " + std::to_string(line) + std::string(60, 'x') + " 1 234,50 K\x9F\r\n";
            bytes += '\f';
        }
        std::ofstream(job, std::ios::binary) << bytes;
    }

    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string command(exe);
    command.resize(command.find_last_of('\\') + 1);
    command = "\"" + command + "escp-view.exe\" --png \"" + folder + "\\sheet.png\" --dpi " + std::to_string(dpi) +
              " \"" + job + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    const HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, 0, &inherit, OPEN_EXISTING, 0, nullptr);
    startup.hStdOutput = nul;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    const double start = Now();
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "cannot start %s\n", command.c_str());
        return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    const double seconds = Now() - start;
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(nul);

    double written = 0;
    for (int sheet = 1; sheet <= sheets; ++sheet) {
        const std::string path = folder + (sheet == 1 ? std::string("\\sheet.png")
                                                      : "\\sheet-" + std::to_string(sheet) + ".png");
        written += FileMb(path);
        DeleteFileA(path.c_str());
    }
    DeleteFileA(job.c_str());
    RemoveDirectoryA(folder.c_str());
    std::printf("escp-view --png, %d sheets at %d dpi: exit %lu, %.1f s, %.0f MB written, peak working set "
                "%.1f MB, peak private bytes %.1f MB\n",
                sheets, dpi, status, seconds, written, memory.PeakWorkingSetSize / 1048576.0,
                memory.PeakPagefileUsage / 1048576.0);
    return status == 0 ? 0 : 1;
}
