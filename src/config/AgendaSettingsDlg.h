// CAgendaSettingsDlg: the dialog in which the user edits the seller's header data and the
// printer port, the ten keys of section "Firma" of Quillet.ini.
#pragma once

#include <string>

#include "framework/Dialog.h"

class CAgendaSettingsDlg : public CDialog {
public:
    explicit CAgendaSettingsDlg(HWND parent = nullptr);
    ~CAgendaSettingsDlg() override;

    // The values of the keys of the same names, code page 1250.
    std::string Nazev, Ulice, Mesto, PSC, Tel, Fax, ICO, DIC, RegCislo, Port;

protected:
    void DoDataExchange(bool save) override;
    // Reads Quillet.ini into the boxes; the port box lists LPT1:, LPT2: and the installed
    // printer queues.
    BOOL OnInitDialog() override;
    // Writes all ten keys, empty ones too, and ends with OK; when the file cannot be
    // written, says so and stays open so that nothing typed is lost.
    void OnOK() override;
};
