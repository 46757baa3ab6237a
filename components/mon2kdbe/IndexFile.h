// The host's index file "<table>.<field>.idx": a header saying which state of the table and
// which field it was written for, then entries of uint32_t, the numbers of the visible
// records in index order. Little-endian.
#pragma once

#include <cstdint>

struct IndexFileHeader {
    char magic[8];
    uint32_t version;
    uint32_t tableRecords;  // the table's record count, deleted records included
    uint64_t tableSize;     // the table file's size in bytes
    uint64_t tableWritten;  // the table file's last write time (FILETIME)
    uint32_t fieldOffset;   // the indexed field's place in the record, its length and type
    uint32_t fieldLength;
    uint32_t fieldType;
    uint32_t entries;
};

inline constexpr char kIndexMagic[8] = {'M', '2', 'K', 'I', 'N', 'D', 'E', 'X'};
inline constexpr uint32_t kIndexVersion = 1;
