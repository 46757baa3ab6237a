// Under a Western European locale (ANSI code page 1252), texts read back from the real
// windows as UTF-16.
#include <gtest/gtest.h>
#include <windows.h>

#include "config/AgendaSettingsDlg.h"
#include "config/HostFiles.h"
#include "documents/SampleAgenda.h"
#include "print/PrintRequest.h"
#include "printer/PrintRoute.h"
#include "printer/PrinterPort.h"
#include "res/resource.h"
#include "support/DialogDriver.h"
#include "support/TempFile.h"
#include "support/TestQueue.h"

namespace {

std::wstring Text(HWND window)
{
    wchar_t text[512] = {};
    return GetWindowTextW(window, text, 512) ? text : L"";
}

// Answers the real message boxes from inside their own loops and keeps their texts.
std::vector<int> answers;
std::vector<std::wstring> shown;
BOOL CALLBACK AnswerBox(HWND box, LPARAM)
{
    if (!IsWindowVisible(box) || Text(box) != L"Quillet" || answers.empty())
        return TRUE;
    shown.push_back(Text(GetDlgItem(box, 0xFFFF)));
    SendMessageW(GetDlgItem(box, answers.front()), BM_CLICK, 0, 0);
    answers.erase(answers.begin());
    return FALSE;
}
void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), &AnswerBox, 0); }

TEST(ScreenText, QuestionAndPrintErrorOnTheRealMessageBoxes)
{
    ASSERT_EQ(1252u, GetACP());
    SampleAgenda agenda;
    AgendaConfig config;
    agenda.Configure(config);
    DocRecord doc;
    doc.id = 1, doc.typ = "D", doc.cislo = "DĚ-0001";
    agenda.WriteDocuments({doc});
    agenda.WriteItems({});
    agenda.WriteCards({});
    TempFile port{"prn"};
    config.Port = port.Path();
    // The port is held by someone else: the print fails.
    HANDLE held = CreateFileA(port.Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    answers = {IDYES, IDOK, IDOK};
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, &Tick);
    EXPECT_EQ(PrintOutcome::Failed, PrintRequest(config, LastDeliveryNote));
    KillTimer(nullptr, timer);
    CloseHandle(held);
    ASSERT_EQ(2u, shown.size());
    EXPECT_EQ(L"Tisknout dodací list č. DĚ-0001?", shown[0]);
    EXPECT_EQ(0u, shown[1].find(L"Tisk se nepodařil: port '"));
    EXPECT_NE(std::wstring::npos, shown[1].find(L"' nelze otevřít, nic nebylo vytištěno.\n\n"));
}

// Quillet.ini stays in code page 1250: a character it cannot hold is refused, not dropped.
TEST(ScreenText, SettingsShowCzechAndRefuseWhatCodePage1250CannotHold)
{
    const std::string ini = QuilletIniPath();
    SetAside aside(ini);
    HostFiles files;
    files.WriteIni(ini, {"[Firma]", "Nazev=Ťukání Řehoř"});
    Driven<CAgendaSettingsDlg> dlg;
    std::wstring before;
    dlg.Then([&](HWND d) {
        before = Text(GetDlgItem(d, IDC_NAZEV));
        shown.clear();
        answers = {IDOK};
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, &Tick);
        SetDlgItemTextW(d, IDC_NAZEV, L"\u0416uk");
        Click(d, IDOK);  // refused: the dialog stays open
        KillTimer(nullptr, timer);
        SetDlgItemTextW(d, IDC_NAZEV, L"Řehoř a syn");
        Click(d, IDOK);
    });
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(L"Ťukání Řehoř", before);
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ(0u, shown[0].find(L"Znak „\u0416“ nelze uložit")) << shown[0].size();
    EXPECT_NE(std::string::npos, FileBytes(ini).find("Nazev=\xD8" "eho\xF8 a syn\r\n"));
}

// A printer queue named with letters the ANSI code page lacks: offered in the settings,
// found as a queue, its driver learned, and its job named in Czech.
TEST(ScreenText, QueueWithCzechNameIsFoundAndItsJobNamedInCzech)
{
    TempFile queueFile("que");
    TestQueue queue("Pokladní tiskárna č. 2 – Řevnice", queueFile.Path());
    Driven<CAgendaSettingsDlg> dlg;
    LRESULT offered = CB_ERR;
    dlg.Then([&](HWND d) {
        offered = SendDlgItemMessageW(d, IDC_PORT, CB_FINDSTRINGEXACT, WPARAM(-1),
                                      LPARAM(L"Pokladní tiskárna č. 2 – Řevnice"));
        Click(d, IDCANCEL);
    });
    dlg.DoModal();
    EXPECT_NE(CB_ERR, offered);

    EXPECT_EQ(int(PortWay::Queue), int(ClassifyPort("POKLADNÍ TISKÁRNA Č. 2 – ŘEVNICE")));
    EXPECT_EQ("Generic / Text Only", ChooseDocumentRoute(queue.Name(), PrintRezim::Auto).driver);
    PortJob job;
    job.name = "Quillet – daňový doklad č. Ř-0001";
    std::string failure;
    std::unique_ptr<PrinterPort> port = OpenPrinterPort(queue.Name(), job, failure);
    ASSERT_TRUE(port) << failure;
    EXPECT_EQ(L"Quillet – daňový doklad č. Ř-0001", queue.JobName());
    EXPECT_TRUE(port->Write("\x1B@", 2));
    EXPECT_TRUE(port->Close());
    EXPECT_EQ("\x1B@", FileBytes(queueFile.Path()));
}

}  // namespace
