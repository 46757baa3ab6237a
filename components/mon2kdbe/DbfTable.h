// One open DBF table, read only: the file is mapped and checked when it opens (and again
// when the host has appended to it), and every later read stays inside what was checked.
// Values come out as OLE variants (DbfValue.cpp); records are sorted and sought in
// DbfSort.cpp, index files kept in DbfIndexFile.cpp.
// An index is the host's index file beside the table when one was written for the table as
// it stands (see SaveIndex), else one sorted here; Seek finds a key by binary search over
// it and, among equal keys, lands on the first of them in index order.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <string>
#include <vector>

#include "IndexFile.h"
#include "MappedFile.h"
#include "TableError.h"

// Status codes of OpenTable.
enum OpenStatus : long {
    kOpened = 0,
    kFileMissing = 1,
    kNotATable = 2,
    // Never returned to a caller: Open turns it into an error.
    kTooLarge = 3,
};

class DbfTable {
public:
    DbfTable() = default;
    ~DbfTable() { Close(); }
    DbfTable(const DbfTable&) = delete;
    DbfTable& operator=(const DbfTable&) = delete;

    // path names the table without its extension; the file is found case-insensitively.
    // A file too large to map into this process's address space throws TableError.
    OpenStatus Open(const std::wstring& path);
    void Close();
    // Takes in the records the host has appended since the table was mapped: its header
    // counts more than were read, and the file holds them. The index in force and the
    // current record stay. Only where a walk begins, never within one; a count the file
    // does not hold yet is taken at a later call. Throws TableError like Open.
    void Refresh();
    bool IsOpen() const { return data_ != nullptr; }

    long Count() const { return static_cast<long>(OrderSize()); }
    // Each returns whether a record is current afterwards.
    bool MoveFirst();
    bool MoveLast();
    bool MovePrev();
    bool MoveNext();

    // -1 when no field has that name (case-insensitive, trailing blanks ignored).
    int FindField(const wchar_t* name, size_t length) const;
    const std::wstring& FieldName(int field) const { return fields_[field].name; }
    // The field's value in the current record; throws TableError.
    void Value(int field, VARIANT* out) const;

    // Orders the records by the field's value, equal keys in file order; the first
    // record becomes current. The index in force is kept as it is.
    void SetIndex(int field);
    bool HasIndex() const { return indexField_ >= 0; }
    // Makes the first record with the key current and returns true; else keeps the position.
    bool Seek(const VARIANT& key);

    // Writes the field's index file beside the table, as the host keeps it, and puts the
    // index in force; false when it cannot be written. Readers use it until the table changes.
    bool SaveIndex(int field);

private:
    struct Field {
        std::wstring name;  // trailing blanks removed
        std::wstring upper; // ASCII letters upper-cased, for the quick comparison
        bool ascii;
        char type;
        size_t offset;  // within the record, after the deletion flag
        size_t length;
        int decimals;
    };

    // The file and the order in force (DbfTable.cpp).
    OpenStatus Load(const std::wstring& file);
    OpenStatus Map(const std::wstring& file);
    bool Parse();
    const unsigned char* Record(uint32_t number) const { return data_ + headerLength_ + size_t(number) * recordLength_; }
    const unsigned char* Current(const Field& field) const;
    void ReadFileOrder() const;
    size_t OrderSize() const;
    uint32_t RecordAt(long position) const;  // the record number at a position of the order
    // Sorting (DbfSort.cpp).
    double NumericKey(const Field& field, uint32_t record) const;
    void BuildIndex(int field);
    // Index files (DbfIndexFile.cpp).
    std::wstring IndexFileName(int field) const;
    bool IndexHeader(int field, IndexFileHeader* header) const;
    bool IndexFits(const IndexFileHeader& header, uint64_t fileSize, int field) const;
    bool CountFromIndexFile(size_t* count) const;
    bool MapIndexFile(int field);
    void UnmapIndexFile();

    MappedFile tableFile_;
    const unsigned char* data_ = nullptr;  // the mapped table; null while none is open
    size_t headerLength_ = 0;
    size_t recordLength_ = 0;
    std::vector<Field> fields_;
    std::wstring path_;
    uint32_t recordCount_ = 0;  // in the file, deleted records included
    // Record numbers of the visible records in the order in force: the entries of a mapped
    // index file, else order_, whose file order is read at its first use.
    mutable std::vector<uint32_t> order_;
    mutable bool ordered_ = false;
    mutable bool counted_ = false;  // visibleCount_ taken from an index file, if one fit
    mutable size_t visibleCount_ = 0;
    const uint32_t* mapped_ = nullptr;
    size_t mappedCount_ = 0;
    MappedFile indexFile_;
    long position_ = -1;  // -1 before the first, Count() after the last
    int indexField_ = -1;
};
