// printf into a std::string, for message texts and fixed-width printed lines alike.
#pragma once

#include <string>

// The text stays in the code page of the format and the arguments (1250).
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
