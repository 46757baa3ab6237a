// The document picker as a real dialog on document tables read through the registered
// host component: which rows it lists and in what order, the 50-record limit, the
// remembered choices, the choice itself, failures of the host, and the logo.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "DbfWriter.h"
#include "host/HostTable.h"
#include "print/DocPickerDlg.h"
#include "res/resource.h"
#include "support/DialogDriver.h"
#include "support/MessageBoxRecorder.h"
#include "support/Screenshot.h"

namespace {

// Read before any test changes them.
const bool kStartTaxDocuments = DocPickerTaxDocuments;
const bool kStartLast50 = DocPickerLast50;

struct Doc {
    long id;
    const char* kind;
    std::string number;
    std::string customer;
};

// A folder with a document table in it, removed at the end.
class DocumentTable {
public:
    explicit DocumentTable(const std::vector<Doc>& docs, bool withCustomer = true)
    {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        dir_ = std::string(temp) + "qlt-picker-" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(++serial_);
        CreateDirectoryA(dir_.c_str(), nullptr);
        std::vector<dbf::Field> fields = {{"CDokladu", dbf::FieldType::Integer},
                                          {"Typ", dbf::FieldType::Character, 1},
                                          {"CisloDokla", dbf::FieldType::Character, 20}};
        if (withCustomer)
            fields.push_back({"A_Nazev", dbf::FieldType::Character, 50});
        dbf::DbfWriter writer(dir_ + "\\SkSezDok.dbf", fields);
        for (const Doc& d : docs) {
            std::vector<dbf::Value> values = {dbf::Value(d.id), dbf::Value(d.kind), dbf::Value(d.number)};
            if (withCustomer)
                values.emplace_back(d.customer);
            writer.Add(values);
        }
        writer.Close();
    }
    ~DocumentTable()
    {
        DeleteFileA((dir_ + "\\SkSezDok.dbf").c_str());
        RemoveDirectoryA(dir_.c_str());
    }
    std::string Path() const { return dir_ + "\\SkSezDok"; }

private:
    static inline int serial_ = 0;
    std::string dir_;
};

struct Row {
    std::string number, customer;
    long id;
    bool operator==(const Row& o) const { return number == o.number && customer == o.customer && id == o.id; }
};

std::ostream& operator<<(std::ostream& out, const Row& r)
{
    return out << "{" << r.number << ", " << r.customer << ", " << r.id << "}";
}

HWND List(HWND dialog) { return GetDlgItem(dialog, IDC_DOC_LIST); }

std::vector<Row> Rows(HWND dialog)
{
    const HWND list = List(dialog);
    std::vector<Row> rows;
    const int count = ListView_GetItemCount(list);
    for (int i = 0; i < count; ++i) {
        char number[64] = {}, customer[128] = {};
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = i;
        item.pszText = number;
        item.cchTextMax = sizeof number;
        SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        LVITEMA sub{};
        sub.iSubItem = 1;
        sub.pszText = customer;
        sub.cchTextMax = sizeof customer;
        SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&sub));
        rows.push_back({number, customer, static_cast<long>(item.lParam)});
    }
    return rows;
}

// Esc: the picker has no Cancel button.
void Escape(HWND dialog) { SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0); }

// A double click as the mouse makes it: down, up, double click, up, at a point of the list.
void DoubleClick(HWND dialog, POINT at)
{
    const LPARAM where = MAKELPARAM(at.x, at.y);
    PostMessageA(List(dialog), WM_LBUTTONDOWN, MK_LBUTTON, where);
    PostMessageA(List(dialog), WM_LBUTTONUP, 0, where);
    PostMessageA(List(dialog), WM_LBUTTONDBLCLK, MK_LBUTTON, where);
    PostMessageA(List(dialog), WM_LBUTTONUP, 0, where);
}

POINT RowCentre(HWND dialog, int row)
{
    RECT r{};
    ListView_GetItemRect(List(dialog), row, &r, LVIR_LABEL);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

int Selected(HWND dialog) { return ListView_GetNextItem(List(dialog), -1, LVNI_SELECTED); }

std::string Heading(HWND dialog, int column)
{
    char text[64] = {};
    LVCOLUMNA c{};
    c.mask = LVCF_TEXT | LVCF_FMT;
    c.pszText = text;
    c.cchTextMax = sizeof text;
    SendMessageA(List(dialog), LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&c));
    EXPECT_EQ(LVCFMT_LEFT, c.fmt & LVCFMT_JUSTIFYMASK);
    return text;
}

class DocPicker : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        DocPickerTaxDocuments = kStartTaxDocuments;
        DocPickerLast50 = kStartLast50;
    }
    void TearDown() override { CoUninitialize(); }

    MessageBoxRecorder boxes;
};

// Six documents, written out of order: the list follows "CDokladu", newest first.
std::vector<Doc> SixDocuments()
{
    return {
        {3, "P", "P-2026-003", "Stavebniny Dvořák s.r.o."},
        {1, "P", "P-2026-001", "Zahradnictví Růžička"},
        {6, "D", "D-2026-006", "ŽELEZNÝ KŮŇ, a.s."},
        {2, "D", "D-2026-002", "Obecní úřad Lhenice"},
        {5, "P", "P-2026-005", ""},
        {4, "D", "D-2026-004", "Truhlářství Kořínek"},
    };
}

TEST_F(DocPicker, StartsWithDeliveryNotesAmongTheLast50AndListsThemNewestFirst)
{
    EXPECT_FALSE(kStartTaxDocuments);
    EXPECT_TRUE(kStartLast50);
    DocumentTable table(SixDocuments());
    Driven<CDocPickerDlg> dlg(table.Path());
    std::vector<Row> rows;
    bool taxChecked = true, deliveryChecked = false, last50Checked = false, listFocused = false;
    std::string caption, heading0, heading1;
    int selected = -2, focusedRow = -2;
    LRESULT extended = 0;
    dlg.Then([&](HWND d) {
        rows = Rows(d);
        taxChecked = IsChecked(d, IDC_PRODEJKY);
        deliveryChecked = IsChecked(d, IDC_DODACI_LISTY);
        last50Checked = IsChecked(d, IDC_LAST_50);
        listFocused = GetFocus() == List(d);
        heading0 = Heading(d, 0);
        heading1 = Heading(d, 1);
        char text[64] = {};
        GetWindowTextA(d, text, sizeof text);
        caption = text;
        selected = Selected(d);
        focusedRow = ListView_GetNextItem(List(d), -1, LVNI_FOCUSED);
        extended = ListView_GetExtendedListViewStyle(List(d));
    })
        .Then([](HWND d) { SaveScreenshot("picker-delivery-notes", d); })
        .Then([](HWND d) { Click(d, IDOK); });
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ("Vyberte dokument", caption);
    EXPECT_EQ("Číslo dokumentu", heading0);
    EXPECT_EQ("Zákazník", heading1);
    EXPECT_FALSE(taxChecked);
    EXPECT_TRUE(deliveryChecked);
    EXPECT_TRUE(last50Checked);
    EXPECT_TRUE(listFocused);
    EXPECT_TRUE(extended & LVS_EX_FULLROWSELECT);
    const std::vector<Row> expected = {
        {"D-2026-006", "ŽELEZNÝ KŮŇ, a.s.", 6},
        {"D-2026-004", "Truhlářství Kořínek", 4},
        {"D-2026-002", "Obecní úřad Lhenice", 2},
    };
    EXPECT_EQ(expected, rows);
    EXPECT_EQ(0, selected);
    EXPECT_EQ(0, focusedRow);
    // "Tisk" at once takes the newest document of the kind.
    EXPECT_EQ(6, dlg.SelectedDocId());
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(DocPicker, SwitchingKindOrLimitRefillsAtOnceAndIsRememberedForTheNextOpening)
{
    DocumentTable table(SixDocuments());
    std::vector<Row> taxRows;
    {
        Driven<CDocPickerDlg> dlg(table.Path());
        dlg.Then([&](HWND d) {
               Click(d, IDC_PRODEJKY);
               taxRows = Rows(d);
           })
            .Then([](HWND d) { SaveScreenshot("picker-tax-documents", d); })
            .Then([](HWND d) { Click(d, IDC_LAST_50); })
            .Then([](HWND d) { SendMessageA(d, WM_CLOSE, 0, 0); });
        EXPECT_EQ(IDCANCEL, dlg.DoModal());
        EXPECT_EQ(-1, dlg.SelectedDocId());
    }
    const std::vector<Row> expected = {
        {"P-2026-005", "", 5},
        {"P-2026-003", "Stavebniny Dvořák s.r.o.", 3},
        {"P-2026-001", "Zahradnictví Růžička", 1},
    };
    EXPECT_EQ(expected, taxRows);
    EXPECT_TRUE(DocPickerTaxDocuments);
    EXPECT_FALSE(DocPickerLast50);

    Driven<CDocPickerDlg> again(table.Path());
    bool tax = false, delivery = true, last50 = true;
    std::vector<Row> rows;
    again.Then([&](HWND d) {
        tax = IsChecked(d, IDC_PRODEJKY);
        delivery = IsChecked(d, IDC_DODACI_LISTY);
        last50 = IsChecked(d, IDC_LAST_50);
        rows = Rows(d);
        SendMessageA(d, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(IDCANCEL, again.DoModal());
    EXPECT_TRUE(tax);
    EXPECT_FALSE(delivery);
    EXPECT_FALSE(last50);
    EXPECT_EQ(expected, rows);
}

// Sixty records: the newest ten are "P", the fifty before them "D".
TEST_F(DocPicker, TheLimitCountsRecordsVisitedNotRowsListed)
{
    std::vector<Doc> docs;
    for (long id = 1; id <= 60; ++id)
        docs.push_back({id, id > 50 ? "P" : "D", "C" + std::to_string(id), "Odběratel " + std::to_string(id)});
    DocumentTable table(docs);

    struct Case {
        bool tax, last50;
        long newest, oldest;
        size_t rows;
    };
    const Case cases[] = {
        {true, true, 60, 51, 10},
        {false, true, 50, 11, 40},  // only the D records among the newest 50
        {true, false, 60, 51, 10},
        {false, false, 50, 1, 50},  // every record visited
    };
    for (const Case& c : cases) {
        DocPickerTaxDocuments = c.tax;
        DocPickerLast50 = c.last50;
        Driven<CDocPickerDlg> dlg(table.Path());
        std::vector<Row> rows;
        dlg.Then([&](HWND d) {
            rows = Rows(d);
            Escape(d);
        });
        dlg.DoModal();
        SCOPED_TRACE(std::string(c.tax ? "Prodejky" : "Dodací listy") + (c.last50 ? ", last 50" : ", all"));
        ASSERT_EQ(c.rows, rows.size());
        EXPECT_EQ(c.newest, rows.front().id);
        EXPECT_EQ(c.oldest, rows.back().id);
        for (size_t i = 1; i < rows.size(); ++i)
            EXPECT_EQ(rows[i - 1].id - 1, rows[i].id);
        EXPECT_EQ("C" + std::to_string(c.newest), rows.front().number);
        EXPECT_EQ("Odběratel " + std::to_string(c.newest), rows.front().customer);
    }
}

TEST_F(DocPicker, ChoosingARowByTiskEnterOrDoubleClickGivesItsDocumentId)
{
    DocumentTable table(SixDocuments());
    enum class How { Tisk, Enter, DoubleClick };
    for (How how : {How::Tisk, How::Enter, How::DoubleClick}) {
        Driven<CDocPickerDlg> dlg(table.Path());
        dlg.Then([&](HWND d) {
               // Select the third row, as a click would.
               ListView_SetItemState(List(d), -1, 0, LVIS_SELECTED);
               ListView_SetItemState(List(d), 2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
           })
            .Then([&](HWND d) {
                switch (how) {
                case How::Tisk:
                    Click(d, IDOK);
                    break;
                case How::Enter:
                    PostMessageA(List(d), WM_KEYDOWN, VK_RETURN, 0);
                    PostMessageA(List(d), WM_KEYUP, VK_RETURN, 0xC0000001);
                    break;
                case How::DoubleClick:
                    DoubleClick(d, RowCentre(d, 2));
                    break;
                }
            });
        EXPECT_EQ(IDOK, dlg.DoModal()) << int(how);
        EXPECT_EQ(2, dlg.SelectedDocId()) << int(how);
    }
    EXPECT_TRUE(boxes.Shown().empty());
}

// Rows chosen together come back in the list's order; each row shows when its document was
// last printed, and the three columns share the list's width.
TEST_F(DocPicker, SeveralRowsAreChosenInListOrderAndEachShowsItsLastPrint)
{
    DocumentTable table(SixDocuments());
    DocPickerTaxDocuments = true;
    Driven<CDocPickerDlg> dlg(table.Path());
    std::string asked, heading;
    std::set<long> askedIds;
    std::vector<std::string> printed;
    int widths = 0, client = 0, printedWidth = 0, printedText = 0;
    dlg.SetPrintedLookup([&](const char* kind, const std::set<long>& ids, const SYSTEMTIME&) {
        asked = kind;
        askedIds = ids;
        return std::map<long, SYSTEMTIME>{{3, SYSTEMTIME{2026, 12, 4, 3, 14, 6, 59, 0}}};
    });
    dlg.Then([&](HWND d) {
           heading = Heading(d, 2);
           for (int row = 0; row < 3; ++row) {
               char text[64] = {};
               ListView_GetItemText(List(d), row, 2, text, sizeof text);
               printed.push_back(text);
           }
           RECT r{};
           GetClientRect(List(d), &r);
           client = r.right;
           for (int column = 0; column < 3; ++column)
               widths += ListView_GetColumnWidth(List(d), column);
           printedWidth = ListView_GetColumnWidth(List(d), 2);
           printedText = ListView_GetStringWidth(List(d), "03.12.2026 14:06");
           ListView_SetItemState(List(d), 2, LVIS_SELECTED, LVIS_SELECTED);
       })
        .Then([](HWND d) { SaveScreenshot("picker-printed", d); })
        .Then([](HWND d) { Click(d, IDOK); });
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ("P", asked);
    EXPECT_EQ((std::set<long>{1, 3, 5}), askedIds);
    EXPECT_EQ("Vytištěno", heading);
    EXPECT_EQ((std::vector<std::string>{"", "03.12.2026 14:06", ""}), printed);
    EXPECT_LE(widths, client);
    EXPECT_GT(printedWidth, printedText);
    EXPECT_EQ((std::vector<long>{5, 1}), dlg.SelectedDocIds());
}

TEST_F(DocPicker, DoubleClickBelowTheRowsDoesNothing)
{
    DocumentTable table(SixDocuments());
    Driven<CDocPickerDlg> dlg(table.Path());
    bool stillOpen = false;
    HWND dialog = nullptr;
    dlg.Then([&](HWND d) {
           dialog = d;
           RECT r{};
           GetClientRect(List(d), &r);
           DoubleClick(d, {20, r.bottom - 5});
       })
        .Then([&](HWND d) {
            stillOpen = IsWindowVisible(d);
            Escape(d);
        });
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(DocPicker, NoRowSelectedKeepsTheDialogOpenWithAWarning)
{
    // An empty table, and a kind of which the table has no document.
    DocumentTable empty({});
    DocumentTable onlyTax({{1, "P", "P1", "Zákazník"}});
    for (const DocumentTable* table : {&empty, &onlyTax}) {
        boxes.Clear();
        Driven<CDocPickerDlg> dlg(table->Path());
        size_t rows = 99;
        bool stillOpen = false;
        dlg.Then([&](HWND d) {
               rows = Rows(d).size();
               Click(d, IDOK);
           })
            .Then([&](HWND d) {
                stillOpen = IsWindowVisible(d);
                Escape(d);
            });
        EXPECT_EQ(IDCANCEL, dlg.DoModal());
        EXPECT_EQ(0u, rows);
        EXPECT_TRUE(stillOpen);
        ASSERT_EQ(1u, boxes.Shown().size());
        EXPECT_EQ("Není vybrán žádný dokument", boxes.Shown()[0].text);
        EXPECT_EQ(0x30u, boxes.Shown()[0].flags);
        EXPECT_EQ(-1, dlg.SelectedDocId());
    }
}

std::string HostFailure(const std::string& errorText)
{
    return "Nastala chyba při přístupu k datům\n\n:" + errorText;
}

TEST_F(DocPicker, ComponentThatCannotBeCreatedGivesTheErrorAndAnEmptyList)
{
    DocumentTable table(SixDocuments());
    // Without COM on this thread the component cannot be created: the handle is empty.
    CoUninitialize();
    ASSERT_TRUE(CreateHostTable().Empty());
    Driven<CDocPickerDlg> dlg(table.Path());
    size_t rows = 99;
    std::vector<ShownMessage> afterOpen;
    dlg.Then([&](HWND d) {
           rows = Rows(d).size();
           afterOpen = boxes.Shown();
           Click(d, IDOK);
       })
        .Then([](HWND d) { Escape(d); });
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    CoInitialize(nullptr);
    EXPECT_EQ(0u, rows);
    ASSERT_EQ(1u, afterOpen.size());
    // The result of the creation, in words, rather than the empty handle's E_POINTER.
    char self[MAX_PATH];
    const std::string exe(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
    const std::string component = exe.substr(0, exe.rfind('\\') + 1) + "mon2kdbe.dll";
    EXPECT_EQ(HostFailure("Databázovou komponentu MoneyS3 (mon2kdbe.dll) nelze vytvořit: " + component +
                          ": Unknown error 0x800401F0.\nSpusťte quillet-print --check."),
              afterOpen[0].text);
    EXPECT_EQ(UINT(MB_OK), afterOpen[0].flags);
    ASSERT_EQ(2u, boxes.Shown().size());
    EXPECT_EQ("Není vybrán žádný dokument", boxes.Shown()[1].text);
}

TEST_F(DocPicker, MissingTableGivesTheErrorAndAnEmptyList)
{
    Driven<CDocPickerDlg> dlg("C:\\nowhere-at-all\\SkSezDok");
    size_t rows = 99;
    dlg.Then([&](HWND d) {
        rows = Rows(d).size();
        Escape(d);
    });
    dlg.DoModal();
    EXPECT_EQ(0u, rows);
    ASSERT_EQ(1u, boxes.Shown().size());
    EXPECT_EQ(0u, boxes.Shown()[0].text.find("Nastala chyba při přístupu k datům\n\n:"));
}

TEST_F(DocPicker, RowsListedBeforeAFailureStayAndCanBeChosen)
{
    // No customer field: the first matching row is added, then reading its customer fails.
    DocumentTable table(SixDocuments(), false);
    Driven<CDocPickerDlg> dlg(table.Path());
    std::vector<Row> rows;
    int selected = -2;
    dlg.Then([&](HWND d) {
           rows = Rows(d);
           selected = Selected(d);
       })
        .Then([](HWND d) { SaveScreenshot("picker-after-error", d); })
        .Then([&](HWND d) {
            DoubleClick(d, RowCentre(d, 0));
        });
    EXPECT_EQ(IDOK, dlg.DoModal());
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ("D-2026-006", rows[0].number);
    EXPECT_EQ("", rows[0].customer);
    EXPECT_EQ(-1, selected);  // the failure came before the first row was selected
    ASSERT_EQ(1u, boxes.Shown().size());
    EXPECT_EQ(0u, boxes.Shown()[0].text.find("Nastala chyba při přístupu k datům\n\n:"));
    EXPECT_GT(boxes.Shown()[0].text.size(), std::string("Nastala chyba při přístupu k datům\n\n:").size());
    EXPECT_EQ(6, dlg.SelectedDocId());
}

TEST_F(DocPicker, PaintsTheLogoWithItsBackgroundLeftOut)
{
    DocumentTable table(SixDocuments());
    Driven<CDocPickerDlg> dlg(table.Path());
    COLORREF corner = 0, letter = 0, face = 0, outside = 0;
    dlg.Then([&](HWND d) {
        RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        HDC dc = GetDC(d);
        face = GetPixel(dc, 5, 2);       // left of the logo: the dialog's own background
        corner = GetPixel(dc, 10, 5);    // the logo's top left pixel is background
        letter = GetPixel(dc, 10 + 49, 5 + 5);  // inside the black "Q"
        outside = GetPixel(dc, 10 + 189 + 2, 5);
        ReleaseDC(d, dc);
        Escape(d);
    });
    dlg.DoModal();
    EXPECT_EQ(face, corner);
    EXPECT_EQ(face, outside);
    EXPECT_NE(RGB(0, 128, 128), corner);
    EXPECT_EQ(RGB(0, 0, 0), letter);
}

}  // namespace
