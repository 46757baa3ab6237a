// CAgendaSettingsDlg: the dialog in which the user edits the settings of section "Firma"
// of Quillet.ini that have a control in it (kFirmaKeys): the seller's header data, the
// printer, the print mode and the copies.
#pragma once

#include <iterator>
#include <string>

#include "config/FirmaKeys.h"
#include "framework/Dialog.h"

class CAgendaSettingsDlg : public CDialog {
public:
    explicit CAgendaSettingsDlg(HWND parent = nullptr);
    ~CAgendaSettingsDlg() override;

protected:
    // Each key with a control into it, or back: texts as they are, numbers as typed, a
    // choice as its list's selection.
    void DoDataExchange(bool save) override;
    // Reads Quillet.ini into the controls; the port box lists LPT1:, LPT2: and the
    // installed printer queues.
    BOOL OnInitDialog() override;
    // Writes every key the dialog shows, empty ones too, in the list's order, and ends
    // with OK; a number out of its range, or a file that cannot be written, is reported
    // and the dialog stays open so that nothing typed is lost.
    void OnOK() override;

private:
    FirmaSettings settings_;
    std::string typed_[std::size(kFirmaKeys)];  // the number keys' texts as typed
};
