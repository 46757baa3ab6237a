// CDocPickerDlg: the list of the newest documents of one kind ("Prodejky" or "Dodací
// listy") from the host's document table, from which the user picks one to print.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Dialog.h"

// The picker's two choices, remembered while the process runs (never stored):
// "Prodejky" chosen (else "Dodací listy"), and "Zobraz posledních 50" checked.
extern int DocPickerTaxDocuments;  // 0 at start
extern int DocPickerLast50;        // 1 at start

class CDocPickerDlg : public CDialog {
public:
    // tablePath: the document table, the year's folder followed by "\SkSezDok".
    explicit CDocPickerDlg(std::string tablePath, HWND parent = nullptr);
    ~CDocPickerDlg() override;

    // "CDokladu" of the row chosen with OK; -1 until then.
    long SelectedDocId() const { return selectedDocId_; }

protected:
    void DoDataExchange(bool save) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(int id, int notifyCode, HWND control) override;
    bool OnNotify(int id, NMHDR* header, LRESULT& result) override;
    bool OnPaint() override;

    // Lists the documents again for the current choices.
    void Fill();

private:
    std::string tablePath_;
    HWND last50_ = nullptr;
    HWND list_ = nullptr;
    HWND taxDocuments_ = nullptr;
    HWND deliveryNotes_ = nullptr;
    long selectedDocId_ = -1;
};
