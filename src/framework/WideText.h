// The crossing between the program's text, code page 1250 whatever the system's ANSI code
// page is, and the UTF-16 of Windows' windows, printer queues and file names (and the UTF-8
// of the files the program writes for others to open). The host's values and the printer
// convert on their own (docs/ARCHITECTURE.md, Code pages).
#pragma once

#include <string>

// Code page 1250 text as UTF-16; every byte has its character.
std::wstring ToWide(const std::string& text);

// UTF-16 as code page 1250. False when a character has no place in 1250 (nor a look-alike
// is taken for it); bad then gives the position of the first such character in text.
bool ToCp1250(const std::wstring& text, std::string& result, size_t* bad = nullptr);

// For texts that are only shown (the system's messages): a character 1250 cannot hold
// becomes '?'.
std::string ToCp1250Shown(const std::wstring& text);

// UTF-16 as UTF-8; a lone surrogate becomes U+FFFD.
std::string ToUtf8(const std::wstring& text);
