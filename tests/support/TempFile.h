// Temporary files and folders for tests: real ones in the Windows temp folder, removed at
// scope end.
#pragma once

#include <string>

// The whole file at path as bytes, read through CreateFile; "<missing>" when it cannot be
// opened.
std::string FileBytes(const std::string& path);

class TempFile {
public:
    explicit TempFile(const std::string& hint = "qlt");
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& Path() const { return path_; }
    // The whole file as bytes, read back through CreateFile.
    std::string Read() const;
    void Write(const std::string& bytes) const;

private:
    std::string path_;
};

// A fresh folder, removed with everything in it at scope end. Its name is the hint, the
// process and a serial number.
class TempDir {
public:
    explicit TempDir(const std::string& hint);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Removes a file or a folder with everything in it.
void RemoveTree(const std::string& path);
