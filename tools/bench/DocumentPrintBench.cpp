// Times printing the newest cash tax document to a file port for years of several sizes,
// with the component calls it makes, next to a plain sequential read of the item file; the
// picker's fill of the 50 newest documents; the same print on a sample installation laid
// out by samplehost.exe; and the peak memory of each, measured in a process of its own.
// With --note, a single delivery note of each number of rows, printed as F11 prints it;
// with --preview QUEUE also its preview for that printer queue, which gets drawn pages,
// paged through as a user pages through it.
// Usage: document_print_bench [--note [--preview QUEUE]] [item rows...]
//        (needs mon2kdbe.dll registered, a display)
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "DbfWriter.h"
#include "ForwardingTable.h"
#include "Measure.h"
#include "TableIndex.h"
#include "config/AgendaConfig.h"
#include "framework/Dpi.h"
#include "framework/MessageBox.h"
#include "print/DocPickerDlg.h"
#include "print/DocPreviewDlg.h"
#include "print/PrintRequest.h"
#include "print/escp/EscpDraw.h"
#include "res/resource.h"

namespace {

constexpr long kRowsPerDocument = 20;
constexpr long kCards = 3000;
constexpr int kRuns = 5;
constexpr int kNoteRuns = 3;
// A preview of more sheets is paged through this many pages from its start, then from its end.
constexpr int kPreviewPages = 100;

// The year's documents: cash sales and delivery notes in turn, the newest a cash sale, or
// a delivery note when note is set.
void WriteDocuments(const std::string& path, long documents, bool note)
{
    using namespace dbf;
    DbfWriter w(path, {{"Typ", FieldType::Character, 1},
                       {"CisloDokla", FieldType::Character, 20},
                       {"CDokladu", FieldType::Numeric, 10},
                       {"A_Nazev", FieldType::Character, 50},
                       {"O_NazevOb", FieldType::Character, 50},
                       {"O_UliceOb", FieldType::Character, 50},
                       {"O_MestoOb", FieldType::Character, 40},
                       {"O_PscOb", FieldType::Character, 6},
                       {"A_ICO", FieldType::Character, 12},
                       {"A_DIC", FieldType::Character, 16},
                       {"K_Jmeno", FieldType::Character, 50},
                       {"Datum", FieldType::Date},
                       {"Vystavil", FieldType::Character, 30},
                       {"Sleva", FieldType::Numeric, 6, 2},
                       {"Zaklad0", FieldType::Numeric, 14, 2},
                       {"Zaklad5", FieldType::Numeric, 14, 2},
                       {"DPH5", FieldType::Numeric, 14, 2},
                       {"Zaklad22", FieldType::Numeric, 14, 2},
                       {"DPH22", FieldType::Numeric, 14, 2},
                       {"Celkem", FieldType::Numeric, 14, 2}});
    for (long id = 1; id <= documents; ++id) {
        const bool sale = id == documents ? !note : id % 3 != 0;
        char number[24];
        std::snprintf(number, sizeof number, "%s2026%06ld", sale ? "P" : "D", id);
        w.Add({sale ? "P" : "D", number, id, "Stavebniny Šťastný a synové s.r.o.",
               "Stavebniny Šťastný a synové s.r.o.", "Průmyslová 1234/56", "Žďár nad Sázavou", "59101", "25341111",
               "CZ25341111", "Jiří Dvořák", Value::Date(2026, 1 + int(id % 12), 1 + int(id % 28)), "Věra Nováková",
               Value::Currency(0), Value::Currency(0), Value::Currency(1000000), Value::Currency(50000),
               Value::Currency(12345600), Value::Currency(2716000), Value::Currency(16111600)});
    }
}

// The year's item rows, appended document by document as a shop writes them; about one
// row in ten is not a sale row, unless every row is to be printed.
void WriteItems(const std::string& path, long documents, long items, bool allPrinted)
{
    using namespace dbf;
    DbfWriter w(path, {{"TypDokladu", FieldType::Character, 2},
                       {"CDokladu", FieldType::Numeric, 10},
                       {"Nazev", FieldType::Character, 50},
                       {"Katalog", FieldType::Character, 20},
                       {"PocetMJ", FieldType::Numeric, 14, 4},
                       {"MJ", FieldType::Character, 10},
                       {"CKmenKarty", FieldType::Numeric, 10},
                       {"Cena", FieldType::Numeric, 14, 4},
                       {"DPH", FieldType::Numeric, 5, 2}});
    std::vector<Value> row(9);
    for (long i = 0; i < items; ++i) {
        row[0] = (i % 10 == 9 && !allPrinted) ? "T" : "S";
        row[1] = static_cast<long>(static_cast<long long>(i) * documents / items + 1);
        row[2] = "Šroubek pozinkovaný M" + std::to_string(i % 97) + " s podložkou";
        row[3] = "KAT-" + std::to_string(i % 10007);
        row[4] = Value::Currency((i % 1000 + 1) * 2500);
        row[5] = "ks";
        row[6] = i % kCards + 1;
        row[7] = Value::Currency(1234500 + i % 333);
        row[8] = Value::Currency(i % 3 ? 220000 : 50000);
        w.Add(row);
    }
}

void WriteCards(const std::string& path)
{
    using namespace dbf;
    DbfWriter w(path, {{"Cislo", FieldType::Numeric, 10}, {"Pozn", FieldType::Character, 60}});
    for (long i = 1; i <= kCards; ++i)
        w.Add({i, "Skladovat v suchu, balení po " + std::to_string(i % 50 + 1) + " kusech"});
}

// The calls a print makes into the component, by table, counted at its interface.
struct Calls {
    long all = 0;
    long seeks = 0;
    long moves = 0;
    long fields = 0;
};

enum TableKind { kDocumentTable, kItemTable, kCardTable, kTableKinds };
Calls g_calls[kTableKinds];

class CountingTable : public ForwardingTable {
public:
    using ForwardingTable::ForwardingTable;

    void OnCall(int slot) override
    {
        Calls& calls = g_calls[kind_];
        ++calls.all;
        calls.seeks += slot == 27;
        calls.moves += slot >= 14 && slot <= 18;
        calls.fields += slot == 24;
    }

    HRESULT STDMETHODCALLTYPE OpenTable(VARIANT path, long* status) override
    {
        const std::wstring text(path.bstrVal, SysStringLen(path.bstrVal));
        auto endsWith = [&](const wchar_t* name) { return text.size() >= 8 && text.compare(text.size() - 8, 8, name) == 0; };
        kind_ = endsWith(L"SkSezPol") ? kItemTable : endsWith(L"SkSezZas") ? kCardTable : kDocumentTable;
        OnCall(9);
        return Inner()->OpenTable(path, status);
    }

private:
    TableKind kind_ = kDocumentTable;
};

// The picker, filled again a few times once it is open, and closed without being shown.
class TimedPicker : public CDocPickerDlg {
public:
    using CDocPickerDlg::CDocPickerDlg;
    std::vector<double> fills;
    int rows = 0;

protected:
    BOOL OnInitDialog() override
    {
        const BOOL result = CDocPickerDlg::OnInitDialog();
        for (int run = 0; run < kRuns; ++run) {
            const double t = Now();
            Fill();
            fills.push_back(Now() - t);
        }
        rows = ListView_GetItemCount(::GetDlgItem(GetSafeHwnd(), 1000));
        EndDialog(IDCANCEL);
        return result;
    }
};

double FilesMb(const std::vector<std::string>& paths)
{
    double total = 0;
    for (const std::string& path : paths)
        total += FileMb(path);
    return total;
}

// One delivery note of many rows to the file port, as F11 prints it, and the memory that
// takes.
int MeasureNote(AgendaConfig& config)
{
    bool ok = true;
    std::printf("  print the delivery note, file   ");
    for (int run = 0; run < kNoteRuns; ++run) {
        DeleteFileA(config.Port.c_str());
        const double t = Now();
        const PrintOutcome outcome = PrintRequest(config, LastDeliveryNote);
        std::printf(" %7.2f%s", Now() - t, outcome == PrintOutcome::Printed ? "" : " (NOT PRINTED)");
        ok = ok && outcome == PrintOutcome::Printed;
    }
    std::printf(" s\n  a note of %.1f MB on the port\n", FileMb(config.Port));
    DeleteFileA(config.Port.c_str());
    PrintMemory("  memory of this process:");
    return ok ? 0 : 1;
}

// The preview, paged down with the keys from its first sheet once it is open, and closed:
// the time its sheets take and the memory they need.
class PagedPreview : public CDocPreviewDlg {
public:
    PagedPreview(const std::string& bytes, const std::string& queue) : CDocPreviewDlg(bytes, L"", nullptr, queue) {}

    double opened = 0;  // seconds from the start to the first sheet shown
    std::vector<double> pages;  // seconds for each page after it
    double sheetInches = 0;  // the paper's width, to tell the resolution the sheets were drawn at
    double rasterDpi = 0;

protected:
    BOOL OnInitDialog() override
    {
        start_ = Now();
        const BOOL result = CDocPreviewDlg::OnInitDialog();
        PostMessageW(GetSafeHwnd(), kPageThrough, 0, 0);
        return result;
    }

    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        if (message != kPageThrough)
            return CDocPreviewDlg::OnMessage(message, wParam, lParam, result);
        const HWND view = GetDlgItem(IDC_PAGE_VIEW);
        UpdateWindow(view);
        opened = Now() - start_;
        RECT client{};
        GetClientRect(view, &client);
        rasterDpi = PreviewRasterDpi(client.right, sheetInches, WindowDpi(view));
        // Every page while there are few; of many, the first and the last ones.
        PageThrough(view, VK_NEXT);
        if (pages.size() == kPreviewPages) {
            SendMessageW(view, WM_KEYDOWN, VK_END, 0);
            PageThrough(view, VK_PRIOR);
        }
        EndDialog(IDCANCEL);
        return true;
    }

private:
    // Up to kPreviewPages presses of the key, each shown at once, until the view moves no more.
    void PageThrough(HWND view, WPARAM key)
    {
        for (int page = 0; page < kPreviewPages; ++page) {
            const int before = GetScrollPos(view, SB_VERT);
            const double t = Now();
            SendMessageW(view, WM_KEYDOWN, key, 0);
            UpdateWindow(view);
            if (GetScrollPos(view, SB_VERT) == before)
                return;
            pages.push_back(Now() - t);
        }
    }

    static constexpr UINT kPageThrough = WM_APP + 20;
    double start_ = 0;
};

// The note laid out as the picker's "Náhled" lays it out, then previewed for the queue.
int MeasurePreview(AgendaConfig& config, const std::string& queue)
{
    DocumentJob job;
    const double t = Now();
    if (PreviewDocument(config, 1, job) != PrintOutcome::Printed)
        return 1;
    std::printf("  lay out the note                  %7.2f s\n", Now() - t);
    {
        PagedPreview preview(job.bytes, queue);
        SheetArea paper;
        if (!QueuePaper(queue, paper)) {
            std::printf("  the queue's paper cannot be learned\n");
            return 1;
        }
        preview.sheetInches = static_cast<double>(paper.paperWidth) / paper.dpiX;
        if (preview.Show() != IDCANCEL)
            return 1;
        double total = 0;
        for (double page : preview.pages)
            total += page;
        const size_t pages = preview.pages.size();
        std::printf("  preview open, first sheet shown   %7.2f s (sheets at %.0f pixels per inch)\n"
                    "  %zu pages down and up, each     %7.1f ms\n",
                    preview.opened, preview.rasterDpi, pages, pages ? total * 1000 / pages : 0.0);
    }
    PrintMemory("  memory of this process:");
    std::printf("  (%zu sheets of the queue's paper)\n", MakePreviewSheets(job.bytes, queue)->Count());
    return 0;
}

// In a process of its own, so that the peak memory is the print's and not the writing's.
int Measure(const std::string& agendaDir, const std::string& yearDir, bool note, const std::string& previewQueue = {})
{
    const std::string items = yearDir + "SkSezPol.dbf";
    const std::string port = yearDir + "port.prn";
    const std::vector<std::string> mapped = {items, yearDir + "SkSezDok.dbf", agendaDir + "SkSezZas.dbf",
                                             yearDir + "SkSezPol.CDokladu.idx", yearDir + "SkSezDok.CDokladu.idx",
                                             agendaDir + "SkSezZas.Cislo.idx"};
    AgendaConfig config;
    config.Nazev = "Železářství Čermák s.r.o.";
    config.AgendaDir = agendaDir;
    config.YearDir = yearDir;
    config.Port = port;
    SetMessageBoxHandler([](const std::wstring& text, UINT flags) {
        if ((flags & MB_TYPEMASK) == MB_YESNO)
            return IDYES;
        std::printf("  message: %ls\n", text.c_str());
        return IDOK;
    });
    if (!previewQueue.empty())
        return MeasurePreview(config, previewQueue);
    if (note)
        return MeasureNote(config);
    SetHostTableWrapper([](ComPtr<IMon2kDbeTable> table) { return Wrap<CountingTable>(std::move(table)); });
    bool ok = true;

    std::printf("  plain read of the item file      ");
    for (int run = 0; run < kRuns; ++run)
        std::printf(" %7.1f", PlainRead(items).seconds * 1000);
    std::printf(" ms\n");
    {
        std::printf("  print the newest document, file  ");
        for (int run = 0; run < kRuns; ++run) {
            DeleteFileA(port.c_str());
            for (Calls& calls : g_calls)
                calls = Calls{};
            const double t = Now();
            const PrintOutcome outcome = PrintRequest(config, LastTaxDocument);
            std::printf(" %7.1f%s", (Now() - t) * 1000, outcome == PrintOutcome::Printed ? "" : " (NOT PRINTED)");
            ok = ok && outcome == PrintOutcome::Printed;
        }
        std::printf(" ms\n");
    }
    const char* names[] = {"documents", "items", "stock cards"};
    std::printf("  component calls of one print:   ");
    for (int kind = 0; kind < kTableKinds; ++kind)
        std::printf(" %s %ld (%ld seek, %ld move, %ld field)%s", names[kind], g_calls[kind].all, g_calls[kind].seeks,
                    g_calls[kind].moves, g_calls[kind].fields, kind + 1 < kTableKinds ? ";" : "\n");

    DocPickerTaxDocuments = true;
    TimedPicker picker(yearDir + "\\SkSezDok");
    picker.DoModal();
    std::printf("  picker fill, 50 newest records  ");
    for (double fill : picker.fills)
        std::printf(" %7.1f", fill * 1000);
    std::printf(" ms  (%d rows listed)\n", picker.rows);
    PrintRequest(config, LastTaxDocument);
    std::printf("  a page of %.1f KB on the port\n", FileMb(port) * 1024);
    DeleteFileA(port.c_str());
    std::printf("  tables and index files %.1f MB\n", FilesMb(mapped));
    PrintMemory("  memory of this process:");
    return ok ? 0 : 1;
}

// Runs this program again to measure the agenda; the folders end in a backslash.
bool RunMeasure(const std::string& agendaDir, const std::string& yearDir, bool note = false,
                const std::string& previewQueue = {})
{
    // A backslash before a closing quote would escape it: the folders go without theirs.
    const char* what = !previewQueue.empty() ? "--measure-preview" : note ? "--measure-note" : "--measure";
    std::string arguments = std::string(what) + " \"" + agendaDir.substr(0, agendaDir.size() - 1) + "\" \"" +
                            yearDir.substr(0, yearDir.size() - 1) + "\"";
    if (!previewQueue.empty())
        arguments += " \"" + previewQueue + "\"";
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string line = "\"" + std::string(self) + "\" " + arguments;
    std::fflush(stdout);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        return false;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code == 0;
}

void RemoveFiles(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileA((folder + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// A year of the given size with its index files, measured, then removed. With note, the
// year holds one delivery note with all the rows, also previewed for previewQueue if given.
bool BenchYear(const std::string& root, long items, bool note, const std::string& previewQueue)
{
    const std::string agendaDir = root + "\\Firma\\";
    const std::string yearDir = agendaDir + "Rok2026\\";
    CreateDirectoryA(agendaDir.c_str(), nullptr);
    CreateDirectoryA(yearDir.c_str(), nullptr);
    const long documents = note ? 1 : std::max(1L, items / kRowsPerDocument);
    const double t = Now();
    WriteDocuments(yearDir + "SkSezDok.dbf", documents, note);
    WriteItems(yearDir + "SkSezPol.dbf", documents, items, note);
    WriteCards(agendaDir + "SkSezZas.dbf");
    dbf::WriteIndex(yearDir + "SkSezDok.dbf", "CDokladu");
    dbf::WriteIndex(yearDir + "SkSezPol.dbf", "CDokladu");
    dbf::WriteIndex(agendaDir + "SkSezZas.dbf", "Cislo");
    std::printf("year of %ld item rows (%.1f MB), %ld documents, %ld stock cards, written in %.1f s\n", items,
                FileMb(yearDir + "SkSezPol.dbf"), documents, kCards, Now() - t);
    bool ok = RunMeasure(agendaDir, yearDir, note);
    if (!previewQueue.empty()) {
        std::printf("previewed for the printer queue '%s', which gets drawn pages:\n", previewQueue.c_str());
        ok = RunMeasure(agendaDir, yearDir, note, previewQueue) && ok;
    }
    RemoveFiles(yearDir);
    RemoveFiles(agendaDir);
    RemoveDirectoryA(yearDir.c_str());
    RemoveDirectoryA(agendaDir.c_str());
    return ok;
}

// The installation the demo lays out, with samplehost.exe's defaults.
bool BenchSample(const std::string& root)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string folder(self);
    folder.erase(folder.find_last_of('\\') + 1);
    const std::string sampleRoot = root + "\\sample";
    CreateDirectoryA(sampleRoot.c_str(), nullptr);
    std::string line = "\"" + folder + "samplehost.exe\" --root \"" + sampleRoot + "\" --data-root C:\\Data";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;  // its summary is not wanted here
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("samplehost.exe did not start\n");
        return false;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const std::string agendaDir = sampleRoot + "\\Data\\Obchod\\";
    const std::string yearDir = agendaDir + "2003\\";
    std::printf("sample installation (samplehost.exe defaults: %.0f KB of item rows): F10 to form feed\n",
                FileMb(yearDir + "SkSezPol.dbf") * 1024);
    const bool ok = RunMeasure(agendaDir, yearDir);
    RemoveFiles(yearDir);
    RemoveFiles(agendaDir);
    for (const char* inner : {"\\Data\\Obchod\\2003", "\\Data\\Obchod", "\\Data", ""})
        RemoveDirectoryA((sampleRoot + inner).c_str());
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (FAILED(CoInitialize(nullptr)))
        return 1;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (argc == 4 && (mode == "--measure" || mode == "--measure-note"))
        return Measure(std::string(argv[2]) + "\\", std::string(argv[3]) + "\\", mode == "--measure-note");
    if (argc == 5 && mode == "--measure-preview")
        return Measure(std::string(argv[2]) + "\\", std::string(argv[3]) + "\\", true, argv[4]);

    const bool note = mode == "--note";
    int first = note ? 2 : 1;
    std::string previewQueue;
    if (note && argc > 3 && std::string(argv[2]) == "--preview") {
        previewQueue = argv[3];
        first = 4;
    }
    std::vector<long> sizes;
    for (int i = first; i < argc; ++i) {
        const long items = std::atol(argv[i]);
        if (items < 1) {
            std::printf("usage: document_print_bench [--note [--preview QUEUE]] [item rows...]\n");
            return 2;
        }
        sizes.push_back(items);
    }
    if (sizes.empty() && note)
        sizes = {5000, 100000};
    if (sizes.empty())
        sizes = {10000, 100000, 1000000, 2000000};

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string root = std::string(temp) + "qlt-print-bench";
    CreateDirectoryA(root.c_str(), nullptr);
    std::printf("times in ms, %d runs each; calls counted at the component's interface\n", kRuns);
    bool ok = note || BenchSample(root);
    for (long items : sizes)
        ok = BenchYear(root, items, note, previewQueue) && ok;
    RemoveDirectoryA(root.c_str());
    CoUninitialize();
    return ok ? 0 : 1;
}
