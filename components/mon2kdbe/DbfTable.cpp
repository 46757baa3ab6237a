// Reading dBase III / FoxPro tables: the header is checked against the file size when the
// table opens, so that no later read can leave the mapped file. Moves go through the order
// in force: the file's own order of the visible records, or an index.
#include "DbfTable.h"

#include <utility>

#include "DbfFormat.h"

namespace {

constexpr long kPrefetchAhead = 8;

bool KnownVersion(unsigned char version)
{
    switch (version & 0x07) {
    case 3: case 4: case 5:
        return true;
    default:
        return version == 0x30 || version == 0x31 || version == 0x32;
    }
}

std::wstring Widen(const char* text, size_t length)
{
    std::wstring wide(length, L'\0');
    if (length) {
        int got = MultiByteToWideChar(kTableCodePage, 0, text, static_cast<int>(length), wide.data(),
                                      static_cast<int>(length));
        wide.resize(got > 0 ? got : 0);
    }
    return wide;
}

}  // namespace

OpenStatus DbfTable::Open(const std::wstring& path)
{
    Close();
    const size_t slash = path.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? L"." : path.substr(0, slash);
    const std::wstring wanted = path.substr(slash == std::wstring::npos ? 0 : slash + 1) + L".dbf";
    if (wanted.size() == 4)
        return kFileMissing;

    // The host names its tables in mixed case; the files may be named in any case.
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return kFileMissing;
    std::wstring file;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            CompareStringOrdinal(found.cFileName, -1, wanted.c_str(), static_cast<int>(wanted.size()),
                                 TRUE) == CSTR_EQUAL) {
            file = folder + L"\\" + found.cFileName;
            break;
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    if (file.empty())
        return kFileMissing;

    return Load(file);
}

OpenStatus DbfTable::Load(const std::wstring& file)
{
    path_ = file;
    const OpenStatus status = Map(file);
    if (status != kOpened) {
        const uint64_t megabytes = tableFile_.Size() >> 20;
        Close();
        // The whole file is mapped at once; a 32-bit process has no room for a view of a
        // few gigabytes. Say so, rather than calling the file something it is not.
        if (status == kTooLarge)
            throw TableError{E_OUTOFMEMORY, L"The table " + file + L" (" + std::to_wstring(megabytes) +
                                                L" MB) is too large to be read in this program's address space"};
    }
    return status;
}

OpenStatus DbfTable::Map(const std::wstring& file)
{
    switch (tableFile_.Map(file, 33)) {
    case MappedFile::Result::kMapped:
        break;
    case MappedFile::Result::kNotOpened:
        return kFileMissing;
    case MappedFile::Result::kTooLarge:
        return kTooLarge;
    default:
        return kNotATable;
    }
    data_ = tableFile_.Data();
    return Parse() ? kOpened : kNotATable;
}

bool DbfTable::Parse()
{
    if (!KnownVersion(data_[0]))
        return false;
    const uint32_t count = Le32(data_ + 4);
    headerLength_ = data_[8] | (data_[9] << 8);
    recordLength_ = data_[10] | (data_[11] << 8);
    if (headerLength_ < 33 || headerLength_ > tableFile_.Size() || recordLength_ < 2)
        return false;

    size_t offset = 1;
    size_t at = 32;
    for (; at < headerLength_ && data_[at] != 0x0D; at += 32) {
        if (at + 32 > headerLength_)
            return false;
        const unsigned char* d = data_ + at;
        size_t nameLength = 0;
        while (nameLength < 11 && d[nameLength])
            ++nameLength;
        Field field;
        field.name = Widen(reinterpret_cast<const char*>(d), nameLength);
        while (!field.name.empty() && field.name.back() == L' ')
            field.name.pop_back();
        field.upper = field.name;
        field.ascii = true;
        for (wchar_t& c : field.upper) {
            field.ascii = field.ascii && c < 0x80;
            if (c >= L'a' && c <= L'z')
                c = static_cast<wchar_t>(c - 32);
        }
        field.type = static_cast<char>(d[11]);
        field.offset = offset;
        field.length = d[16];
        field.decimals = d[17];
        if (field.length == 0)
            return false;
        const bool fixedEight = field.type == 'D' || field.type == 'Y' || field.type == 'B';
        if ((fixedEight && field.length != 8) || (field.type == 'I' && field.length != 4))
            return false;
        offset += field.length;
        fields_.push_back(std::move(field));
    }
    if (fields_.empty() || offset > recordLength_)
        return false;
    // A file shorter than its header says is cut off: refuse it rather than show part of it.
    if (uint64_t(headerLength_) + uint64_t(count) * recordLength_ > tableFile_.Size())
        return false;

    recordCount_ = count;
    position_ = 0;
    return true;
}

void DbfTable::Refresh()
{
    if (!data_)
        return;
    // The header lies in the mapped view, which shows the host's writes at once: checking
    // it costs no call into the system.
    const uint32_t count = Le32(data_ + 4);
    LARGE_INTEGER size;
    if (count == recordCount_ || !GetFileSizeEx(tableFile_.File(), &size) ||
        uint64_t(headerLength_) + uint64_t(count) * recordLength_ > uint64_t(size.QuadPart))
        return;
    const int index = indexField_;
    const long position = position_;
    const bool current = position >= 0 && position < Count();
    const uint32_t record = current ? RecordAt(position) : 0;
    const std::wstring file = path_;
    Close();
    if (Load(file) != kOpened)
        return;
    if (index >= 0)
        SetIndex(index);
    position_ = position < 0 ? -1 : Count();
    for (long at = 0; current && at < Count(); ++at) {
        if (RecordAt(at) == record) {
            position_ = at;
            break;
        }
    }
}

void DbfTable::Close()
{
    tableFile_.Close();
    data_ = nullptr;
    fields_.clear();
    UnmapIndexFile();
    std::vector<uint32_t>().swap(order_);
    ordered_ = false;
    counted_ = false;
    recordCount_ = 0;
    position_ = -1;
    indexField_ = -1;
}

bool DbfTable::MoveFirst()
{
    position_ = 0;
    return position_ < Count();
}

bool DbfTable::MoveLast()
{
    // An index file's count is a promise about the file order; once positions are taken
    // from the end, only the order itself can say where the end is.
    if (!mapped_)
        ReadFileOrder();
    position_ = Count() - 1;
    return position_ >= 0;
}

bool DbfTable::MovePrev()
{
    if (position_ >= 0)
        --position_;
    return position_ >= 0 && position_ < Count();
}

bool DbfTable::MoveNext()
{
    if (position_ < Count())
        ++position_;
    // In index order the records lie all over the file: ask for the ones a few steps
    // ahead early, so that a scan does not wait on each of them.
    const long ahead = position_ + kPrefetchAhead;
    if (ahead < Count() && (mapped_ ? mapped_[ahead] < recordCount_ : size_t(ahead) < order_.size()))
        __builtin_prefetch(Record(mapped_ ? mapped_[ahead] : order_[ahead]));
    return position_ >= 0 && position_ < Count();
}

int DbfTable::FindField(const wchar_t* name, size_t length) const
{
    while (length && name[length - 1] == L' ')
        --length;
    bool ascii = true;
    for (size_t i = 0; i < length && ascii; ++i)
        ascii = name[i] < 0x80;
    // Called twice a row in a scan: plain ASCII names skip the system's comparison.
    for (size_t i = 0; i < fields_.size(); ++i) {
        const Field& field = fields_[i];
        if (ascii && field.ascii) {
            if (field.upper.size() != length)
                continue;
            size_t at = 0;
            for (; at < length; ++at) {
                const wchar_t c = name[at] >= L'a' && name[at] <= L'z' ? name[at] - 32 : name[at];
                if (c != field.upper[at])
                    break;
            }
            if (at == length)
                return static_cast<int>(i);
            continue;
        }
        const std::wstring& candidate = field.name;
        if (CompareStringOrdinal(name, static_cast<int>(length), candidate.c_str(),
                                 static_cast<int>(candidate.size()), TRUE) == CSTR_EQUAL)
            return static_cast<int>(i);
    }
    return -1;
}

const unsigned char* DbfTable::Current(const Field& field) const
{
    if (position_ < 0 || position_ >= Count())
        ThrowNoRecord();
    return Record(RecordAt(position_)) + field.offset;
}

void DbfTable::ReadFileOrder() const
{
    // The deletion flags are read at the first use of the file's own order, not when the
    // table opens: a table used only through an index file never reads them all.
    if (ordered_)
        return;
    order_.reserve(recordCount_);
    for (uint32_t r = 0; r < recordCount_; ++r)
        if (Record(r)[0] != '*')
            order_.push_back(r);
    ordered_ = true;
}

size_t DbfTable::OrderSize() const
{
    if (mapped_)
        return mappedCount_;
    if (ordered_)
        return order_.size();
    // Counted before an index is set (as a caller checks for an empty table first): any
    // index file of the table as it stands knows the count.
    if (!counted_) {
        counted_ = true;
        if (!CountFromIndexFile(&visibleCount_))
            ReadFileOrder();
    }
    return ordered_ ? order_.size() : visibleCount_;
}

uint32_t DbfTable::RecordAt(long position) const
{
    // Every position is checked against the order it indexes: a count taken from an index
    // file may promise more records than the deletion flags leave.
    if (!mapped_) {
        ReadFileOrder();
        if (position < 0 || size_t(position) >= order_.size())
            ThrowNoRecord();
        return order_[position];
    }
    if (position < 0 || size_t(position) >= mappedCount_)
        ThrowNoRecord();
    // An index file is checked as it is read: one entry is all a seek or a move needs.
    const uint32_t record = mapped_[position];
    if (record >= recordCount_)
        ThrowTableError(kErrBadIndex, L"The index file " + IndexFileName(indexField_) + L" names a record the table does not have");
    return record;
}
