// Lays out host installations on the test prefix's drives through the real file API and
// takes them away again, so that every test starts from, and leaves, the same prefix.
#pragma once

#include <string>
#include <vector>

#include "support/TempFile.h"  // RemoveTree

// Writes the bytes to the path as they stand, creating the missing folders on the way.
// Returns false when the file cannot be written.
bool WriteBytes(const std::string& path, const std::string& bytes);

bool PathExists(const std::string& path);

// Keeps a path free for the test: what lies there is moved aside at construction, and at
// destruction whatever the test put there is removed and the original is put back.
class SetAside {
public:
    explicit SetAside(std::string path);
    ~SetAside();
    SetAside(const SetAside&) = delete;
    SetAside& operator=(const SetAside&) = delete;

private:
    std::string path_;
    std::string aside_;
};

// Files written for one test; at destruction each folder or file the writes created at
// the top is removed, newest first.
class HostFiles {
public:
    HostFiles() = default;
    ~HostFiles();
    HostFiles(const HostFiles&) = delete;
    HostFiles& operator=(const HostFiles&) = delete;

    // The INI lines are joined with CR LF; the text is code page 1250.
    void WriteIni(const std::string& path, const std::vector<std::string>& lines);
    void Write(const std::string& path, const std::string& bytes);

private:
    std::vector<std::string> created_;
};

// The folder of the running test program, ending in a backslash.
std::string ProgramFolder();
