// CAgendaSettingsDlg: the dialog in which the user edits the seller's header data and the
// printer port, the ten keys of section "Firma" of Quillet.ini.
#pragma once

#include <string>

#include "framework/Dialog.h"
#include "printer/PrintRoute.h"

class CAgendaSettingsDlg : public CDialog {
public:
    explicit CAgendaSettingsDlg(HWND parent = nullptr);
    ~CAgendaSettingsDlg() override;

    // The values of the keys of the same names, code page 1250.
    std::string Nazev, Ulice, Mesto, PSC, Tel, Fax, ICO, DIC, RegCislo, Port;
    // How documents go to the printer, and the copies of each as typed.
    PrintRezim Rezim = PrintRezim::Auto;
    std::string KopieDanovyDoklad, KopieDodaciList;

protected:
    void DoDataExchange(bool save) override;
    // Reads Quillet.ini into the boxes; the port box lists LPT1:, LPT2: and the installed
    // printer queues.
    BOOL OnInitDialog() override;
    // Writes all ten keys, empty ones too, then the print mode and the copies, and ends
    // with OK; copies other than 1 to 9, or a file that cannot be written, are reported
    // and the dialog stays open so that nothing typed is lost.
    void OnOK() override;
};
