// Reading dBase III / FoxPro tables: the header is checked against the file size when the
// table opens, so that no later read can leave the mapped file.
#include "DbfTable.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

namespace {

constexpr UINT kTableCodePage = 1250;
constexpr long kPrefetchAhead = 8;
constexpr char kIndexMagic[8] = {'M', '2', 'K', 'I', 'N', 'D', 'E', 'X'};
constexpr uint32_t kIndexVersion = 1;

uint32_t Le32(const unsigned char* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24);
}

bool KnownVersion(unsigned char version)
{
    switch (version & 0x07) {
    case 3: case 4: case 5:
        return true;
    default:
        return version == 0x30 || version == 0x31 || version == 0x32;
    }
}

bool IsBlank(const unsigned char* p, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (p[i] != ' ' && p[i] != 0)
            return false;
    return true;
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

[[noreturn]] void Throw(HRESULT result, std::wstring description)
{
    throw TableError{result, std::move(description)};
}

[[noreturn]] void BadValue(const std::wstring& field, const wchar_t* what)
{
    Throw(kErrBadValue, std::wstring(what) + L" in field " + field);
}

// Days since 1 March of year 0 in the proleptic Gregorian calendar, shifted so that
// differences give day counts.
long long DaysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe);
}

int DaysInMonth(int y, int m)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0))
        return 29;
    return days[m - 1];
}

// The digits of an N or F field: [sign] digits [. digits], blanks around it.
struct Number {
    bool blank = true;
    bool plain = false;  // matched the form above; otherwise only strtod may read it
    bool negative = false;
    const unsigned char* whole = nullptr;
    size_t wholeDigits = 0;
    const unsigned char* fraction = nullptr;
    size_t fractionDigits = 0;
    const unsigned char* begin = nullptr;
    size_t length = 0;
};

Number Scan(const unsigned char* p, size_t n)
{
    Number number;
    size_t b = 0, e = n;
    while (b < e && (p[b] == ' ' || p[b] == 0))
        ++b;
    while (e > b && (p[e - 1] == ' ' || p[e - 1] == 0))
        --e;
    if (b == e)
        return number;
    number.blank = false;
    number.begin = p + b;
    number.length = e - b;
    size_t i = b;
    if (p[i] == '-' || p[i] == '+')
        number.negative = p[i++] == '-';
    number.whole = p + i;
    while (i < e && p[i] >= '0' && p[i] <= '9')
        ++i, ++number.wholeDigits;
    if (i < e && p[i] == '.') {
        number.fraction = p + ++i;
        while (i < e && p[i] >= '0' && p[i] <= '9')
            ++i, ++number.fractionDigits;
    }
    number.plain = i == e && number.wholeDigits + number.fractionDigits > 0;
    return number;
}

// The value by strtod, for exponents and long fractions; false for anything else.
bool ToDouble(const Number& number, double* value)
{
    char text[256];
    if (number.length >= sizeof text)
        return false;
    for (size_t i = 0; i < number.length; ++i) {
        const char c = static_cast<char>(number.begin[i]);
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
            return false;
        text[i] = c;
    }
    text[number.length] = 0;
    char* end = nullptr;
    *value = std::strtod(text, &end);
    return end == text + number.length && std::isfinite(*value);
}

// The number scaled by 10^scale as a 64-bit integer, when that is exact and fits.
bool ToScaled(const Number& number, int scale, long long* value)
{
    if (!number.plain)
        return false;
    for (size_t i = scale; i < number.fractionDigits; ++i)
        if (number.fraction[i] != '0')
            return false;
    unsigned long long magnitude = 0;
    const unsigned long long limit = 9223372036854775807ULL;
    auto push = [&](int digit) {
        if (magnitude > (limit - digit) / 10)
            return false;
        magnitude = magnitude * 10 + digit;
        return true;
    };
    for (size_t i = 0; i < number.wholeDigits; ++i)
        if (!push(number.whole[i] - '0'))
            return false;
    for (int i = 0; i < scale; ++i)
        if (!push(size_t(i) < number.fractionDigits ? number.fraction[i] - '0' : 0))
            return false;
    *value = number.negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    return true;
}

bool IsNumericType(char type)
{
    return type == 'N' || type == 'F' || type == 'I' || type == 'Y' || type == 'B';
}

// Lets go of a mapped file, view first, and leaves the three empty.
void ReleaseMapping(HANDLE& file, HANDLE& mapping, void*& view)
{
    if (view)
        UnmapViewOfFile(view);
    if (mapping)
        CloseHandle(mapping);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    file = INVALID_HANDLE_VALUE;
    mapping = nullptr;
    view = nullptr;
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

    path_ = file;
    const OpenStatus status = Map(file);
    if (status != kOpened) {
        const uint64_t megabytes = size_ >> 20;
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
    // Read only, and shared: the host keeps writing its tables while we read them.
    file_ = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE)
        return kFileMissing;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file_, &size) || size.QuadPart < 33)
        return kNotATable;
    size_ = static_cast<uint64_t>(size.QuadPart);
    if (size_ > SIZE_MAX)
        return kTooLarge;
    mapping_ = CreateFileMappingW(file_, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping_)
        return kNotATable;
    view_ = MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0);
    if (!view_)
        return kTooLarge;
    data_ = static_cast<const unsigned char*>(view_);
    return Parse() ? kOpened : kNotATable;
}

bool DbfTable::Parse()
{
    if (!KnownVersion(data_[0]))
        return false;
    const uint32_t count = Le32(data_ + 4);
    headerLength_ = data_[8] | (data_[9] << 8);
    recordLength_ = data_[10] | (data_[11] << 8);
    if (headerLength_ < 33 || headerLength_ > size_ || recordLength_ < 2)
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
    if (uint64_t(headerLength_) + uint64_t(count) * recordLength_ > size_)
        return false;

    recordCount_ = count;
    position_ = 0;
    return true;
}

void DbfTable::Close()
{
    ReleaseMapping(file_, mapping_, view_);
    data_ = nullptr;
    size_ = 0;
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
        Throw(kErrNoRecord, L"No current record (before the first or after the last record)");
    return Record(RecordAt(position_)) + field.offset;
}

void DbfTable::Value(int index, VARIANT* out) const
{
    const Field& field = fields_[index];
    const unsigned char* p = Current(field);
    VariantInit(out);
    switch (field.type) {
    case 'C': {
        size_t n = field.length;
        while (n && (p[n - 1] == ' ' || p[n - 1] == 0))
            --n;
        BSTR text = SysAllocStringLen(nullptr, static_cast<UINT>(n));
        if (!text)
            Throw(E_OUTOFMEMORY, L"Out of memory reading field " + field.name);
        if (n)
            MultiByteToWideChar(kTableCodePage, 0, reinterpret_cast<const char*>(p), static_cast<int>(n),
                                text, static_cast<int>(n));
        out->vt = VT_BSTR;
        out->bstrVal = text;
        return;
    }
    case 'I': {
        out->vt = VT_I4;
        out->lVal = static_cast<LONG>(Le32(p));
        return;
    }
    case 'Y': {
        out->vt = VT_CY;
        std::memcpy(&out->cyVal.int64, p, 8);
        return;
    }
    case 'B': {
        out->vt = VT_R8;
        std::memcpy(&out->dblVal, p, 8);
        return;
    }
    case 'N':
    case 'F': {
        const Number number = Scan(p, field.length);
        if (number.blank) {
            out->vt = VT_NULL;
            return;
        }
        long long scaled = 0;
        if (field.decimals == 0 && ToScaled(number, 0, &scaled) && scaled >= LONG_MIN && scaled <= LONG_MAX) {
            out->vt = VT_I4;
            out->lVal = static_cast<LONG>(scaled);
            return;
        }
        if (field.decimals >= 1 && field.decimals <= 4 && ToScaled(number, 4, &scaled)) {
            out->vt = VT_CY;
            out->cyVal.int64 = scaled;
            return;
        }
        double real = 0;
        if (!ToDouble(number, &real))
            BadValue(field.name, L"Invalid number");
        out->vt = VT_R8;
        out->dblVal = real;
        return;
    }
    case 'D': {
        if (IsBlank(p, 8) || std::memcmp(p, "00000000", 8) == 0) {
            out->vt = VT_NULL;
            return;
        }
        int parts[8];
        for (int i = 0; i < 8; ++i) {
            if (p[i] < '0' || p[i] > '9')
                BadValue(field.name, L"Invalid date");
            parts[i] = p[i] - '0';
        }
        const int y = parts[0] * 1000 + parts[1] * 100 + parts[2] * 10 + parts[3];
        const int m = parts[4] * 10 + parts[5];
        const int d = parts[6] * 10 + parts[7];
        if (y < 100 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m))
            BadValue(field.name, L"Invalid date");
        out->vt = VT_DATE;
        out->date = static_cast<DATE>(DaysFromCivil(y, m, d) - DaysFromCivil(1899, 12, 30));
        return;
    }
    case 'L':
        switch (p[0]) {
        case 'T': case 't': case 'Y': case 'y':
            out->vt = VT_BOOL;
            out->boolVal = VARIANT_TRUE;
            return;
        case 'F': case 'f': case 'N': case 'n':
            out->vt = VT_BOOL;
            out->boolVal = VARIANT_FALSE;
            return;
        case ' ': case '?': case 0:
            out->vt = VT_NULL;
            return;
        default:
            BadValue(field.name, L"Invalid logical value");
        }
    default:
        Throw(kErrBadValue, L"Field " + field.name + L" has a type this component cannot read (" +
                                std::wstring(1, static_cast<wchar_t>(static_cast<unsigned char>(field.type))) + L")");
    }
}

double DbfTable::NumericKey(const Field& field, uint32_t record) const
{
    const unsigned char* p = Record(record) + field.offset;
    switch (field.type) {
    case 'I':
        return static_cast<int32_t>(Le32(p));
    case 'Y': {
        int64_t v;
        std::memcpy(&v, p, 8);
        return static_cast<double>(v) / 10000;
    }
    case 'B': {
        double v;
        std::memcpy(&v, p, 8);
        return std::isnan(v) ? -std::numeric_limits<double>::infinity() : v;
    }
    default: {
        // Blank and unreadable values sort before every number.
        const Number number = Scan(p, field.length);
        double v = 0;
        long long whole = 0;
        if (number.blank)
            return -std::numeric_limits<double>::infinity();
        if (number.fractionDigits == 0 && ToScaled(number, 0, &whole) && whole > -(1LL << 53) && whole < (1LL << 53))
            return static_cast<double>(whole);
        return ToDouble(number, &v) ? v : -std::numeric_limits<double>::infinity();
    }
    }
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
            Throw(kErrNoRecord, L"No current record (before the first or after the last record)");
        return order_[position];
    }
    if (position < 0 || size_t(position) >= mappedCount_)
        Throw(kErrNoRecord, L"No current record (before the first or after the last record)");
    // An index file is checked as it is read: one entry is all a seek or a move needs.
    const uint32_t record = mapped_[position];
    if (record >= recordCount_)
        Throw(kErrBadIndex, L"The index file " + IndexFileName(indexField_) + L" names a record the table does not have");
    return record;
}

void DbfTable::SetIndex(int index)
{
    // A lookup per printed row asks again for the index in force: only the position changes.
    if (index != indexField_) {
        indexField_ = -1;
        if (!MapIndexFile(index))
            BuildIndex(index);
        indexField_ = index;
    }
    position_ = 0;
}

void DbfTable::BuildIndex(int index)
{
    UnmapIndexFile();
    ReadFileOrder();  // the visible records, in any order: the sort below decides it
    const Field& field = fields_[index];
    if (IsNumericType(field.type)) {
        std::vector<std::pair<double, uint32_t>> keys;
        keys.reserve(order_.size());
        for (uint32_t record : order_)
            keys.emplace_back(NumericKey(field, record), record);
        // Record numbers break ties, which keeps equal keys in file order.
        std::sort(keys.begin(), keys.end());
        for (size_t i = 0; i < keys.size(); ++i)
            order_[i] = keys[i].second;
    } else {
        std::sort(order_.begin(), order_.end(), [&](uint32_t a, uint32_t b) {
            const int c = std::memcmp(Record(a) + field.offset, Record(b) + field.offset, field.length);
            return c < 0 || (c == 0 && a < b);
        });
    }
}

std::wstring DbfTable::IndexFileName(int index) const
{
    const size_t dot = path_.find_last_of(L'.');
    return path_.substr(0, dot) + L"." + fields_[index].name + L".idx";
}

bool DbfTable::IndexHeader(int index, IndexFileHeader* header) const
{
    FILETIME written;
    if (!GetFileTime(file_, nullptr, nullptr, &written))
        return false;
    const Field& field = fields_[index];
    *header = IndexFileHeader{};
    std::memcpy(header->magic, kIndexMagic, sizeof header->magic);
    header->version = kIndexVersion;
    header->tableRecords = recordCount_;
    header->tableSize = size_;
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
    indexFile_ = CreateFileW(IndexFileName(index).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER size;
    if (indexFile_ == INVALID_HANDLE_VALUE || !GetFileSizeEx(indexFile_, &size) ||
        uint64_t(size.QuadPart) < sizeof(IndexFileHeader) || uint64_t(size.QuadPart) > SIZE_MAX) {
        UnmapIndexFile();
        return false;
    }
    indexMapping_ = CreateFileMappingW(indexFile_, nullptr, PAGE_READONLY, 0, 0, nullptr);
    indexView_ = indexMapping_ ? MapViewOfFile(indexMapping_, FILE_MAP_READ, 0, 0, 0) : nullptr;
    if (!indexView_) {
        UnmapIndexFile();
        return false;
    }
    IndexFileHeader header;
    std::memcpy(&header, indexView_, sizeof header);
    if (!IndexFits(header, uint64_t(size.QuadPart), index)) {
        UnmapIndexFile();
        return false;
    }
    mapped_ = reinterpret_cast<const uint32_t*>(static_cast<const unsigned char*>(indexView_) + sizeof header);
    mappedCount_ = header.entries;
    return true;
}

void DbfTable::UnmapIndexFile()
{
    ReleaseMapping(indexFile_, indexMapping_, indexView_);
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
    HANDLE file = CreateFileW(IndexFileName(index).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD wrote = 0;
    const DWORD entryBytes = static_cast<DWORD>(order_.size() * sizeof(uint32_t));
    bool ok = WriteFile(file, &header, sizeof header, &wrote, nullptr) && wrote == sizeof header;
    ok = ok && (entryBytes == 0 || (WriteFile(file, order_.data(), entryBytes, &wrote, nullptr) && wrote == entryBytes));
    ok = CloseHandle(file) && ok;
    if (!ok)
        DeleteFileW(IndexFileName(index).c_str());
    return ok;
}

bool DbfTable::Seek(const VARIANT& key)
{
    if (indexField_ < 0)
        Throw(kErrNoIndex, L"Seek needs an index: no index is set");
    const Field& field = fields_[indexField_];
    const long count = Count();
    // Binary search over the index: the first position whose key is not below the one
    // sought, so that among equal keys the first in index order is found.
    auto firstNotBelow = [&](auto below) {
        long low = 0, high = count;
        while (low < high) {
            const long middle = low + (high - low) / 2;
            if (below(RecordAt(middle)))
                low = middle + 1;
            else
                high = middle;
        }
        return low;
    };
    VARIANT converted;
    VariantInit(&converted);
    long found = -1;
    if (IsNumericType(field.type)) {
        if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&key), 0, VT_R8)))
            Throw(DISP_E_TYPEMISMATCH, L"The key does not fit the index on field " + field.name);
        const double target = converted.dblVal;
        const long at = firstNotBelow([&](uint32_t record) { return NumericKey(field, record) < target; });
        if (at < count && NumericKey(field, RecordAt(at)) == target)
            found = at;
    } else {
        if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&key), 0, VT_BSTR)))
            Throw(DISP_E_TYPEMISMATCH, L"The key does not fit the index on field " + field.name);
        const UINT wideLength = SysStringLen(converted.bstrVal);
        std::string bytes(field.length, ' ');
        bool fits = wideLength <= field.length;
        if (fits && wideLength) {
            BOOL lossy = FALSE;
            std::string narrow(wideLength * 2, '\0');
            const int n = WideCharToMultiByte(kTableCodePage, 0, converted.bstrVal, wideLength, narrow.data(),
                                              static_cast<int>(narrow.size()), nullptr, &lossy);
            fits = n > 0 && size_t(n) <= field.length && !lossy;
            if (fits)
                bytes.replace(0, n, narrow.data(), n);
        }
        VariantClear(&converted);
        if (fits) {
            const long at = firstNotBelow([&](uint32_t record) {
                return std::memcmp(Record(record) + field.offset, bytes.data(), field.length) < 0;
            });
            if (at < count && std::memcmp(Record(RecordAt(at)) + field.offset, bytes.data(), field.length) == 0)
                found = at;
        }
    }
    if (found < 0)
        return false;
    position_ = found;
    return true;
}
