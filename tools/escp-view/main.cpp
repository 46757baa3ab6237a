// escp-view: prints what an ESC/P byte stream (a file named on the command line, or
// standard input) would put on paper, as UTF-8 text.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iterator>
#include <fstream>
#include <iostream>
#include <sstream>

#include "EscpDecode.h"

int main(int argc, char** argv)
{
    if (argc > 2) {
        std::fprintf(stderr, "usage: escp-view [file]\n");
        return 2;
    }
    std::string bytes;
    if (argc == 2) {
        std::ifstream in(argv[1], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "escp-view: cannot open %s\n", argv[1]);
            return 1;
        }
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } else {
        _setmode(_fileno(stdin), _O_BINARY);
        bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    }
    // Binary output: the lines end in LF, and UTF-8 passes through untouched.
    _setmode(_fileno(stdout), _O_BINARY);
    const std::string text = DecodeEscp(bytes);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}
