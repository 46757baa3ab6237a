// The sample host generator: what it lays out on C: is found by AgendaConfig::Load, and
// its tables read through the real host component agree with each other.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "config/AgendaConfig.h"
#include "config/HostFiles.h"
#include "framework/WideText.h"
#include "host/HostTable.h"
#include "support/MessageBoxRecorder.h"
#include "support/TempFile.h"

namespace {

struct RunResult {
    DWORD exitCode = 0;
    std::string output;
};

// samplehost.exe from beside this program, its output going to a file; the arguments are
// code page 1250, as the program reads them.
class SampleHostRun {
public:
    explicit SampleHostRun(const std::string& arguments)
    {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE file = CreateFileA(output_.Path().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            throw std::runtime_error("cannot create the output file");
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = file;
        startup.hStdError = file;
        std::wstring commandLine = ToWide("\"" + ProgramFolder() + "samplehost.exe\" " + arguments);
        const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                            &startup, &process_);
        CloseHandle(file);
        if (!started)
            throw std::runtime_error("cannot start samplehost.exe");
    }
    ~SampleHostRun() { Wait(); }

    RunResult Wait()
    {
        RunResult result;
        if (!process_.hProcess)
            return result;
        WaitForSingleObject(process_.hProcess, INFINITE);
        GetExitCodeProcess(process_.hProcess, &result.exitCode);
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
        process_ = {};
        result.output = output_.Read();
        return result;
    }

private:
    TempFile output_{"shs"};
    PROCESS_INFORMATION process_{};
};

RunResult RunSampleHost(const std::string& arguments)
{
    return SampleHostRun(arguments).Wait();
}

// The value after "label" up to the line end in the generator's summary.
std::string SummaryValue(const std::string& output, const std::string& label)
{
    const size_t at = output.find(label);
    if (at == std::string::npos)
        return {};
    size_t begin = output.find_first_not_of(' ', at + label.size());
    return output.substr(begin, output.find_first_of("\r\n", begin) - begin);
}

long IntegerOf(const OleVariant& value)
{
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&value.Get()), 0, VT_I4)))
        throw std::runtime_error("not an integer");
    return converted.lVal;
}

// Ten-thousandths.
long long AmountOf(const OleVariant& value)
{
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&value.Get()), 0, VT_CY)))
        throw std::runtime_error("not an amount");
    return converted.cyVal.int64;
}

std::string StringOf(const OleVariant& value)
{
    if (value.Get().vt != VT_BSTR)
        return {};
    const BSTR text = value.Get().bstrVal;
    const int length = int(SysStringLen(text));
    std::string result(size_t(WideCharToMultiByte(1250, 0, text, length, nullptr, 0, nullptr, nullptr)), '\0');
    WideCharToMultiByte(1250, 0, text, length, result.data(), int(result.size()), nullptr, nullptr);
    return result;
}

long long RoundToHundredths(long long value)
{
    const long long magnitude = (value < 0 ? -value : value) + 50;
    return (value < 0 ? -1 : 1) * (magnitude - magnitude % 100);
}

class SampleHostTest : public ::testing::Test {
protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }

    // Generates on C: and loads it; the generated tree goes with hostOnC_.
    void GenerateAndLoad(const std::string& sizes)
    {
        // No backslash before the closing quote: it would escape the quote.
        const std::string folder = ProgramFolder().substr(0, ProgramFolder().size() - 1);
        run_ = RunSampleHost("--root C:\\ --drive C: --seed 7 " + sizes + " --quillet-ini \"" + folder +
                             "\" --port LPT2:");
        ASSERT_EQ(0u, run_.exitCode) << run_.output;
        config_.Load();
        ASSERT_TRUE(boxes_.Shown().empty());
    }

    HostTable Open(const std::string& path, long expectedCount)
    {
        HostTable table = CreateHostTable();
        EXPECT_FALSE(table.Empty());
        EXPECT_EQ(0, table.OpenTable(path)) << path;
        EXPECT_EQ(expectedCount, table.RecordCount()) << path;
        return table;
    }

    SetAside hostOnC_{"C:\\Program Files\\CIGLER SOFTWARE"};
    SetAside quilletIni_{QuilletIniPath()};
    MessageBoxRecorder boxes_;
    AgendaConfig config_;
    RunResult run_;
};

TEST_F(SampleHostTest, GeneratedInstallationIsFoundByLoad)
{
    ASSERT_NO_FATAL_FAILURE(GenerateAndLoad("--documents 12 --items 40 --cards 20"));
    const std::string data = "C:\\Program Files\\CIGLER SOFTWARE\\Money S3\\Data\\";
    EXPECT_EQ(data + "Obchod\\", config_.AgendaDir);
    EXPECT_EQ(data + "Obchod\\2003\\", config_.YearDir);
    EXPECT_EQ("\x8E" "elez\xE1\xF8stv\xED U L\xEDpy s.r.o.", config_.Nazev);
    EXPECT_EQ("\xC8\x65sk\xE9 Bud\xECjovice", config_.Mesto);
    EXPECT_EQ("LPT2:", config_.Port);
    EXPECT_TRUE(PathExists(config_.AgendaDir + "SkSezZas.dbf"));
    EXPECT_TRUE(PathExists(config_.YearDir + "SkSezDok.dbf"));
    EXPECT_TRUE(PathExists(config_.YearDir + "SkSezPol.dbf"));
    EXPECT_EQ("12 (", SummaryValue(run_.output, "documents:").substr(0, 4)) << run_.output;
}

TEST_F(SampleHostTest, TablesOpenThroughTheComponentAndAgree)
{
    ASSERT_NO_FATAL_FAILURE(GenerateAndLoad("--documents 30 --items 150 --cards 40"));
    HostTable documents = Open(config_.YearDir + "\\SkSezDok", 30);
    HostTable items = Open(config_.YearDir + "\\SkSezPol", 150);
    const long cards = std::stol(SummaryValue(run_.output, "(SkSezZas:"));
    EXPECT_GT(cards, 0);
    EXPECT_LE(cards, 40);
    HostTable stockCards = Open(config_.AgendaDir + "SkSezZas", cards);

    // Items in file order: sums per document and rate, and rows of documents interleaved.
    std::map<long, std::map<long long, long long>> nets;  // document -> rate -> net
    std::map<std::string, int> types;
    long previous = 0;
    bool interleaved = false;
    int missingCards = 0;
    items.MoveFirst();
    for (long i = 0; i < 150; ++i, items.MoveNext()) {
        const std::string type = StringOf(items.FieldValue("TypDokladu"));
        const long doc = IntegerOf(items.FieldValue("CDokladu"));
        ++types[type];
        interleaved = interleaved || doc < previous;
        previous = doc;
        if (type != "S")
            continue;
        const long long quantity = AmountOf(items.FieldValue("PocetMJ"));
        const long long price = AmountOf(items.FieldValue("Cena"));
        const long long rate = AmountOf(items.FieldValue("DPH")) / 10000;
        EXPECT_TRUE(rate == 0 || rate == 5 || rate == 22) << rate;
        nets[doc][rate] += quantity * price / 10000;
        stockCards.SetIndex("Cislo");
        stockCards.MoveFirst();
        if (stockCards.Seek(IntegerOf(items.FieldValue("CKmenKarty"))) != 7)
            ++missingCards;
    }
    EXPECT_TRUE(interleaved) << "rows of documents should interleave in file order";
    EXPECT_GT(types["S"], 100);
    EXPECT_GT(150 - types["S"], 0) << "some rows of other types";

    // Headers: bases are the sums of the items per rate, VAT rounded, the total their sum.
    std::map<std::string, int> kinds;
    std::string newestP, newestD;
    documents.SetIndex("CDokladu");
    documents.MoveFirst();
    for (long i = 0; i < 30; ++i, documents.MoveNext()) {
        const long doc = IntegerOf(documents.FieldValue("CDokladu"));
        const std::string kind = StringOf(documents.FieldValue("Typ"));
        ++kinds[kind];
        (kind == "P" ? newestP : newestD) = StringOf(documents.FieldValue("CisloDokla"));
        SCOPED_TRACE(doc);
        const long long base0 = AmountOf(documents.FieldValue("Zaklad0"));
        const long long base5 = AmountOf(documents.FieldValue("Zaklad5"));
        const long long vat5 = AmountOf(documents.FieldValue("DPH5"));
        const long long base22 = AmountOf(documents.FieldValue("Zaklad22"));
        const long long vat22 = AmountOf(documents.FieldValue("DPH22"));
        EXPECT_EQ(RoundToHundredths(nets[doc][0]), base0);
        EXPECT_EQ(RoundToHundredths(nets[doc][5]), base5);
        EXPECT_EQ(RoundToHundredths(nets[doc][22]), base22);
        EXPECT_EQ(RoundToHundredths(base5 / 100 * 5), vat5);
        EXPECT_EQ(RoundToHundredths(base22 / 100 * 22), vat22);
        EXPECT_EQ(base0 + base5 + vat5 + base22 + vat22, AmountOf(documents.FieldValue("Celkem")));
    }
    EXPECT_EQ(30, kinds["P"] + kinds["D"]);
    EXPECT_GT(kinds["P"], 0);
    EXPECT_GT(kinds["D"], 0);
    EXPECT_EQ(newestP, SummaryValue(run_.output, "newest P:"));
    EXPECT_EQ(newestD, SummaryValue(run_.output, "newest D:"));
    documents.CloseTable();
    items.CloseTable();
    stockCards.CloseTable();
}

TEST_F(SampleHostTest, SameSeedGivesSameTables)
{
    ASSERT_NO_FATAL_FAILURE(GenerateAndLoad("--documents 5 --items 20 --cards 10"));
    auto read = [](const std::string& path) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        std::string bytes;
        char buffer[4096];
        DWORD got = 0;
        while (file != INVALID_HANDLE_VALUE && ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got)
            bytes.append(buffer, got);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        return bytes;
    };
    // The header holds the date of writing; everything after it must repeat.
    const std::string items = read(config_.YearDir + "SkSezPol.dbf").substr(4);
    const std::string documents = read(config_.YearDir + "SkSezDok.dbf").substr(4);
    ASSERT_FALSE(items.empty());
    ASSERT_EQ(0u, RunSampleHost("--root C:\\ --seed 7 --documents 5 --items 20 --cards 10").exitCode);
    EXPECT_EQ(items, read(config_.YearDir + "SkSezPol.dbf").substr(4));
    EXPECT_EQ(documents, read(config_.YearDir + "SkSezDok.dbf").substr(4));
    ASSERT_EQ(0u, RunSampleHost("--root C:\\ --seed 8 --documents 5 --items 20 --cards 10").exitCode);
    EXPECT_NE(items, read(config_.YearDir + "SkSezPol.dbf").substr(4));
}

// The host saves a document while Quillet has its tables open: the header first, its rows a
// moment later. Tables opened before see each as it comes, and the index files fit again.
TEST_F(SampleHostTest, AnAddedDocumentReachesTablesOpenedBeforeIt)
{
    ASSERT_NO_FATAL_FAILURE(GenerateAndLoad("--documents 12 --items 40 --cards 20"));
    HostTable documents = Open(config_.YearDir + "SkSezDok", 12);
    HostTable items = Open(config_.YearDir + "SkSezPol", 40);
    items.SetIndex("CDokladu");
    documents.SetIndex("CDokladu");
    documents.MoveFirst();
    documents.MoveNext();
    const long second = IntegerOf(documents.FieldValue("CDokladu"));
    SampleHostRun add("--root C:\\ --seed 7 --add-document D --add-items 3 --rows-after 4000 "
                      "--vystavil \"Jiří Dvořák\"");
    for (int waited = 0; documents.RecordCount() == 12 && waited < 30000; waited += 20)
        Sleep(20);
    ASSERT_EQ(13, documents.RecordCount());
    EXPECT_EQ(second, IntegerOf(documents.FieldValue("CDokladu"))) << "the current record stays";
    documents.MoveLast();
    const long id = IntegerOf(documents.FieldValue("CDokladu"));
    EXPECT_EQ("Ji\xF8\xED Dvo\xF8\xE1k", StringOf(documents.FieldValue("Vystavil")));
    EXPECT_NE(7, items.Seek(id)) << "the rows come after the header";

    const RunResult run = add.Wait();
    ASSERT_EQ(0u, run.exitCode) << run.output;
    EXPECT_EQ(std::to_string(id) + " " + StringOf(documents.FieldValue("CisloDokla")),
              SummaryValue(run.output, "document:"));
    EXPECT_EQ(43, items.RecordCount());
    ASSERT_EQ(7, items.Seek(id));
    for (int row = 0; row < 3; ++row, items.MoveNext())
        EXPECT_EQ(id, IntegerOf(items.FieldValue("CDokladu"))) << row;
    EXPECT_FALSE(items.MoveNext());
    for (const auto& [table, count] : {std::pair<const char*, long>{"SkSezDok", 13}, {"SkSezPol", 43}}) {
        const std::string index = FileBytes(config_.YearDir + table + ".CDokladu.idx");
        ASSERT_EQ(48u + 4 * count, index.size()) << table;
        EXPECT_EQ(count, *reinterpret_cast<const long*>(index.data() + 12)) << table << ": records it fits";
        EXPECT_EQ(count, *reinterpret_cast<const long*>(index.data() + 44)) << table << ": its entries";
    }
}

TEST(SampleHostArguments, BadArgumentsAreRefusedWithAMessage)
{
    const struct {
        const char* arguments;
        const char* message;
    } cases[] = {
        {"", "nothing to do"},
        {"--root C:\\qlt-never --documents -3", "bad value for --documents"},
        {"--root C:\\qlt-never --items 12x", "bad value for --items"},
        {"--root C:\\qlt-never --documents 0 --items 5", "item rows need at least one document"},
        {"--root C:\\qlt-never --drive CC", "--drive takes a drive letter"},
        {"--root C:\\qlt-never --data-root D:\\Data", "--data-root must be a full path on drive C:"},
        {"--root C:\\qlt-never --agenda a\\b", "plain folder names"},
        {"--root C:\\qlt-never --colour red", "unknown option --colour"},
        {"--root", "missing value after --root"},
        {"--add-document P", "--add-document needs --root"},
        {"--root C:\\qlt-never --add-document p", "--add-document takes P"},
        {"--root C:\\qlt-never --add-document P --items 3", "lay out a new one"},
        {"--root C:\\qlt-never --rows-after 10", "go with --add-document"},
        {"--root C:\\qlt-never --add-document P --vystavil 1234567890123456789012345678901", "longer than 30"},
        {"--root C:\\qlt-never --add-document D", "cannot read the table"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const RunResult run = RunSampleHost(c.arguments);
        EXPECT_EQ(1u, run.exitCode);
        EXPECT_NE(std::string::npos, run.output.find(c.message)) << run.output;
    }
    EXPECT_FALSE(PathExists("C:\\qlt-never"));
}

}  // namespace
