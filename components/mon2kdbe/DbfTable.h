// One open DBF table, read only: the file is mapped, checked once when it opens, and every
// later read stays inside what was checked. Values come out as OLE variants.
// An index is the host's index file beside the table when one was written for the table as
// it stands (see SaveIndex), else one sorted here; Seek finds a key by binary search over
// it and, among equal keys, lands on the first of them in index order.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <string>
#include <vector>

// Every failure below is thrown as this and becomes the method's HRESULT and error object.
struct TableError {
    HRESULT result;
    std::wstring description;
};

// Status codes of OpenTable.
enum OpenStatus : long {
    kOpened = 0,
    kFileMissing = 1,
    kNotATable = 2,
    // Never returned to a caller: Open turns it into an error.
    kTooLarge = 3,
};

// The component's own failures, in the interface's range (FACILITY_ITF from 0x201).
inline constexpr HRESULT kErrNotOpen = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x201);
inline constexpr HRESULT kErrNoRecord = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x202);
inline constexpr HRESULT kErrNoField = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x203);
inline constexpr HRESULT kErrNoIndex = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x204);
inline constexpr HRESULT kErrBadValue = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x205);
inline constexpr HRESULT kErrBadIndex = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x206);

// The start of an index file "<table>.<field>.idx": what it was written for, then entries
// of uint32_t, the numbers of the visible records in index order. Little-endian.
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
    bool IsOpen() const { return view_ != nullptr; }

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

    OpenStatus Map(const std::wstring& file);
    bool Parse();
    const unsigned char* Record(uint32_t number) const { return data_ + headerLength_ + size_t(number) * recordLength_; }
    const unsigned char* Current(const Field& field) const;
    double NumericKey(const Field& field, uint32_t record) const;
    void ReadFileOrder() const;
    size_t OrderSize() const;
    uint32_t RecordAt(long position) const;  // the record number at a position of the order
    void BuildIndex(int field);
    std::wstring IndexFileName(int field) const;
    bool IndexHeader(int field, IndexFileHeader* header) const;
    bool IndexFits(const IndexFileHeader& header, uint64_t fileSize, int field) const;
    bool CountFromIndexFile(size_t* count) const;
    bool MapIndexFile(int field);
    void UnmapIndexFile();

    HANDLE file_ = INVALID_HANDLE_VALUE;
    HANDLE mapping_ = nullptr;
    void* view_ = nullptr;
    const unsigned char* data_ = nullptr;
    uint64_t size_ = 0;
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
    HANDLE indexFile_ = INVALID_HANDLE_VALUE;
    HANDLE indexMapping_ = nullptr;
    void* indexView_ = nullptr;
    long position_ = -1;  // -1 before the first, Count() after the last
    int indexField_ = -1;
};
