// The side-by-side explanation of two ESC/P byte streams that differ.
#include "support/EscpDiff.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "print/escp/EscpDecode.h"

namespace {

std::string Hex(unsigned char b)
{
    char text[4];
    std::snprintf(text, sizeof text, "%02X", b);
    return text;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace

std::string EscpDiff(const std::string& expected, const std::string& actual)
{
    if (expected == actual)
        return {};
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    std::string out = "first difference at byte " + std::to_string(at) + ": expected " +
                      (at < expected.size() ? Hex(static_cast<unsigned char>(expected[at])) : "end") +
                      ", actual " +
                      (at < actual.size() ? Hex(static_cast<unsigned char>(actual[at])) : "end") +
                      " (" + std::to_string(expected.size()) + " vs " +
                      std::to_string(actual.size()) + " bytes)\n";

    // A longest-common-subsequence walk; pages are a few hundred lines at most.
    const std::vector<std::string> a = Lines(DecodeEscp(expected));
    const std::vector<std::string> b = Lines(DecodeEscp(actual));
    std::vector<std::vector<unsigned>> common(a.size() + 1, std::vector<unsigned>(b.size() + 1, 0));
    for (size_t i = a.size(); i-- > 0;)
        for (size_t j = b.size(); j-- > 0;)
            common[i][j] = a[i] == b[j] ? common[i + 1][j + 1] + 1
                                        : std::max(common[i + 1][j], common[i][j + 1]);
    // Lines end in "|" so that trailing spaces can be seen.
    size_t i = 0, j = 0;
    while (i < a.size() || j < b.size()) {
        if (i < a.size() && j < b.size() && a[i] == b[j]) {
            out += "  " + a[i++] + "|\n";
            ++j;
        } else if (i < a.size() && (j == b.size() || common[i + 1][j] >= common[i][j + 1])) {
            out += "- " + a[i++] + "|\n";
        } else {
            out += "+ " + b[j++] + "|\n";
        }
    }
    return out;
}
