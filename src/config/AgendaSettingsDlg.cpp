// The settings dialog: reads the ten keys of Quillet.ini when it opens and writes them all
// back on OK, with the same file, section, keys, order and default as AgendaConfig::Load.
#include "config/AgendaSettingsDlg.h"

#include <windows.h>

#include "config/AgendaConfig.h"
#include "config/FirmaKeys.h"
#include "framework/MessageBox.h"
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

BOOL CAgendaSettingsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    ReadFirma(QuilletIniPath(), *this);
    UpdateData(false);
    return TRUE;
}

void CAgendaSettingsDlg::OnOK()
{
    UpdateData(true);  // any text is accepted, empty text too
    const std::string path = QuilletIniPath();
    if (!WriteFirma(path, *this)) {
        ShowMessageBox("Nastavení se nepodařilo uložit do souboru\n\n" + path, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CDialog::OnOK();
}
