// PostScript read back as text by Ghostscript, the Linux program, started from the test:
// what a PostScript printer queue made of a drawn document.
#pragma once

#include <string>

// The text of every page of the PostScript file at path (a Windows path), in UTF-8, lines
// as Ghostscript lays them out by position; "<no ghostscript>" when it cannot be run.
std::string PostScriptText(const std::string& path);

// How many pages the PostScript file at path prints.
int PostScriptPages(const std::string& path);
