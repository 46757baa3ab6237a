// The settings dialog: reads the keys of Quillet.ini when it opens and writes back on OK
// every key it shows, through the same list as AgendaConfig::Load (kFirmaKeys).
#include "config/AgendaSettingsDlg.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "config/AgendaConfig.h"
#include "framework/MessageBox.h"
#include "framework/WideText.h"
#include "printer/PrinterPort.h"
#include "res/resource.h"

CAgendaSettingsDlg::CAgendaSettingsDlg(HWND parent) : CDialog(IDD_AGENDA_SETTINGS, parent) {}

CAgendaSettingsDlg::~CAgendaSettingsDlg() = default;

void CAgendaSettingsDlg::DoDataExchange(bool save)
{
    CDialog::DoDataExchange(save);
    for (size_t i = 0; i < std::size(kFirmaKeys); ++i) {
        const FirmaKey& key = kFirmaKeys[i];
        if (!key.control)
            continue;
        switch (key.type) {
        case FirmaType::Text:
        case FirmaType::WholeText:
            DdxText(save, key.control, settings_.*key.text);
            break;
        case FirmaType::Number:
        case FirmaType::Digit:
            // Kept as typed until OK checks it.
            if (!save)
                typed_[i] = std::to_string(settings_.*key.number);
            DdxText(save, key.control, typed_[i]);
            break;
        case FirmaType::Choice: {
            const HWND box = GetDlgItem(key.control);
            if (save)
                settings_.*key.choice =
                    static_cast<PrintRezim>(std::max<LRESULT>(0, SendMessageA(box, CB_GETCURSEL, 0, 0)));
            else
                SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(settings_.*key.choice), 0);
            break;
        }
        case FirmaType::Check: {
            int checked = settings_.*key.flag;
            DdxCheck(save, key.control, checked);
            settings_.*key.flag = checked != 0;
            break;
        }
        }
    }
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
    for (const FirmaKey& key : kFirmaKeys) {
        for (int i = 0; key.control && i < key.choiceCount; ++i)
            SendMessageW(GetDlgItem(key.control), CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(ToWide(key.choices[i].shown).c_str()));
    }
    ReadFirmaSettings(QuilletIniPath(), settings_);
    UpdateData(false);
    return TRUE;
}

void CAgendaSettingsDlg::OnOK()
{
    if (!UpdateData(true))  // any text 1250 can hold is accepted, empty text too
        return;
    for (size_t i = 0; i < std::size(kFirmaKeys); ++i) {
        const FirmaKey& key = kFirmaKeys[i];
        if (!key.control || !key.number)
            continue;
        if (!ParseFirmaNumber(key, typed_[i], settings_.*key.number)) {
            ShowMessageBox(FirmaNumberRefusal(key), MB_OK | MB_ICONEXCLAMATION);
            SetFocus(GetDlgItem(key.control));
            return;
        }
    }
    const std::string path = QuilletIniPath();
    if (!WriteFirmaSettings(path, settings_)) {
        ShowMessageBox("Nastavení se nepodařilo uložit do souboru\n\n" + path, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CDialog::OnOK();
}
