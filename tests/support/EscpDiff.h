// A failing comparison of ESC/P bytes, explained: both streams decoded as escp-view reads
// them, side by side.
#pragma once

#include <string>

// The decoded forms of two byte streams side by side, line by line ("  " same, "- " only
// in expected, "+ " only in actual), headed by the offset of the first differing byte.
// Empty when the streams are equal.
std::string EscpDiff(const std::string& expected, const std::string& actual);
