// Automatic printing on a year of 100,000 documents (or the number given), with the real
// Quillet.exe: its CPU while nothing happens, and how long after a new document's last
// row is written its page arrives at the port (a file), as samplehost.exe adds documents
// the way the host does. The host is laid out on C:, in a year folder of its own that is
// removed again. Usage: autoprint_bench [documents]   (needs mon2kdbe.dll registered, a display)
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "Measure.h"

namespace {

constexpr int kDocumentsAdded = 5;
constexpr DWORD kIdleMs = 30000;
const std::string kQuilletFolder = "C:\\Program Files\\Quillet Bench\\";

std::string BinFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string exe = path;
    return exe.substr(0, exe.rfind('\\') + 1);
}

std::string Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs a command line; its process, unless told to wait for its end.
PROCESS_INFORMATION Start(const std::string& commandLine, const std::string& folder, bool wait)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process)) {
        std::fprintf(stderr, "cannot run %s\n", commandLine.c_str());
        std::exit(1);
    }
    if (!wait)
        return process;
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return {};
}

// Under Wine another process's times are not kept: the Linux process that runs it is
// found by its command line and its times read from /proc, in clock ticks of 1/100 s.
std::string LinuxStat(const std::string& program)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
    std::string stat;
    for (BOOL more = search != INVALID_HANDLE_VALUE; more && stat.empty(); more = FindNextFileA(search, &found)) {
        const std::string folder = std::string("Z:\\proc\\") + found.cFileName;
        if (std::isdigit(static_cast<unsigned char>(found.cFileName[0])) &&
            Read(folder + "\\cmdline").find(program) != std::string::npos)
            stat = folder + "\\stat";
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return stat;
}

double CpuSeconds(HANDLE process)
{
    static const std::string stat = LinuxStat(kQuilletFolder + "Quillet.exe");
    if (!stat.empty()) {
        const std::string fields = Read(stat);
        unsigned long user = 0, kernel = 0;
        // After the command's name in brackets: state and eleven numbers, then the times.
        std::sscanf(fields.c_str() + fields.rfind(')') + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu",
                    &user, &kernel);
        return (user + kernel) / 100.0;
    }
    FILETIME created, exited, kernel, user;
    GetProcessTimes(process, &created, &exited, &kernel, &user);
    const auto seconds = [](const FILETIME& t) {
        return double((ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

void PrintIdle(HANDLE quillet, const char* when)
{
    const double cpu = CpuSeconds(quillet), start = Now();
    Sleep(kIdleMs);
    const double used = CpuSeconds(quillet) - cpu, wall = Now() - start;
    std::printf("Quillet idle %s: %.3f s CPU in %.0f s = %.3f %%\n", when, used, wall, used * 100 / wall);
}

// The lines of this month's journal file.
std::string JournalMonth()
{
    PWSTR local = nullptr;
    char folder[MAX_PATH] = {};
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local)))
        WideCharToMultiByte(CP_ACP, 0, local, -1, folder, MAX_PATH, nullptr, nullptr);
    CoTaskMemFree(local);
    SYSTEMTIME now;
    GetLocalTime(&now);
    char name[32];
    std::snprintf(name, sizeof name, "\\Quillet\\tisk-%04u-%02u.csv", now.wYear, now.wMonth);
    return folder + std::string(name);
}

ULONGLONG FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return (ULONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

size_t Count(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

BOOL CALLBACK CloseQuillet(HWND window, LPARAM pid)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == DWORD(pid))
        PostMessageA(window, WM_COMMAND, 57665, 0);  // "&Konec"
    return TRUE;
}

void RemoveFolder(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        DeleteFileA((folder + "\\" + found.cFileName).c_str());
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    const long documents = argc > 1 ? std::atol(argv[1]) : 100000;
    // A year of its own, so that the journal has no history of it.
    const std::string year = "Bench" + std::to_string(GetTickCount());
    const std::string host = "\"" + BinFolder() + "samplehost.exe\" --root C:\\ --year " + year;
    const std::string port = kQuilletFolder + "tisk.prn";
    CreateDirectoryA(kQuilletFolder.c_str(), nullptr);
    for (const char* file : {"Quillet.exe", "HOOKDLL.dll"})
        CopyFileA((BinFolder() + file).c_str(), (kQuilletFolder + file).c_str(), FALSE);
    double start = Now();
    Start(host + " --documents " + std::to_string(documents) + " --items " + std::to_string(documents * 3) +
              " --quillet-ini \"" + kQuilletFolder + "Quillet.ini\" --port \"" + port + "\"",
          kQuilletFolder, true);
    std::printf("year of %ld documents laid out in %.1f s\n", documents, Now() - start);
    for (const char* key : {"AutoTiskDanovyDoklad", "AutoTiskDodaciList"})
        WritePrivateProfileStringA("Firma", key, "1", (kQuilletFolder + "Quillet.ini").c_str());
    DeleteFileA(port.c_str());

    const std::string started = ";" + year + ";";
    const size_t before = Count(Read(JournalMonth()), started);
    start = Now();
    const PROCESS_INFORMATION quillet = Start("\"" + kQuilletFolder + "Quillet.exe\"", kQuilletFolder, false);
    while (Count(Read(JournalMonth()), started) < before + 2)
        Sleep(10);
    std::printf("Quillet started and watching in %.2f s, %.3f s CPU\n", Now() - start, CpuSeconds(quillet.hProcess));
    Sleep(3000);
    PrintIdle(quillet.hProcess, "on a year of this size");

    // The rows are written when the item table grows, a moment after the header; a Wine
    // process may take long to end after that.
    const std::string items = "C:\\Program Files\\CIGLER SOFTWARE\\Money S3\\Data\\Obchod\\" + year + "\\SkSezPol.dbf";
    double slowest = 0, total = 0;
    for (int i = 1; i <= kDocumentsAdded; ++i) {
        const double cpu = CpuSeconds(quillet.hProcess);
        const ULONGLONG size = FileSize(items);
        const PROCESS_INFORMATION adding =
            Start(host + " --add-document " + (i % 2 ? "P" : "D"), kQuilletFolder, false);
        while (FileSize(items) == size)
            Sleep(1);
        const double rowsWritten = Now();
        CloseHandle(adding.hThread);
        CloseHandle(adding.hProcess);
        while (Count(Read(port), "\f") < size_t(i))
            Sleep(5);
        const double latency = Now() - rowsWritten;
        slowest = std::max(slowest, latency);
        total += latency;
        std::printf("document %d printed %.2f s after its last row was written (%.3f s CPU)\n", i, latency,
                    CpuSeconds(quillet.hProcess) - cpu);
    }
    std::printf("from the last row to the printed page: %.2f s on average, %.2f s at most\n",
                total / kDocumentsAdded, slowest);
    PrintIdle(quillet.hProcess, "after printing");

    EnumWindows(CloseQuillet, LPARAM(quillet.dwProcessId));
    WaitForSingleObject(quillet.hProcess, 30000);
    CloseHandle(quillet.hThread);
    CloseHandle(quillet.hProcess);
    RemoveFolder(items.substr(0, items.rfind('\\')));
    return 0;
}
