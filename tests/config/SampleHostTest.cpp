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
#include "host/HostTable.h"
#include "support/MessageBoxRecorder.h"
#include "support/TempFile.h"

namespace {

struct RunResult {
    DWORD exitCode = 0;
    std::string output;
};

// Runs samplehost.exe from beside this program, its output going to a file.
RunResult RunSampleHost(const std::string& arguments)
{
    TempFile output("shs");
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE file = CreateFileA(output.Path().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot create the output file");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = file;
    startup.hStdError = file;
    PROCESS_INFORMATION process{};
    std::string commandLine = "\"" + ProgramFolder() + "samplehost.exe\" " + arguments;
    const BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                       &startup, &process);
    CloseHandle(file);
    if (!started)
        throw std::runtime_error("cannot start samplehost.exe");
    WaitForSingleObject(process.hProcess, INFINITE);
    RunResult result;
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    result.output = output.Read();
    return result;
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
