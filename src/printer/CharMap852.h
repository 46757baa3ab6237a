// The printer's character table: every byte of the printed text, code page 1250, becomes
// one byte of PC852, the table the printer is switched to, so columns stay where they are.
#pragma once

#include <windows.h>

// The code page of all printed text: what the host hands over as Unicode is converted into
// it, whatever the system's ANSI code page is, and the printer converts it to PC852.
constexpr UINT kTextCodePage = 1250;

// Indexed by a code page 1250 byte. A character that PC852 has becomes its PC852 byte; the
// 24 characters it lacks become an ASCII stand-in (quotes, dashes, € as E, ™ as T ...);
// the five bytes that are no character of code page 1250 become '?'; control bytes become
// spaces, so that no text can ever send a printer command or break a line.
extern const unsigned char kCharMap852[256];
