// Mapping a table or an index file read only.
#include "MappedFile.h"

#include <cstdint>

MappedFile::Result MappedFile::Map(const std::wstring& path, uint64_t minimumSize)
{
    Close();
    file_ = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE)
        return Result::kNotOpened;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file_, &size) || uint64_t(size.QuadPart) < minimumSize)
        return Result::kTooSmall;
    size_ = static_cast<uint64_t>(size.QuadPart);
    if (size_ > SIZE_MAX)
        return Result::kTooLarge;
    mapping_ = CreateFileMappingW(file_, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping_)
        return Result::kNoMapping;
    view_ = MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0);
    return view_ ? Result::kMapped : Result::kTooLarge;
}

void MappedFile::Close()
{
    if (view_)
        UnmapViewOfFile(view_);
    if (mapping_)
        CloseHandle(mapping_);
    if (file_ != INVALID_HANDLE_VALUE)
        CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    mapping_ = nullptr;
    view_ = nullptr;
    size_ = 0;
}
