// printf into a std::string, for message texts and fixed-width printed lines alike.
#pragma once

#include <string>

// The text stays in the code page of the format and the arguments (1250).
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Of three Czech wordings of a count, the one for count: one for 1, few for 2 to 4, many
// for any other (0, 5, 22 ...), as in "1 doklad", "3 doklady", "5 dokladů".
const char* CzechPlural(long count, const char* one, const char* few, const char* many);
