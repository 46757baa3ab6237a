// AgendaConfig::Load against real host INI files laid out on the prefix's drives C:, D:
// and E:, and a real Quillet.ini beside the test program.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "config/AgendaConfig.h"
#include "config/HostFiles.h"
#include "support/MessageBoxRecorder.h"

namespace {

const char kCommonFiles[] = "\\CIGLER SOFTWARE\\Common Files\\Setup.ini";
const char kNoHost[] = "Na tomto po\xE8\xEDta\xE8i pravd\xECpodobn\xEC nejsou nainstalov\xE1ny MoneyS3.";

std::string SetupIni(const std::string& drive, const std::string& folder = "\\Program Files")
{
    return drive + folder + kCommonFiles;
}

// The 32-bit program-files folder that Windows reports, moved for a test and put back.
class ReportedProgramFilesX86 {
public:
    explicit ReportedProgramFilesX86(const std::string& folder) : old_(Get()) { Set(folder); }
    ~ReportedProgramFilesX86() { Set(old_); }

private:
    static constexpr char kKey[] = "Software\\Microsoft\\Windows\\CurrentVersion", kValue[] = "ProgramFilesDir (x86)";
    static std::string Get()
    {
        char folder[MAX_PATH] = {};
        DWORD size = sizeof folder;
        RegGetValueA(HKEY_LOCAL_MACHINE, kKey, kValue, RRF_RT_REG_SZ, nullptr, folder, &size);
        return folder;
    }
    static void Set(const std::string& folder)
    {
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, kKey, kValue, REG_SZ, folder.c_str(), DWORD(folder.size() + 1));
    }
    std::string old_;
};

std::string LocalPath(const std::string& drive)
{
    return drive + "\\Program Files\\CIGLER SOFTWARE\\Money S3";
}

class AgendaConfigTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PathExists("D:\\")) << "drive D: is not mapped";
        ASSERT_TRUE(PathExists("E:\\")) << "drive E: is not mapped";
    }

    // A host installed on the drive: Setup.ini naming its folder and MonS3.ini there.
    static void LayHost(HostFiles& files, const std::string& drive, const std::vector<std::string>& monS3,
                        const std::string& programFiles = "\\Program Files")
    {
        files.WriteIni(SetupIni(drive, programFiles), {"[InstParams]", "LocalPath=" + LocalPath(drive)});
        files.WriteIni(LocalPath(drive) + "\\MonS3.ini", monS3);
    }

    static std::vector<std::string> MonS3(const std::string& dataRoot, const std::string& firm,
                                          const std::string& year)
    {
        return {"[Directory]", "DataRoot=" + dataRoot, "[LastDirs]", "LastFirm=" + firm, "LastYear=" + year};
    }

    // Nothing the tests lay out survives them, and what other programs left is kept.
    SetAside hostOnC_{"C:\\Program Files\\CIGLER SOFTWARE"};
    SetAside hostOnCx86_{"C:\\Program Files (x86)\\CIGLER SOFTWARE"};
    SetAside quilletIni_{QuilletIniPath()};
    MessageBoxRecorder boxes_;
};

std::vector<std::string> SellerFields(const AgendaConfig& config)
{
    return {config.Nazev, config.Ulice, config.Mesto, config.PSC, config.ICO,
            config.DIC,   config.RegCislo, config.Tel, config.Fax, config.Port};
}

// C:, D:, E: under "Program Files", then the same under "Program Files (x86)", where a
// 32-bit host lives on 64-bit Windows, then the 32-bit program-files folder Windows reports.
TEST_F(AgendaConfigTest, FirstSetupIniOfCThenDThenEIsUsed)
{
    const std::string x86 = "\\Program Files (x86)", other = "\\Programy 32";
    struct Case {
        std::vector<std::string> drives;  // each with the program-files folder, "Program Files" unless given
        std::string agendaDir;
    };
    const Case cases[] = {
        {{"D:", "E:"}, "D:\\Data\\FromD\\"},
        {{"E:"}, "E:\\Data\\FromE\\"},
        {{"C:", "D:", "E:"}, "C:\\Data\\FromC\\"},
        {{"C:", "E:"}, "C:\\Data\\FromC\\"},
        {{"C:" + x86, "E:"}, "E:\\Data\\FromE\\"},
        {{"E:" + x86, "D:" + x86}, "D:\\Data\\FromD\\"},
        {{"C:" + x86, "D:" + other}, "C:\\Data\\FromC\\"},
        {{"D:" + other}, "D:\\Data\\FromD\\"},
    };
    ReportedProgramFilesX86 reported("D:" + other);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.agendaDir);
        HostFiles files;
        for (const std::string& host : c.drives) {
            const std::string drive = host.substr(0, 2);
            LayHost(files, drive, MonS3(drive + "\\Data", "From" + drive.substr(0, 1), "Rok"),
                    host.size() > 2 ? host.substr(2) : "\\Program Files");
        }
        AgendaConfig config;
        config.Load();
        EXPECT_EQ(c.agendaDir, config.AgendaDir);
        EXPECT_EQ(c.agendaDir + "Rok\\", config.YearDir);
    }
    EXPECT_TRUE(boxes_.Shown().empty());
}

TEST_F(AgendaConfigTest, DirectoriesEndInExactlyOneBackslash)
{
    struct Case {
        const char* name;
        std::vector<std::string> monS3;
        std::string agendaDir;
        std::string yearDir;
    };
    const Case cases[] = {
        {"root with two backslashes and a blank", MonS3("\"D:\\Data\\\\ \"", "Shop", "Y03"),
         "D:\\Data\\Shop\\", "D:\\Data\\Shop\\Y03\\"},
        {"same without quotes", MonS3("D:\\Data\\\\ ", "Shop", "Y03"), "D:\\Data\\Shop\\", "D:\\Data\\Shop\\Y03\\"},
        {"no keys", {"[Directory]", "[LastDirs]"}, "\\", "\\"},
        {"empty values", MonS3("", "", ""), "\\", "\\"},
        {"leading backslash of a part stays", MonS3("D:\\Data", "\\Shop", "\\\\Y03\\"),
         "D:\\Data\\\\Shop\\", "D:\\Data\\\\Shop\\\\\\Y03\\"},
        {"tab and backslashes at the end", MonS3("D:\\Data\\", "\"Shop\\\\\t\"", "Y03"),
         "D:\\Data\\Shop\\", "D:\\Data\\Shop\\Y03\\"},
        {"blank goes before backslashes, not after", MonS3("D:\\Data", "Shop", "\"Y03\\ \\ \""),
         "D:\\Data\\Shop\\", "D:\\Data\\Shop\\Y03\\ \\"},
        {"Czech names", MonS3("D:\\Účetní data", "Řezník Šťastný", "Rok 2003"),
         "D:\\\xDA\xE8\x65tn\xED data\\\xD8\x65zn\xEDk \x8A\x9D\x61stn\xFD\\",
         "D:\\\xDA\xE8\x65tn\xED data\\\xD8\x65zn\xEDk \x8A\x9D\x61stn\xFD\\Rok 2003\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HostFiles files;
        LayHost(files, "D:", c.monS3);
        AgendaConfig config;
        config.Load();
        EXPECT_EQ(c.agendaDir, config.AgendaDir);
        EXPECT_EQ(c.yearDir, config.YearDir);
    }
}

TEST_F(AgendaConfigTest, MissingMonS3IniGivesLoneBackslashes)
{
    HostFiles files;
    files.WriteIni(SetupIni("D:"), {"[InstParams]", "LocalPath=D:\\Nowhere"});
    AgendaConfig config;
    config.Load();
    EXPECT_EQ("\\", config.AgendaDir);
    EXPECT_EQ("\\", config.YearDir);
    EXPECT_TRUE(boxes_.Shown().empty());
}

TEST_F(AgendaConfigTest, SetupIniWithoutLocalPathTakesMonS3IniAtRootOfCurrentDrive)
{
    char previous[MAX_PATH * 4] = {};
    GetCurrentDirectoryA(sizeof previous, previous);
    HostFiles files;
    files.WriteIni(SetupIni("D:"), {"[InstParams]", "Version=1"});
    files.WriteIni("D:\\MonS3.ini", MonS3("D:\\Kořen", "Firma", "2003"));
    files.WriteIni("D:\\Pracovni\\MonS3.ini", MonS3("D:\\Jinde", "Firma", "2003"));
    ASSERT_TRUE(SetCurrentDirectoryA("D:\\Pracovni"));
    AgendaConfig config;
    config.Load();
    SetCurrentDirectoryA(previous);
    EXPECT_EQ("D:\\Ko\xF8\x65n\\Firma\\", config.AgendaDir);
    EXPECT_EQ("D:\\Ko\xF8\x65n\\Firma\\2003\\", config.YearDir);
}

TEST_F(AgendaConfigTest, SellerFieldsAndPortComeFromQuilletIni)
{
    struct Case {
        const char* name;
        std::unique_ptr<std::vector<std::string>> ini;  // none: no Quillet.ini at all
        std::vector<std::string> fields;  // Nazev Ulice Mesto PSC ICO DIC RegCislo Tel Fax Port
    };
    auto ini = [](std::vector<std::string> lines) { return std::make_unique<std::vector<std::string>>(lines); };
    Case cases[] = {
        {"the seller's keys and the port, Czech",
         ini({"[Firma]", "Nazev=Železářství Šťastný", "Ulice=Dlouhá 12", "Mesto=České Budějovice",
              "PSC=370 01", "Tel=387 123 456", "Fax=387 123 457", "ICO=12345678", "DIC=CZ12345678",
              "RegCislo=Zapsán v OR, oddíl C, vložka 1234", "Port=LPT2:"}),
         {"\x8E" "elez\xE1\xF8stv\xED \x8A\x9D\x61stn\xFD", "Dlouh\xE1 12", "\xC8\x65sk\xE9 Bud\xECjovice",
          "370 01", "12345678", "CZ12345678", "Zaps\xE1n v OR, odd\xEDl C, vlo\x9Eka 1234", "387 123 456",
          "387 123 457", "LPT2:"}},
        {"port present but empty", ini({"[Firma]", "Nazev=Obchod", "Port="}),
         {"Obchod", "", "", "", "", "", "", "", "", ""}},
        {"port missing", ini({"[Firma]", "Nazev=Obchod"}), {"Obchod", "", "", "", "", "", "", "", "", "LPT1:"}},
        {"other section only", ini({"[Jine]", "Nazev=Obchod", "Port=COM1:"}),
         {"", "", "", "", "", "", "", "", "", "LPT1:"}},
        {"no Quillet.ini", nullptr, {"", "", "", "", "", "", "", "", "", "LPT1:"}},
        {"value of 300 characters arrives cut to 259", ini({"[Firma]", "Nazev=" + std::string(300, 'x')}),
         {std::string(259, 'x'), "", "", "", "", "", "", "", "", "LPT1:"}},
    };
    HostFiles host;
    LayHost(host, "C:", MonS3("C:\\Data", "Firma", "2003"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HostFiles files;
        if (c.ini)
            files.WriteIni(QuilletIniPath(), *c.ini);
        AgendaConfig config;
        config.Load();
        EXPECT_EQ(c.fields, SellerFields(config));
        EXPECT_EQ("C:\\Data\\Firma\\2003\\", config.YearDir);
    }
    EXPECT_TRUE(boxes_.Shown().empty());
}

TEST_F(AgendaConfigTest, PortTimeoutIsWholeSecondsOrThirty)
{
    const struct {
        const char* line;  // nullptr: no key
        int seconds;
    } cases[] = {
        {nullptr, 30}, {"PortTimeout=5", 5}, {"PortTimeout=300", 300}, {"PortTimeout=0", 30},
        {"PortTimeout=-5", 30}, {"PortTimeout=301", 30}, {"PortTimeout=3600", 30}, {"PortTimeout=10 s", 30}, {"PortTimeout=", 30},
    };
    HostFiles host;
    LayHost(host, "C:", MonS3("C:\\Data", "Firma", "2003"));
    for (const auto& c : cases) {
        HostFiles files;
        std::vector<std::string> lines = {"[Firma]", "Port=LPT2:"};
        if (c.line)
            lines.push_back(c.line);
        files.WriteIni(QuilletIniPath(), lines);
        AgendaConfig config;
        config.Load();
        EXPECT_EQ(c.seconds, config.PortTimeout) << (c.line ? c.line : "no key");
    }
}

TEST_F(AgendaConfigTest, NoHostShowsMessageAndKeepsFields)
{
    HostFiles seller;
    seller.WriteIni(QuilletIniPath(), {"[Firma]", "Nazev=Prvn\xED", "Port=LPT2:"});

    AgendaConfig config;
    config.Load();
    ASSERT_EQ(1u, boxes_.Shown().size());
    EXPECT_EQ(kNoHost, boxes_.Shown()[0].text);
    EXPECT_EQ(UINT(MB_OK), boxes_.Shown()[0].flags);
    EXPECT_EQ(std::vector<std::string>(10), SellerFields(config)) << "Quillet.ini must not be read";
    EXPECT_EQ("", config.AgendaDir);
    EXPECT_EQ("", config.YearDir);

    {
        HostFiles host;
        LayHost(host, "E:", MonS3("E:\\Data", "Firma", "2003"));
        config.Load();
    }
    ASSERT_EQ(1u, boxes_.Shown().size());
    const std::vector<std::string> loaded = SellerFields(config);
    EXPECT_EQ("Prvn\xED", config.Nazev);
    EXPECT_EQ("LPT2:", config.Port);

    // The settings changed, but the host is gone again: the record keeps the first load.
    seller.WriteIni(QuilletIniPath(), {"[Firma]", "Nazev=Druh\xFD", "Port=LPT3:"});
    config.Load();
    ASSERT_EQ(2u, boxes_.Shown().size());
    EXPECT_EQ(kNoHost, boxes_.Shown()[1].text);
    EXPECT_EQ(loaded, SellerFields(config));
    EXPECT_EQ("E:\\Data\\Firma\\", config.AgendaDir);
    EXPECT_EQ("E:\\Data\\Firma\\2003\\", config.YearDir);
}

}  // namespace
