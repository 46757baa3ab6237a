// The settings dialog: reads the ten keys of Quillet.ini when it opens and writes them all
// back on OK, with the same file, section, keys, order and default as AgendaConfig::Load.
#include "config/AgendaSettingsDlg.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "config/AgendaConfig.h"
#include "config/FirmaKeys.h"
#include "framework/MessageBox.h"
#include "printer/PrinterPort.h"
#include "res/resource.h"

CAgendaSettingsDlg::CAgendaSettingsDlg(HWND parent) : CDialog(IDD_AGENDA_SETTINGS, parent) {}

CAgendaSettingsDlg::~CAgendaSettingsDlg() = default;

void CAgendaSettingsDlg::DoDataExchange(bool save)
{
    CDialog::DoDataExchange(save);
    DdxText(save, IDC_NAZEV, Nazev);
    DdxText(save, IDC_ULICE, Ulice);
    DdxText(save, IDC_MESTO, Mesto);
    DdxText(save, IDC_PSC, PSC);
    DdxText(save, IDC_TEL, Tel);
    DdxText(save, IDC_FAX, Fax);
    DdxText(save, IDC_ICO, ICO);
    DdxText(save, IDC_DIC, DIC);
    DdxText(save, IDC_REGCISLO, RegCislo);
    DdxText(save, IDC_PORT, Port);
}

namespace {

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
        SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.c_str()));
        SIZE size{};
        GetTextExtentPoint32A(dc, choice.c_str(), static_cast<int>(choice.size()), &size);
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
    ReadFirma(QuilletIniPath(), *this);
    UpdateData(false);
    return TRUE;
}

void CAgendaSettingsDlg::OnOK()
{
    if (!UpdateData(true))  // any text 1250 can hold is accepted, empty text too
        return;
    const std::string path = QuilletIniPath();
    if (!WriteFirma(path, *this)) {
        ShowMessageBox("Nastavení se nepodařilo uložit do souboru\n\n" + path, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CDialog::OnOK();
}
