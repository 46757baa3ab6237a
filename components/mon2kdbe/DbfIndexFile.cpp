// The host's index files beside a table: written as the host writes them, and used only
// while they fit the table as it stands (see IndexFits).
#include "DbfTable.h"

#include <cstddef>
#include <cstring>

std::wstring DbfTable::IndexFileName(int index) const
{
    const size_t dot = path_.find_last_of(L'.');
    return path_.substr(0, dot) + L"." + fields_[index].name + L".idx";
}

bool DbfTable::IndexHeader(int index, IndexFileHeader* header) const
{
    FILETIME written;
    if (!GetFileTime(tableFile_.File(), nullptr, nullptr, &written))
        return false;
    const Field& field = fields_[index];
    *header = IndexFileHeader{};
    std::memcpy(header->magic, kIndexMagic, sizeof header->magic);
    header->version = kIndexVersion;
    header->tableRecords = recordCount_;
    header->tableSize = tableFile_.Size();
    header->tableWritten = (uint64_t(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    header->fieldOffset = static_cast<uint32_t>(field.offset);
    header->fieldLength = static_cast<uint32_t>(field.length);
    header->fieldType = static_cast<unsigned char>(field.type);
    return true;
}

bool DbfTable::IndexFits(const IndexFileHeader& header, uint64_t fileSize, int index) const
{
    IndexFileHeader expected;
    // An index written for another state of the table (the host has written to it since)
    // or for another field is not used; nor is one whose length does not fit its count.
    return IndexHeader(index, &expected) &&
           std::memcmp(&header, &expected, offsetof(IndexFileHeader, entries)) == 0 &&
           header.entries <= recordCount_ && sizeof header + uint64_t(header.entries) * sizeof(uint32_t) == fileSize;
}

bool DbfTable::CountFromIndexFile(size_t* count) const
{
    const size_t dot = path_.find_last_of(L'.');
    const std::wstring folder = path_.substr(0, path_.find_last_of(L'\\') + 1);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path_.substr(0, dot) + L".*.idx").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    bool known = false;
    do {
        for (int index = 0; index < static_cast<int>(fields_.size()) && !known; ++index) {
            const std::wstring name = IndexFileName(index);
            if (CompareStringOrdinal(name.c_str() + folder.size(), -1, found.cFileName, -1, TRUE) != CSTR_EQUAL)
                continue;
            HANDLE file = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file == INVALID_HANDLE_VALUE)
                continue;
            IndexFileHeader header;
            DWORD got = 0;
            LARGE_INTEGER size;
            known = GetFileSizeEx(file, &size) && ReadFile(file, &header, sizeof header, &got, nullptr) &&
                    got == sizeof header && IndexFits(header, uint64_t(size.QuadPart), index);
            CloseHandle(file);
            if (known)
                *count = header.entries;
        }
    } while (!known && FindNextFileW(search, &found));
    FindClose(search);
    return known;
}

bool DbfTable::MapIndexFile(int index)
{
    UnmapIndexFile();
    IndexFileHeader header;
    if (indexFile_.Map(IndexFileName(index), sizeof header) != MappedFile::Result::kMapped) {
        UnmapIndexFile();
        return false;
    }
    std::memcpy(&header, indexFile_.Data(), sizeof header);
    if (!IndexFits(header, indexFile_.Size(), index)) {
        UnmapIndexFile();
        return false;
    }
    mapped_ = reinterpret_cast<const uint32_t*>(indexFile_.Data() + sizeof header);
    mappedCount_ = header.entries;
    return true;
}

void DbfTable::UnmapIndexFile()
{
    indexFile_.Close();
    mapped_ = nullptr;
    mappedCount_ = 0;
}

bool DbfTable::SaveIndex(int index)
{
    BuildIndex(index);
    indexField_ = index;
    position_ = 0;
    IndexFileHeader header;
    if (!IndexHeader(index, &header))
        return false;
    header.entries = static_cast<uint32_t>(order_.size());
    // Written in place, sharing, because readers may have the old file mapped while the host
    // adds to its tables (a mapped file can be neither replaced nor cut). The entries go
    // first and the header last: only the header makes the file fit the table as it stands.
    HANDLE file = CreateFileW(IndexFileName(index).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD wrote = 0;
    const DWORD entryBytes = static_cast<DWORD>(order_.size() * sizeof(uint32_t));
    bool ok = SetFilePointer(file, sizeof header, nullptr, FILE_BEGIN) == sizeof header;
    ok = ok &&
         (entryBytes == 0 || (WriteFile(file, order_.data(), entryBytes, &wrote, nullptr) && wrote == entryBytes));
    ok = ok && SetEndOfFile(file) && SetFilePointer(file, 0, nullptr, FILE_BEGIN) == 0;
    ok = ok && WriteFile(file, &header, sizeof header, &wrote, nullptr) && wrote == sizeof header;
    ok = CloseHandle(file) && ok;
    if (!ok)
        DeleteFileW(IndexFileName(index).c_str());
    return ok;
}
