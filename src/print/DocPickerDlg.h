// CDocPickerDlg: the list of the newest documents of one kind ("Prodejky" or "Dodací
// listy") from the host's document table, with when each was last printed, from which
// the user picks one or several to print.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "framework/Dialog.h"
#include "print/PrintJob.h"

// The picker's two choices, remembered while the process runs (never stored):
// "Prodejky" chosen (else "Dodací listy"), and "Zobraz posledních 50" checked.
extern bool DocPickerTaxDocuments;  // false at start
extern bool DocPickerLast50;        // true at start

// Lays out the document whose "CDokladu" is docId into job, exactly as printing it would
// send it; false, after telling the user why, when there is no document to show.
using DocumentPreviewer = std::function<bool(long docId, DocumentJob& job)>;

// The time of the last successful print of each of ids, documents of kind ("P" or "D"),
// looked for back to since; ids never printed are left out.
using PrintedLookup =
    std::function<std::map<long, SYSTEMTIME>(const char* kind, const std::set<long>& ids, const SYSTEMTIME& since)>;

class CDocPickerDlg : public CDialog {
public:
    // tablePath: the document table, the year's folder (ending in its backslash) and "SkSezDok".
    explicit CDocPickerDlg(std::string tablePath, HWND parent = nullptr);
    ~CDocPickerDlg() override;

    // "CDokladu" of the row chosen with OK, the first of them when several were; -1 until then.
    long SelectedDocId() const { return selectedDocIds_.empty() ? -1 : selectedDocIds_.front(); }
    // "CDokladu" of every row chosen with OK, in the list's order.
    const std::vector<long>& SelectedDocIds() const { return selectedDocIds_; }

    // "Náhled" shows the chosen row's document through preview; "Tisk" in the preview
    // then chooses that row as "Tisk" here does, and keeps the document it showed, which
    // is the one to print. Without a previewer the button is disabled.
    void SetPreviewer(DocumentPreviewer preview) { preview_ = std::move(preview); }
    // The printer queue documents are drawn on, when they are: the preview then shows its
    // sheets as they will be drawn.
    void SetDrawnQueue(std::string queue) { drawnQueue_ = std::move(queue); }
    // Column "Vytištěno" shows when each document was last printed, as lookup says; empty
    // without one.
    void SetPrintedLookup(PrintedLookup lookup) { printed_ = std::move(lookup); }
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
    // The "CDokladu" of a row.
    long DocIdAt(int row) const;
    // The first selected row's "CDokladu" and number; false, after telling the user, when
    // no row is selected.
    bool SelectedRow(long& docId, std::wstring& number);
    // Fills column "Vytištěno" of the rows listed; since: the oldest date among them.
    void ShowPrinted(const SYSTEMTIME& since);
    void Preview();

private:
    // The number's column as wide as the screen's resolution asks, the print time's as its
    // text, the customer's the rest.
    void SizeColumns();

    std::string tablePath_;
    HWND last50_ = nullptr;
    HWND list_ = nullptr;
    HWND taxDocuments_ = nullptr;
    HWND deliveryNotes_ = nullptr;
    std::vector<long> selectedDocIds_;
    DocumentPreviewer preview_;
    PrintedLookup printed_;
    std::string drawnQueue_;
    DocumentJob shown_;
};
