// The rasteriser measured on its pictures: how many characters a line holds in each mode,
// how long a page is, where pages break, that every letter of the character table is
// drawn and told apart, and that bytes the printer would not understand are marked.
// escp-view --png is run as a program and its files read back by GDI+.
#include <gtest/gtest.h>
#include <windows.h>
#include <gdiplus.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "PortBytes.h"
#include "print/escp/EscpRender.h"
#include "support/TempFile.h"

namespace {

// Every sheet of a job, whole: the jobs here are small. Each is drawn as the preview draws
// it too, from only the stretch of the job that shows on it, and comes out the same.
std::vector<EscpPageImage> RenderEscpPages(const std::string& bytes, double dpi)
{
    const EscpJob job = InterpretEscp(bytes);
    const EscpOutline outline = OutlineEscp(bytes);
    std::vector<EscpPageImage> pages;
    for (size_t sheet = 0; sheet < job.forms.size(); ++sheet) {
        pages.push_back(RenderEscpSheet(job, sheet, dpi));
        EXPECT_EQ(pages.back().pixels, RenderEscpSheet(bytes, outline, sheet, dpi).pixels) << sheet;
    }
    return pages;
}

constexpr int kDpi = 120;
const std::string kInit = Bytes({0x1B, 0x40, 0x1B, 0x30});  // ESC @, lines of 1/8 inch

bool Inked(uint32_t p)
{
    return ((p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF)) / 3 < 160;
}

// Separate runs of ink along one pixel row between the tractor strips.
int InkRuns(const EscpPageImage& page, int y)
{
    int runs = 0;
    bool inside = false;
    for (int x = kDpi / 2 + 2; x < page.width - kDpi / 2 - 2; ++x) {
        const bool ink = Inked(page.At(x, y));
        runs += ink && !inside;
        inside = ink;
    }
    return runs;
}

// The pixel row through the middle of text line n (lines of 1/8 inch; the first line
// starts 1/12 inch below the top edge).
int LineMiddle(int n) { return (1.0 / 12 + n / 8.0 + 4.0 / 72) * kDpi; }

size_t Marked(const EscpPageImage& page)
{
    size_t count = 0;
    for (uint32_t p : page.pixels)
        count += p == kUnknownMarkColour;
    return count;
}

TEST(EscpRender, LineHoldsTheModesCharactersAndGoesOnInTheNext)
{
    const struct {
        int mode;
        int columns;
    } cases[] = {{0x00, 80}, {0x01, 96}, {0x04, 137}, {0x05, 160}, {0x20, 40}, {0x21, 48}, {0x18, 80}};
    for (const auto& c : cases) {
        const std::string bytes = kInit + Bytes({0x1B, 0x21, c.mode}) + std::string(200, '|');
        const std::vector<EscpPageImage> pages = RenderEscpPages(bytes, kDpi);
        ASSERT_EQ(1u, pages.size());
        EXPECT_EQ(c.columns, InkRuns(pages[0], LineMiddle(0))) << "mode " << c.mode;
        EXPECT_EQ(std::min(c.columns, 200 - c.columns), InkRuns(pages[0], LineMiddle(1))) << "mode " << c.mode;
    }
}

TEST(EscpRender, PagesAreAsLongAsTheJobSetsThemAndBreakWhereThePrinterBreaks)
{
    const std::string sixInches = kInit + Bytes({0x1B, 0x43, 0x00, 0x06});
    std::string fortyNineLines;
    for (int i = 0; i < 49; ++i)
        fortyNineLines += "x\r\n";
    const struct {
        const char* name;
        std::string bytes;
        size_t pages;
        int height;
    } cases[] = {
        {"ESC C NUL 6", sixInches + "A\r\n\f", 1, 6 * kDpi},
        {"ESC C NUL 12", kInit + Bytes({0x1B, 0x43, 0x00, 12}) + "A\f", 1, 12 * kDpi},
        {"ESC C 24 lines of 1/6 inch", Bytes({0x1B, 0x40, 0x1B, 0x43, 24}) + "A", 1, 4 * kDpi},
        {"no page length: 11 inches", "A\r\n", 1, 11 * kDpi},
        {"form feed in the middle", sixInches + "A\r\n\fB\r\n\f", 2, 6 * kDpi},
        {"two form feeds: a blank sheet between", sixInches + "A\f\fB", 3, 6 * kDpi},
        {"49 lines of 1/8 inch on a 6-inch page", sixInches + fortyNineLines + "\f", 2, 6 * kDpi},
        {"nothing at all", "", 1, 11 * kDpi},
        {"ESC C NUL 22", kInit + Bytes({0x1B, 0x43, 0x00, 22}) + "A\f", 1, 22 * kDpi},
        {"ESC C 132 lines of 1/6 inch", Bytes({0x1B, 0x40, 0x1B, 0x43, 132}) + "A", 1, 22 * kDpi},
        {"longer than 22 inches, or none: ignored",
         Bytes({0x1B, 0x43, 133, 0x1B, 0x43, 0x00, 23, 0x1B, 0x43, 0x00, 0x00}) + "A", 1, 11 * kDpi},
        {"the 68-byte job", Bytes({0x1B, 0x40, 0x1B, 0x43, 0x00, 255}) + std::string(30, 'A') + "\f", 1, 11 * kDpi},
    };
    for (const auto& c : cases) {
        const std::vector<EscpPageImage> pages = RenderEscpPages(c.bytes, kDpi);
        ASSERT_EQ(c.pages, pages.size()) << c.name;
        for (const EscpPageImage& page : pages) {
            EXPECT_EQ(c.height, page.height) << c.name;
            EXPECT_EQ(1140, page.width) << c.name;
        }
    }
    // The line after a form feed is the first line of the next sheet.
    const auto pages = RenderEscpPages(sixInches + "|\r\n\f|", kDpi);
    EXPECT_EQ(1, InkRuns(pages[1], LineMiddle(0)));
}

TEST(EscpRender, SheetDrawnInBandsIsTheWholeSheet)
{
    const EscpJob job = InterpretEscp(kInit + Bytes({0x1B, 0x43, 0x00, 2}) + "|\xB5\r\n\xD4|" + Bytes({0x1B, 0x99}) +
                                      "\r\n" + std::string(7, '_') + "\r\n\f\xB6\r\n");
    for (size_t sheet = 0; sheet < job.forms.size(); ++sheet) {
        const EscpPageImage whole = RenderEscpSheet(job, sheet, kDpi);
        std::vector<uint32_t> banded;
        for (int row = 0; row < whole.height; row += 7) {
            const EscpPageImage band = RenderEscpBand(job, sheet, kDpi, row, 7);
            banded.insert(banded.end(), band.pixels.begin(), band.pixels.end());
        }
        EXPECT_EQ(whole.pixels, banded) << sheet;
    }
}

// One character alone on a one-inch page.
std::vector<uint32_t> Picture(unsigned char pc852)
{
    const auto pages = RenderEscpPages(kInit + Bytes({0x1B, 0x43, 0x00, 1, pc852}), kDpi);
    return pages.at(0).pixels;
}

TEST(EscpRender, EveryCzechLetterIsItsOwnAndNotItsBaseLetter)
{
    // Code page 852 bytes: the Czech letters and the other letters code page 1250 shares
    // with it, each with the letter it is built on.
    const std::map<unsigned char, char> letters = {
        {0xB5, 'A'}, {0xA0, 'a'}, {0xAC, 'C'}, {0x9F, 'c'}, {0xD2, 'D'}, {0xD4, 'd'}, {0x90, 'E'},
        {0x82, 'e'}, {0xB7, 'E'}, {0xD8, 'e'}, {0xD6, 'I'}, {0xA1, 'i'}, {0xD5, 'N'}, {0xE5, 'n'},
        {0xE0, 'O'}, {0xA2, 'o'}, {0xFC, 'R'}, {0xFD, 'r'}, {0xE6, 'S'}, {0xE7, 's'}, {0x9B, 'T'},
        {0x9C, 't'}, {0xE9, 'U'}, {0xA3, 'u'}, {0xDE, 'U'}, {0x85, 'u'}, {0xED, 'Y'}, {0xEC, 'y'},
        {0xA6, 'Z'}, {0xA7, 'z'}, {0x81, 'u'}, {0x94, 'o'}, {0x95, 'L'}, {0x96, 'l'}, {0x93, 'o'},
        {0x8E, 'A'}, {0x84, 'a'}, {0x99, 'O'}, {0x9A, 'U'}, {0xE2, 'O'}, {0x91, 'L'}, {0x92, 'l'},
    };
    std::map<std::vector<uint32_t>, unsigned char> seen;
    for (const auto& [letter, base] : letters) {
        const std::vector<uint32_t> picture = Picture(letter);
        EXPECT_NE(Picture(static_cast<unsigned char>(base)), picture) << std::hex << int(letter);
        const auto [at, added] = seen.emplace(picture, letter);
        EXPECT_TRUE(added) << std::hex << int(letter) << " looks like " << int(at->second);
    }
}

TEST(EscpRender, EveryCharacterOfTheTableIsDrawnAndNothingElseIsMarked)
{
    for (int b = 0x21; b <= 0xFE; ++b) {
        if (b == 0x7F)
            continue;
        const auto pages = RenderEscpPages(kInit + Bytes({0x1B, 0x43, 0x00, 1, b}), kDpi);
        int inked = 0;
        for (uint32_t p : pages[0].pixels)
            inked += Inked(p);
        EXPECT_GT(inked, 0) << std::hex << b;
        EXPECT_EQ(0u, Marked(pages[0])) << std::hex << b;
    }
}

TEST(EscpRender, BytesThePrinterWouldNotUnderstandAreMarkedWithoutMovingTheText)
{
    const std::string known = Bytes({0x1B, 0x40, 0x1B, 0x28, 0x74, 0x03, 0x00, 0x01, 0x0A, 0x00, 0x1B, 0x74, 0x01,
                                     0x1B, 0x78, 0x00, 0x1B, 0x43, 0x00, 0x06, 0x1B, 0x30, 0x1B, 0x21, 0x18}) +
                              "AB\r\n\f";
    EXPECT_EQ(0u, Marked(RenderEscpPages(known, kDpi)[0]));
    const auto plain = RenderEscpPages(kInit + "||||", kDpi);
    for (const std::string& unknown : {Bytes({0x07}), Bytes({0x1B, 0x99}), Bytes({0x1B, 0x28, 0x74, 0x01, 0x00, 0x05})}) {
        const auto pages = RenderEscpPages(kInit + "|" + unknown + "|||", kDpi);
        EXPECT_GT(Marked(pages[0]), 0u) << EscpDiff("", unknown);
        // Outside the frame, the page is the page without the unknown bytes.
        size_t moved = 0;
        for (size_t i = 0; i < plain[0].pixels.size(); ++i)
            moved += pages[0].pixels[i] != kUnknownMarkColour && pages[0].pixels[i] != plain[0].pixels[i];
        EXPECT_EQ(0u, moved) << EscpDiff("", unknown);
    }
    // A job cut off in the middle of a command is marked too.
    EXPECT_GT(Marked(RenderEscpPages("A" + Bytes({0x1B}), kDpi)[0]), 0u);
}

// escp-view.exe beside this test program, run with arguments, its standard error into a
// file when one is named; its exit status.
DWORD RunEscpView(const std::string& arguments, const std::string& errors = {})
{
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string dir(exe);
    dir.resize(dir.find_last_of('\\') + 1);
    std::string command = "\"" + dir + "escp-view.exe\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    const HANDLE errorFile = errors.empty() ? INVALID_HANDLE_VALUE
                                            : CreateFileA(errors.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (errorFile != INVALID_HANDLE_VALUE) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdError = errorFile;
    }
    PROCESS_INFORMATION process = {};
    DWORD status = 0xFFFFFFFF;
    const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &process);
    if (errorFile != INVALID_HANDLE_VALUE)
        CloseHandle(errorFile);
    if (!started)
        return status;
    WaitForSingleObject(process.hProcess, 5 * 60000);  // against a hang; slow machines take long
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return status;
}

struct PngFacts {
    UINT width = 0, height = 0;
    float dpi = 0;
    bool inked = false;
};

// Read by GDI+'s own PNG decoder, not by ours.
PngFacts ReadPng(const std::string& path)
{
    PngFacts facts;
    std::wstring wide(path.begin(), path.end());
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromFile(wide.c_str(), &bitmap) != Gdiplus::Ok)
        return facts;
    Gdiplus::DllExports::GdipGetImageWidth(bitmap, &facts.width);
    Gdiplus::DllExports::GdipGetImageHeight(bitmap, &facts.height);
    Gdiplus::DllExports::GdipGetImageHorizontalResolution(bitmap, &facts.dpi);
    for (UINT y = 0; y < facts.height && !facts.inked; y += 2) {
        for (UINT x = facts.width / 10; x < facts.width * 9 / 10 && !facts.inked; ++x) {
            Gdiplus::ARGB p = 0;
            Gdiplus::DllExports::GdipBitmapGetPixel(bitmap, x, y, &p);
            facts.inked = Inked(p & 0xFFFFFF);
        }
    }
    Gdiplus::DllExports::GdipDisposeImage(bitmap);
    return facts;
}

TEST(EscpViewProgram, WritesOnePngPerPageAtTheResolutionAsked)
{
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    ASSERT_EQ(Gdiplus::Ok, Gdiplus::GdiplusStartup(&token, &input, nullptr));
    TempFile job("job");
    job.Write(kInit + Bytes({0x1B, 0x43, 0x00, 0x06}) + "Strana 1\r\n\fStrana 2\r\n\f");
    TempFile out("png");
    const std::string first = out.Path() + ".png";
    const std::string second = out.Path() + "-2.png";
    ASSERT_EQ(0u, RunEscpView("--png \"" + first + "\" --dpi 100 \"" + job.Path() + "\""));
    // The picture data comes in chunks of at most 64 KiB, compressed: 950 x 600 pixels of a
    // mostly white sheet are 1.7 MB raw.
    const std::string file = FileBytes(first);
    EXPECT_LT(file.size(), 64u * 1024) << "not compressed";
    for (size_t at = 8, length = 0; at + 8 <= file.size(); at += 12 + length) {
        length = static_cast<unsigned char>(file[at]) << 24 | static_cast<unsigned char>(file[at + 1]) << 16 |
                 static_cast<unsigned char>(file[at + 2]) << 8 | static_cast<unsigned char>(file[at + 3]);
        EXPECT_LE(length, 65536u) << file.substr(at + 4, 4);
    }
    for (const std::string& path : {first, second}) {
        const PngFacts png = ReadPng(path);
        EXPECT_EQ(950u, png.width) << path;
        EXPECT_EQ(600u, png.height) << path;
        EXPECT_NEAR(100.0f, png.dpi, 0.5f) << path;
        EXPECT_TRUE(png.inked) << path;
        DeleteFileA(path.c_str());
    }
    EXPECT_EQ(2u, RunEscpView("--png \"" + first + "\" --dpi 5 \"" + job.Path() + "\""));
    EXPECT_EQ(1u, RunEscpView("--png \"" + first + "\" \"" + job.Path() + ".missing\""));
    // A job of more sheets than one run draws is refused before any file is written.
    job.Write(std::string(1001, '\f') + "A");
    TempFile errors("err");
    EXPECT_EQ(1u, RunEscpView("--png \"" + first + "\" \"" + job.Path() + "\"", errors.Path()));
    EXPECT_EQ("escp-view: the job fills 1002 sheets, more than the 1000 drawn at most; no picture written "
              "(without --png it is shown as text)\r\n",
              errors.Read());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(first.c_str()));
    Gdiplus::GdiplusShutdown(token);
}

}  // namespace
