// The table component through HostTable: values and their variant types, navigation,
// indexes, failures with their error objects, and damaged files.
#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "DbfWriter.h"
#include "HostTestSupport.h"
#include "TableIndex.h"
#include "host/HostTable.h"

using namespace dbf;

namespace {

constexpr HRESULT kNotOpen = 0x80040201;
constexpr HRESULT kNoRecord = 0x80040202;
constexpr HRESULT kNoField = 0x80040203;
constexpr HRESULT kBadValue = 0x80040205;
constexpr HRESULT kBadIndex = 0x80040206;
constexpr size_t kIndexFileHeaderSize = 48;  // before the entries

HostTable Open(const std::string& path)
{
    HostTable table = CreateHostTable();
    EXPECT_FALSE(table.Empty());
    EXPECT_EQ(table.OpenTable(path), 0) << path;
    return table;
}

std::wstring Text(HostTable& table, const std::string& field)
{
    OleVariant v = table.FieldValue(field);
    EXPECT_EQ(v.Get().vt, VT_BSTR) << field;
    if (v.Get().vt != VT_BSTR)
        return L"?";
    return std::wstring(v.Get().bstrVal, SysStringLen(v.Get().bstrVal));
}

// The tag of every record in the current order, by walking from the first.
std::wstring Walk(HostTable& table)
{
    std::wstring tags;
    table.MoveFirst();
    for (long n = table.RecordCount(); n > 0; --n) {
        tags += Text(table, "Tag");
        table.MoveNext();
    }
    return tags;
}

class HostTableTest : public ::testing::Test {
protected:
    TempDir dir{"qhost"};
};

TEST_F(HostTableTest, EachFieldTypeArrivesAsItsVariant)
{
    {
        DbfWriter w(dir.File("SKSEZPOL.DBF"),
                    {{"NAZEV", FieldType::Character, 20}, {"CELE", FieldType::Numeric, 11},
                     {"VELKE", FieldType::Numeric, 12}, {"CENA", FieldType::Numeric, 12, 2},
                     {"POCETMJ", FieldType::Numeric, 12, 4}, {"PODIL", FieldType::Numeric, 12, 6},
                     {"KURS", FieldType::Float, 10, 3}, {"CDOKLADU", FieldType::Integer},
                     {"CASTKA", FieldType::Currency}, {"REAL", FieldType::Double},
                     {"DATUM", FieldType::Date}, {"PLATNY", FieldType::Logical}});
        w.Add({"Žluťoučký kůň", 42, 3000000000LL, Value::Currency(-123400), Value::Currency(12345), 0.123456,
               Value::Currency(71250), -7, Value::Currency(99990000), 2.5, Value::Date(2024, 2, 29), true});
        w.Add({Value(), Value(), Value(), Value(), Value(), Value(), Value(), Value(), Value(), Value(), Value(),
               Value()});
        w.Add({"  x  ", -2147483647 - 1, 2147483647, Value::Currency(0), Value::Currency(-10000), -5.0,
               Value::Currency(-1000), 0, Value::Currency(-1), -0.25, Value::Date(1900, 1, 1), false});
    }
    HostTable table = Open(dir.File("SkSezPol"));
    ASSERT_EQ(table.RecordCount(), 3);

    struct Expected {
        const char* field;
        VARTYPE type;
        long long integer;  // I4 value, CY ten-thousandths, BOOL as -1/0
        double real;        // R8 and DATE
        const wchar_t* text;
    };
    const std::vector<std::vector<Expected>> records = {
        {{"Nazev", VT_BSTR, 0, 0, L"Žluťoučký kůň"},
         {"CELE", VT_I4, 42, 0, nullptr},
         {"velke", VT_R8, 0, 3000000000.0, nullptr},
         {"Cena", VT_CY, -123400, 0, nullptr},
         {"PocetMJ", VT_CY, 12345, 0, nullptr},
         {"Podil", VT_R8, 0, 0.123456, nullptr},
         {"Kurs", VT_CY, 71250, 0, nullptr},
         {"CDokladu", VT_I4, -7, 0, nullptr},
         {"Castka", VT_CY, 99990000, 0, nullptr},
         {"Real", VT_R8, 0, 2.5, nullptr},
         {"Datum ", VT_DATE, 0, 45351, nullptr},
         {"Platny", VT_BOOL, VARIANT_TRUE, 0, nullptr}},
        {{"Nazev", VT_BSTR, 0, 0, L""},
         {"CELE", VT_NULL, 0, 0, nullptr},
         {"velke", VT_NULL, 0, 0, nullptr},
         {"Cena", VT_NULL, 0, 0, nullptr},
         {"PocetMJ", VT_NULL, 0, 0, nullptr},
         {"Podil", VT_NULL, 0, 0, nullptr},
         {"Kurs", VT_NULL, 0, 0, nullptr},
         {"CDokladu", VT_I4, 0, 0, nullptr},
         {"Castka", VT_CY, 0, 0, nullptr},
         {"Real", VT_R8, 0, 0, nullptr},
         {"Datum ", VT_NULL, 0, 0, nullptr},
         {"Platny", VT_NULL, 0, 0, nullptr}},
        {{"Nazev", VT_BSTR, 0, 0, L"  x"},
         {"CELE", VT_I4, -2147483647 - 1, 0, nullptr},
         {"velke", VT_I4, 2147483647, 0, nullptr},
         {"Cena", VT_CY, 0, 0, nullptr},
         {"PocetMJ", VT_CY, -10000, 0, nullptr},
         {"Podil", VT_R8, 0, -5.0, nullptr},
         {"Kurs", VT_CY, -1000, 0, nullptr},
         {"CDokladu", VT_I4, 0, 0, nullptr},
         {"Castka", VT_CY, -1, 0, nullptr},
         {"Real", VT_R8, 0, -0.25, nullptr},
         {"Datum ", VT_DATE, 0, 2, nullptr},
         {"Platny", VT_BOOL, VARIANT_FALSE, 0, nullptr}},
    };
    table.MoveFirst();
    for (size_t r = 0; r < records.size(); ++r) {
        for (const Expected& e : records[r]) {
            SCOPED_TRACE(std::string("record ") + std::to_string(r) + " field " + e.field);
            OleVariant v = table.FieldValue(e.field);
            const VARIANT& var = v.Get();
            ASSERT_EQ(var.vt, e.type);
            switch (e.type) {
            case VT_BSTR: EXPECT_EQ(std::wstring(var.bstrVal, SysStringLen(var.bstrVal)), e.text); break;
            case VT_I4: EXPECT_EQ(var.lVal, e.integer); break;
            case VT_CY: EXPECT_EQ(var.cyVal.int64, e.integer); break;
            case VT_R8: EXPECT_DOUBLE_EQ(var.dblVal, e.real); break;
            case VT_DATE: EXPECT_DOUBLE_EQ(var.date, e.real); break;
            case VT_BOOL: EXPECT_EQ(var.boolVal, e.integer); break;
            default: break;
            }
        }
        table.MoveNext();
    }
}

TEST_F(HostTableTest, TableAndFieldNamesIgnoreCaseAndTrailingBlanks)
{
    {
        DbfWriter w(dir.File("sksezdok.dbf"), {{"DATUM", FieldType::Date}, {"CisloDokla", FieldType::Character, 10},
                                               {"Poznámka", FieldType::Character, 4}});
        w.Add({Value::Date(2023, 12, 31), "P-0001", "ok"});
    }
    for (const char* name : {"SkSezDok", "SKSEZDOK", "sksezdok"}) {
        HostTable table = Open(dir.File(name));
        OleVariant date = table.FieldValue("Datum ");
        EXPECT_EQ(date.Get().vt, VT_DATE);
        EXPECT_DOUBLE_EQ(date.Get().date, 45291);
        EXPECT_EQ(Text(table, "CISLODOKLA"), L"P-0001");
        EXPECT_EQ(Text(table, "cislodokla   "), L"P-0001");
        EXPECT_EQ(Text(table, "POZNÁMKA"), L"ok");
    }
    HostTable table = Open(dir.File("SkSezDok"));
    const HostError error = Raised([&] { table.FieldValue(" Datum"); });
    EXPECT_EQ(error.Result(), kNoField);
    EXPECT_NE(Description(error).find(L" Datum"), std::wstring::npos);
}

TEST_F(HostTableTest, DeletedRecordsAreNotPartOfTheTable)
{
    {
        DbfWriter w(dir.File("t.dbf"), {{"Tag", FieldType::Character, 4}});
        w.AddDeleted({"x"});
        w.Add({"a"});
        w.AddDeleted({"y"});
        w.Add({"b"});
        w.Add({"c"});
        w.AddDeleted({"z"});
    }
    HostTable table = Open(dir.File("t"));
    EXPECT_EQ(table.RecordCount(), 3);
    EXPECT_EQ(Walk(table), L"abc");
    table.MoveLast();
    EXPECT_EQ(Text(table, "Tag"), L"c");
    table.SetIndex("Tag");
    EXPECT_EQ(Walk(table), L"abc");
}

TEST_F(HostTableTest, IndexOrdersByKeyKeepingEqualKeysInFileOrder)
{
    {
        DbfWriter w(dir.File("items.dbf"), {{"Tag", FieldType::Character, 2},
                                            {"CDokladu", FieldType::Numeric, 8},
                                            {"Cislo", FieldType::Integer},
                                            {"Kod", FieldType::Character, 3},
                                            {"Cena", FieldType::Numeric, 8, 2}});
        w.Add({"a", 3, 30, "B", Value::Currency(15000)});
        w.Add({"b", 1, -5, "A", Value::Currency(-5000)});
        w.Add({"c", 3, 30, "B", Value()});
        w.Add({"d", 2, 7, "AB", Value::Currency(15000)});
        w.AddDeleted({"x", 0, 0, "", Value()});
        w.Add({"e", 1, 100, "A", Value::Currency(1000000)});
        w.Add({"f", Value(), 7, "", Value::Currency(0)});
    }
    HostTable table = Open(dir.File("items"));
    EXPECT_EQ(Walk(table), L"abcdef");
    const struct {
        const char* field;
        const wchar_t* order;
    } cases[] = {
        {"CDokladu", L"fbedac"},  // a blank number sorts first
        {"Cislo", L"bdface"},
        {"Kod", L"fbedac"},       // blanks pad the text: "A  " < "AB " < "B  "
        {"Cena", L"cbfade"},
    };
    for (const auto& c : cases) {
        table.SetIndex(c.field);
        EXPECT_EQ(Walk(table), c.order) << c.field;
    }
    const HostError error = Raised([&] { table.SetIndex("NoSuch"); });
    EXPECT_EQ(error.Result(), kNoField);
    EXPECT_NE(Description(error).find(L"NoSuch"), std::wstring::npos);
    // The user reads the component's own words, not the code's number.
    EXPECT_EQ(error.Text().find("Field 'NoSuch' not found in table "), 0u) << error.Text();
}

TEST_F(HostTableTest, SeekFindsTheFirstRecordOfTheKeyOrKeepsThePosition)
{
    {
        DbfWriter w(dir.File("SkSezZas.dbf"), {{"Cislo", FieldType::Numeric, 6}, {"Tag", FieldType::Character, 2},
                                               {"Pozn", FieldType::Character, 30}});
        w.Add({30, "a", "třetí"});
        w.Add({20, "b", "druhá"});
        w.Add({10, "c", "první"});
        w.Add({20, "d", "druhá bis"});
        w.AddDeleted({25, "x", "smazaná"});
    }
    HostTable table = Open(dir.File("SkSezZas"));
    table.SetIndex("Cislo");
    table.MoveFirst();
    EXPECT_EQ(table.Seek(20), kMon2kSeekFound);
    EXPECT_EQ(Text(table, "Tag"), L"b");
    EXPECT_EQ(Text(table, "Pozn"), L"druhá");
    table.MoveNext();
    EXPECT_EQ(Text(table, "Tag"), L"d");
    for (long missing : {25L, 0L, 31L, -20L}) {
        EXPECT_NE(table.Seek(missing), kMon2kSeekFound) << missing;
        EXPECT_EQ(Text(table, "Tag"), L"d") << missing;
    }
    EXPECT_EQ(table.Seek(30), kMon2kSeekFound);
    EXPECT_EQ(Text(table, "Tag"), L"a");
    EXPECT_EQ(table.Seek(10), kMon2kSeekFound);
    EXPECT_EQ(Text(table, "Tag"), L"c");
}

TEST_F(HostTableTest, AnIndexFileServesOnlyTheTableItWasWrittenFor)
{
    auto write = [&](bool later) {
        DbfWriter w(dir.File("items.dbf"), {{"Tag", FieldType::Character, 2}, {"CDokladu", FieldType::Numeric, 8}});
        w.Add({"a", 3});
        w.Add({"b", 1});
        w.AddDeleted({"x", 2});
        w.Add({"c", 3});
        w.Add({"d", 2});
        if (later)
            w.Add({"e", 0});
    };
    const std::string index = dir.File("items.CDokladu.idx");
    write(false);
    WriteIndex(dir.File("items.dbf"), "CDokladu");
    const std::string written = ReadBytes(index);
    {
        HostTable table = Open(dir.File("items"));
        EXPECT_EQ(table.RecordCount(), 4);  // counted before the index is set, deleted record left out
        table.SetIndex("CDokladu");
        EXPECT_EQ(Walk(table), L"bdac");
        EXPECT_EQ(table.Seek(3), kMon2kSeekFound);
        EXPECT_EQ(Text(table, "Tag"), L"a");
    }
    // An entry naming a record the table does not have fails where it is used.
    std::string damaged = written;
    damaged.replace(kIndexFileHeaderSize + 4, 4, "\xFF\xFF\xFF\x7F", 4);
    WriteBytes(index, damaged);
    {
        HostTable table = Open(dir.File("items"));
        table.SetIndex("CDokladu");
        EXPECT_EQ(Text(table, "Tag"), L"b");
        table.MoveNext();
        EXPECT_EQ(Raised([&] { table.FieldValue("Tag"); }).Result(), kBadIndex);
    }
    // An index file that promises more records than the deletion flags leave: the last
    // record is the last there is.
    damaged = written;
    damaged[kIndexFileHeaderSize - 4] = 5;  // its count of entries
    damaged.append("\x02\0\0\0", 4);
    WriteBytes(index, damaged);
    {
        HostTable table = Open(dir.File("items"));
        EXPECT_EQ(table.RecordCount(), 5);
        table.MoveLast();
        EXPECT_EQ(Text(table, "Tag"), L"d");
        EXPECT_EQ(table.RecordCount(), 4);
    }
    // The host wrote the table again: its old index file is no longer used.
    WriteBytes(index, written);
    write(true);
    HostTable table = Open(dir.File("items"));
    EXPECT_EQ(table.RecordCount(), 5);
    table.SetIndex("CDokladu");
    EXPECT_EQ(Walk(table), L"ebdac");
}

TEST_F(HostTableTest, MovingOffEitherEndLeavesNoCurrentRecord)
{
    {
        DbfWriter w(dir.File("t.dbf"), {{"Tag", FieldType::Character, 2}});
        w.Add({"a"});
        w.Add({"b"});
    }
    HostTable table = Open(dir.File("t"));
    auto expectNoRecord = [&](const char* where) {
        const HostError error = Raised([&] { table.FieldValue("Tag"); });
        EXPECT_EQ(error.Result(), kNoRecord) << where;
        EXPECT_TRUE(error.ErrorInfo()) << where;
        EXPECT_FALSE(Description(error).empty()) << where;
        EXPECT_EQ(error.Text(), "No current record (before the first or after the last record)") << where;
    };
    // Each move tells whether a record is current after it.
    table.MoveFirst();
    EXPECT_FALSE(table.MovePrev());
    expectNoRecord("before the first");
    EXPECT_FALSE(table.MovePrev());
    expectNoRecord("still before the first");
    EXPECT_TRUE(table.MoveNext());
    EXPECT_EQ(Text(table, "Tag"), L"a");
    table.MoveLast();
    EXPECT_EQ(Text(table, "Tag"), L"b");
    EXPECT_FALSE(table.MoveNext());
    expectNoRecord("after the last");
    EXPECT_FALSE(table.MoveNext());
    expectNoRecord("still after the last");
    EXPECT_TRUE(table.MovePrev());
    EXPECT_EQ(Text(table, "Tag"), L"b");
}

TEST_F(HostTableTest, EmptyTableHasNoCurrentRecord)
{
    { DbfWriter w(dir.File("empty.dbf"), {{"Tag", FieldType::Character, 2}}); }
    HostTable table = Open(dir.File("empty"));
    EXPECT_EQ(table.RecordCount(), 0);
    table.SetIndex("Tag");
    table.MoveFirst();
    EXPECT_EQ(Raised([&] { table.FieldValue("Tag"); }).Result(), kNoRecord);
    EXPECT_NE(table.Seek(1), kMon2kSeekFound);
}

TEST_F(HostTableTest, EveryOperationOnAClosedTableFailsNamingThePath)
{
    {
        DbfWriter w(dir.File("t.dbf"), {{"Tag", FieldType::Character, 2}});
        w.Add({"a"});
    }
    const std::string closedPath = dir.File("t");
    const std::string missingPath = dir.File("Chybí");
    for (const auto& [name, call] : OperationsAfterOpen()) {
        HostTable closed = Open(closedPath);
        closed.CloseTable();
        HostTable missing = CreateHostTable();
        ASSERT_NE(missing.OpenTable(missingPath), 0);
        HostTable never = CreateHostTable();
        for (auto* table : {&closed, &missing, &never}) {
            const HostError error = Raised([&] { call(*table); });
            EXPECT_EQ(error.Result(), kNotOpen) << name;
            EXPECT_EQ(error.Text().find("Table is not open: "), 0u) << name;
            ASSERT_TRUE(error.ErrorInfo()) << name;
        }
        EXPECT_NE(Description(Raised([&] { call(closed); })).find(L"\\t"), std::wstring::npos) << name;
        EXPECT_NE(Description(Raised([&] { call(missing); })).find(L"\\Chybí"), std::wstring::npos) << name;
    }
}

TEST_F(HostTableTest, OpenTableReportsMissingAndForeignFiles)
{
    {
        DbfWriter w(dir.File("good.dbf"), {{"Tag", FieldType::Character, 2}, {"Cislo", FieldType::Integer}});
        w.Add({"a", 1});
        w.Add({"b", 2});
        w.Add({"c", 3});
    }
    const std::string good = ReadBytes(dir.File("good.dbf"));
    auto withByte = [&](size_t at, char value) {
        std::string bytes = good;
        bytes[at] = value;
        return bytes;
    };
    const struct {
        const char* name;
        std::string bytes;
    } foreign[] = {
        {"text", "Toto není tabulka, jen obyčejný text.\r\n"},
        {"empty", ""},
        {"header only", good.substr(0, 20)},
        {"cut in the last record", good.substr(0, good.size() - 3)},
        {"cut after the header", good.substr(0, 32 + 64 + 1 + 263)},
        {"bad version", withByte(0, 0x07)},
        {"header longer than the file", withByte(9, 0x7F)},
        {"integer field of five bytes", withByte(32 + 32 + 16, 5)},
        {"field of length zero", withByte(32 + 16, 0)},
        {"record shorter than its fields", withByte(10, 3)},
    };
    HostTable table = CreateHostTable();
    EXPECT_NE(table.OpenTable(dir.File("nothere")), 0);
    EXPECT_NE(table.OpenTable(dir.Path() + "\\nosuchfolder\\SkSezDok"), 0);
    for (const auto& f : foreign) {
        WriteBytes(dir.File("bad.dbf"), f.bytes);
        EXPECT_NE(table.OpenTable(dir.File("bad")), 0) << f.name;
        EXPECT_EQ(Raised([&] { table.RecordCount(); }).Result(), kNotOpen) << f.name;
    }
    // Without its end mark the table is still whole.
    WriteBytes(dir.File("bad.dbf"), good.substr(0, good.size() - 1));
    EXPECT_EQ(table.OpenTable(dir.File("bad")), 0);
    EXPECT_EQ(table.RecordCount(), 3);
}

TEST_F(HostTableTest, DamagedFilesNeverCrashTheReader)
{
    {
        DbfWriter w(dir.File("good.dbf"), {{"Tag", FieldType::Character, 3}, {"Cislo", FieldType::Numeric, 5, 2},
                                           {"Kdy", FieldType::Date}, {"Ano", FieldType::Logical}});
        w.Add({"a", 1, Value::Date(2020, 1, 2), true});
        w.Add({"b", 2, Value::Date(2021, 3, 4), false});
    }
    const std::string good = ReadBytes(dir.File("good.dbf"));
    HostTable table = CreateHostTable();
    auto readAll = [&] {
        // Any outcome is fine as long as it is a result or a HostError.
        try {
            for (const char* index : {"Tag", "Cislo", "Kdy", "Ano"}) {
                table.SetIndex(index);
                table.MoveFirst();
                for (long n = table.RecordCount(); n > 0; --n) {
                    for (const char* field : {"Tag", "Cislo", "Kdy", "Ano"}) {
                        try {
                            table.FieldValue(field);
                        } catch (const HostError&) {
                        }
                    }
                    table.MoveNext();
                }
                table.Seek(1);
            }
        } catch (const HostError&) {
        }
    };
    for (size_t length = 0; length < good.size(); ++length) {
        WriteBytes(dir.File("cut.dbf"), good.substr(0, length));
        if (table.OpenTable(dir.File("cut")) == 0) {
            readAll();
            table.CloseTable();
        }
    }
    for (size_t at = 0; at < good.size(); ++at) {
        for (char value : {'\xFF', '\0', '*', 'Z'}) {
            std::string bytes = good;
            bytes[at] = value;
            WriteBytes(dir.File("flip.dbf"), bytes);
            if (table.OpenTable(dir.File("flip")) == 0) {
                readAll();
                table.CloseTable();
            }
        }
    }
}

// Grows a file to the size without writing it: the rest reads as zeros and takes no disk.
void Extend(const std::string& path, long long size)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD ignored = 0;
    DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
    LARGE_INTEGER at;
    at.QuadPart = size;
    EXPECT_TRUE(SetFilePointerEx(file, at, nullptr, FILE_BEGIN));
    EXPECT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
}

// Item files of gigabytes in a 32-bit process: a table that fits in the address space
// reads as usual, one that does not fails with an error that says so; nothing crashes.
// Only in a process of its own, as the entry host_address_space_tests runs it. (Elsewhere it
// passes at once: gtest's skipping crashes 32-bit Wine under qemu's emulator.)
TEST_F(HostTableTest, TablesTooLargeForTheAddressSpaceFailClearly)
{
    if (!std::getenv("QUILLET_ADDRESS_SPACE_TEST"))
        return;
    const long long kGiB = 1LL << 30;
    for (long long size : {kGiB + kGiB / 2, 4 * kGiB - 4096, 5 * kGiB}) {
        {
            DbfWriter w(dir.File("big.dbf"), {{"Tag", FieldType::Character, 2}});
            w.Add({"a"});
            w.Add({"b"});
        }
        Extend(dir.File("big.dbf"), size);
        HostTable table = CreateHostTable();
        try {
            ASSERT_EQ(table.OpenTable(dir.File("big")), 0) << size;
            EXPECT_EQ(table.RecordCount(), 2) << size;
            EXPECT_EQ(Walk(table), L"ab") << size;
            EXPECT_LT(size, 2 * kGiB) << "a view of " << size << " bytes in 32 bits";
        } catch (const HostError& error) {
            EXPECT_EQ(error.Result(), E_OUTOFMEMORY) << size;
            EXPECT_NE(Description(error).find(L"too large"), std::wstring::npos) << size;
            EXPECT_GT(size, 2 * kGiB) << "1.5 GB should fit a large-address-aware process";
            EXPECT_EQ(Raised([&] { table.RecordCount(); }).Result(), kNotOpen) << size;
        }
        table = HostTable();
        DeleteFileA(dir.File("big.dbf").c_str());
    }
}

TEST_F(HostTableTest, UnreadableValuesFailWithAnErrorObject)
{
    {
        DbfWriter w(dir.File("t.dbf"), {{"Cislo", FieldType::Numeric, 6, 2}, {"Kdy", FieldType::Date},
                                        {"Ano", FieldType::Logical}});
        w.Add({"12a", "20241340", "X"});
        w.Add({"1.2.3", "2023023 ", "T"});
        w.Add({"-", "20230229", "F"});
    }
    HostTable table = Open(dir.File("t"));
    for (int r = 0; r < 3; ++r) {
        for (const char* field : {"Cislo", "Kdy", "Ano"}) {
            if (r > 0 && std::string(field) == "Ano")
                continue;
            const HostError error = Raised([&] { table.FieldValue(field); });
            EXPECT_EQ(error.Result(), kBadValue) << r << field;
            EXPECT_NE(Description(error).find(std::wstring(field, field + std::strlen(field))), std::wstring::npos);
        }
        table.MoveNext();
    }
}

TEST_F(HostTableTest, OpenTableDoesNotLockOutWriters)
{
    {
        DbfWriter w(dir.File("SkSezDok.dbf"), {{"Tag", FieldType::Character, 2}});
        w.Add({"a"});
    }
    HostTable table = Open(dir.File("SkSezDok"));
    HostTable second = Open(dir.File("SkSezDok"));
    EXPECT_EQ(Text(table, "Tag"), L"a");
    // The host writes its tables while Quillet reads them.
    FileHandle writer(CreateFileA(dir.File("SkSezDok.dbf").c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(writer) << GetLastError();
    const std::string bytes = ReadBytes(dir.File("SkSezDok.dbf"));
    const LONG recordAt = static_cast<LONG>(bytes.size() - 1 - 3);
    ASSERT_EQ(bytes.substr(recordAt, 3), " a ");
    SetFilePointer(writer.Get(), recordAt + 1, nullptr, FILE_BEGIN);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(writer.Get(), "b", 1, &written, nullptr));
    EXPECT_EQ(written, 1u);
    writer.Reset();
    EXPECT_EQ(ReadBytes(dir.File("SkSezDok.dbf")).substr(recordAt, 3), " b ");
}

TEST_F(HostTableTest, ReservedSlotsAndDispatchAnswerWithoutHarm)
{
    {
        DbfWriter w(dir.File("t.dbf"), {{"Tag", FieldType::Character, 2}});
        w.Add({"a"});
    }
    HostTable table = Open(dir.File("t"));
    IMon2kDbeTable* raw = table.Get();
    UINT count = 99;
    EXPECT_EQ(raw->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(raw->Reserved7(), E_NOTIMPL);
    EXPECT_EQ(raw->Reserved23(), E_NOTIMPL);
    EXPECT_EQ(raw->Reserved39(), E_NOTIMPL);
    ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(raw->QueryInterface(IID_ISupportErrorInfo, support.PutVoid()), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IMon2kDbeTable), S_OK);
    EXPECT_EQ(Text(table, "Tag"), L"a");
}

}  // namespace

// Quillet prints on a thread of its own for each print: tables read on threads that end
// leave the process's heap whole, and the next thread reads the same fields again.
TEST_F(HostTableTest, ReadingOnThreadsThatEndLeavesTheHeapWhole)
{
    {
        DbfWriter w(dir.File("t.dbf"), {{"Tag", FieldType::Character, 2}, {"Name", FieldType::Character, 8}});
        w.Add({"a", "first"});
    }
    for (int round = 0; round < 6; ++round) {
        std::wstring seen;
        std::thread([&] {
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            {
                HostTable table = Open(dir.File("t"));
                seen = Text(table, "Tag") + Text(table, "Name");
            }
            CoUninitialize();
        }).join();
        EXPECT_EQ(seen, L"afirst") << round;
        ASSERT_TRUE(HeapValidate(GetProcessHeap(), 0, nullptr)) << round;
    }
}
