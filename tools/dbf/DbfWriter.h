// Writes dBase/FoxPro tables (.dbf) record by record, for sample host data, tests and
// benchmarks. Text is code page 1250 bytes as they stand; nothing is held in memory
// beyond one output block, so tables of millions of records are fine.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace dbf {

enum class FieldType : char {
    Character = 'C',  // text, padded with blanks
    Numeric = 'N',    // ASCII number, right-aligned
    Float = 'F',      // same as Numeric
    Date = 'D',       // YYYYMMDD
    Logical = 'L',    // T / F
    Integer = 'I',    // 4-byte little-endian int
    Currency = 'Y',   // 8-byte little-endian int, ten-thousandths
    Double = 'B',     // 8-byte little-endian IEEE double
};

// length 0 takes the type's natural width (D 8, L 1, I 4, Y 8, B 8); C, N and F need one.
struct Field {
    std::string name;  // at most 10 characters, stored as given
    FieldType type;
    int length = 0;
    int decimals = 0;
};

struct DateValue {
    int year;
    int month;
    int day;
};

// One cell. Text is written raw into any ASCII-coded field (C, N, F, D, L), which is also
// the way to produce malformed content. Blank gives spaces in N, F, D, L, C and zeros in
// the binary types, which have no blank form.
class Value {
public:
    enum class Kind { Blank, Text, Integer, Currency, Double, Date, Bool };

    Value() = default;
    Value(const char* text) : kind_(Kind::Text), text_(text) {}
    Value(std::string text) : kind_(Kind::Text), text_(std::move(text)) {}
    Value(int value) : kind_(Kind::Integer), integer_(value) {}
    Value(long value) : kind_(Kind::Integer), integer_(value) {}
    Value(long long value) : kind_(Kind::Integer), integer_(value) {}
    Value(unsigned value) : kind_(Kind::Integer), integer_(value) {}
    Value(unsigned long value) : kind_(Kind::Integer), integer_(value) {}
    Value(unsigned long long value) : kind_(Kind::Integer), integer_(static_cast<std::int64_t>(value)) {}
    Value(double value) : kind_(Kind::Double), real_(value) {}
    Value(DateValue date) : kind_(Kind::Date), date_(date) {}
    Value(bool value) : kind_(Kind::Bool), integer_(value ? 1 : 0) {}

    static Value Blank() { return Value(); }
    // A money value as a count of ten-thousandths (12.5 is 125000).
    static Value Currency(std::int64_t tenThousandths)
    {
        Value v;
        v.kind_ = Kind::Currency;
        v.integer_ = tenThousandths;
        return v;
    }
    static Value Date(int year, int month, int day) { return Value(DateValue{year, month, day}); }

    Kind GetKind() const { return kind_; }
    const std::string& Text() const { return text_; }
    std::int64_t Integer() const { return integer_; }
    double Real() const { return real_; }
    const DateValue& GetDate() const { return date_; }

private:
    Kind kind_ = Kind::Blank;
    std::string text_;
    std::int64_t integer_ = 0;
    double real_ = 0;
    DateValue date_{0, 0, 0};
};

// Throws std::runtime_error for a file that cannot be written and for a value that does
// not fit its field. Close (or the destructor) writes the end mark and the record count.
class DbfWriter {
public:
    DbfWriter(const std::string& path, std::vector<Field> fields);
    ~DbfWriter();
    DbfWriter(const DbfWriter&) = delete;
    DbfWriter& operator=(const DbfWriter&) = delete;

    void Add(const std::vector<Value>& values) { Write(values, false); }
    // A record marked deleted: present in the file, not part of the table.
    void AddDeleted(const std::vector<Value>& values) { Write(values, true); }
    void Close();

    std::uint32_t Count() const { return count_; }
    const std::vector<Field>& Fields() const { return fields_; }

private:
    void Write(const std::vector<Value>& values, bool deleted);
    void WriteHeader();
    void Put(const void* data, size_t size);
    void Flush();

    std::string path_;
    std::vector<Field> fields_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    std::vector<char> buffer_;
    std::vector<char> record_;
    std::uint32_t count_ = 0;
    bool foxPro_ = false;
};

// Adds records to a table that others may be reading, the way the host does: each record
// takes the place of the end mark, a new end mark follows it, and only then does the header
// count it, so that a reader never counts a record the file does not hold yet. The table
// must be laid out as fields (checked when it opens); only one appender at a time. Throws
// std::runtime_error like DbfWriter.
class DbfAppender {
public:
    DbfAppender(const std::string& path, std::vector<Field> fields);
    ~DbfAppender();
    DbfAppender(const DbfAppender&) = delete;
    DbfAppender& operator=(const DbfAppender&) = delete;

    void Add(const std::vector<Value>& values);

private:
    void ReadLayout();
    void WriteAt(std::uint64_t offset, const void* data, size_t size);

    std::string path_;
    std::vector<Field> fields_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    std::vector<char> record_;
    size_t headerLength_ = 0;
    std::uint32_t count_ = 0;
};

}  // namespace dbf
