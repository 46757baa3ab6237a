// Times the print journal on a busy month: appending a line (flushed to the disk) as each
// print does, and the two readings, the picker's last prints and automatic printing's
// history, over the whole month. Usage: journal_bench [lines]   (default 30000)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Measure.h"
#include "framework/WideText.h"
#include "print/PrintJournal.h"

int main(int argc, char** argv)
{
    const long lines = argc > 1 ? std::atol(argv[1]) : 30000;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"journal-bench";
    const std::wstring file = folder + L"\\tisk-2026-12.csv";
    DeleteFileW(file.c_str());
    PrintJournal journal(folder);

    // A month of a busy shop: documents printed as they come, one in ten printed again or
    // failed, automatic printing watching from the start.
    const JournalKey key{"Obchod", "2026", "P"};
    JournalEntry entry;
    entry.key = key;
    entry.port = "EPSON LX-350 na pokladně";
    entry.way = PrintWay::Escp;
    entry.origin = PrintOrigin::Automatic;
    entry.result = PrintResult::WatchStarted;
    entry.time = SYSTEMTIME{2026, 12, 0, 1, 7, 0, 0, 0};
    journal.Record(entry);
    double slowest = 0;
    const double start = Now();
    for (long i = 1; i <= lines; ++i) {
        entry.time.wDay = WORD(1 + i * 30 / (lines + 1));
        entry.time.wHour = WORD(8 + i % 10);
        entry.time.wMinute = WORD(i % 60);
        entry.id = 100000 + i - (i % 10 == 0);  // every tenth line prints the one before again
        entry.number = "PR26" + std::to_string(entry.id);
        entry.origin = i % 10 == 0 ? PrintOrigin::Picker : PrintOrigin::Automatic;
        entry.result = i % 37 == 0 ? PrintResult::Failed : PrintResult::Printed;
        entry.reason = entry.result == PrintResult::Failed ? "Tiskárna neodpovídá (vypnutá, bez papíru)" : "";
        const double before = Now();
        if (journal.Record(entry) != PrintJournal::Write::Written) {
            std::fprintf(stderr, "%s\n", journal.FailureText().c_str());
            return 1;
        }
        slowest = std::max(slowest, Now() - before);
    }
    const double writing = Now() - start;
    std::printf("%ld lines appended: %.3f ms a line on average, slowest %.1f ms; file %.1f MB\n", lines,
                writing * 1000 / lines, slowest * 1000, FileMb(ToCp1250Shown(file)));

    const SYSTEMTIME since{2026, 12, 0, 1, 0, 0, 0, 0};
    std::set<long> newest, never;
    for (long i = 0; i < 50; ++i) {
        newest.insert(100000 + lines - i - 1);
        never.insert(900000 + i);
    }
    double t = Now();
    const size_t found = journal.LastPrinted(key, newest, since).size();
    std::printf("last prints of the newest 50 documents: %.1f ms (%zu found)\n", (Now() - t) * 1000, found);
    t = Now();
    journal.LastPrinted(key, never, since);
    std::printf("last prints of 50 documents never printed: %.1f ms\n", (Now() - t) * 1000);
    t = Now();
    const AutomaticHistory history = journal.Automatic(key);
    std::printf("automatic history: %.1f ms (%zu handled, %zu unprinted)\n", (Now() - t) * 1000,
                history.handled.size(), history.unprinted.size());
    const PlainReadResult plain = PlainRead(ToCp1250Shown(file));
    std::printf("plain read of the file: %.1f ms\n", plain.seconds * 1000);
    DeleteFileW(file.c_str());
    RemoveDirectoryW(folder.c_str());
    return 0;
}
