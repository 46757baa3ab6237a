// CDocPickerDlg: the list of the newest documents of one kind ("Prodejky" or "Dodací
// listy") from the host's document table, from which the user picks one to print.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>

#include "framework/Dialog.h"
#include "print/PrintJob.h"

// The picker's two choices, remembered while the process runs (never stored):
// "Prodejky" chosen (else "Dodací listy"), and "Zobraz posledních 50" checked.
extern bool DocPickerTaxDocuments;  // false at start
extern bool DocPickerLast50;        // true at start

// Lays out the document whose "CDokladu" is docId into job, exactly as printing it would
// send it; false, after telling the user why, when there is no document to show.
using DocumentPreviewer = std::function<bool(long docId, DocumentJob& job)>;

class CDocPickerDlg : public CDialog {
public:
    // tablePath: the document table, the year's folder (ending in its backslash) and "SkSezDok".
    explicit CDocPickerDlg(std::string tablePath, HWND parent = nullptr);
    ~CDocPickerDlg() override;

    // "CDokladu" of the row chosen with OK; -1 until then.
    long SelectedDocId() const { return selectedDocId_; }

    // "Náhled" shows the chosen row's document through preview; "Tisk" in the preview
    // then chooses that row as "Tisk" here does, and keeps the document it showed, which
    // is the one to print. Without a previewer the button is disabled.
    void SetPreviewer(DocumentPreviewer preview) { preview_ = std::move(preview); }
    // The printer queue documents are drawn on, when they are: the preview then shows its
    // sheets as they will be drawn.
    void SetDrawnQueue(std::string queue) { drawnQueue_ = std::move(queue); }
    // The document the preview showed when its "Tisk" chose the row; null otherwise.
    const DocumentJob* ShownDocument() const { return shown_.bytes.empty() ? nullptr : &shown_; }

protected:
    void DoDataExchange(bool save) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(int id, int notifyCode, HWND control) override;
    bool OnNotify(int id, NMHDR* header, LRESULT& result) override;
    bool OnPaint() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // Lists the documents again for the current choices.
    void Fill();
    // The selected row's "CDokladu" and number; false, after telling the user, when
    // no row is selected.
    bool SelectedRow(long& docId, std::wstring& number);
    void Preview();

private:
    // The number's column as wide as the screen's resolution asks, the customer's the rest.
    void SizeColumns();

    std::string tablePath_;
    HWND last50_ = nullptr;
    HWND list_ = nullptr;
    HWND taxDocuments_ = nullptr;
    HWND deliveryNotes_ = nullptr;
    long selectedDocId_ = -1;
    DocumentPreviewer preview_;
    std::string drawnQueue_;
    DocumentJob shown_;
};
