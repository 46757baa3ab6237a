// escp-view: prints what an ESC/P byte stream (a file named on the command line, or
// standard input) would put on paper, as UTF-8 text, or draws it as PNG pictures.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <fstream>
#include <iostream>
#include <sstream>

#include "PngFile.h"
#include "print/escp/EscpDecode.h"
#include "print/escp/EscpInterpret.h"
#include "print/escp/EscpRender.h"

namespace {

constexpr int kDefaultDpi = 120;
// Pictures written for one job at most: enough for any document, and a job that would fill
// more (a stream of line feeds, say) is refused before any file is written.
constexpr size_t kMaxSheets = 1000;
// Pixel rows drawn at once: a sheet's picture is never held whole.
constexpr int kBandRows = 256;

int Usage()
{
    std::fprintf(stderr,
                 "usage: escp-view [file]\n"
                 "       escp-view --png OUT.png [--dpi N] [file]\n"
                 "Without --png the job is printed as text lines with their print modes. With it,\n"
                 "each page becomes a picture: OUT.png, then OUT-2.png, OUT-3.png ... for later\n"
                 "pages, at N pixels per inch (%d unless given, 30 to 600).\n",
                 kDefaultDpi);
    return 2;
}

// OUT.png for page 1, OUT-2.png for page 2 ...
std::string PagePath(const std::string& first, size_t page)
{
    if (page == 1)
        return first;
    const size_t dot = first.find_last_of('.');
    const size_t slash = first.find_last_of("\\/");
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const std::string stem = hasExtension ? first.substr(0, dot) : first;
    const std::string extension = hasExtension ? first.substr(dot) : std::string();
    return stem + "-" + std::to_string(page) + extension;
}

// One PNG file per sheet, each written a band of rows at a time.
int WritePngs(const EscpJob& job, const std::string& first, int dpi)
{
    const size_t sheets = job.forms.size();
    if (sheets > kMaxSheets) {
        std::fprintf(stderr,
                     "escp-view: the job fills %u sheets, more than the %u drawn at most; no picture written "
                     "(without --png it is shown as text)\n",
                     unsigned(sheets), unsigned(kMaxSheets));
        return 1;
    }
    for (size_t i = 0; i < sheets; ++i) {
        const std::string path = PagePath(first, i + 1);
        const int width = EscpSheetWidth(dpi), height = EscpSheetHeight(job, i, dpi);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        PngWriter writer(out, width, height, dpi);
        for (int row = 0; row < height && out; row += kBandRows)
            writer.AddRows(RenderEscpBand(job, i, dpi, row, kBandRows));
        writer.Finish();
        if (!out.flush()) {
            std::fprintf(stderr, "escp-view: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s: page %u of %u, %d x %d pixels at %d dpi\n", path.c_str(), unsigned(i + 1),
                    unsigned(sheets), width, height, dpi);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string png;
    int dpi = kDefaultDpi;
    const char* file = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--png") == 0 && i + 1 < argc) {
            png = argv[++i];
        } else if (std::strcmp(argv[i], "--dpi") == 0 && i + 1 < argc) {
            char* end = nullptr;
            const long value = std::strtol(argv[++i], &end, 10);
            if (*end || value < 30 || value > 600)
                return Usage();
            dpi = static_cast<int>(value);
        } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
            return Usage();
        } else if (!file) {
            file = argv[i];
        } else {
            return Usage();
        }
    }

    std::string bytes;
    if (file) {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "escp-view: cannot open %s\n", file);
            return 1;
        }
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } else {
        _setmode(_fileno(stdin), _O_BINARY);
        bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    }

    if (!png.empty())
        return WritePngs(InterpretEscp(bytes), png, dpi);

    // Binary output: the lines end in LF, and UTF-8 passes through untouched.
    _setmode(_fileno(stdout), _O_BINARY);
    const std::string text = DecodeEscp(bytes);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}
