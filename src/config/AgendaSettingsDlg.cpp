// The settings dialog: reads the ten keys of Quillet.ini when it opens and writes them all
// back on OK, with the same file, section, keys, order and default as AgendaConfig::Load.
#include "config/AgendaSettingsDlg.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "config/AgendaConfig.h"
#include "config/FirmaKeys.h"
#include "framework/MessageBox.h"
#include "framework/WideText.h"
#include "printer/PrinterPort.h"
#include "res/resource.h"

CAgendaSettingsDlg::CAgendaSettingsDlg(HWND parent) : CDialog(IDD_AGENDA_SETTINGS, parent) {}

CAgendaSettingsDlg::~CAgendaSettingsDlg() = default;

void CAgendaSettingsDlg::DoDataExchange(bool save)
{
    CDialog::DoDataExchange(save);
    DdxText(save, {{IDC_NAZEV, &Nazev}, {IDC_ULICE, &Ulice}, {IDC_MESTO, &Mesto}, {IDC_PSC, &PSC}, {IDC_TEL, &Tel},
                   {IDC_FAX, &Fax}, {IDC_ICO, &ICO}, {IDC_DIC, &DIC}, {IDC_REGCISLO, &RegCislo}, {IDC_PORT, &Port},
                   {IDC_KOPIE_DANOVY_DOKLAD, &KopieDanovyDoklad}, {IDC_KOPIE_DODACI_LIST, &KopieDodaciList}});
    const HWND rezim = GetDlgItem(IDC_REZIM);
    if (save)
        Rezim = static_cast<PrintRezim>(std::max<LRESULT>(0, SendMessageA(rezim, CB_GETCURSEL, 0, 0)));
    else
        SendMessageA(rezim, CB_SETCURSEL, static_cast<WPARAM>(Rezim), 0);
}

namespace {

// The print modes in the order of PrintRezim.
const char* const kRezimChoices[] = {"Automaticky", "Jehličková tiskárna (ESC/P)", "Grafický tisk"};

// The choices of the port box; its list is made wide enough for the longest of them.
void FillPortList(HWND box)
{
    std::vector<std::string> choices = {"LPT1:", "LPT2:"};
    for (std::string& queue : InstalledPrinterQueues())
        choices.push_back(std::move(queue));
    HDC dc = GetDC(box);
    const HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(box, WM_GETFONT, 0, 0)));
    LONG widest = 0;
    for (const std::string& choice : choices) {
        const std::wstring wide = ToWide(choice);
        SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
        SIZE size{};
        GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
        widest = std::max(widest, size.cx);
    }
    SelectObject(dc, oldFont);
    ReleaseDC(box, dc);
    // Room for the text's margins and the list's scroll bar.
    const LONG width = widest + 4 * GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXVSCROLL);
    RECT rect{};
    GetWindowRect(box, &rect);
    if (width > rect.right - rect.left)
        SendMessageA(box, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(width), 0);
}

}  // namespace

BOOL CAgendaSettingsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    FillPortList(GetDlgItem(IDC_PORT));
    for (const char* choice : kRezimChoices)
        SendMessageW(GetDlgItem(IDC_REZIM), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(choice).c_str()));
    const std::string path = QuilletIniPath();
    ReadFirma(path, *this);
    Rezim = ReadRezim(path);
    KopieDanovyDoklad = std::to_string(ReadCopies(path, "KopieDanovyDoklad"));
    KopieDodaciList = std::to_string(ReadCopies(path, "KopieDodaciList"));
    UpdateData(false);
    return TRUE;
}

void CAgendaSettingsDlg::OnOK()
{
    if (!UpdateData(true))  // any text 1250 can hold is accepted, empty text too
        return;
    for (int box : {IDC_KOPIE_DANOVY_DOKLAD, IDC_KOPIE_DODACI_LIST}) {
        if (!ParseCopies(box == IDC_KOPIE_DANOVY_DOKLAD ? KopieDanovyDoklad : KopieDodaciList)) {
            ShowMessageBox("Počet kopií musí být číslo od 1 do 9.", MB_OK | MB_ICONEXCLAMATION);
            SetFocus(GetDlgItem(box));
            return;
        }
    }
    const std::string path = QuilletIniPath();
    if (!WriteFirma(path, *this) ||
        !WritePrintKeys(path, Rezim, ParseCopies(KopieDanovyDoklad), ParseCopies(KopieDodaciList))) {
        ShowMessageBox("Nastavení se nepodařilo uložit do souboru\n\n" + path, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CDialog::OnOK();
}
