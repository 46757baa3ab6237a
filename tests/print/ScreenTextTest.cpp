// What the screen shows when the system's ANSI code page is not 1250 (ctest runs this
// program under a Western European locale): the texts are read back from the real
// windows as UTF-16, so a text that went through the ANSI code page would not match.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "config/AgendaSettingsDlg.h"
#include "config/HostFiles.h"
#include "documents/SampleAgenda.h"
#include "print/DocPickerDlg.h"
#include "print/PrintRequest.h"
#include "res/resource.h"
#include "support/DialogDriver.h"
#include "support/TempFile.h"

namespace {

std::wstring WindowText(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

// Answers the message boxes the code shows, from inside their own message loops, and
// keeps what each showed.
class RealBoxes {
public:
    RealBoxes() { timer_ = SetTimer(nullptr, 0, 20, &RealBoxes::Tick); current_ = this; }
    ~RealBoxes() { KillTimer(nullptr, timer_); current_ = nullptr; }
    RealBoxes(const RealBoxes&) = delete;
    RealBoxes& operator=(const RealBoxes&) = delete;

    void Answer(int button) { answers_.push_back(button); }
    std::vector<std::wstring> shown;  // caption, a line break, and the text

private:
    static BOOL CALLBACK Find(HWND window, LPARAM found)
    {
        if (IsWindowVisible(window) && WindowText(window) == L"Quillet") {
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        }
        return TRUE;
    }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        RealBoxes* self = current_;
        HWND box = nullptr;
        if (!self || self->answers_.empty())
            return;
        EnumThreadWindows(GetCurrentThreadId(), &RealBoxes::Find, reinterpret_cast<LPARAM>(&box));
        if (!box)
            return;
        self->shown.push_back(WindowText(box) + L"\n" + WindowText(GetDlgItem(box, 0xFFFF)));
        const int answer = self->answers_.front();
        self->answers_.erase(self->answers_.begin());
        SendMessageW(GetDlgItem(box, answer), BM_CLICK, 0, 0);
    }

    static inline RealBoxes* current_ = nullptr;
    UINT_PTR timer_ = 0;
    std::vector<int> answers_;
};

BOOL CALLBACK OwnedBy(HWND window, LPARAM found)
{
    if (IsWindowVisible(window) && GetWindow(window, GW_OWNER))
        *reinterpret_cast<HWND*>(found) = window;
    return TRUE;
}

DocRecord Doc(long id, const char* typ, const char* number)
{
    DocRecord d;
    d.id = id;
    d.typ = typ;
    d.cislo = number;
    d.nazev = "Řeznictví Šťastný";
    return d;
}

class ScreenText : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(1250u, GetACP()) << "this program is meant to run under another code page";
        agenda.Configure(config);
        config.Port = port.Path();
        agenda.WriteDocuments({Doc(1, "P", "PŘ-0001"), Doc(2, "D", "DĚ-0002")});
        agenda.WriteItems({});
        agenda.WriteCards({});
    }

    SampleAgenda agenda;
    AgendaConfig config;
    TempFile port{"prn"};
    RealBoxes boxes;
};

TEST_F(ScreenText, QuestionAndPrintErrorOnTheRealMessageBoxes)
{
    boxes.Answer(IDNO);
    EXPECT_EQ(PrintOutcome::NothingPrinted, PrintRequest(config, LastTaxDocument));
    // The port is held by someone else: the print fails.
    HANDLE held = CreateFileA(port.Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    for (int answer : {IDYES, IDOK, IDOK, IDOK})
        boxes.Answer(answer);
    EXPECT_EQ(PrintOutcome::Failed, PrintRequest(config, LastDeliveryNote));
    CloseHandle(held);

    ASSERT_LE(3u, boxes.shown.size());
    EXPECT_EQ(L"Quillet\nTisknout daňový doklad č. PŘ-0001?", boxes.shown[0]);
    EXPECT_EQ(L"Quillet\nTisknout dodací list č. DĚ-0002?", boxes.shown[1]);
    EXPECT_EQ(L"Quillet\nNastala chyba při tisku dodacího listu!", boxes.shown.back());
}

TEST_F(ScreenText, PickerRowsHeadingsAndPreviewCaption)
{
    Driven<CDocPickerDlg> picker(agenda.YearDir() + "\\SkSezDok");
    picker.SetPreviewer([this](long id, std::string& bytes) {
        return PreviewDocument(config, id, bytes) == PrintOutcome::Printed;
    });
    std::vector<std::wstring> seen;
    picker
        .Then([&](HWND d) {
            const HWND list = GetDlgItem(d, IDC_DOC_LIST);
            wchar_t text[3][64] = {};
            LVCOLUMNW column{};
            column.mask = LVCF_TEXT;
            column.pszText = text[0];
            column.cchTextMax = 64;
            SendMessageW(list, LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
            for (int sub = 0; sub < 2; ++sub) {
                LVITEMW item{};
                item.iSubItem = sub;
                item.pszText = text[1 + sub];
                item.cchTextMax = 64;
                SendMessageW(list, LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
            }
            seen = {WindowText(d), text[0], text[1], text[2], WindowText(GetDlgItem(d, IDC_DODACI_LISTY))};
            PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_PREVIEW, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_PREVIEW)));
        })
        .Then([&](HWND d) {
            HWND preview = nullptr;
            EnumThreadWindows(GetCurrentThreadId(), &OwnedBy, reinterpret_cast<LPARAM>(&preview));
            ASSERT_TRUE(preview && GetWindow(preview, GW_OWNER) == d) << "no preview";
            seen.push_back(WindowText(preview));
            PostMessageW(preview, WM_COMMAND, IDCANCEL, 0);
        })
        .Then([](HWND d) { SendMessageW(d, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_EQ(IDCANCEL, picker.DoModal());
    EXPECT_EQ((std::vector<std::wstring>{L"Vyberte dokument", L"Číslo dokumentu", L"DĚ-0002", L"Řeznictví Šťastný",
                                         L"Dodací listy", L"Náhled – DĚ-0002"}),
              seen);
}

// Quillet.ini stays in code page 1250; what the settings cannot hold there is refused.
TEST_F(ScreenText, SettingsShowCzechAndRefuseWhatCodePage1250CannotHold)
{
    const std::string ini = QuilletIniPath();
    SetAside aside(ini);
    HostFiles files;
    files.WriteIni(ini, {"[Firma]", "Nazev=Ťukání Řehoř", "Port=LPT1:"});
    const std::string before = FileBytes(ini);

    Driven<CAgendaSettingsDlg> dlg;
    std::vector<std::wstring> seen;
    dlg.Then([&](HWND d) {
           seen = {WindowText(GetDlgItem(d, IDC_NAZEV))};
           for (const wchar_t* typed : {L"\u0416uk Ťukání", L"Ťuk \U0001F600"}) {
               boxes.Answer(IDOK);
               SetDlgItemTextW(d, IDC_NAZEV, typed);
               Click(d, IDOK);
               DWORD start = 0, end = 0;
               SendMessageW(GetDlgItem(d, IDC_NAZEV), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                            reinterpret_cast<LPARAM>(&end));
               seen.push_back(std::to_wstring(start) + L"-" + std::to_wstring(end) +
                              (GetFocus() == GetDlgItem(d, IDC_NAZEV) ? L" focused" : L""));
               EXPECT_EQ(before, FileBytes(ini)) << "written";
           }
           SetDlgItemTextW(d, IDC_NAZEV, L"Řehoř a syn");
       })
        .Then([](HWND d) { Click(d, IDOK); });
    EXPECT_EQ(IDOK, dlg.DoModal());

    const std::wstring refused = L" nelze uložit: text se ukládá ve středoevropském kódování Windows (1250), "
                                 L"které tento znak nemá.\n\nOpravte prosím vyznačené místo.";
    EXPECT_EQ((std::vector<std::wstring>{L"Ťukání Řehoř", L"0-1 focused", L"4-6 focused"}), seen);
    const std::vector<std::wstring> shown = {L"Quillet\nZnak „\u0416“" + refused,
                                             L"Quillet\nZnak „\U0001F600“" + refused};
    EXPECT_EQ(shown, boxes.shown);
    EXPECT_NE(std::string::npos, FileBytes(ini).find("Nazev=\xD8" "eho\xF8 a syn\r\n"));
}

}  // namespace
