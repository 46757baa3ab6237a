// Measures drawing a printed listing on a printer queue through its Windows driver: the
// time to spool one document and one sheet, with the peak memory.
// Usage: drawn_print_bench QUEUE FILE [COPIES]   (FILE: an ESC/P job, e.g. the demo's tisk.prn)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Measure.h"
#include "print/escp/EscpDraw.h"

namespace {

std::string ReadFile(const char* path)
{
    std::string bytes;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fputs("usage: drawn_print_bench QUEUE FILE [COPIES]\n", stderr);
        return 2;
    }
    const std::string bytes = ReadFile(argv[2]);
    const int copies = argc > 3 ? std::atoi(argv[3]) : 1;
    const int rounds = 10;
    PrintMemory("before");
    DrawnDocument done;
    double first = 0, total = 0;
    for (int round = 0; round < rounds; ++round) {
        std::string failure;
        const double start = Now();
        if (!DrawEscpDocument(argv[1], "Quillet bench", bytes, copies, failure, &done)) {
            std::printf("failed: %s\n", failure.c_str());
            return 2;
        }
        const double seconds = Now() - start;
        (round == 0 ? first : total) += seconds;
    }
    const double each = total / (rounds - 1);
    const int sheets = done.sheets * done.copies;
    std::printf("%zu bytes, %d sheet(s) x %d copies: first document %.1f ms, then %.1f ms a document, %.1f ms a "
                "sheet (%d rounds)\n",
                bytes.size(), done.sheets, done.copies, first * 1000, each * 1000, each * 1000 / sheets, rounds - 1);
    PrintMemory("after");
    return 0;
}
