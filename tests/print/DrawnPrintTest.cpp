// Printing on a printer that does not speak ESC/P: a queue with Wine's PostScript driver,
// whose pages Ghostscript reads back as text, and its preview; next to the RAW ways that
// stay as they were.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <string>
#include <vector>

#include "documents/SampleAgenda.h"
#include "framework/Dpi.h"
#include "print/DocPreviewDlg.h"
#include "print/PrintRequest.h"
#include "print/escp/EscpDraw.h"
#include "res/resource.h"
#include "support/DialogDriver.h"
#include "support/Ghostscript.h"
#include "support/MessageBoxRecorder.h"
#include "support/Screenshot.h"
#include "support/TempFile.h"
#include "support/TestQueue.h"

namespace {

// Every character but blanks, in order: of Ghostscript's text (UTF-8), or of a listing as
// the printer puts it on paper.
std::wstring Printed(const std::string& utf8)
{
    std::wstring wide(utf8.size(), L'\0'), out;
    wide.resize(size_t(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), wide.data(), int(wide.size()))));
    for (wchar_t c : wide)
        out += iswspace(c) ? L"" : std::wstring(1, c);
    return out;
}

std::wstring ListingCharacters(const std::string& bytes)
{
    std::wstring out;
    for (const EscpStrike& strike : InterpretEscp(bytes).strikes)
        out += iswspace(strike.code) ? L"" : std::wstring(1, wchar_t(strike.code));
    return out;
}

// The column of the last character of the first line of Ghostscript's text that holds what.
size_t EndColumn(const std::string& text, const std::string& what)
{
    const size_t at = text.find(what);
    const size_t start = text.rfind('\n', at) + 1;
    const std::string line = text.substr(start, text.find('\n', at) - start);
    return size_t(MultiByteToWideChar(CP_UTF8, 0, line.data(), int(line.find_last_not_of(" \r") + 1), nullptr, 0));
}

class DrawnPrintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        agenda.Configure(config);
        DocRecord tax;
        tax.id = 1;
        tax.cislo = "P0001";
        tax.nazev = "Řeznictví Šťastný";
        tax.celkem = dbf::Value::Currency(1506090);
        DocRecord note = tax;
        note.id = 2;
        note.typ = "D";
        note.cislo = "D0002";
        agenda.WriteDocuments({tax, note});
        agenda.WriteItems({Item("S", 1, "Žluťoučký kůň", "KAT-1", dbf::Value::Currency(20000), "ks", 0,
                                dbf::Value::Currency(617250), dbf::Value::Currency(220000)),
                           Item("S", 2, "Hřebík", "H-2", dbf::Value::Currency(1000000), "ks", 0)});
        agenda.WriteCards({});
    }

    std::string Listing(long id)
    {
        DocumentJob job;
        EXPECT_EQ(PrintOutcome::Printed, PreviewDocument(config, id, job));
        return job.bytes;
    }

    PrintOutcome Print(PrintMode mode)
    {
        boxes.Clear();
        boxes.Answer(IDYES);
        return PrintRequest(config, mode);
    }

    SampleAgenda agenda;
    AgendaConfig config;
    MessageBoxRecorder boxes;
    TempFile psFile{"ps"};
    TestQueue laser{"Laserová tiskárna Čermák – kancelář", psFile.Path(), QueueDriver::PostScript};
};

TEST_F(DrawnPrintTest, BothDocumentsAreDrawnWithEveryCharacterInItsColumnAndTheirCopies)
{
    config.Port = laser.Name();
    config.KopieDanovyDoklad = 2;
    const struct {
        PrintMode mode;
        long id;
        int copies;
    } documents[] = {{LastTaxDocument, 1, 2}, {LastDeliveryNote, 2, 1}};
    for (const auto& d : documents) {
        DeleteFileA(psFile.Path().c_str());
        std::wstring expected;
        for (int copy = 0; copy < d.copies; ++copy)
            expected += ListingCharacters(Listing(d.id));
        ASSERT_EQ(PrintOutcome::Printed, Print(d.mode)) << d.id;
        const std::string text = PostScriptText(psFile.Path());
        EXPECT_EQ(expected, Printed(text)) << d.id;
        EXPECT_EQ(d.copies, PostScriptPages(psFile.Path())) << d.id;  // one A4 sheet each
        if (d.mode == LastTaxDocument) {
            // The item's amounts end where the heading above them ends.
            EXPECT_LT(100u, EndColumn(text, "s DPH"));
            EXPECT_EQ(EndColumn(text, "s DPH"), EndColumn(text, "KAT-1")) << text;  // the item's line
        }
    }
}

TEST_F(DrawnPrintTest, ALongNoteGoesOnSheetAfterSheetAndThePreviewShowsTheSameSheets)
{
    std::vector<ItemRecord> items;
    for (int i = 0; i < 150; ++i)
        items.push_back(Item("S", 2, "Hřebík stavební č. " + std::to_string(i), "H-" + std::to_string(i),
                             dbf::Value::Currency(10000), "ks", 0));
    agenda.WriteItems(items);
    config.Port = laser.Name();
    DeleteFileA(psFile.Path().c_str());
    const std::string listing = Listing(2);
    ASSERT_EQ(PrintOutcome::Printed, Print(LastDeliveryNote));
    EXPECT_EQ(ListingCharacters(listing), Printed(PostScriptText(psFile.Path())));
    const int pages = PostScriptPages(psFile.Path());
    EXPECT_LT(1, pages);

    // The preview: the queue's sheets, as many as were printed, one under the other.
    SheetArea paper;
    ASSERT_TRUE(QueuePaper(laser.Name(), paper));
    Driven<CDocPreviewDlg> preview(listing, L"D0002", nullptr, laser.Name());
    SCROLLINFO scroll{sizeof scroll, SIF_ALL, 0, 0, 0, 0, 0};
    RECT view{};
    unsigned screenDpi = 0;
    preview.Then([&](HWND dialog) {
        const HWND pageView = GetDlgItem(dialog, IDC_PAGE_VIEW);
        GetScrollInfo(pageView, SB_VERT, &scroll);
        GetClientRect(pageView, &view);
        screenDpi = WindowDpi(pageView);
        SaveScreenshot("preview-drawn", dialog);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(IDCANCEL, preview.Show());
    const double dpi = PreviewRasterDpi(view.right, double(paper.paperWidth) / paper.dpiX, screenDpi);
    const long sheet = std::lround(paper.paperHeight * dpi / paper.dpiY);
    const int gap = ScaledForDpi(8, screenDpi);
    EXPECT_NEAR(gap + pages * (sheet + gap), scroll.nMax + 1, pages);
}

TEST_F(DrawnPrintTest, RawWaysKeepTodaysBytesAndDrawingNeedsAQueue)
{
    const std::string listing = Listing(2);
    TempFile textFile("prn");
    TestQueue textOnly("Jehličková tiskárna Čermák", textFile.Path());
    TempFile file("prn");
    const struct {
        std::string port;
        PrintRezim rezim;
        std::string written;  // the file the port writes to
        PrintOutcome outcome;
        std::string bytes;
    } cases[] = {
        {laser.Name(), PrintRezim::Escp, psFile.Path(), PrintOutcome::Printed, listing},
        {textOnly.Name(), PrintRezim::Auto, textFile.Path(), PrintOutcome::Printed, listing},
        {file.Path(), PrintRezim::Grafika, file.Path(), PrintOutcome::Failed, ""},
    };
    for (const auto& c : cases) {
        DeleteFileA(c.written.c_str());
        config.Port = c.port;
        config.Rezim = c.rezim;
        EXPECT_EQ(c.outcome, Print(LastDeliveryNote)) << c.port;
        EXPECT_EQ(c.bytes, c.outcome == PrintOutcome::Printed ? FileBytes(c.written) : "") << c.port;
    }
    ASSERT_EQ(2u, boxes.Shown().size());
    EXPECT_EQ("Grafický tisk (Rezim=grafika v Quillet.ini) jde jen na tiskárnu nainstalovanou ve Windows a port '" +
                  file.Path() + "' jí není.\n\nV Nastavení vyberte tiskárnu Windows, nebo režim tisku Automaticky či "
                                "Jehličková tiskárna.",
              boxes.Shown()[1].text);
    EXPECT_EQ("<missing>", FileBytes(file.Path()));
}

TEST_F(DrawnPrintTest, JobStoppedMidwayIsAbortedAndNothingReachesThePort)
{
    DeleteFileA(psFile.Path().c_str());
    std::string failure;
    EXPECT_FALSE(DrawEscpDocument(laser.Name(), "Quillet – dodací list D0002", Listing(2), 3, failure, nullptr,
                                  [](int sheet) { return sheet < 2; }));
    EXPECT_EQ("Tisk na tiskárnu Windows '" + laser.Name() +
                  "' se přerušil na 2. listu: tisk byl zastaven\n\nÚloha byla zrušena, nevytiskne se z ní nic.",
              failure);
    EXPECT_EQ("<missing>", FileBytes(psFile.Path()));
}

}  // namespace
