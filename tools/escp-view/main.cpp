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

#include "EscpDecode.h"
#include "EscpRender.h"
#include "PngFile.h"

namespace {

constexpr int kDefaultDpi = 120;

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

    if (!png.empty()) {
        const std::vector<EscpPageImage> pages = RenderEscpPages(bytes, dpi);
        for (size_t i = 0; i < pages.size(); ++i) {
            const std::string path = PagePath(png, i + 1);
            const std::string data = EncodePng(pages[i], dpi);
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            if (!out.write(data.data(), static_cast<std::streamsize>(data.size())) || !out.flush()) {
                std::fprintf(stderr, "escp-view: cannot write %s\n", path.c_str());
                return 1;
            }
            std::printf("%s: page %u of %u, %d x %d pixels at %d dpi\n", path.c_str(), unsigned(i + 1),
                        unsigned(pages.size()), pages[i].width, pages[i].height, dpi);
        }
        return 0;
    }

    // Binary output: the lines end in LF, and UTF-8 passes through untouched.
    _setmode(_fileno(stdout), _O_BINARY);
    const std::string text = DecodeEscp(bytes);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}
