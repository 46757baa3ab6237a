// Temporary files for tests: real files in the Windows temp folder, removed at scope end.
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
