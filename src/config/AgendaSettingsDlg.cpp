// The settings dialog: reads the ten keys of Quillet.ini when it opens and writes them all
// back on OK, with the same file, section, keys, order and default as AgendaConfig::Load.
#include "config/AgendaSettingsDlg.h"

#include <windows.h>

#include <utility>

#include "config/AgendaConfig.h"
#include "framework/MessageBox.h"
#include "res/resource.h"

namespace {

constexpr char kSection[] = "Firma";
constexpr DWORD kValueSize = 260;

std::string ReadKey(const std::string& path, const char* key, const char* defaultValue)
{
    char value[kValueSize] = {};
    GetPrivateProfileStringA(kSection, key, defaultValue, value, kValueSize, path.c_str());
    return value;
}

}  // namespace

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
    const std::string path = QuilletIniPath();
    Nazev = ReadKey(path, "Nazev", "");
    Ulice = ReadKey(path, "Ulice", "");
    Mesto = ReadKey(path, "Mesto", "");
    PSC = ReadKey(path, "PSC", "");
    Tel = ReadKey(path, "Tel", "");
    Fax = ReadKey(path, "Fax", "");
    ICO = ReadKey(path, "ICO", "");
    DIC = ReadKey(path, "DIC", "");
    RegCislo = ReadKey(path, "RegCislo", "");
    Port = ReadKey(path, "Port", "LPT1:");
    UpdateData(false);
    return TRUE;
}

void CAgendaSettingsDlg::OnOK()
{
    UpdateData(true);  // any text is accepted, empty text too
    const std::string path = QuilletIniPath();
    const std::pair<const char*, const std::string*> keys[] = {
        {"Nazev", &Nazev}, {"Ulice", &Ulice}, {"Mesto", &Mesto}, {"PSC", &PSC},
        {"Tel", &Tel},     {"Fax", &Fax},     {"ICO", &ICO},     {"DIC", &DIC},
        {"RegCislo", &RegCislo}, {"Port", &Port},
    };
    for (const auto& [key, value] : keys) {
        // An empty value is written as an empty key, not removed.
        if (!WritePrivateProfileStringA(kSection, key, value->c_str(), path.c_str())) {
            ShowMessageBox("Nastavení se nepodařilo uložit do souboru\n\n" + path, MB_OK | MB_ICONEXCLAMATION);
            return;
        }
    }
    CDialog::OnOK();
}
