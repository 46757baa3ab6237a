// The print thread in the test process, on a sample agenda through the real component: a
// failure anywhere in a print is one message, the print ends cleanly and the thread prints
// on; and the session's end in the middle of a document, through the main window.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <stdexcept>

#include "ForwardingTable.h"
#include "app/TrayDlg.h"
#include "config/HostFiles.h"
#include "documents/SampleAgenda.h"
#include "printer/JobCancel.h"
#include "printer/PrinterPort.h"
#include "res/resource.h"
#include "support/DialogDriver.h"
#include "support/MessageBoxRecorder.h"
#include "support/TestQueue.h"

namespace {

// A table whose reading of one field throws, as the program does when memory runs out.
class FailingTable : public ForwardingTable {
public:
    FailingTable(ComPtr<IMon2kDbeTable> inner, std::wstring field) : ForwardingTable(std::move(inner)), field_(field) {}
    HRESULT STDMETHODCALLTYPE FieldValue(BSTR name, VARIANT* value) override
    {
        if (field_ == name && field_ == L"CisloDokla")
            throw std::length_error("vector::reserve");
        if (field_ == name)
            throw std::bad_alloc();
        return ForwardingTable::FieldValue(name, value);
    }

private:
    std::wstring field_;
};

class PrintThreadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        agenda.Configure(config);
        agenda.WriteDocuments({Document("P", 1, "P0001", "Odběratel", "Ulice 1", "11000", "Praha"),
                               Document("D", 2, "D0002", "Odběratel", "Ulice 1", "11000", "Praha")});
        // More than a pipe takes in before its reader reads.
        agenda.WriteItems(std::vector<ItemRecord>(150, Item("S", 1, "Hřebík", "", dbf::Value::Currency(1), "ks", 0)));
        agenda.WriteCards({});
        worker.SetNotify(notify);
    }
    void TearDown() override { DestroyWindow(notify); }

    // Asks the thread for a print, answering Yes to its question; true once it has ended.
    bool Print(PrintMode mode, bool preview)
    {
        boxes.Clear();
        boxes.Answer(IDYES);
        worker.Print(config, mode);
        HWND picker = nullptr;
        DWORD pid = 0;
        if (preview && RunMessagesUntil([&] {
                picker = FindWindowExA(nullptr, picker, "#32770", "Vyberte dokument");
                return picker && GetWindowThreadProcessId(picker, &pid) && pid == GetCurrentProcessId() &&
                       ListView_GetItemCount(GetDlgItem(picker, IDC_DOC_LIST)) > 0;
            }))
            PostMessageA(picker, WM_COMMAND, MAKEWPARAM(IDC_PREVIEW, BN_CLICKED), 0);
        MSG msg;
        for (DWORD start = GetTickCount(); GetTickCount() - start < 20000; Sleep(10))
            if (PeekMessageA(&msg, notify, WM_PRINTENDED, WM_PRINTENDED, PM_REMOVE))
                return true;
        return false;
    }

    SampleAgenda agenda;
    AgendaConfig config;
    TempFile port{"prn"};
    MessageBoxRecorder boxes;
    HWND notify = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    PrintWorker worker;
};

TEST_F(PrintThreadTest, AFailureAnywhereIsOneMessageThePrintEndsCleanlyAndTheThreadPrintsOn)
{
    TempFile rawFile("prn"), psFile("ps");
    TestQueue raw("Pokladní tiskárna vlákno", rawFile.Path());
    TestQueue laser("Laserová tiskárna vlákno", psFile.Path(), QueueDriver::PostScript);
    const std::string sending = "nedostatek paměti (odeslání na tiskárnu).", earlier = "earlier job\f";
    const struct {
        PrintMode mode;
        const wchar_t* field;  // the field whose reading fails; none: the port's trace fails
        bool preview;
        std::string port, written;  // the port, and the file it writes to
        std::string failure;
    } cases[] = {
        {LastTaxDocument, L"O_NazevOb", false, port.Path(), port.Path(), "nedostatek paměti (příprava dokladu)."},
        {ChooseDocument, L"CisloDokla", false, port.Path(), port.Path(),
         "příliš velká data: vector::reserve (výběr dokladu)."},
        {ChooseDocument, L"O_NazevOb", true, port.Path(), port.Path(), "nedostatek paměti (náhled dokladu)."},
        {LastTaxDocument, nullptr, false, port.Path(), port.Path(), sending},
        {LastTaxDocument, nullptr, false, raw.Name(), rawFile.Path(), sending},
        {LastTaxDocument, nullptr, false, laser.Name(), psFile.Path(), sending},
    };
    for (const auto& c : cases) {
        DeleteFileA(c.written.c_str());
        if (c.written == c.port)
            port.Write(earlier);
        config.Port = c.port;
        if (c.field)
            SetHostTableWrapper([&](ComPtr<IMon2kDbeTable> t) { return Wrap<FailingTable>(std::move(t), c.field); });
        else  // once the job has begun: the queue's job started, the drawing's document open
            SetPortTrace([](const std::string& line) {
                if (line.rfind("Tisk:", 0) == 0)
                    throw std::bad_alloc();
            });
        ASSERT_TRUE(Print(c.mode, c.preview)) << c.failure;
        SetHostTableWrapper({});
        SetPortTrace({});
        EXPECT_FALSE(PrintBusy);
        EXPECT_EQ(c.mode == ChooseDocument ? 1u : 2u, boxes.Shown().size()) << c.failure;  // F10 asks first
        EXPECT_EQ("Tisk se nepodařil: " + c.failure, boxes.Shown().back().text);
        // Nothing printed: a file port as it was before, a queue's job given up.
        const std::string left = FileBytes(c.written);
        EXPECT_TRUE(c.written == c.port ? left == earlier : left.empty() || left == "<missing>") << c.port;
    }
    config.Port = port.Path();
    ASSERT_TRUE(Print(LastDeliveryNote, false));
    EXPECT_EQ(1u, boxes.Shown().size());  // the question only
    EXPECT_EQ('\f', port.Read().back());
}

TEST_F(PrintThreadTest, TheSessionWaitsForADocumentBeingSentOrEndsItCleanly)
{
    // A printer that takes nothing: a pipe whose end is never read.
    const std::string pipe = "\\\\.\\pipe\\quillet-session-" + std::to_string(GetCurrentProcessId());
    HANDLE printer = CreateNamedPipeA(pipe.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED, 0, 1, 1, 1, 0, nullptr);
    OVERLAPPED listening{};
    ConnectNamedPipe(printer, &listening);
    // The main window loads the agenda as at start: the host on C:, Quillet.ini beside the
    // program.
    const std::string setupIni = "C:\\Program Files\\CIGLER SOFTWARE\\Common Files\\Setup.ini";
    const std::string root = agenda.AgendaDir().substr(0, agenda.AgendaDir().size() - strlen("\\Firma\\"));
    SetAside host(setupIni), settings(QuilletIniPath());
    HostFiles files;
    files.WriteIni(setupIni, {"[InstParams]", "LocalPath=" + root});
    files.WriteIni(root + "\\MonS3.ini",
                   {"[Directory]", "DataRoot=" + root, "[LastDirs]", "LastFirm=Firma", "LastYear=Rok2026"});
    files.WriteIni(QuilletIniPath(), {"[Firma]", "Port=" + pipe});
    Driven<CTrayDlg> dialog(&worker);
    std::vector<LRESULT> agrees;  // WM_QUERYENDSESSION: before, while sending, after the print
    bool givenUp = false;
    dialog.Then([&](HWND d) {
        agrees.push_back(SendMessageA(d, WM_QUERYENDSESSION, 0, 0));
        boxes.Clear();
        boxes.Answer(IDYES);
        dialog.StartPrint(LastTaxDocument);
        RunMessagesUntil([&] { return SendMessageA(d, WM_QUERYENDSESSION, 0, 0) == FALSE; });
        agrees.push_back(SendMessageA(d, WM_QUERYENDSESSION, 0, 0));
        // Forced: when this returns, the job is over and the port let go.
        SendMessageA(d, WM_ENDSESSION, TRUE, 0);
        givenUp = WaitForPrintJobs(0);
        RunMessagesUntil([&] { return !PrintBusy && SendMessageA(d, WM_QUERYENDSESSION, 0, 0); });
        agrees.push_back(SendMessageA(d, WM_QUERYENDSESSION, 0, 0));
        PostMessageA(d, WM_COMMAND, ID_APP_EXIT, 0);
    });
    EXPECT_EQ(1, dialog.DoModal());
    ResetEvent(PrintJobsCancelledEvent());  // the process goes on: jobs may be sent again
    CloseHandle(printer);
    EXPECT_EQ((std::vector<LRESULT>{TRUE, FALSE, TRUE}), agrees);
    EXPECT_TRUE(givenUp);
    ASSERT_EQ(2u, boxes.Shown().size());  // the question, then why nothing more was printed
    EXPECT_EQ("Tisk se nepodařil: Windows se odhlašuje nebo vypíná, tisk na '" + pipe + "' byl zastaven.",
              boxes.Shown()[1].text);
}

}  // namespace
