// Automatic printing as a shop meets it: Quillet resident with it on, documents added to
// the host's year as the host saves them (the header, then the rows), pages printed to a
// port that is a file; restarts, the "Vystavil" filter, the picker's last prints and
// several documents at once, and a journal that cannot be written.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Desktop.h"
#include "E2ESupport.h"

namespace {

using namespace desktop;
using e2e::AddDocument;

constexpr DWORD kWait = 10000;

size_t Count(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// What the product prints for each document when it is chosen, one after another.
std::string PagesOf(const std::vector<e2e::Document>& documents)
{
    std::string pages;
    for (const e2e::Document& document : documents)
        pages += e2e::ExpectedPage("id " + std::to_string(document.id));
    return pages;
}

std::string Journal()
{
    return e2e::Read(e2e::JournalMonth());
}

// The text of the tray icon's balloon, where one is shown.
std::string Balloon()
{
    for (HWND tip : Windows(0, "tooltips_class32"))
        if (Text(tip).find("F9") != std::string::npos)
            return Text(tip);
    return {};
}

class AutoPrintE2E : public ::testing::Test {
protected:
    static void SetUpTestSuite() { e2e::Install(); }
    // Each case starts with an empty port: the suite's other entries print to it too.
    void SetUp() override { DeleteFileA(e2e::PortPath().c_str()); }
    void TearDown() override { Stop(); }

    // Starts Quillet; it watches once the journal says so for each kind switched on.
    void Start(size_t kinds)
    {
        const size_t before = Count(Journal(), u8";začátek sledování;");
        quillet_ = e2e::StartQuillet();
        EXPECT_TRUE(WaitFor([&] { return Count(Journal(), u8";začátek sledování;") == before + kinds; }, kWait));
    }
    void Stop()
    {
        e2e::Stop(quillet_);
        DeleteFileA(e2e::PortPath().c_str());
    }

    PROCESS_INFORMATION quillet_{};
};

TEST_F(AutoPrintE2E, NewDocumentsPrintOnceWholeInOrderAndNoneIsLostSilently)
{
    DeleteFileA(e2e::JournalMonth().c_str());
    e2e::SetIni("AutoTiskDanovyDoklad", "1");
    e2e::SetIni("AutoTiskDodaciList", "1");
    Start(2);
    // Three new documents print in order, and one whose rows come long after its header
    // prints whole.
    const std::vector<e2e::Document> added = {AddDocument("P"), AddDocument("D"), AddDocument("P"),
                                              AddDocument("P", "--add-items 6 --rows-after 5000")};
    EXPECT_EQ(PagesOf(added), e2e::WaitForPages(e2e::PortPath(), 4));
    EXPECT_EQ(4u, Count(Journal(), u8";automaticky;vytištěno;"));

    // A restart prints none again, and reads past a line torn at the journal's end, after
    // which the next line starts clean. Only the issuer's documents print, in any case.
    Stop();
    const std::string torn = "2026-12-07 08:00:01;Obchod;2003;Prodejka;PR9;9;LP";
    HANDLE file = CreateFileA(e2e::JournalMonth().c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, torn.data(), DWORD(torn.size()), &written, nullptr);
    CloseHandle(file);
    e2e::SetIni("AutoTiskVystavil", "Pokladna 1");
    Start(2);
    EXPECT_NE(std::string::npos, Journal().find(torn + "\r\n"));
    const e2e::Document other = AddDocument("P", "--vystavil \"Pokladna 2\"");
    const e2e::Document mine = AddDocument("D", "--vystavil \"pokladna 1\"");
    EXPECT_EQ(PagesOf({mine}), e2e::WaitForPages(e2e::PortPath()));
    // One printed by F10 before its turn came is not printed again.
    const e2e::Document early = AddDocument("P", "--vystavil \"Pokladna 1\"");
    PressKey(VK_F10);
    HWND box = e2e::QuestionBox(quillet_.dwProcessId);
    ASSERT_NE(box, nullptr);
    Click(GetDlgItem(box, IDYES));
    Sleep(5000);
    EXPECT_EQ(2u, Count(e2e::Read(e2e::PortPath()), "\f"));
    EXPECT_NE(std::string::npos, Journal().find(";" + std::to_string(early.id) + u8";" + e2e::PortPath() +
                                                u8";;1;automaticky;nevytištěno;už byl vytištěn\r\n"));

    // One added while Quillet is stopped is not printed: it is recorded, and the tray says so.
    Stop();
    const e2e::Document missed = AddDocument("P", "--vystavil \"Pokladna 1\"");
    Start(2);
    EXPECT_TRUE(WaitFor([] { return Balloon() == "1 nový doklad nebyl vytištěn – F9"; }, kWait)) << Balloon();
    EXPECT_NE(std::string::npos, Journal().find(";" + missed.number + ";" + std::to_string(missed.id) + ";" +
                                                e2e::PortPath() + u8";;1;automaticky;nevytištěno;přibyl, když "
                                                                  u8"Quillet neběžel\r\n"));
    Sleep(4000);
    EXPECT_EQ("", e2e::Read(e2e::PortPath()));

    // F9 shows the ones never printed unmarked and the one F10 printed with its time; two
    // chosen print after one question, in the list's order.
    PressKey(VK_F9);
    HWND picker = WaitForWindow(quillet_.dwProcessId, "#32770", "Vyberte dokument", kWait);
    ASSERT_NE(picker, nullptr);
    Click(GetDlgItem(picker, 1001));  // "Prodejky"
    const HWND list = GetDlgItem(picker, 1000);
    ASSERT_TRUE(WaitFor([&] { return ListItemText(list, 0, 0) == missed.number; }, kWait));
    EXPECT_EQ(early.number + other.number, ListItemText(list, 1, 0) + ListItemText(list, 2, 0));
    EXPECT_EQ("", ListItemText(list, 0, 2) + ListItemText(list, 2, 2));
    EXPECT_EQ(16u, ListItemText(list, 1, 2).size()) << ListItemText(list, 1, 2);
    PressKey(VK_DOWN, VK_SHIFT);
    Click(GetDlgItem(picker, IDOK));
    box = e2e::QuestionBox(quillet_.dwProcessId);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ("Vytisknout 2 doklady?", MessageBoxText(box));
    Click(GetDlgItem(box, IDYES));
    EXPECT_EQ(PagesOf({missed, early}), e2e::WaitForPages(e2e::PortPath(), 2));
}

// With a file where the journal's folder should be, F10 prints all the same and says once
// that the journal cannot be written.
TEST_F(AutoPrintE2E, AJournalThatCannotBeWrittenStopsNoPrintAndIsSaidOnce)
{
    const std::string folder = e2e::JournalFolder(), aside = folder + ".aside";
    // A run broken off in the middle left the folder aside.
    if (GetFileAttributesA(aside.c_str()) != INVALID_FILE_ATTRIBUTES && DeleteFileA(folder.c_str()))
        MoveFileA(aside.c_str(), folder.c_str());
    e2e::SetIni("AutoTiskDanovyDoklad", "0");
    e2e::SetIni("AutoTiskDodaciList", "0");
    ASSERT_TRUE(MoveFileA(folder.c_str(), aside.c_str()));
    CloseHandle(CreateFileA(folder.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    quillet_ = e2e::StartQuillet();
    std::vector<std::string> said;
    for (size_t pages = 1; pages <= 2; ++pages) {
        PressKey(VK_F10);
        HWND box = e2e::QuestionBox(quillet_.dwProcessId);
        ASSERT_NE(box, nullptr);
        Click(GetDlgItem(box, IDYES));
        EXPECT_EQ(pages, Count(e2e::WaitForPages(e2e::PortPath(), pages), "\f"));
        if ((box = e2e::QuestionBox(quillet_.dwProcessId, 1500)) != nullptr) {
            said.push_back(MessageBoxText(box));
            Click(GetDlgItem(box, IDOK));
            WaitFor([&] { return !IsWindow(box); }, kWait);
        }
    }
    Stop();
    DeleteFileA(folder.c_str());
    MoveFileA(aside.c_str(), folder.c_str());
    EXPECT_EQ(std::vector<std::string>{"Deník tisků nelze zapsat: " + folder +
                                       " je soubor, ne složka.\nTisk tím není dotčen."},
              said);
}

// A printer that takes nothing: the automatic print fails after the port's time-out and
// is said, not tried again; F10 pressed while it waits comes after it.
TEST_F(AutoPrintE2E, AFailedAutomaticPrintIsSaidNotRetriedAndAKeyMeanwhileWaitsItsTurn)
{
    const std::string pipe = "\\\\.\\pipe\\quillet-autoprint";
    e2e::SetIni("AutoTiskDanovyDoklad", "1");
    e2e::SetIni("AutoTiskDodaciList", "0");
    e2e::SetIni("AutoTiskVystavil", "");
    e2e::SetIni("PortTimeout", "3");
    e2e::SetIniPort(pipe);
    HANDLE printer = CreateNamedPipeA(pipe.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED, 0, 1, 1, 1, 0, nullptr);
    OVERLAPPED connected{};
    connected.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ConnectNamedPipe(printer, &connected);
    Start(1);
    const e2e::Document added = AddDocument("P");
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(connected.hEvent, kWait));
    PressKey(VK_F10);
    HWND box = e2e::QuestionBox(quillet_.dwProcessId);
    ASSERT_NE(box, nullptr);
    const std::string failed = ";" + added.number + ";" + std::to_string(added.id) + ";" + pipe + u8";ESC/P;1;automaticky;chyba;";
    EXPECT_EQ(1u, Count(Journal(), failed));  // before the question
    Click(GetDlgItem(box, IDNO));
    EXPECT_TRUE(WaitFor([] { return Balloon() == "1 nový doklad nebyl vytištěn – F9"; }, kWait)) << Balloon();
    Sleep(5000);
    EXPECT_EQ(1u, Count(Journal(), ";" + std::to_string(added.id) + ";"));
    Stop();
    CloseHandle(connected.hEvent);
    CloseHandle(printer);
    e2e::SetIni("PortTimeout", nullptr);
    e2e::SetIniPort(e2e::PortPath());
}

}  // namespace
