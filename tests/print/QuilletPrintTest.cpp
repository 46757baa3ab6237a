// quillet-print.exe run as a user runs it: a copy with its own Quillet.ini, the host laid
// out on C: for it, and its console output and exit status read back.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

#include "Mon2kDbe.h"

#include "config/HostFiles.h"
#include "documents/SampleAgenda.h"
#include "framework/WideText.h"
#include "print/PrintJournal.h"
#include "support/TempFile.h"
#include "support/TestQueue.h"

namespace {

const std::string kSetupIni = "C:\\Program Files\\CIGLER SOFTWARE\\Common Files\\Setup.ini";

struct ProgramRun {
    DWORD status;
    std::string output;  // UTF-8, lines ended by LF
};

class QuilletPrintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string hostDir = agenda.Root() + "\\Money S3";
        ASSERT_TRUE(WriteBytes(kSetupIni, "[InstParams]\r\nLocalPath=" + hostDir + "\r\n"));
        ASSERT_TRUE(WriteBytes(hostDir + "\\MonS3.ini", "[Directory]\r\nDataRoot=" + agenda.Root() +
                                                            "\r\n[LastDirs]\r\nLastFirm=Firma\r\nLastYear=Rok2026\r\n"));

        appDir_ = agenda.Root() + "\\Quillet\\";
        CreateDirectoryA(appDir_.c_str(), nullptr);
        ASSERT_TRUE(CopyFileA((ProgramFolder() + "quillet-print.exe").c_str(), (appDir_ + "quillet-print.exe").c_str(),
                              FALSE));
        WritePort(port.Path());

        DocRecord tax;
        tax.id = 1;
        tax.typ = "P";
        tax.cislo = "P0001";
        DocRecord note = tax;
        note.id = 2;
        note.typ = "D";
        note.cislo = "D0002";
        agenda.WriteDocuments({tax, note});
        ItemRecord item;
        item.docId = 2;
        item.nazev = "Hřebík";
        items = {item};
        agenda.WriteItems(items);
        agenda.WriteCards({});
    }

    void WritePort(const std::string& portName)
    {
        ASSERT_TRUE(WriteBytes(appDir_ + "Quillet.ini",
                               "[Firma]\r\nNazev=Železářství Čermák\r\nPort=" + portName + "\r\n"));
    }

    ProgramRun Start(const std::string& arguments)
    {
        DeleteFileA(port.Path().c_str());
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        HANDLE out = CreateFileA(output.Path().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, out);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = out;
        startup.hStdError = out;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        std::string command = "\"" + appDir_ + "quillet-print.exe\" " + arguments;
        PROCESS_INFORMATION process = {};
        ProgramRun run = {0xFFFFFFFF, {}};
        if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, appDir_.c_str(), &startup,
                           &process)) {
            WaitForSingleObject(process.hProcess, 120000);
            GetExitCodeProcess(process.hProcess, &run.status);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        } else {
            ADD_FAILURE() << "cannot start " << command;
        }
        CloseHandle(out);
        // The console's text mode ends lines with CR LF.
        for (char c : output.Read())
            if (c != '\r')
                run.output += c;
        return run;
    }

    SampleAgenda agenda;
    TempFile port{"prn"};
    TempFile output{"out"};
    std::vector<ItemRecord> items;
    std::string appDir_;
    // Whatever installation the prefix has is put aside for the test.
    SetAside setupIni_{kSetupIni};
};

TEST_F(QuilletPrintTest, ExitStatusSaysWhetherADocumentWasPrinted)
{
    struct Case {
        const char* arguments;
        DWORD status;
        const char* output;  // UTF-8
        bool printed;
    };
    const Case cases[] = {
        {"last-tax", 1, u8"Tisknout daňový doklad č. P0001? [Ne]\n", false},
        {"--yes last-tax", 0, u8"Tisknout daňový doklad č. P0001? [Ano]\n", true},
        {"last-delivery --yes", 0, u8"Tisknout dodací list č. D0002? [Ano]\n", true},
        {"id 2", 0, "", true},
        {"id 99", 1, u8"Vybraný doklad už v MoneyS3 není, mezitím byl smazán.\n", false},
        {"id 1", 0, "", true},
    };
    for (const Case& c : cases) {
        ProgramRun run = Start(c.arguments);
        EXPECT_EQ(c.status, run.status) << c.arguments;
        EXPECT_EQ(c.output, run.output) << c.arguments;
        const std::string page = port.Read();
        if (c.printed) {
            ASSERT_FALSE(page.empty()) << c.arguments;
            EXPECT_EQ('\f', page.back()) << c.arguments;
        } else {
            EXPECT_EQ("", page) << c.arguments;
        }
    }
    // The page is the tray's: the seller from Quillet.ini beside the program.
    Start("id 2");
    EXPECT_NE(std::string::npos, port.Read().find(To852("Železářství Čermák")));
}

TEST_F(QuilletPrintTest, ErrorsAreWrittenAndEndWithStatusTwo)
{
    const std::string missingPort = agenda.Root() + "\\no such folder\\lpt";
    WritePort(missingPort);
    ProgramRun run = Start("--yes last-delivery");
    EXPECT_EQ(2u, run.status);
    const std::string head = u8"Tisknout dodací list č. D0002? [Ano]\nTisk se nepodařil: port '" + missingPort +
                             u8"' nelze otevřít, nic nebylo vytištěno.\n\n";
    EXPECT_EQ(head, run.output.substr(0, head.size()));
    EXPECT_GT(run.output.size(), head.size() + 5) << run.output;  // the reason, and nothing after it
    EXPECT_EQ(run.output.find('\n', head.size()), run.output.size() - 1) << run.output;

    WritePort(port.Path());
    agenda.WriteItems(items, false);  // the note's card number cannot be read
    run = Start("id 2");
    EXPECT_EQ(2u, run.status);
    const std::string prefix = u8"Nastala chyba při přístupu k datům\n\n:";
    EXPECT_EQ(prefix, run.output.substr(0, prefix.size()));
    EXPECT_FALSE(PathExists(port.Path()));

    DeleteFileA(kSetupIni.c_str());
    run = Start("last-tax");
    EXPECT_EQ(2u, run.status);
    EXPECT_EQ(u8"Na tomto počítači pravděpodobně nejsou nainstalovány MoneyS3.\n", run.output);
}

TEST_F(QuilletPrintTest, EveryWayToThePrinterGetsTheSamePageAndVerboseSaysWhich)
{
    ASSERT_EQ(0u, Start("id 2").status);
    const std::string page = port.Read();
    ASSERT_EQ('\f', page.back());
    TempFile queueFile("que");
    TestQueue queue("Tiskárna Čermák", queueFile.Path());
    const struct {
        std::string port, file, way, why;  // way and why in UTF-8
    } ways[] = {
        {queue.Name(), queueFile.Path(),
         u8"tiskárna Windows 'Tiskárna Čermák' (port " + queueFile.Path() + u8"), úloha 'Quillet – dodací list D0002', data RAW",
         u8"tiskárna 'Tiskárna Čermák' má ovladač 'Generic / Text Only'"},
        {"LPT1:", PortFixtureFile("lpt1.prn"), u8"zařízení LPT1:", u8"port LPT1: není tiskárna Windows"},
        {"\\\\localhost\\quillet-lpt", PortFixtureFile("share.prn"), u8"sdílená tiskárna \\\\localhost\\quillet-lpt",
         u8"port \\\\localhost\\quillet-lpt není tiskárna Windows"},
    };
    for (const auto& way : ways) {
        CloseHandle(CreateFileA(way.file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        WritePort(way.port);
        const ProgramRun run = Start("--verbose id 2");
        EXPECT_EQ(0u, run.status) << way.port;
        EXPECT_EQ(u8"Způsob: " + way.why + u8": data ESC/P (RAW); kopií 1\nTisk: " + way.way + u8"\nOdesláno " +
                      std::to_string(page.size()) + u8" bajtů, úloha ukončena.\n",
                  run.output);
        EXPECT_EQ(page, FileBytes(way.file)) << way.port;
    }
}

TEST_F(QuilletPrintTest, PortFailuresAreWrittenAndEndWithStatusTwo)
{
    TestQueue office("Tiskárna v kanceláři", "C:\\no such folder\\out.prn");
    const struct {
        std::string port;
        std::string output;  // UTF-8
    } cases[] = {
        {"tisk.prn", u8"Způsob: port tisk.prn není tiskárna Windows: data ESC/P (RAW); kopií 1\nTisk se nepodařil: port 'tisk.prn' nelze otevřít, nic nebylo vytištěno.\n\n'tisk.prn' není "
                     u8"tiskárna nainstalovaná ve Windows, port (LPT1:, COM1:, PRN) ani cesta k souboru.\n"},
        {office.Name(), u8"Způsob: tiskárna 'Tiskárna v kanceláři' má ovladač 'Generic / Text Only': data ESC/P "
                        u8"(RAW); kopií 1\nTisk: tiskárna Windows 'Tiskárna v kanceláři' (port C:\\no such folder\\out.prn), úloha "
                        u8"'Quillet – dodací list D0002', data RAW\n"
                        u8"Tisk se nepodařil: tiskárna 'Tiskárna v kanceláři' nepřijala data.\n\n"
                        u8"Tiskový systém Windows nepředal úlohu na port tiskárny (C:\\no such folder\\out.prn).\n"},
    };
    for (const auto& c : cases) {
        WritePort(c.port);
        const ProgramRun run = Start("--verbose id 2");
        EXPECT_EQ(2u, run.status) << c.port;
        EXPECT_EQ(c.output, run.output) << c.port;
    }
    EXPECT_FALSE(PathExists(appDir_ + "tisk.prn"));
}

TEST_F(QuilletPrintTest, UsageText)
{
    ProgramRun run = Start("--help");
    EXPECT_EQ(0u, run.status);
    EXPECT_EQ(0u, run.output.find("usage: quillet-print"));
    for (const char* wrong : {"", "last", "id", "id x", "id 1 last-tax", "--no"}) {
        run = Start(wrong);
        EXPECT_EQ(2u, run.status) << wrong;
        EXPECT_EQ(0u, run.output.find("usage: quillet-print")) << wrong;
    }
}


// The installation check, step by step. The component is taken out of the registry, or
// put where only programs of the other bitness see it, and put back afterwards.
class InstallationCheckTest : public QuilletPrintTest {
protected:
    using Entry = HRESULT(STDAPICALLTYPE*)();

    void TearDown() override
    {
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kOtherViewServer, OtherView(), 0);
        CallComponent("DllRegisterServer");
    }

    static void CallComponent(const char* name)
    {
        HMODULE component = LoadLibraryA((ProgramFolder() + "mon2kdbe.dll").c_str());
        ASSERT_TRUE(component);
        auto entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(component, name)));
        ASSERT_TRUE(entry && SUCCEEDED(entry()));
        FreeLibrary(component);
    }

    // The result of creating the component in this state of the registry, in the context
    // the program uses: REGDB_E_CLASSNOTREG on Windows, REGDB_E_KEYMISSING under Wine,
    // which looks for a local server last.
    static std::string CreationCode()
    {
        CoInitialize(nullptr);
        IUnknown* unknown = nullptr;
        const HRESULT hr = CoCreateInstance(CLSID_Mon2kDbeTable, nullptr,
                                            CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER,
                                            IID_IUnknown, reinterpret_cast<void**>(&unknown));
        if (unknown)
            unknown->Release();
        CoUninitialize();
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
        return code;
    }

    static REGSAM OtherView() { return sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY; }

    std::string Expected(const std::vector<std::string>& lines)
    {
        std::string text;
        for (const std::string& line : lines)
            text += line + "\n";
        return text;
    }

    std::string Folders()
    {
        return Expected({u8"OK     Instalace MoneyS3: " + kSetupIni, u8"OK     MonS3.ini: " + agenda.Root() + "\\Money S3\\MonS3.ini",
                         u8"OK     Agenda: " + agenda.Root() + "\\Firma\\",
                         u8"OK     Účetní rok: " + agenda.Root() + "\\Firma\\Rok2026\\",
                         u8"OK     Quillet.ini: " + appDir_ + "Quillet.ini, port " + port.Path()});
    }

    // The last two steps with automatic printing off.
    std::string AutomaticOff()
    {
        return Expected({u8"OK     Automatický tisk: vypnut",
                         u8"OK     Deník tisků: " + ToUtf8(PrintJournal::DefaultFolder()) + u8"\\tisk-RRRR-MM.csv"});
    }

    static constexpr char kOtherViewServer[] =
        "Software\\Classes\\CLSID\\{86BCE057-6381-4224-A0BD-25E115FBAD94}\\InprocServer32";
};

TEST_F(InstallationCheckTest, HealthyInstallationPassesEveryStepAndPrintsNothing)
{
    ProgramRun run = Start("--check");
    EXPECT_EQ(0u, run.status);
    EXPECT_EQ(Folders() + Expected({u8"OK     Databázová komponenta MoneyS3: " + ProgramFolder() + "mon2kdbe.dll",
                                    u8"OK     Doklady SkSezDok: záznamů 2", u8"OK     Položky SkSezPol: záznamů 1",
                                    u8"OK     Kmenové karty SkSezZas: záznamů 0",
                                    u8"OK     Poslední prodejka: č. P0001", u8"OK     Poslední dodací list: č. D0002",
                                    u8"OK     Tisk: port " + port.Path() + u8" není tiskárna Windows: data ESC/P (RAW)",
                                    u8"OK     Port " + port.Path() + u8": otevřen, nic nebylo vytištěno"}) +
                  AutomaticOff() + u8"Vše v pořádku: Quillet může tisknout.\n",
              run.output);
    EXPECT_FALSE(PathExists(port.Path()));  // not even an empty file is left
    WriteBytes(appDir_ + "Quillet.ini", "[Firma]\r\nPort=" + port.Path() +
                                            "\r\nAutoTiskDanovyDoklad=1\r\nAutoTiskDodaciList=1\r\nAutoTiskVystavil=Jiří\r\n");
    EXPECT_NE(std::string::npos,
              Start("--check").output.find(u8"OK     Automatický tisk: zapnut pro prodejky a dodací listy, jen doklady, "
                                           u8"které vystavil: Jiří\n"));

    // A port that cannot be opened: what the system says, and where to set it.
    const std::string missingPort = agenda.Root() + "\\no such folder\\lpt";
    WritePort(missingPort);
    run = Start("--check");
    EXPECT_EQ(2u, run.status);
    const std::string line = u8"CHYBA  Port " + missingPort + u8": nelze otevřít: ";
    EXPECT_NE(std::string::npos, run.output.find(line)) << run.output;
    EXPECT_NE(std::string::npos,
              run.output.find(u8" – v Nastavení vyberte tiskárnu Windows nebo zadejte port, na kterém tiskárna je (např. LPT1:)\n" +
                              AutomaticOff() + u8"Chyb: 1. Dokud je neopravíte, Quillet nebude tisknout.\n"))
        << run.output;
}

// The check refuses a port for the reason a print refuses it: here Quillet.ini under a
// second name of the same file, the null device, a file name that opens LPT1.
TEST_F(InstallationCheckTest, PortIsRefusedAsAPrintRefusesIt)
{
    const std::string settingsLink = appDir_ + "tisk.prn";
    const std::string names[] = {settingsLink, "\\\\?\\GLOBALROOT\\Device\\Null", appDir_ + "lpt1.prn"};
    for (const std::string& name : names) {
        WritePort(name);
        if (name == settingsLink) {
            ASSERT_TRUE(CreateHardLinkA(settingsLink.c_str(), (appDir_ + "Quillet.ini").c_str(), nullptr));
        }
        const ProgramRun print = Start("--yes last-tax");
        EXPECT_EQ(2u, print.status) << name;
        const size_t reason = print.output.find("\n\n") + 2;
        ASSERT_LT(reason, print.output.size()) << print.output;
        const ProgramRun check = Start("--check");
        EXPECT_EQ(2u, check.status) << name;
        EXPECT_NE(std::string::npos,
                  check.output.find(u8"CHYBA  Port " + name + u8": nelze otevřít: " +
                                    print.output.substr(reason, print.output.size() - reason - 1) + u8" – "))
            << print.output << check.output;
    }
}

TEST_F(InstallationCheckTest, NewestDocumentsAreLaidOutAsPrintingThemWouldBe)
{
    // The newest delivery note has a quantity that is no number; the stock cards, without
    // which documents print with empty notes, are gone.
    agenda.WriteItems({Item("S", 2, "Hřebík", "", "1.2.3", "ks", 0)});
    DeleteFileA((agenda.AgendaDir() + "SkSezZas.dbf").c_str());
    const std::string cards = u8"POZOR  Kmenové karty SkSezZas: nelze otevřít (stav 1); doklady se vytisknou bez "
                              u8"poznámek\nOK     Poslední prodejka: č. P0001\n";
    ProgramRun run = Start("--check");
    EXPECT_EQ(2u, run.status);
    EXPECT_NE(std::string::npos,
              run.output.find(cards + u8"CHYBA  Poslední dodací list: č. D0002 nelze vytisknout: Nastala chyba při "
                                      u8"přístupu k datům: Invalid number in field PocetMJ – opravte doklad v MoneyS3\n"))
        << run.output;

    agenda.WriteItems(items);
    run = Start("--check");
    EXPECT_EQ(0u, run.status) << run.output;
    EXPECT_NE(std::string::npos, run.output.find(cards + u8"OK     Poslední dodací list: č. D0002\n")) << run.output;
}

TEST_F(InstallationCheckTest, WithoutTheHostTheStepsThatNeedItAreNotTried)
{
    DeleteFileA(kSetupIni.c_str());
    ProgramRun run = Start("--check");
    EXPECT_EQ(2u, run.status);
    EXPECT_EQ(Expected({u8"CHYBA  Instalace MoneyS3: Setup.ini není v \\CIGLER SOFTWARE\\Common Files pod C:\\Program "
                        u8"Files, D:\\Program Files, E:\\Program Files, C:\\Program Files (x86), D:\\Program Files "
                        u8"(x86) ani E:\\Program Files (x86) – nainstalujte MoneyS3 na tento počítač",
                        u8"--     Agenda a účetní rok: bez instalace MoneyS3 je nelze zjistit",
                        u8"OK     Quillet.ini: " + appDir_ + "Quillet.ini, port " + port.Path(),
                        u8"OK     Databázová komponenta MoneyS3: " + ProgramFolder() + "mon2kdbe.dll",
                        u8"--     Tabulky a poslední doklady: bez agendy a databázové komponenty je nelze otevřít",
                        u8"OK     Tisk: port " + port.Path() + u8" není tiskárna Windows: data ESC/P (RAW)",
                        u8"OK     Port " + port.Path() + u8": otevřen, nic nebylo vytištěno"}) +
                  AutomaticOff() + u8"Chyb: 1. Dokud je neopravíte, Quillet nebude tisknout.\n",
              run.output);
}

TEST_F(InstallationCheckTest, ComponentNotRegisteredOrOnlyForTheOtherBitness)
{
    const std::string own = sizeof(void*) == 8 ? "64" : "32";
    const std::string other = sizeof(void*) == 8 ? "32" : "64";
    const std::string skipped =
        u8"--     Tabulky a poslední doklady: bez agendy a databázové komponenty je nelze otevřít\n";
    CallComponent("DllUnregisterServer");

    ProgramRun run = Start("--check");
    EXPECT_EQ(2u, run.status);
    EXPECT_EQ(Folders() + u8"CHYBA  Databázová komponenta MoneyS3: není registrována (" + CreationCode() + u8") – zaregistrujte "
                          u8"mon2kdbe.dll ze složky MoneyS3 (regsvr32 mon2kdbe.dll), nebo přeinstalujte MoneyS3\n" +
                  skipped,
              run.output.substr(0, run.output.find("OK     Tisk")));
    // The print names the reason too, and points to the check.
    run = Start("--yes last-tax");
    EXPECT_EQ(2u, run.status);
    EXPECT_EQ(u8"Nastala chyba při přístupu k datům\n\n:Databázovou komponentu MoneyS3 (mon2kdbe.dll) nelze "
              u8"vytvořit: není registrována (" + CreationCode() + u8").\nSpusťte quillet-print --check.\n",
              run.output);

    const std::string server = "C:\\Program Files\\Host\\mon2kdbe.dll";
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kOtherViewServer, 0, nullptr, 0,
                                             KEY_WRITE | OtherView(), nullptr, &key, nullptr));
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()), DWORD(server.size() + 1));
    RegCloseKey(key);
    run = Start("--check");
    EXPECT_EQ(2u, run.status);
    EXPECT_EQ(Folders() + u8"CHYBA  Databázová komponenta MoneyS3: je registrována jen pro " + other +
                  u8"bitové programy (" + server + "), Quillet je " + own + u8"bitový (" + CreationCode() + u8") – Quillet "
                  u8"potřebuje komponentu pro " + own + u8"bitové programy: zaregistrujte " + own +
                  u8"bitovou mon2kdbe.dll (" + (own == "32" ? "SysWOW64" : "System32") +
                  u8"\\regsvr32.exe ve složce Windows)\n" + skipped,
              run.output.substr(0, run.output.find("OK     Tisk")));
}

}  // namespace
