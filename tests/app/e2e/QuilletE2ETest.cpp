// Quillet as a user meets it: installed in a folder of its own beside the host component
// and the hook library, started from there, driven by real keystrokes and clicks on the
// Wine desktop, printing to a port that is a file. The tests share one running Quillet
// and run in the order written.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Desktop.h"
#include "E2ESupport.h"

namespace {

using namespace desktop;

constexpr DWORD kWait = 10000;   // for what must come
constexpr DWORD kQuiet = 1500;   // for what must not come

// The running Quillet of the suite.
PROCESS_INFORMATION g_quillet{};

using e2e::Read;

// A print is complete when the port holds a page ended by the form feed and nothing more
// arrives.
std::string WaitForPage(const std::string& port)
{
    return e2e::WaitForPages(port);
}

bool Running(const PROCESS_INFORMATION& p)
{
    return p.hProcess && WaitForSingleObject(p.hProcess, 0) == WAIT_TIMEOUT;
}

using e2e::MainWindow;
using e2e::QuestionBox;

HWND Button(HWND dialog, int id)
{
    return GetDlgItem(dialog, id);
}

class QuilletE2E : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        e2e::Install();
        g_quillet = e2e::StartQuillet();
    }

    static void TearDownTestSuite()
    {
        e2e::Stop(g_quillet);
        e2e::RestoreComponent();
    }

    void SetUp() override
    {
        ASSERT_TRUE(Running(g_quillet)) << "Quillet is not running";
        if (!DeleteFileA(e2e::PortPath().c_str())) {
            ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
        }
    }

    DWORD Pid() const { return g_quillet.dwProcessId; }

    // Presses key and answers Yes to the question it brings, which must be question;
    // returns the page printed.
    std::string PrintAnsweredYes(WORD key, const std::string& question)
    {
        PressKey(key);
        HWND box = QuestionBox(Pid());
        if (!box) {
            ADD_FAILURE() << "no question";
            return {};
        }
        EXPECT_EQ(MessageBoxText(box), question);
        Click(Button(box, IDYES));
        return WaitForPage(e2e::PortPath());
    }
};

// Both the resident program and the console print command load the host's component from
// where the host registered it (every print below goes through it).
TEST_F(QuilletE2E, UsesTheComponentTheHostRegisteredElsewhere)
{
    EXPECT_EQ(e2e::RegisteredComponent(), e2e::HostComponentFolder() + "mon2kdbe.dll");
    EXPECT_EQ(GetFileAttributesA((e2e::Folder() + "mon2kdbe.dll").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(QuilletE2E, ShowsTheSplashForAboutASecondThenOnlyTheTrayIcon)
{
    HWND main = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (main = MainWindow(Pid())) != nullptr; }, kWait));
    // Started a moment ago: the splash is up, then goes for good.
    EXPECT_TRUE(IsWindowVisible(main) || e2e::MillisSinceStart(g_quillet) > 1000);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }, kWait));
    EXPECT_FALSE(Windows(0, "Shell_TrayWnd").empty());
}

TEST_F(QuilletE2E, SecondStartEndsSilentlyAndLeavesOneInstance)
{
    PROCESS_INFORMATION second = e2e::StartQuillet();
    ASSERT_EQ(WaitForSingleObject(second.hProcess, kWait), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(second.hProcess, &code);
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(Windows(second.dwProcessId).empty());
    e2e::Close(second);
    EXPECT_TRUE(Running(g_quillet));
    EXPECT_TRUE(Windows(Pid(), "#32770", "Quillet").empty());
}

TEST_F(QuilletE2E, F10AsksForTheNewestCashDocumentAndYesPrintsIt)
{
    const e2e::Documents docs = e2e::NewestDocuments();
    const std::string page = PrintAnsweredYes(VK_F10, "Tisknout daňový doklad č. " + docs.tax.number + "?");
    EXPECT_EQ(page, e2e::ExpectedPage("--yes last-tax"));
    EXPECT_NE(page.find(docs.tax.number), std::string::npos);
}

TEST_F(QuilletE2E, F10AnsweredNoPrintsNothing)
{
    PressKey(VK_F10);
    HWND box = QuestionBox(Pid());
    ASSERT_NE(box, nullptr);
    Click(Button(box, IDNO));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }, kWait));
    Sleep(500);
    EXPECT_EQ(Read(e2e::PortPath()), "");
}

TEST_F(QuilletE2E, WhileTheQuestionIsOpenAClickOnTheIconStartsNothing)
{
    PressKey(VK_F10);
    HWND box = QuestionBox(Pid());
    ASSERT_NE(box, nullptr);
    e2e::ClickTrayIcon(false);
    PressKey(VK_F11);
    EXPECT_FALSE(WaitFor([&] {
        return !Windows(Pid(), "#32770", "Vyberte dokument").empty() ||
               Windows(Pid(), "#32770", "Quillet").size() > 1;
    }, kQuiet));
    Click(Button(box, IDNO));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }, kWait));
}

TEST_F(QuilletE2E, F10WithCtrlOrShiftHeldDoesNothing)
{
    PressKey(VK_F10, VK_CONTROL);
    PressKey(VK_F10, VK_SHIFT);
    EXPECT_FALSE(WaitFor([&] { return !Windows(Pid(), "#32770", "Quillet").empty(); }, kQuiet));
}

TEST_F(QuilletE2E, F11AsksForTheNewestDeliveryNoteAndYesPrintsIt)
{
    const e2e::Documents docs = e2e::NewestDocuments();
    const std::string page = PrintAnsweredYes(VK_F11, "Tisknout dodací list č. " + docs.delivery.number + "?");
    EXPECT_EQ(page, e2e::ExpectedPage("--yes last-delivery"));
}

TEST_F(QuilletE2E, F9OpensThePickerOnceAndTheChosenRowPrintsWithoutAQuestion)
{
    const e2e::Documents docs = e2e::NewestDocuments();
    ASSERT_FALSE(docs.deliveryBefore.number.empty());
    PressKey(VK_F9);
    HWND picker = WaitForWindow(Pid(), "#32770", "Vyberte dokument", kWait);
    ASSERT_NE(picker, nullptr);

    // A second F9 while the picker is open starts nothing.
    PressKey(VK_F9);
    Sleep(kQuiet);
    EXPECT_EQ(Windows(Pid(), "#32770", "Vyberte dokument").size(), 1u);
    EXPECT_TRUE(Windows(Pid(), "#32770", "Quillet").empty());

    // The newest delivery note is selected; the user moves to the one before and prints.
    PressKey(VK_DOWN);
    Click(Button(picker, IDOK));
    const std::string page = WaitForPage(e2e::PortPath());
    EXPECT_TRUE(Windows(Pid(), "#32770", "Quillet").empty());
    EXPECT_FALSE(IsWindow(picker));
    EXPECT_EQ(page, e2e::ExpectedPage("id " + std::to_string(docs.deliveryBefore.id)));
}

TEST_F(QuilletE2E, LeftClickOnTheTrayIconOpensThePickerAndEscCancels)
{
    e2e::ClickTrayIcon(false);
    HWND picker = WaitForWindow(Pid(), "#32770", "Vyberte dokument", kWait);
    ASSERT_NE(picker, nullptr);
    SetForegroundWindow(picker);
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(picker); }, kWait));
    Sleep(300);
    EXPECT_EQ(GetFileAttributesA(e2e::PortPath().c_str()), INVALID_FILE_ATTRIBUTES);
}

// Opens the tray menu and picks its entry at index (0 "O aplikaci...", 1 "Nastavení")
// with the arrow keys, as a keyboard user would.
void PickFromTrayMenu(int index)
{
    e2e::ClickTrayIcon(true);
    ASSERT_NE(WaitForWindow(0, "#32768", nullptr, kWait), nullptr);
    for (int i = 0; i <= index; ++i)
        PressKey(VK_DOWN);
    PressKey(VK_RETURN);
}

TEST_F(QuilletE2E, AboutBoxFromTheTrayMenuKeepsTheHotkeysAlive)
{
    PickFromTrayMenu(0);
    HWND about = WaitForWindow(Pid(), "#32770", "O aplikaci Quillet", kWait);
    ASSERT_NE(about, nullptr);
    // The About box runs its own loop; the hook's reports still reach the main window.
    PressKey(VK_F10);
    HWND box = QuestionBox(Pid());
    ASSERT_NE(box, nullptr);
    Click(Button(box, IDNO));
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }, kWait));
    Click(Button(about, IDOK));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(about); }, kWait));
    EXPECT_EQ(GetFileAttributesA(e2e::PortPath().c_str()), INVALID_FILE_ATTRIBUTES);
}

// Replaces the text of an edit box as a user does: click, select all, type.
void Retype(HWND edit, const std::string& text)
{
    Click(edit);
    PressKey(VK_HOME);
    PressKey(VK_END, VK_SHIFT);
    Type(text);
}

TEST_F(QuilletE2E, SettingsTakeEffectOnTheNextPrintOnlyAfterOK)
{
    const std::string otherPort = e2e::Folder() + "tisk2.prn";
    DeleteFileA(otherPort.c_str());

    // Cancel: the file and the loaded port stay as they were.
    PickFromTrayMenu(1);
    HWND settings = WaitForWindow(Pid(), "#32770", "Nastaveni agendy", kWait);
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(Text(GetDlgItem(settings, 1022)), e2e::PortPath());
    Retype(GetDlgItem(settings, 1022), otherPort);
    Click(Button(settings, IDCANCEL));
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(settings); }, kWait));
    EXPECT_EQ(e2e::IniPort(), e2e::PortPath());

    // OK: the file is rewritten and the next print goes to the new port.
    PickFromTrayMenu(1);
    settings = WaitForWindow(Pid(), "#32770", "Nastaveni agendy", kWait);
    ASSERT_NE(settings, nullptr);
    Retype(GetDlgItem(settings, 1022), otherPort);
    Click(Button(settings, IDOK));
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(settings); }, kWait));
    EXPECT_EQ(e2e::IniPort(), otherPort);

    PressKey(VK_F11);
    HWND box = QuestionBox(Pid());
    ASSERT_NE(box, nullptr);
    Click(Button(box, IDYES));
    EXPECT_EQ(WaitForPage(otherPort), e2e::ExpectedPage("--yes last-delivery"));
    EXPECT_EQ(GetFileAttributesA(e2e::PortPath().c_str()), INVALID_FILE_ATTRIBUTES);

    // Back to the first port for what follows; Quillet reads it at its next start.
    e2e::SetIniPort(e2e::PortPath());
}

// Whichever threading model the host registered its component with (none: the process's
// main apartment only), F10 prints, F9 lists the documents and the console check passes;
// a model changed while Quillet runs is followed at the next print.
TEST_F(QuilletE2E, EveryThreadingModelTheHostMayRegisterPrintsPicksAndChecks)
{
    const e2e::Documents docs = e2e::NewestDocuments();
    const std::string question = "Tisknout daňový doklad č. " + docs.tax.number + "?";
    for (const char* model : {static_cast<const char*>(nullptr), "Free", "Both", "Apartment"}) {
        const std::string name = model ? model : "none";
        e2e::Stop(g_quillet);
        e2e::SetThreadingModel(model);
        g_quillet = e2e::StartQuillet();
        ASSERT_TRUE(WaitFor([&] { return MainWindow(Pid()) != nullptr; }, kWait)) << name;
        DeleteFileA(e2e::PortPath().c_str());
        EXPECT_EQ(PrintAnsweredYes(VK_F10, question), e2e::ExpectedPage("--yes last-tax")) << name;
        PressKey(VK_F9);
        HWND picker = WaitForWindow(Pid(), "#32770", "Vyberte dokument", kWait);
        ASSERT_NE(picker, nullptr) << name;
        EXPECT_GT(SendMessageA(GetDlgItem(picker, 1000), LVM_GETITEMCOUNT, 0, 0), 0) << name;
        SetForegroundWindow(picker);
        PressKey(VK_ESCAPE);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(picker); }, kWait)) << name;
        EXPECT_EQ(0, e2e::CheckInstallation()) << name;
    }
    e2e::SetThreadingModel("Free");
    DeleteFileA(e2e::PortPath().c_str());
    EXPECT_EQ(PrintAnsweredYes(VK_F10, question), e2e::ExpectedPage("--yes last-tax"));
    e2e::SetThreadingModel("Apartment");
}

// With a printer that takes no data (a pipe nobody reads, each print opening an instance of
// its own), the window answers during the print, keys and clicks then start nothing, then or
// later, and an end asked for then comes after the print's failure.
TEST_F(QuilletE2E, APrintBlockedOnThePortLeavesTheWindowAnsweringAndAnEndWaitsForIt)
{
    const std::string pipe = "\\\\.\\pipe\\quillet-stuck", ini = e2e::Folder() + "Quillet.ini";
    e2e::Stop(g_quillet);
    e2e::SetIniPort(pipe);
    WritePrivateProfileStringA("Firma", "PortTimeout", "6", ini.c_str());
    g_quillet = e2e::StartQuillet();
    HWND main = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (main = MainWindow(Pid())) && !IsWindowVisible(main); }, kWait));
    for (bool end : {false, true}) {
        HANDLE port = CreateNamedPipeA(pipe.c_str(), PIPE_ACCESS_DUPLEX, 0, PIPE_UNLIMITED_INSTANCES, 1, 1, 0, nullptr);
        PressKey(VK_F10);
        HWND box = QuestionBox(Pid());
        ASSERT_NE(box, nullptr);
        Click(Button(box, IDYES));
        Sleep(500);
        DWORD_PTR answer = 0;
        EXPECT_TRUE(SendMessageTimeoutA(main, end ? WM_CLOSE : WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer));
        EXPECT_EQ(answer, end ? 1u : 0u);  // 1: ending after the print
        PressKey(VK_F10);
        e2e::ClickTrayIcon(false);
        EXPECT_EQ(WaitForWindow(Pid(), "#32770", nullptr, kQuiet), nullptr);
        // The print's message (the first names the port), and nothing after it.
        std::vector<std::string> texts;
        for (box = QuestionBox(Pid()); box; box = WaitForWindow(Pid(), "#32770", nullptr, kQuiet)) {
            texts.push_back(Text(box) + ": " + MessageBoxText(box));
            if (!Button(box, IDOK) || Button(box, IDNO))
                break;
            Click(Button(box, IDOK));
            WaitFor([&] { return !IsWindow(box); }, kWait);
        }
        ASSERT_FALSE(texts.empty());
        EXPECT_NE(texts[0].find(pipe), std::string::npos) << texts[0];
        for (const std::string& text : texts)
            EXPECT_TRUE(text.find("Quillet: ") == 0 && text.find("Tisknout") == std::string::npos) << text;
        const DWORD state = WaitForSingleObject(g_quillet.hProcess, end ? kWait : 0);
        EXPECT_EQ(state, end ? WAIT_OBJECT_0 : static_cast<DWORD>(WAIT_TIMEOUT));
        CloseHandle(port);
    }
    e2e::Stop(g_quillet);
    e2e::SetIniPort(e2e::PortPath());
    WritePrivateProfileStringA("Firma", "PortTimeout", nullptr, ini.c_str());
    g_quillet = e2e::StartQuillet();
}

TEST_F(QuilletE2E, KonecFromTheTrayMenuEndsQuilletAndANewStartWorksAtOnce)
{
    e2e::ClickTrayIcon(true);
    HWND menu = WaitForWindow(0, "#32768", nullptr, kWait);
    ASSERT_NE(menu, nullptr);
    PressKey('K');  // "&Konec"
    ASSERT_EQ(WaitForSingleObject(g_quillet.hProcess, kWait), WAIT_OBJECT_0);
    e2e::Close(g_quillet);

    g_quillet = e2e::StartQuillet();
    EXPECT_TRUE(WaitFor([&] { return MainWindow(Pid()) != nullptr; }, kWait));
    Sleep(500);
    EXPECT_TRUE(Running(g_quillet));
}

TEST_F(QuilletE2E, AnUnregisteredHostComponentIsRegisteredAtStartAndTheNextPrintWorks)
{
    e2e::Stop(g_quillet);
    e2e::UnregisterComponent();
    ASSERT_FALSE(e2e::ComponentCreatable());

    g_quillet = e2e::StartQuillet();
    ASSERT_TRUE(WaitFor([&] { return MainWindow(Pid()) != nullptr; }, kWait));
    EXPECT_TRUE(WaitFor(e2e::ComponentCreatable, kWait));

    const e2e::Documents docs = e2e::NewestDocuments();
    PressKey(VK_F10);
    HWND box = QuestionBox(Pid());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), "Tisknout daňový doklad č. " + docs.tax.number + "?");
    Click(Button(box, IDYES));
    EXPECT_EQ(WaitForPage(e2e::PortPath()), e2e::ExpectedPage("--yes last-tax"));
}

}  // namespace
