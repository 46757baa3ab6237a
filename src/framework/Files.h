// Whether a file or a folder is there, by the system's attributes of the path.
#pragma once

#include <string>

// A file, not a folder, at path.
bool FileExists(const std::string& path);
// A folder at path; trailing backslashes are ignored, but a drive's root keeps its own.
bool FolderExists(std::string path);
