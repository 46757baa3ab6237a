// The document picker: fills its list from the document table, newest first, and hands
// back the id of the row chosen.
#include "print/DocPickerDlg.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "framework/DrawTransparent.h"
#include "documents/FieldValues.h"
#include "framework/Gdi.h"
#include "framework/MessageBox.h"
#include "host/HostTable.h"
#include "print/DocPreviewDlg.h"
#include "res/resource.h"

int DocPickerTaxDocuments = 0;
int DocPickerLast50 = 1;

namespace {

constexpr long kLastRecords = 50;
constexpr COLORREF kLogoBackground = RGB(0, 128, 128);

}  // namespace

CDocPickerDlg::CDocPickerDlg(std::string tablePath, HWND parent)
    : CDialog(IDD_DOC_PICKER, parent), tablePath_(std::move(tablePath))
{
}

CDocPickerDlg::~CDocPickerDlg() = default;

void CDocPickerDlg::DoDataExchange(bool save)
{
    CDialog::DoDataExchange(save);
    DdxControl(save, IDC_LAST_50, last50_);
    DdxControl(save, IDC_DOC_LIST, list_);
    DdxControl(save, IDC_PRODEJKY, taxDocuments_);
    DdxControl(save, IDC_DODACI_LISTY, deliveryNotes_);
}

BOOL CDocPickerDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    ListView_SetExtendedListViewStyleEx(list_, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    const char* headings[] = {"Číslo dokumentu", "Zákazník"};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_FMT | LVCF_TEXT;
        column.fmt = LVCFMT_LEFT;
        column.pszText = const_cast<char*>(headings[i]);
        SendMessageA(list_, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
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
    DocPickerTaxDocuments = static_cast<int>(Button_GetCheck(taxDocuments_));
    DocPickerLast50 = static_cast<int>(Button_GetCheck(last50_));

    const HCURSOR previousCursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list_);

    try {
        HostTable table = CreateHostTable();
        table.OpenRequiredTable(tablePath_);
        table.SetIndex("CDokladu");
        const long count = table.RecordCount();
        if (count > 0) {
            table.MoveLast();
            // The limit counts records visited, not rows listed.
            const long toVisit = DocPickerLast50 ? std::min(count, kLastRecords) : count;
            const char* wanted = DocPickerTaxDocuments ? "P" : "D";
            for (long i = 0; i < toVisit; ++i) {
                if (FieldString(table, "Typ") == wanted) {
                    // The list shows the texts in the system's code page, as every window does.
                    std::string number = FieldString(table, "CisloDokla", CP_ACP);
                    const long id = FieldInteger(table, "CDokladu");
                    LVITEMA item{};
                    item.mask = LVIF_TEXT | LVIF_PARAM;
                    item.iItem = ListView_GetItemCount(list_);
                    item.pszText = &number[0];
                    item.lParam = id;
                    const int row = static_cast<int>(
                        SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
                    std::string customer = FieldText(table, "A_Nazev", CP_ACP);
                    LVITEMA sub{};
                    sub.iSubItem = 1;
                    sub.pszText = &customer[0];
                    SendMessageA(list_, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&sub));
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
        ShowMessageBox("Nastala chyba při přístupu k datům\n\n:" + error.Text());
    }

    SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
    SetFocus(GetSafeHwnd());
    ListView_SetColumnWidth(list_, 0, 100);
    RECT client{};
    GetClientRect(list_, &client);  // without a vertical scroll bar
    SendMessageA(list_, LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(LOWORD(client.right - 100), 0));
    SetFocus(list_);
    SetCursor(previousCursor);
}

bool CDocPickerDlg::SelectedRow(long& docId, std::string& number)
{
    const int row = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    if (row < 0 || row >= ListView_GetItemCount(list_)) {
        ShowMessageBox("Není vybrán žádný dokument", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    char text[256] = {};
    LVITEMA item{};
    item.mask = LVIF_PARAM | LVIF_TEXT;
    item.iItem = row;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    docId = static_cast<long>(item.lParam);
    number = text;
    return true;
}

void CDocPickerDlg::OnOK()
{
    long docId = 0;
    std::string number;
    if (!SelectedRow(docId, number))
        return;
    selectedDocId_ = docId;
    CDialog::OnOK();
}

void CDocPickerDlg::Preview()
{
    long docId = 0;
    std::string number, bytes;
    if (!preview_ || !SelectedRow(docId, number) || !preview_(docId, bytes))
        return;
    CDocPreviewDlg preview(std::move(bytes), number, GetSafeHwnd());
    if (preview.DoModal() == IDOK) {
        selectedDocId_ = docId;
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
    if (logo)  // the logo is part of the program; without it the dialog just has none
        DrawTransparent(logo.Get(), paint.Get(), 10, 5, kLogoBackground);
    return true;
}
