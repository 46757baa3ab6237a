// The benchmarks' clock, memory figures and plain file read.
#include "Measure.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <vector>

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void PrintMemory(const char* when)
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    std::printf("%-30s peak working set %8.1f MB, peak pagefile %8.1f MB, working set %8.1f MB\n", when,
                counters.PeakWorkingSetSize / 1048576.0, counters.PeakPagefileUsage / 1048576.0,
                counters.WorkingSetSize / 1048576.0);
}

double FileMb(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info))
        return 0;
    return (static_cast<double>(info.nFileSizeHigh) * 4294967296.0 + info.nFileSizeLow) / 1048576.0;
}

PlainReadResult PlainRead(const std::string& path)
{
    const double start = Now();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {0, 0};
    std::vector<unsigned char> buffer(1 << 20);
    unsigned long long sum = 0;
    DWORD got = 0;
    while (ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) && got > 0)
        for (DWORD i = 0; i < got; i += 64)
            sum += buffer[i];
    CloseHandle(file);
    return {Now() - start, sum};
}
