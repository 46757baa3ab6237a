// The document picker: fills its list from the document table, newest first, and hands
// back the id of the row chosen.
#include "print/DocPickerDlg.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <utility>

#include "documents/FieldValues.h"
#include "framework/Dpi.h"
#include "framework/DrawTransparent.h"
#include "framework/Gdi.h"
#include "framework/MessageBox.h"
#include "framework/WideText.h"
#include "host/HostTable.h"
#include "print/DataError.h"
#include "print/DocPreviewDlg.h"
#include "res/resource.h"

bool DocPickerTaxDocuments = false;
bool DocPickerLast50 = true;

namespace {

constexpr long kLastRecords = 50;
constexpr int kNumberColumnWidth = 100;  // pixels at 96 dpi; the customer's column takes the rest
constexpr int kCustomerColumn = 1;
constexpr int kPrintedColumn = 2;
constexpr int kColumnMargin = 12;  // pixels at 96 dpi around a column's text, as the list keeps it
// The widest a print time is shown, for the width of its column.
const wchar_t kWidestPrintTime[] = L"00.00.0000 00:00";
constexpr POINT kLogoAt = {10, 5};       // pixels at 96 dpi
constexpr COLORREF kLogoBackground = RGB(0, 128, 128);
// Posted once Windows has scaled the dialog to a monitor of another resolution.
constexpr UINT kSizeColumnsMessage = WM_APP + 1;

// The field's date, where it holds one. Only a bound for reading the journal: a table
// without the field lists its documents all the same.
bool FieldDate(HostTable& table, const char* name, DATE& date)
{
    try {
        OleVariant value = table.FieldValue(name);
        OleVariant converted;
        if (FAILED(VariantChangeType(converted.Put(), &value.Get(), 0, VT_DATE)))
            return false;
        date = converted.Get().date;
        return true;
    } catch (const HostError&) {
        return false;
    }
}

// The "Typ" of the documents listed now.
const char* ListedKind()
{
    return DocPickerTaxDocuments ? "P" : "D";
}

std::wstring PrintTimeText(const SYSTEMTIME& time)
{
    wchar_t text[32];
    std::swprintf(text, 32, L"%02u.%02u.%04u %02u:%02u", time.wDay, time.wMonth, time.wYear, time.wHour,
                  time.wMinute);
    return text;
}

}  // namespace

CDocPickerDlg::CDocPickerDlg(std::string tablePath, HWND parent)
    : CDialog(IDD_DOC_PICKER, parent), tablePath_(std::move(tablePath))
{
}

CDocPickerDlg::~CDocPickerDlg() = default;

void CDocPickerDlg::DoDataExchange(bool save)
{
    CDialog::DoDataExchange(save);
    DdxControl(save, {{IDC_LAST_50, &last50_}, {IDC_DOC_LIST, &list_}, {IDC_PRODEJKY, &taxDocuments_},
                      {IDC_DODACI_LISTY, &deliveryNotes_}});
}

BOOL CDocPickerDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    ListView_SetExtendedListViewStyleEx(list_, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    const char* headings[] = {"Číslo dokumentu", "Zákazník", "Vytištěno"};
    for (int i = 0; i < 3; ++i) {
        std::wstring heading = ToWide(headings[i]);
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_TEXT;
        column.fmt = LVCFMT_LEFT;
        column.pszText = heading.data();
        SendMessageW(list_, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }

    Button_SetCheck(taxDocuments_, DocPickerTaxDocuments ? BST_CHECKED : BST_UNCHECKED);
    Button_SetCheck(deliveryNotes_, DocPickerTaxDocuments ? BST_UNCHECKED : BST_CHECKED);
    Button_SetCheck(last50_, DocPickerLast50 ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(IDC_PREVIEW), preview_ != nullptr);

    Fill();
    return FALSE;  // the fill has put the focus on the list
}

void CDocPickerDlg::Fill()
{
    DocPickerTaxDocuments = Button_GetCheck(taxDocuments_) == BST_CHECKED;
    DocPickerLast50 = Button_GetCheck(last50_) == BST_CHECKED;

    const HCURSOR previousCursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list_);

    DATE oldest = 0;
    try {
        HostTable table = CreateHostTable();
        table.OpenRequiredTable(tablePath_);
        table.SetIndex("CDokladu");
        const long count = table.RecordCount();
        if (count > 0) {
            table.MoveLast();
            // The limit counts records visited, not rows listed.
            const long toVisit = DocPickerLast50 ? std::min(count, kLastRecords) : count;
            const char* wanted = ListedKind();
            for (long i = 0; i < toVisit; ++i) {
                if (FieldString(table, "Typ") == wanted) {
                    // The list shows the host's texts as the host gave them.
                    std::wstring number = FieldShownText(table, "CisloDokla");
                    const long id = FieldInteger(table, "CDokladu");
                    LVITEMW item{};
                    item.mask = LVIF_TEXT | LVIF_PARAM;
                    item.iItem = ListView_GetItemCount(list_);
                    item.pszText = number.data();
                    item.lParam = id;
                    const int row = static_cast<int>(
                        SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
                    std::wstring customer = FieldShownText(table, "A_Nazev");
                    LVITEMW sub{};
                    sub.iSubItem = kCustomerColumn;
                    sub.pszText = customer.data();
                    SendMessageW(list_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&sub));
                    DATE date = 0;
                    if (FieldDate(table, "Datum", date) && date > 0 && (oldest == 0 || date < oldest))
                        oldest = date;
                }
                table.MovePrev();
            }
        }
        if (ListView_GetItemCount(list_) > 0) {
            ListView_EnsureVisible(list_, 0, FALSE);
            ListView_SetItemState(list_, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        }
    } catch (const HostError& error) {
        // The rows listed before the failure stay, and the user may still choose one.
        SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
        ShowDataError(error);
    }
    // A document is printed on its date or later (one dated ahead, from now on): the journal
    // is read back to the oldest date listed, or a year where none is.
    SYSTEMTIME since{}, dated{};
    GetLocalTime(&since);
    if (oldest > 0 && VariantTimeToSystemTime(oldest, &dated)) {
        if (dated.wYear * 100 + dated.wMonth < since.wYear * 100 + since.wMonth)
            since = dated;
    } else {
        --since.wYear;
    }
    ShowPrinted(since);

    SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
    SetFocus(GetSafeHwnd());
    SizeColumns();
    SetFocus(list_);
    SetCursor(previousCursor);
}

void CDocPickerDlg::ShowPrinted(const SYSTEMTIME& since)
{
    if (!printed_)
        return;
    std::vector<long> rows(static_cast<size_t>(ListView_GetItemCount(list_)));
    for (size_t row = 0; row < rows.size(); ++row)
        rows[row] = DocIdAt(static_cast<int>(row));
    const std::map<long, SYSTEMTIME> times =
        printed_(ListedKind(), std::set<long>(rows.begin(), rows.end()), since);
    for (size_t row = 0; row < rows.size(); ++row) {
        const auto time = times.find(rows[row]);
        if (time == times.end())
            continue;
        std::wstring text = PrintTimeText(time->second);
        LVITEMW sub{};
        sub.iSubItem = kPrintedColumn;
        sub.pszText = text.data();
        SendMessageW(list_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&sub));
    }
}

void CDocPickerDlg::SizeColumns()
{
    const unsigned dpi = WindowDpi(list_);
    const int number = ScaledForDpi(kNumberColumnWidth, dpi);
    ListView_SetColumnWidth(list_, 0, number);
    const auto textWidth = [this](const std::wstring& text) {
        return static_cast<int>(SendMessageW(list_, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str())));
    };
    const int printed = std::max(textWidth(kWidestPrintTime), textWidth(ToWide("Vytištěno"))) +
                        ScaledForDpi(kColumnMargin, dpi);
    ListView_SetColumnWidth(list_, kPrintedColumn, printed);
    RECT client{};
    GetClientRect(list_, &client);  // without a vertical scroll bar
    SendMessageA(list_, LVM_SETCOLUMNWIDTH, kCustomerColumn,
                 MAKELPARAM(LOWORD(std::max(0L, client.right - number - printed)), 0));
}

long CDocPickerDlg::DocIdAt(int row) const
{
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendMessageW(list_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return static_cast<long>(item.lParam);
}

bool CDocPickerDlg::SelectedRow(long& docId, std::wstring& number)
{
    const int row = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    if (row < 0 || row >= ListView_GetItemCount(list_)) {
        ShowMessageBox("Není vybrán žádný dokument", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    wchar_t text[256] = {};
    LVITEMW item{};
    item.mask = LVIF_PARAM | LVIF_TEXT;
    item.iItem = row;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(std::size(text));
    SendMessageW(list_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    docId = static_cast<long>(item.lParam);
    number = text;
    return true;
}

void CDocPickerDlg::OnOK()
{
    long docId = 0;
    std::wstring number;
    if (!SelectedRow(docId, number))
        return;
    selectedDocIds_.clear();
    for (int row = -1; (row = ListView_GetNextItem(list_, row, LVNI_SELECTED)) >= 0;)
        selectedDocIds_.push_back(DocIdAt(row));
    CDialog::OnOK();
}

void CDocPickerDlg::Preview()
{
    long docId = 0;
    std::wstring number;
    DocumentJob job;
    if (!preview_ || !SelectedRow(docId, number) || !preview_(docId, job))
        return;
    CDocPreviewDlg preview(job.bytes, number, GetSafeHwnd(), drawnQueue_);
    if (preview.Show() == IDOK) {
        selectedDocIds_ = {docId};
        shown_ = std::move(job);
        CDialog::OnOK();
    }
}

bool CDocPickerDlg::OnCommand(int id, int notifyCode, HWND)
{
    if (notifyCode == BN_CLICKED && (id == IDC_PRODEJKY || id == IDC_DODACI_LISTY || id == IDC_LAST_50)) {
        Fill();
        return true;
    }
    if (notifyCode == BN_CLICKED && id == IDC_PREVIEW) {
        Preview();
        return true;
    }
    return false;
}

bool CDocPickerDlg::OnNotify(int id, NMHDR* header, LRESULT& result)
{
    if (id != IDC_DOC_LIST || header->code != NM_DBLCLK)
        return false;
    const auto* activate = reinterpret_cast<const NMITEMACTIVATE*>(header);
    if (activate->iItem >= 0 && activate->iItem < ListView_GetItemCount(list_))
        OnOK();
    result = 0;
    return true;
}

bool CDocPickerDlg::OnPaint()
{
    PaintDC paint(GetSafeHwnd());
    Bitmap logo(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_LOGO)));
    const unsigned dpi = WindowDpi(GetSafeHwnd());
    // The logo is part of the program; without it the dialog just has none. It keeps its
    // own pixels at any resolution, so that it stays sharp.
    if (logo)
        DrawTransparent(logo.Get(), paint.Get(), ScaledForDpi(kLogoAt.x, dpi), ScaledForDpi(kLogoAt.y, dpi),
                        kLogoBackground);
    return true;
}

bool CDocPickerDlg::OnMessage(UINT message, WPARAM, LPARAM, LRESULT&)
{
    // Windows scales the dialog and its controls itself; the list's columns follow.
    if (message == WM_DPICHANGED)
        PostMessageW(GetSafeHwnd(), kSizeColumnsMessage, 0, 0);
    if (message != kSizeColumnsMessage)
        return false;
    SizeColumns();
    return true;
}
