// A file opened read only and mapped whole into memory: a table, or one of its index files.
// Sharing allows writers, since the host keeps writing its tables while they are read.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class MappedFile {
public:
    // How far mapping got; each step is tried only when the one before it worked.
    enum class Result {
        kMapped,
        kNotOpened,
        kTooSmall,   // its size unknown, or below the minimum asked for
        kTooLarge,   // larger than this process can address, or no room for the view
        kNoMapping,  // the system would not make a mapping of it
    };

    MappedFile() = default;
    ~MappedFile() { Close(); }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Opens and maps the file; anything mapped before is let go first. Whatever failed, the
    // handles taken so far stay until Close, and the size once it was read.
    Result Map(const std::wstring& path, uint64_t minimumSize);
    // Lets go of the view, the mapping and the file, in that order.
    void Close();

    const unsigned char* Data() const { return static_cast<const unsigned char*>(view_); }
    uint64_t Size() const { return size_; }
    HANDLE File() const { return file_; }

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
    HANDLE mapping_ = nullptr;
    void* view_ = nullptr;
    uint64_t size_ = 0;
};
