// dBase III layout, or Visual FoxPro's (version 0x30, with its 263-byte backlink area)
// when a binary field type is present. The language driver byte says code page 1250.
#include "DbfWriter.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace dbf {
namespace {

constexpr size_t kBlock = 1 << 16;
constexpr unsigned char kCodePage1250 = 0xC8;
constexpr size_t kBacklinkSize = 263;

int NaturalLength(FieldType type)
{
    switch (type) {
    case FieldType::Date: return 8;
    case FieldType::Logical: return 1;
    case FieldType::Integer: return 4;
    case FieldType::Currency: return 8;
    case FieldType::Double: return 8;
    default: return 0;
    }
}

bool IsBinary(FieldType type)
{
    return type == FieldType::Integer || type == FieldType::Currency || type == FieldType::Double;
}

[[noreturn]] void Fail(const Field& field, const std::string& what)
{
    throw std::runtime_error("field " + field.name + ": " + what);
}

std::string Digits(std::uint64_t magnitude)
{
    char text[32];
    std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(magnitude));
    return text;
}

// A count of ten-thousandths as text with exactly `decimals` places; refuses to drop
// non-zero digits so that test data never loses precision unnoticed.
std::string FixedText(const Field& field, std::int64_t tenThousandths)
{
    const bool negative = tenThousandths < 0;
    std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(tenThousandths)
                                       : static_cast<std::uint64_t>(tenThousandths);
    std::string fraction = Digits(magnitude % 10000);
    fraction.insert(0, 4 - fraction.size(), '0');
    std::string text = (negative ? "-" : "") + Digits(magnitude / 10000);
    if (field.decimals < 4) {
        if (fraction.find_first_not_of('0', field.decimals) != std::string::npos)
            Fail(field, "value has more decimals than the field");
        fraction.resize(field.decimals);
    } else {
        fraction.append(field.decimals - 4, '0');
    }
    if (!fraction.empty())
        text += "." + fraction;
    return text;
}

void PutLittleEndian(char* out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Gives each field its natural length and decimals where none were given and checks them;
// returns the record length, deletion flag included. foxPro tells whether a binary field
// needs FoxPro's layout.
size_t Normalize(std::vector<Field>& fields, bool* foxPro)
{
    if (fields.empty())
        throw std::runtime_error("a table needs at least one field");
    size_t recordLength = 1;
    *foxPro = false;
    for (Field& field : fields) {
        if (field.name.empty() || field.name.size() > 10)
            throw std::runtime_error("field name '" + field.name + "' must have 1 to 10 characters");
        if (field.length == 0)
            field.length = NaturalLength(field.type);
        if (field.type == FieldType::Currency && field.decimals == 0)
            field.decimals = 4;
        if (field.length <= 0 || field.length > 254 || field.decimals < 0 || field.decimals > 15)
            Fail(field, "bad length or decimals");
        if (IsBinary(field.type)) {
            *foxPro = true;
            if (field.length != NaturalLength(field.type))
                Fail(field, "binary fields have a fixed length");
        }
        recordLength += field.length;
    }
    if (recordLength > 65535)
        throw std::runtime_error("record too long");
    return recordLength;
}

void EncodeField(const Field& field, const Value& value, char* out)
{
    using Kind = Value::Kind;
    const Kind kind = value.GetKind();
    const size_t length = static_cast<size_t>(field.length);

    if (IsBinary(field.type)) {
        std::uint64_t bits = 0;
        switch (field.type) {
        case FieldType::Integer:
            if (kind == Kind::Integer) {
                if (value.Integer() < INT32_MIN || value.Integer() > INT32_MAX)
                    Fail(field, "integer out of range");
                bits = static_cast<std::uint32_t>(static_cast<std::int32_t>(value.Integer()));
            } else if (kind != Kind::Blank) {
                Fail(field, "needs an integer");
            }
            break;
        case FieldType::Currency:
            if (kind == Kind::Currency)
                bits = static_cast<std::uint64_t>(value.Integer());
            else if (kind == Kind::Integer)
                bits = static_cast<std::uint64_t>(value.Integer() * 10000);
            else if (kind == Kind::Double)
                bits = static_cast<std::uint64_t>(static_cast<std::int64_t>(std::llround(value.Real() * 10000)));
            else if (kind != Kind::Blank)
                Fail(field, "needs a currency amount");
            break;
        default: {
            double real = 0;
            if (kind == Kind::Double)
                real = value.Real();
            else if (kind == Kind::Integer)
                real = static_cast<double>(value.Integer());
            else if (kind == Kind::Currency)
                real = static_cast<double>(value.Integer()) / 10000;
            else if (kind != Kind::Blank)
                Fail(field, "needs a number");
            std::memcpy(&bits, &real, sizeof bits);
            break;
        }
        }
        PutLittleEndian(out, bits, field.length);
        return;
    }

    std::string text;
    bool rightAligned = false;
    switch (kind) {
    case Kind::Blank:
        break;
    case Kind::Text:
        text = value.Text();
        rightAligned = field.type == FieldType::Numeric || field.type == FieldType::Float;
        break;
    case Kind::Integer:
    case Kind::Currency:
    case Kind::Double:
        if (field.type != FieldType::Numeric && field.type != FieldType::Float)
            Fail(field, "a number needs an N or F field");
        rightAligned = true;
        if (kind == Kind::Double) {
            char number[400];
            std::snprintf(number, sizeof number, "%.*f", field.decimals, value.Real());
            text = number;
        } else if (kind == Kind::Currency) {
            text = FixedText(field, value.Integer());
        } else {
            if (value.Integer() > INT64_MAX / 10000 || value.Integer() < INT64_MIN / 10000)
                Fail(field, "integer out of range");
            text = FixedText(field, value.Integer() * 10000);
        }
        break;
    case Kind::Date: {
        if (field.type != FieldType::Date)
            Fail(field, "a date needs a D field");
        const DateValue& d = value.GetDate();
        char date[32];
        std::snprintf(date, sizeof date, "%04d%02d%02d", d.year, d.month, d.day);
        text = date;
        break;
    }
    case Kind::Bool:
        if (field.type != FieldType::Logical)
            Fail(field, "a truth value needs an L field");
        text = value.Integer() ? "T" : "F";
        break;
    }
    if (text.size() > length)
        Fail(field, "value '" + text + "' longer than " + std::to_string(length));
    std::memset(out, ' ', length);
    std::memcpy(out + (rightAligned ? length - text.size() : 0), text.data(), text.size());
}

// The record's bytes: its deletion flag, then each value in its field.
void EncodeRecord(const std::string& path, const std::vector<Field>& fields, const std::vector<Value>& values,
                  bool deleted, std::vector<char>& record)
{
    if (values.size() != fields.size())
        throw std::runtime_error("record for " + path + " has " + std::to_string(values.size()) + " values for " +
                                 std::to_string(fields.size()) + " fields");
    record[0] = deleted ? '*' : ' ';
    char* out = record.data() + 1;
    for (size_t i = 0; i < fields.size(); ++i) {
        EncodeField(fields[i], values[i], out);
        out += fields[i].length;
    }
}

// The header's date of the last change: years since 1900, month, day.
void PutToday(char* out)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    out[0] = static_cast<char>(now.wYear - 1900);
    out[1] = static_cast<char>(now.wMonth);
    out[2] = static_cast<char>(now.wDay);
}

}  // namespace

DbfWriter::DbfWriter(const std::string& path, std::vector<Field> fields)
    : path_(path), fields_(std::move(fields))
{
    record_.resize(Normalize(fields_, &foxPro_));

    file_ = CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot create " + path_);
    buffer_.reserve(kBlock);
    WriteHeader();
}

DbfWriter::~DbfWriter()
{
    try {
        Close();
    } catch (...) {
    }
}

void DbfWriter::WriteHeader()
{
    char header[32] = {};
    const size_t headerLength =
        32 + 32 * fields_.size() + 1 + (foxPro_ ? kBacklinkSize : 0);
    header[0] = static_cast<char>(foxPro_ ? 0x30 : 0x03);
    PutToday(header + 1);
    PutLittleEndian(header + 4, count_, 4);
    PutLittleEndian(header + 8, headerLength, 2);
    PutLittleEndian(header + 10, record_.size(), 2);
    header[29] = static_cast<char>(kCodePage1250);
    Put(header, sizeof header);

    size_t offset = 1;
    for (const Field& field : fields_) {
        char descriptor[32] = {};
        std::memcpy(descriptor, field.name.data(), field.name.size());
        descriptor[11] = static_cast<char>(field.type);
        PutLittleEndian(descriptor + 12, offset, 4);
        descriptor[16] = static_cast<char>(field.length);
        descriptor[17] = static_cast<char>(field.decimals);
        Put(descriptor, sizeof descriptor);
        offset += field.length;
    }
    Put("\r", 1);
    if (foxPro_) {
        const std::vector<char> backlink(kBacklinkSize, 0);
        Put(backlink.data(), backlink.size());
    }
}

void DbfWriter::Write(const std::vector<Value>& values, bool deleted)
{
    if (file_ == INVALID_HANDLE_VALUE)
        throw std::runtime_error("table already closed: " + path_);
    EncodeRecord(path_, fields_, values, deleted, record_);
    Put(record_.data(), record_.size());
    ++count_;
}

void DbfWriter::Put(const void* data, size_t size)
{
    const char* bytes = static_cast<const char*>(data);
    buffer_.insert(buffer_.end(), bytes, bytes + size);
    if (buffer_.size() >= kBlock)
        Flush();
}

void DbfWriter::Flush()
{
    if (buffer_.empty())
        return;
    DWORD written = 0;
    if (!WriteFile(file_, buffer_.data(), static_cast<DWORD>(buffer_.size()), &written, nullptr) ||
        written != buffer_.size())
        throw std::runtime_error("cannot write " + path_);
    buffer_.clear();
}

void DbfWriter::Close()
{
    if (file_ == INVALID_HANDLE_VALUE)
        return;
    HANDLE file = file_;
    struct Closer {
        HANDLE& member;
        HANDLE file;
        ~Closer() { CloseHandle(file); member = INVALID_HANDLE_VALUE; }
    } closer{file_, file};
    Put("\x1A", 1);
    Flush();
    // The record count lives in the header, known only now.
    char count[4];
    PutLittleEndian(count, count_, 4);
    DWORD written = 0;
    if (SetFilePointer(file, 4, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
        !WriteFile(file, count, sizeof count, &written, nullptr) || written != sizeof count)
        throw std::runtime_error("cannot write " + path_);
}

DbfAppender::DbfAppender(const std::string& path, std::vector<Field> fields)
    : path_(path), fields_(std::move(fields))
{
    bool foxPro = false;
    record_.resize(Normalize(fields_, &foxPro) + 1);
    // Readers share writing, as the table component's reader does.
    file_ = CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot open the table " + path_);
    ReadLayout();
}

DbfAppender::~DbfAppender()
{
    CloseHandle(file_);
}

void DbfAppender::ReadLayout()
{
    unsigned char header[32];
    DWORD got = 0;
    if (!ReadFile(file_, header, sizeof header, &got, nullptr) || got != sizeof header)
        throw std::runtime_error("cannot read the table " + path_);
    count_ = header[4] | (header[5] << 8) | (header[6] << 16) | (std::uint32_t(header[7]) << 24);
    headerLength_ = header[8] | (header[9] << 8);
    const size_t recordLength = header[10] | (header[11] << 8);
    std::vector<unsigned char> descriptors(headerLength_ > 32 ? headerLength_ - 32 : 0);
    bool fits = recordLength == record_.size() - 1 && descriptors.size() >= 32 * fields_.size() + 1 &&
                ReadFile(file_, descriptors.data(), DWORD(descriptors.size()), &got, nullptr) &&
                got == descriptors.size();
    for (size_t i = 0; fits && i < fields_.size(); ++i) {
        const unsigned char* d = descriptors.data() + 32 * i;
        const Field& field = fields_[i];
        fits = std::strncmp(reinterpret_cast<const char*>(d), field.name.c_str(), 11) == 0 &&
               d[11] == static_cast<unsigned char>(field.type) && d[16] == field.length && d[17] == field.decimals;
    }
    if (!fits || descriptors[32 * fields_.size()] != 0x0D)
        throw std::runtime_error("the table " + path_ + " is not laid out as expected");
}

void DbfAppender::WriteAt(std::uint64_t offset, const void* data, size_t size)
{
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD written = 0;
    if (!SetFilePointerEx(file_, at, nullptr, FILE_BEGIN) ||
        !WriteFile(file_, data, static_cast<DWORD>(size), &written, nullptr) || written != size)
        throw std::runtime_error("cannot write " + path_);
}

void DbfAppender::Add(const std::vector<Value>& values)
{
    EncodeRecord(path_, fields_, values, false, record_);
    record_.back() = '\x1A';
    WriteAt(headerLength_ + std::uint64_t(count_) * (record_.size() - 1), record_.data(), record_.size());
    // The date of the change and the count lie side by side: one write.
    char dateAndCount[7];
    PutToday(dateAndCount);
    PutLittleEndian(dateAndCount + 3, count_ + 1, 4);
    WriteAt(1, dateAndCount, sizeof dateAndCount);
    ++count_;
}

}  // namespace dbf
