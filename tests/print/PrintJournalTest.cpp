// The print journal on real files: the bytes a shop opens in Excel, the reading back across
// months, torn lines, a journal that cannot be written, and two writers at once.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <thread>

#include "framework/Handles.h"
#include "framework/WideText.h"
#include "print/PrintJournal.h"
#include "support/TempFile.h"

namespace {

const JournalKey kTax{"Obchod", "2003", "P"};

// when: "YYYY-MM-DD hh:mm:ss", local time.
JournalEntry Entry(const char* when, long id, PrintResult result = PrintResult::Printed,
                   PrintOrigin origin = PrintOrigin::KeyF10, JournalKey key = kTax)
{
    JournalEntry entry;
    unsigned y, mo, d, h, mi, s;
    std::sscanf(when, "%u-%u-%u %u:%u:%u", &y, &mo, &d, &h, &mi, &s);
    entry.time = SYSTEMTIME{WORD(y), WORD(mo), 0, WORD(d), WORD(h), WORD(mi), WORD(s), 0};
    entry.key = std::move(key);
    entry.number = "PR" + std::to_string(id);
    entry.id = id;
    entry.port = "LPT1:";
    entry.way = PrintWay::Escp;
    entry.origin = origin;
    entry.result = result;
    return entry;
}

std::string Stamp(const SYSTEMTIME& t)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond);
    return text;
}

std::map<long, std::string> LastPrinted(const PrintJournal& journal, const std::set<long>& ids,
                                        const char* since = "2000-01-01 00:00:00", const JournalKey& key = kTax)
{
    std::map<long, std::string> stamps;
    for (const auto& [id, time] : journal.LastPrinted(key, ids, Entry(since, 0).time))
        stamps[id] = Stamp(time);
    return stamps;
}

class PrintJournalTest : public ::testing::Test {
protected:
    TempDir dir_{"jrn"};
    PrintJournal journal_{ToWide(dir_.Path())};
};

TEST_F(PrintJournalTest, LinesAreWrittenAsExcelReadsThem)
{
    JournalEntry quoted = Entry("2026-12-03 14:06:00", 7, PrintResult::Printed, PrintOrigin::Picker,
                                {"Železářství; U \"Lípy\"", "2003", "D"});
    quoted.number = "=DL03";
    quoted.port = "\\\\POKLADNA\\EPSON";
    quoted.way = PrintWay::Drawn;
    quoted.copies = 2;
    JournalEntry failed = Entry("2027-01-01 00:00:01", 8, PrintResult::Failed, PrintOrigin::Automatic);
    failed.way = PrintWay::None;
    failed.reason = "Tiskárna neodpovídá;\r\nzkontrolujte papír.";
    for (const JournalEntry& entry : {Entry("2026-12-03 14:05:09", 1041), quoted, failed})
        EXPECT_EQ(PrintJournal::Write::Written, journal_.Record(entry));

    const std::string header = u8"\uFEFFČas;Agenda;Rok;Druh;Číslo dokladu;Id dokladu;Tiskárna;Způsob;Kopie;"
                               u8"Spustil;Výsledek;Důvod\r\n";
    EXPECT_EQ(header + u8"2026-12-03 14:05:09;Obchod;2003;Prodejka;PR1041;1041;LPT1:;ESC/P;1;F10;vytištěno;\r\n" +
                  u8"2026-12-03 14:06:00;\"Železářství; U \"\"Lípy\"\"\";2003;Dodací list;'=DL03;7;"
                  u8"\\\\POKLADNA\\EPSON;grafický;2;F9;vytištěno;\r\n",
              FileBytes(dir_.File("tisk-2026-12.csv")));
    EXPECT_EQ(header + u8"2027-01-01 00:00:01;Obchod;2003;Prodejka;PR8;8;LPT1:;;1;automaticky;chyba;"
                       u8"\"Tiskárna neodpovídá;  zkontrolujte papír.\"\r\n",
              FileBytes(dir_.File("tisk-2027-01.csv")));
    EXPECT_EQ((std::map<long, std::string>{{7, "2026-12-03 14:06:00"}}),
              LastPrinted(journal_, {7, 1041}, "2026-12-01 00:00:00", quoted.key));
    const std::wstring own = PrintJournal::DefaultFolder();
    ASSERT_GT(own.size(), 8u);
    EXPECT_EQ(L"\\Quillet", own.substr(own.size() - 8));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(own.substr(0, own.size() - 8).c_str())) << "LocalAppData";
}

TEST_F(PrintJournalTest, LastPrintedIsTheNewestSuccessfulPrintFromTheMonthAsked)
{
    for (const JournalEntry& entry :
         {Entry("2026-10-20 09:00:00", 4), Entry("2026-11-10 08:00:00", 1),
          Entry("2026-11-11 08:00:00", 2, PrintResult::Failed),
          Entry("2026-11-12 08:00:00", 3, PrintResult::Printed, PrintOrigin::KeyF11, {"Obchod", "2003", "D"}),
          Entry("2026-11-13 08:00:00", 5, PrintResult::Printed, PrintOrigin::KeyF10, {"Sklad", "2003", "P"}),
          Entry("2026-12-05 10:00:00", 1, PrintResult::Printed, PrintOrigin::Automatic),
          Entry("2026-12-06 10:00:00", 1, PrintResult::Failed)})
        journal_.Record(entry);
    EXPECT_EQ((std::map<long, std::string>{{1, "2026-12-05 10:00:00"}}),
              LastPrinted(journal_, {1, 2, 3, 4, 5}, "2026-11-30 00:00:00"));
    EXPECT_EQ((std::map<long, std::string>{{1, "2026-12-05 10:00:00"}, {4, "2026-10-20 09:00:00"}}),
              LastPrinted(journal_, {1, 2, 3, 4, 5}, "2026-10-01 00:00:00"));
}

TEST_F(PrintJournalTest, ATornLineIsSkippedAndTheNextLineStartsClean)
{
    journal_.Record(Entry("2026-12-07 08:00:00", 1));
    const std::string torn = "2026-12-07 08:00:01;Obchod;2003;Prodejka;PR2;2;LP";
    HANDLE file = CreateFileW(ToWide(dir_.File("tisk-2026-12.csv")).c_str(), FILE_APPEND_DATA, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, torn.data(), DWORD(torn.size()), &written, nullptr));
    CloseHandle(file);
    EXPECT_EQ(1u, LastPrinted(journal_, {1, 2}).size());

    journal_.Record(Entry("2026-12-07 08:05:00", 3));
    const std::string bytes = FileBytes(dir_.File("tisk-2026-12.csv"));
    EXPECT_NE(std::string::npos, bytes.find(torn + "\r\n2026-12-07 08:05:00;Obchod;")) << bytes;
    EXPECT_EQ((std::map<long, std::string>{{1, "2026-12-07 08:00:00"}, {3, "2026-12-07 08:05:00"}}),
              LastPrinted(journal_, {1, 2, 3}));
}

// Automatic printing looks back to its latest start or end: what it printed, failed on or
// left, and which of those no print has printed since.
TEST_F(PrintJournalTest, AutomaticHistoryReachesBackToTheLatestStartOfWatching)
{
    EXPECT_FALSE(journal_.Automatic(kTax).watched);
    const auto automatic = PrintOrigin::Automatic;
    for (const JournalEntry& entry : {Entry("2026-11-01 08:00:00", 100, PrintResult::WatchStarted, automatic),
                                      Entry("2026-11-02 08:00:00", 101, PrintResult::Failed, automatic),
                                      Entry("2026-12-01 08:00:00", 105, PrintResult::WatchStarted, automatic),
                                      Entry("2026-12-01 09:00:00", 106, PrintResult::Printed, automatic),
                                      Entry("2026-12-01 10:00:00", 107, PrintResult::Failed, automatic),
                                      Entry("2026-12-02 07:00:00", 108, PrintResult::NotPrinted, automatic),
                                      Entry("2026-12-02 08:00:00", 108, PrintResult::Printed, PrintOrigin::Picker),
                                      Entry("2027-01-04 08:00:00", 109, PrintResult::Failed, automatic),
                                      Entry("2027-01-04 09:00:00", 110, PrintResult::Printed)})
        journal_.Record(entry);
    const AutomaticHistory history = journal_.Automatic(kTax);
    EXPECT_TRUE(history.watched);
    EXPECT_EQ(109, history.newestId);
    EXPECT_EQ((std::set<long>{106, 107, 108, 109}), history.handled);
    EXPECT_EQ((std::set<long>{107, 109}), history.unprinted);
    EXPECT_EQ((std::set<long>{106, 108, 110}), history.printed);
    // Switched off: nothing since counts as watched.
    journal_.Record(Entry("2027-01-05 08:00:00", 110, PrintResult::WatchEnded, automatic));
    EXPECT_FALSE(journal_.Automatic(kTax).watched);
}

// A journal that cannot be written is said once, and again only after it could be.
TEST_F(PrintJournalTest, AJournalThatCannotBeWrittenIsSaidOnce)
{
    const std::string folder = dir_.File("deník");
    PrintJournal journal(ToWide(folder));
    const JournalEntry december = Entry("2026-12-07 08:00:00", 1);
    ASSERT_TRUE(FileHandle(CreateFileW(ToWide(folder).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr)));
    EXPECT_EQ(PrintJournal::Write::Failed, journal.Record(december));
    EXPECT_EQ(PrintJournal::Write::FailedAgain, journal.Record(december));
    EXPECT_EQ("Deník tisků nelze zapsat: " + folder + " je soubor, ne složka.\nTisk tím není dotčen.",
              journal.FailureText());

    ASSERT_TRUE(DeleteFileW(ToWide(folder).c_str()));
    EXPECT_EQ(PrintJournal::Write::Written, journal.Record(december));
    ASSERT_TRUE(CreateDirectoryW(ToWide(folder + "\\tisk-2027-01.csv").c_str(), nullptr));
    EXPECT_EQ(PrintJournal::Write::Failed, journal.Record(Entry("2027-01-02 08:00:00", 2)));
    EXPECT_NE(std::string::npos, journal.FailureText().find(folder + "\\tisk-2027-01.csv: ")) << journal.FailureText();

    // Excel keeps others from writing to a file it has open: the line goes beside it.
    FileHandle excel(CreateFileW(ToWide(folder + "\\tisk-2026-12.csv").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                 nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(excel);
    EXPECT_EQ(PrintJournal::Write::Written, journal.Record(Entry("2026-12-07 09:00:00", 3)));
    EXPECT_EQ(2u, LastPrinted(journal, {1, 3}).size());
    excel.Reset();
    EXPECT_NE("<missing>", FileBytes(folder + "\\tisk-2026-12 (2).csv"));
}

// Quillet and quillet-print may append at the same moment: no line is lost or broken.
TEST_F(PrintJournalTest, TwoWritersAtOnceKeepEveryLineWhole)
{
    auto write = [&](long first) {
        PrintJournal own(ToWide(dir_.Path()));
        for (long id = first; id < first + 150; ++id)
            EXPECT_EQ(PrintJournal::Write::Written, own.Record(Entry("2026-12-08 12:00:00", id)));
    };
    std::thread other(write, 1000);
    write(2000);
    other.join();
    std::set<long> ids;
    for (long id = 0; id < 150; ++id)
        ids.insert({1000 + id, 2000 + id});
    EXPECT_EQ(300u, LastPrinted(journal_, ids).size());
}

}  // namespace
