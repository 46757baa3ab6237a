// What the printer draws for a text byte: the printer's one character table read
// backwards, so that a job is read back exactly as Quillet's text was printed.
#pragma once

#include <string>

// The character a text byte on the port stands for, the printer's character table read
// backwards: where one character of code page 1250 alone becomes the byte, that character
// (as Unicode); where several do (the ASCII stand-ins, '?'), the byte itself; 0 where none
// does: control codes and the PC852 glyphs of no code page 1250 character, which no
// printed text can produce.
unsigned TextCharacter(unsigned char b);

// The character the printer draws for a byte, as a Unicode code point: TextCharacter, and
// for the glyphs no text produces (line drawing, ×, ß ...) Windows' own code page 852.
unsigned Pc852ToUnicode(unsigned char c);

// A code point as UTF-8.
std::string Utf8(unsigned code);
