// Turns the ESC/P byte stream this system sends to the printer into readable UTF-8 lines,
// so that a page on the port can be read by a person.
#pragma once

#include <string>

#include "print/escp/EscpCharacters.h"

// Every text line starts with its print mode: "[80] ", "[40 dw] ", "[137 c b] " (width in
// characters, then dw double width, c condensed, e elite, b emphasized, ds double strike,
// i italic, u underline, p proportional). Printer set-up commands appear as {tags}, bytes
// the decoder does not know as «1B 99», a page end as "==== form feed ====", a page length
// the printer ignores as {page 30 in, ignored}. Text bytes are read back through the
// printer's character table (TextCharacter).
std::string DecodeEscp(const std::string& bytes);
