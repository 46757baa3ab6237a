// The settings dialog as a real dialog on the real Quillet.ini beside the test program:
// what it shows, what OK writes (every key it shows, empty ones too), that Cancel writes
// nothing, that AgendaConfig::Load then reads what was written, and that every label
// fits its place.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "config/AgendaConfig.h"
#include "config/AgendaSettingsDlg.h"
#include "config/HostFiles.h"
#include "framework/WideText.h"
#include "res/resource.h"
#include "support/DialogDriver.h"
#include "support/MessageBoxRecorder.h"
#include "support/Screenshot.h"
#include "support/TempFile.h"
#include "support/TestQueue.h"

namespace {

// The seller's keys and the port in the order they are written, with the box of each.
const struct {
    const char* key;
    int box;
} kKeys[] = {
    {"Nazev", IDC_NAZEV}, {"Ulice", IDC_ULICE}, {"Mesto", IDC_MESTO}, {"PSC", IDC_PSC},
    {"Tel", IDC_TEL},     {"Fax", IDC_FAX},     {"ICO", IDC_ICO},     {"DIC", IDC_DIC},
    {"RegCislo", IDC_REGCISLO}, {"Port", IDC_PORT},
};

std::string BoxText(HWND dialog, int id)
{
    char text[512] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// The texts of those boxes, in key order.
std::vector<std::string> Boxes(HWND dialog)
{
    std::vector<std::string> texts;
    for (const auto& k : kKeys)
        texts.push_back(BoxText(dialog, k.box));
    return texts;
}

std::vector<std::string> Loaded(const AgendaConfig& c)
{
    return {c.Nazev, c.Ulice, c.Mesto, c.PSC, c.Tel, c.Fax, c.ICO, c.DIC, c.RegCislo, c.Port};
}

class AgendaSettings : public ::testing::Test {
protected:
    std::string ini_ = QuilletIniPath();
    // Whatever the tests write is taken away again, and what was there is put back.
    SetAside quilletIni_{ini_};
    SetAside hostOnC_{"C:\\Program Files\\CIGLER SOFTWARE"};
    MessageBoxRecorder boxes_;
    HostFiles files_;

    // A host on C:, so that Load goes on to read Quillet.ini.
    void LayHost()
    {
        files_.WriteIni("C:\\Program Files\\CIGLER SOFTWARE\\Common Files\\Setup.ini",
                        {"[InstParams]", "LocalPath=C:\\Program Files\\CIGLER SOFTWARE\\Money S3"});
        files_.WriteIni("C:\\Program Files\\CIGLER SOFTWARE\\Money S3\\MonS3.ini",
                        {"[Directory]", "DataRoot=C:\\Data", "[LastDirs]", "LastFirm=Firma", "LastYear=Rok"});
    }
};

TEST_F(AgendaSettings, WithoutQuilletIniOkWritesNineEmptyKeysAndTheDefaultPort)
{
    ASSERT_EQ("<missing>", FileBytes(ini_));
    Driven<CAgendaSettingsDlg> dlg;
    std::vector<std::string> shown;
    std::string caption;
    bool firstFocused = false;
    dlg.Then([&](HWND d) {
           shown = Boxes(d);
           char text[64] = {};
           GetWindowTextA(d, text, sizeof text);
           caption = text;
           firstFocused = GetFocus() == GetDlgItem(d, IDC_NAZEV);
       })
        .Then([](HWND d) { Click(d, IDOK); });
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ("Nastaveni agendy", caption);
    EXPECT_TRUE(firstFocused);
    EXPECT_EQ(std::vector<std::string>({"", "", "", "", "", "", "", "", "", "LPT1:"}), shown);
    EXPECT_EQ("[Firma]\r\nNazev=\r\nUlice=\r\nMesto=\r\nPSC=\r\nTel=\r\nFax=\r\nICO=\r\nDIC=\r\n"
              "RegCislo=\r\nPort=LPT1:\r\nRezim=auto\r\nKopieDanovyDoklad=1\r\nKopieDodaciList=1\r\n"
              "AutoTiskDanovyDoklad=0\r\nAutoTiskDodaciList=0\r\nAutoTiskVystavil=\r\n",
              FileBytes(ini_));
    EXPECT_TRUE(boxes_.Shown().empty());
}

TEST_F(AgendaSettings, ShowsEachKeyInItsBoxAndOkWritesEachBoxUnderItsKeyForTheNextLoad)
{
    LayHost();
    files_.WriteIni(ini_, {"[Jine]", "Nazev=Nepatří sem", "[Firma]", "Port=LPT2:", "Tel=+420 381 212 121",
                           "Nazev=Železářství U Kováře", "PSC=390 01", "Mesto=Tábor", "Ulice=Křižíkovo nám. 5",
                           "Fax=", "ICO=12345678", "DIC=CZ12345678", "RegCislo=OR KS Č. Budějovice A 1"});
    Driven<CAgendaSettingsDlg> dlg;
    std::vector<std::string> shown;
    const std::vector<std::string> typed = {"Nový název", "Nová ulice 1", "Město", "111 22", "Telefon 1",
                                            "Fax 2", "87654321", "CZ87654321", "Rejstřík ř. 9", "LPT3:"};
    dlg.Then([&](HWND d) {
           shown = Boxes(d);
           SaveScreenshot("settings", d);
       })
        .Then([&](HWND d) {
            for (size_t i = 0; i < typed.size(); ++i)
                TypeText(d, kKeys[i].box, typed[i].c_str());
            Click(d, IDOK);
        });
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(std::vector<std::string>({"Železářství U Kováře", "Křižíkovo nám. 5", "Tábor", "390 01",
                                        "+420 381 212 121", "", "12345678", "CZ12345678",
                                        "OR KS Č. Budějovice A 1", "LPT2:"}),
              shown);
    for (size_t i = 0; i < typed.size(); ++i) {
        char value[260] = {};
        GetPrivateProfileStringA("Firma", kKeys[i].key, "<none>", value, sizeof value, ini_.c_str());
        EXPECT_EQ(typed[i], value) << kKeys[i].key;
    }
    // The other section is left alone.
    char other[64] = {};
    GetPrivateProfileStringA("Jine", "Nazev", "", other, sizeof other, ini_.c_str());
    EXPECT_EQ(std::string("Nepatří sem"), other);

    AgendaConfig config;
    config.Load();
    EXPECT_EQ(typed, Loaded(config));
    EXPECT_TRUE(boxes_.Shown().empty());
}

TEST_F(AgendaSettings, PrintModeCopiesAndAutomaticPrintingAreShownWrittenAndLoaded)
{
    LayHost();
    files_.WriteIni(ini_, {"[Firma]", "Rezim=GRAFIKA", "KopieDanovyDoklad=3", "KopieDodaciList=10",
                           "AutoTiskDanovyDoklad=ano", "AutoTiskDodaciList= 1 ", "AutoTiskVystavil=Jiří Dvořák"});
    AgendaConfig before;
    before.Load();
    EXPECT_EQ(PrintRezim::Grafika, before.Rezim);
    EXPECT_EQ(3, before.KopieDanovyDoklad);
    EXPECT_EQ(1, before.KopieDodaciList);  // out of range: one copy
    EXPECT_FALSE(before.AutoTiskDanovyDoklad);  // neither 1 nor 0: off
    EXPECT_TRUE(before.AutoTiskDodaciList);

    Driven<CAgendaSettingsDlg> dlg;
    std::vector<std::string> shown;
    bool stillOpen = false;
    dlg.Then([&](HWND d) {
           shown = {BoxText(d, IDC_REZIM), BoxText(d, IDC_KOPIE_DANOVY_DOKLAD), BoxText(d, IDC_KOPIE_DODACI_LIST),
                    std::to_string(IsDlgButtonChecked(d, IDC_AUTO_DANOVY_DOKLAD)),
                    std::to_string(IsDlgButtonChecked(d, IDC_AUTO_DODACI_LIST)), BoxText(d, IDC_AUTO_VYSTAVIL)};
           SendDlgItemMessageA(d, IDC_REZIM, CB_SETCURSEL, 1, 0);
           Click(d, IDC_AUTO_DANOVY_DOKLAD);
           Click(d, IDC_AUTO_DODACI_LIST);
           TypeText(d, IDC_AUTO_VYSTAVIL, "");
           TypeText(d, IDC_KOPIE_DODACI_LIST, "0");
           Click(d, IDOK);
       })
        .Then([&](HWND d) {
            stillOpen = IsWindowVisible(d);
            TypeText(d, IDC_KOPIE_DODACI_LIST, "9");
            Click(d, IDOK);
        });
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(std::vector<std::string>({"Grafický tisk", "3", "1", "0", "1", "Jiří Dvořák"}), shown);
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(1u, boxes_.Shown().size());
    EXPECT_EQ("Počet kopií musí být číslo od 1 do 9.", boxes_.Shown()[0].text);
    AgendaConfig after;
    after.Load();
    EXPECT_EQ(PrintRezim::Escp, after.Rezim);
    EXPECT_EQ(3, after.KopieDanovyDoklad);
    EXPECT_EQ(9, after.KopieDodaciList);
    EXPECT_TRUE(after.AutoTiskDanovyDoklad && !after.AutoTiskDodaciList && after.AutoTiskVystavil.empty());
    EXPECT_NE(std::string::npos,
              FileBytes(ini_).find("Rezim=escp\r\nKopieDanovyDoklad=3\r\nKopieDodaciList=9\r\nAutoTiskDanovyDoklad=1\r\n"
                                   "AutoTiskDodaciList=0\r\nAutoTiskVystavil=\r\n"))
        << FileBytes(ini_);
}

TEST_F(AgendaSettings, ClearedPortIsWrittenEmptyAndLoadsEmpty)
{
    LayHost();
    files_.WriteIni(ini_, {"[Firma]", "Nazev=Firma", "Port=LPT2:"});
    Driven<CAgendaSettingsDlg> dlg;
    dlg.Then([](HWND d) {
        TypeText(d, IDC_PORT, "");
        Click(d, IDOK);
    });
    EXPECT_EQ(IDOK, dlg.DoModal());
    const std::string written = FileBytes(ini_);
    EXPECT_NE(std::string::npos, written.find("\r\nPort=\r\n")) << written;
    AgendaConfig config;
    config.Port = "LPT9:";
    config.Load();
    EXPECT_EQ("", config.Port);
    EXPECT_EQ("Firma", config.Nazev);
}

TEST_F(AgendaSettings, CancelAfterEditingLeavesTheFileAsItWas)
{
    files_.WriteIni(ini_, {"; poznámka", "[Firma]", "Nazev=Původní", "Port=LPT2:"});
    const std::string before = FileBytes(ini_);
    enum class How { Button, Escape, CloseBox };
    for (How how : {How::Button, How::Escape, How::CloseBox}) {
        Driven<CAgendaSettingsDlg> dlg;
        dlg.Then([&](HWND d) {
            TypeText(d, IDC_NAZEV, "Změněno");
            TypeText(d, IDC_PORT, "");
            switch (how) {
            case How::Button: Click(d, IDCANCEL); break;
            case How::Escape: SendMessageA(d, WM_COMMAND, IDCANCEL, 0); break;
            case How::CloseBox: SendMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); break;
            }
        });
        EXPECT_EQ(IDCANCEL, dlg.DoModal()) << int(how);
        EXPECT_EQ(before, FileBytes(ini_)) << int(how);
    }
}

TEST_F(AgendaSettings, FileThatCannotBeWrittenIsReportedAndTheDialogStaysOpen)
{
    // A folder where the file should be: nothing can be read from it or written to it.
    ASSERT_TRUE(CreateDirectoryA(ini_.c_str(), nullptr));
    Driven<CAgendaSettingsDlg> dlg;
    bool stillOpen = false;
    std::string kept;
    dlg.Then([](HWND d) {
           TypeText(d, IDC_NAZEV, "Nový");
           Click(d, IDOK);
       })
        .Then([&](HWND d) {
            stillOpen = IsWindowVisible(d);
            kept = BoxText(d, IDC_NAZEV);
            Click(d, IDCANCEL);
        });
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ("Nový", kept);
    ASSERT_EQ(1u, boxes_.Shown().size());
    EXPECT_EQ("Nastavení se nepodařilo uložit do souboru\n\n" + ini_, boxes_.Shown()[0].text);
    EXPECT_EQ(UINT(MB_OK | MB_ICONEXCLAMATION), boxes_.Shown()[0].flags);
}

TEST_F(AgendaSettings, PortBoxListsThePortsAndTheInstalledQueuesAndSavesTheChosenOne)
{
    TestQueue lx350("Tiskárna Čermák Epson LX-350 u pokladny", "C:\\lx350.prn");
    TestQueue sklad("Sklad", "C:\\sklad.prn");
    files_.WriteIni(ini_, {"[Firma]", "Nazev=Firma", "Port=LPT2:"});
    Driven<CAgendaSettingsDlg> dlg;
    std::vector<std::string> listed;
    std::string shown;
    LRESULT listWidth = 0;
    RECT box{};
    dlg.Then([&](HWND d) {
        const HWND port = GetDlgItem(d, IDC_PORT);
        shown = BoxText(d, IDC_PORT);
        for (LRESULT i = 0; i < SendMessageA(port, CB_GETCOUNT, 0, 0); ++i) {
            char text[260] = {};
            SendMessageA(port, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            listed.push_back(text);
        }
        listWidth = SendMessageA(port, CB_GETDROPPEDWIDTH, 0, 0);
        GetWindowRect(port, &box);
        SendMessageA(port, CB_SHOWDROPDOWN, TRUE, 0);
    })
        .Then([&](HWND d) {
            SaveScreenshot("settings-port-list");
            const HWND port = GetDlgItem(d, IDC_PORT);
            SendMessageA(port, CB_SHOWDROPDOWN, FALSE, 0);
            SendMessageA(port, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(lx350.Name().c_str()));
            Click(d, IDOK);
        });
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ("LPT2:", shown);
    ASSERT_GE(listed.size(), 4u);
    EXPECT_EQ("LPT1:", listed[0]);
    EXPECT_EQ("LPT2:", listed[1]);
    for (const TestQueue* queue : {&lx350, &sklad})
        EXPECT_NE(listed.end(), std::find(listed.begin(), listed.end(), queue->Name())) << queue->Name();
    // The list is wider than the box, for the long name.
    EXPECT_GT(listWidth, box.right - box.left);
    char port[260] = {};
    GetPrivateProfileStringA("Firma", "Port", "", port, sizeof port, ini_.c_str());
    EXPECT_EQ(lx350.Name(), port);
}

// Every label and hint shows its whole text in its place at the dialog's font.
TEST_F(AgendaSettings, EveryLabelFitsItsPlace)
{
    Driven<CAgendaSettingsDlg> dlg;
    int labels = 0;
    std::vector<std::wstring> clipped;
    dlg.Then([&](HWND d) {
        for (HWND label = GetWindow(d, GW_CHILD); label; label = GetWindow(label, GW_HWNDNEXT)) {
            wchar_t kind[16] = {}, text[128] = {};
            GetClassNameW(label, kind, 16);
            if (lstrcmpiW(kind, L"Static") != 0)
                continue;
            GetWindowTextW(label, text, 128);
            HDC dc = GetDC(label);
            const HGDIOBJ font = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
            RECT needed{}, place{};
            DrawTextW(dc, text, -1, &needed, DT_CALCRECT | DT_SINGLELINE);
            SelectObject(dc, font);
            ReleaseDC(label, dc);
            GetClientRect(label, &place);
            ++labels;
            if (needed.right > place.right || needed.bottom > place.bottom)
                clipped.push_back(text);
        }
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_EQ(16, labels);
    EXPECT_TRUE(clipped.empty()) << clipped.size() << " clipped, the first: " << ToCp1250Shown(clipped[0]);
}

}  // namespace
