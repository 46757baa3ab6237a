// Turns the ESC/P byte stream this system sends to the printer into readable UTF-8 lines,
// so that a page on the port (or a failing byte comparison) can be read by a person.
#pragma once

#include <string>

// Every text line starts with its print mode: "[80] ", "[40 dw] ", "[137 c b] " (width in
// characters, then dw double width, c condensed, e elite, b emphasized, ds double strike,
// i italic, u underline, p proportional). Printer set-up commands appear as {tags}, bytes
// the decoder does not know as «1B 99», a page end as "==== form feed ====". Text bytes
// are read back through the printer's character table (TextCharacter).
std::string DecodeEscp(const std::string& bytes);

// The decoded forms of two byte streams side by side, line by line ("  " same, "- " only
// in expected, "+ " only in actual), headed by the offset of the first differing byte.
// Empty when the streams are equal.
std::string EscpDiff(const std::string& expected, const std::string& actual);

// One byte of code page 852 as UTF-8: the glyph the printer's PC852 table has for it.
std::string Pc852ToUtf8(unsigned char c);

// The character a text byte on the port stands for, the printer's character table read
// backwards: where one character of code page 1250 alone becomes the byte, that character
// (as Unicode); where several do (the ASCII stand-ins, '?'), the byte itself; 0 where none
// does: control codes and the PC852 glyphs of no code page 1250 character, which no
// printed text can produce.
unsigned TextCharacter(unsigned char b);
