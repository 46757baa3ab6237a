// The preview from the picker on a sample agenda through the real table component: what it
// shows is what "Tisk" then prints, byte for byte the page a choice by id prints; a host
// error is shown as printing shows it and nothing is printed; a sheet that cannot be drawn
// closes the preview with one message. A screenshot of the preview is kept for people to
// look at.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

#include "PortBytes.h"
#include "documents/SampleAgenda.h"
#include "print/DocPickerDlg.h"
#include "print/DocPreviewDlg.h"
#include "print/PrintRequest.h"
#include "res/resource.h"
#include "support/DialogDriver.h"
#include "support/MessageBoxRecorder.h"
#include "support/Screenshot.h"
#include "support/TempFile.h"

namespace {

// While set, every allocation of this many bytes or more fails: memory running out.
std::atomic<size_t> g_refuseFrom{SIZE_MAX};

}  // namespace

void* operator new(size_t size)
{
    if (size >= g_refuseFrom)
        throw std::bad_alloc();
    if (void* memory = HeapAlloc(GetProcessHeap(), 0, size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept
{
    if (memory)
        HeapFree(GetProcessHeap(), 0, memory);
}

void operator delete(void* memory, size_t) noexcept
{
    operator delete(memory);
}

namespace {

DocRecord Doc(long id, const char* typ, const char* number, const char* customer)
{
    DocRecord d;
    d.id = id;
    d.typ = typ;
    d.cislo = number;
    d.nazev = customer;
    d.vystavil = "Věra Šťastná";
    d.zaklad22 = dbf::Value::Currency(1795000);
    d.dph22 = dbf::Value::Currency(394900);
    d.celkem = dbf::Value::Currency(2189900);
    return d;
}

class DocPreviewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        agenda.Configure(config);
        config.Port = port.Path();
        agenda.WriteDocuments({Doc(1, "D", "D0001", "Zahradnictví Růžička"),
                               Doc(2, "P", "P0002", "Tělovýchovná jednota Sokol Ledenice")});
        items = {Item("S", 2, "Šroubovák křížový PH2", "NAR-0001", dbf::Value::Currency(20000), "ks", 0,
                      dbf::Value::Currency(899000), dbf::Value::Currency(220000)),
                 Item("S", 2, "Hřebík stavební 80 mm", "SPJ-0006", dbf::Value::Currency(28400), "kg", 0,
                      dbf::Value::Currency(445000), dbf::Value::Currency(220000))};
        agenda.WriteItems(items);
        agenda.WriteCards({});
        DocPickerTaxDocuments = true;
    }

    // The picker as the tray runs it, with the preview, driven by steps.
    PrintOutcome PrintFromPicker(const std::function<void(Driven<CDocPickerDlg>&)>& steps)
    {
        return PrintRequest(config, ChooseDocument, [&](const std::string& path, long& docId) {
            Driven<CDocPickerDlg> picker(path);
            picker.SetPreviewer([&](long id, DocumentJob& job) {
                ++previews;
                const bool ok = PreviewDocument(config, id, job) == PrintOutcome::Printed;
                shown = job.bytes;
                return ok;
            });
            steps(picker);
            if (picker.DoModal() != IDOK)
                return false;
            if (const DocumentJob* job = picker.ShownDocument()) {
                printedShown = PrintDocumentJob(config, *job);
                return false;
            }
            docId = picker.SelectedDocId();
            return true;
        });
    }

    SampleAgenda agenda;
    AgendaConfig config;
    std::vector<ItemRecord> items;
    TempFile port{"prn"};
    MessageBoxRecorder boxes;
    std::string shown;
    PrintOutcome printedShown = PrintOutcome::NothingPrinted;
    int previews = 0;
};

struct OwnedSearch {
    HWND owner, found;
};

BOOL CALLBACK FindOwned(HWND hwnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<OwnedSearch*>(lParam);
    if (GetWindow(hwnd, GW_OWNER) != search->owner)
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

// The dialog the picker opened over itself, or null.
HWND OwnedDialog(HWND owner)
{
    OwnedSearch search = {owner, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &FindOwned, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Náhled as a click: posted, so that the step ends while the preview runs.
void ClickPreview(HWND picker)
{
    PostMessageA(picker, WM_COMMAND, MAKEWPARAM(IDC_PREVIEW, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(picker, IDC_PREVIEW)));
}

TEST_F(DocPreviewTest, TiskInThePreviewPrintsThePageItShowed)
{
    // What a choice of this document by id prints (as quillet-print id 2 does).
    ASSERT_EQ(PrintOutcome::Printed, PrintRequest(config, ChooseDocument, [](const std::string&, long& id) {
                  id = 2;
                  return true;
              }));
    const std::string byId = port.Read();
    DeleteFileA(port.Path().c_str());

    std::string caption;
    RECT view{};
    SCROLLINFO scroll{};
    scroll.cbSize = sizeof scroll;
    scroll.fMask = SIF_ALL;
    const PrintOutcome outcome = PrintFromPicker([&](Driven<CDocPickerDlg>& picker) {
        picker.Then(ClickPreview).Then([&](HWND dialog) {
            const HWND preview = OwnedDialog(dialog);
            ASSERT_TRUE(preview && IsWindowVisible(preview)) << "no preview window";
            char text[128] = {};
            GetWindowTextA(preview, text, sizeof text);
            caption = text;
            GetScrollInfo(GetDlgItem(preview, IDC_PAGE_VIEW), SB_VERT, &scroll);
            GetClientRect(GetDlgItem(preview, IDC_PAGE_VIEW), &view);
            EXPECT_TRUE(SaveScreenshot("preview", preview));
            EXPECT_EQ("", port.Read()) << "printed before Tisk";
            PostMessageA(preview, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(preview, IDOK)));
        });
    });
    // The page shown is printed as it was shown, not laid out again.
    EXPECT_EQ(PrintOutcome::NothingPrinted, outcome);
    EXPECT_EQ(PrintOutcome::Printed, printedShown);
    EXPECT_EQ("Náhled – P0002", caption);
    // The sheet (9.5 by 6 inches) fills the view's width; the scroll range is all of it
    // and the desk's narrow margins around it.
    const double sheetHeight = 6 * view.right / 9.5;
    EXPECT_NEAR(sheetHeight + 10, scroll.nMax + 1, 10);
    EXPECT_EQ(1, previews);
    EXPECT_PORT_BYTES(byId, shown);
    EXPECT_PORT_BYTES(byId, port.Read());
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(DocPreviewTest, ClosingThePreviewLeavesThePickerOpenAndPrintsNothing)
{
    const PrintOutcome outcome = PrintFromPicker([&](Driven<CDocPickerDlg>& picker) {
        picker.Then(ClickPreview)
            .Then([](HWND dialog) {
                const HWND preview = OwnedDialog(dialog);
                ASSERT_TRUE(preview);
                PostMessageA(preview, WM_COMMAND, IDCANCEL, 0);
            })
            .Then([](HWND dialog) {
                EXPECT_TRUE(IsWindowVisible(dialog));
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            });
    });
    EXPECT_EQ(PrintOutcome::NothingPrinted, outcome);
    EXPECT_EQ(1, previews);
    EXPECT_EQ("", port.Read());
}

TEST_F(DocPreviewTest, HostErrorIsShownAsPrintingShowsItAndNothingIsPrinted)
{
    agenda.WriteItems(items, false);  // reading the items fails
    HWND popup = nullptr;
    const PrintOutcome outcome = PrintFromPicker([&](Driven<CDocPickerDlg>& picker) {
        picker.Then(ClickPreview).Then([&](HWND dialog) {
            popup = OwnedDialog(dialog);
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
    });
    EXPECT_EQ(PrintOutcome::NothingPrinted, outcome);
    EXPECT_EQ(nullptr, popup) << "a preview opened";
    ASSERT_EQ(1u, boxes.Shown().size());
    EXPECT_EQ(0u, boxes.Shown()[0].text.find("Nastala chyba při přístupu k datům\n\n:"));
    EXPECT_EQ("", port.Read());
}

TEST_F(DocPreviewTest, MemoryRunningOutWhileASheetIsDrawnLeavesThePickerToPrintFrom)
{
    HWND preview = nullptr;
    bool pickerShown = false;
    const PrintOutcome outcome = PrintFromPicker([&](Driven<CDocPickerDlg>& picker) {
        picker
            .Then([](HWND dialog) {
                g_refuseFrom = 1 << 20;  // a sheet's pixels, not the page's layout
                ClickPreview(dialog);
            })
            .Then([&](HWND dialog) {
                g_refuseFrom = SIZE_MAX;
                preview = OwnedDialog(dialog);
                pickerShown = IsWindowVisible(dialog);
                Click(dialog, IDOK);
            });
    });
    EXPECT_EQ(nullptr, preview) << "the preview stayed open";
    EXPECT_TRUE(pickerShown);
    EXPECT_EQ(PrintOutcome::Printed, outcome);
    EXPECT_NE("", port.Read());
    ASSERT_EQ(1u, boxes.Shown().size());
    EXPECT_EQ("Náhled se nepodařilo zobrazit: nedostatek paměti.\n\nDoklad lze i tak vytisknout tlačítkem Tisk.",
              boxes.Shown()[0].text);
}

// Sheets whose drawing fails, as a sheet the drawing code cannot draw or memory running out.
class FailingSheets : public PreviewSheets {
public:
    explicit FailingSheets(bool outOfMemory) : outOfMemory_(outOfMemory) {}
    double WidthInches() const override { return 9.5; }
    size_t Count() const override { return 3; }
    int Height(size_t, double dpi) const override { return static_cast<int>(6 * dpi); }
    EscpPageImage Draw(size_t, double) const override
    {
        if (outOfMemory_)
            throw std::bad_alloc();
        throw std::runtime_error("list nelze nakreslit");
    }

private:
    bool outOfMemory_;
};

TEST_F(DocPreviewTest, ASheetThatCannotBeDrawnClosesThePreviewWithOneMessage)
{
    const struct {
        bool outOfMemory;
        const char* says;
    } cases[] = {{false, "list nelze nakreslit"}, {true, "nedostatek paměti"}};
    for (const auto& c : cases) {
        boxes.Clear();
        Driven<CDocPreviewDlg> preview(std::make_unique<FailingSheets>(c.outOfMemory), L"P0002", nullptr);
        EXPECT_EQ(IDCANCEL, preview.Show()) << c.says;
        ASSERT_EQ(1u, boxes.Shown().size()) << c.says;
        EXPECT_EQ(std::string("Náhled se nepodařilo zobrazit: ") + c.says +
                      ".\n\nDoklad lze i tak vytisknout tlačítkem Tisk.",
                  boxes.Shown()[0].text);
    }
}

TEST(PreviewRaster, FillsTheViewUpToASizeThatFollowsTheScreensResolution)
{
    const struct {
        int viewWidth;
        unsigned screenDpi;
        double raster;
    } cases[] = {{2000, 96, 150}, {2000, 120, 187.5}, {2500, 144, 225}, {3000, 192, 300}, {950, 96, 100},
                 {950, 144, 100}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(c.raster, PreviewRasterDpi(c.viewWidth, 9.5, c.screenDpi)) << c.viewWidth << " " << c.screenDpi;
}

}  // namespace
