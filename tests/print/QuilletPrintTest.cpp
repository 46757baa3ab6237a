// quillet-print.exe run as a user runs it: a copy with its own Quillet.ini, the host laid
// out on C: for it, and its console output and exit status read back.
#include <gtest/gtest.h>

#include <windows.h>

#include "config/HostFiles.h"
#include "documents/SampleAgenda.h"
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
        {"id 99", 1, "", false},
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
    EXPECT_EQ(std::string(u8"Tisknout dodací list č. D0002? [Ano]\n") + "CPrinterEpson::LPTOpen\nCannot open port " +
                  missingPort + "\nPrinting disabled\n" + u8"Nastala chyba při tisku dodacího listu!\n",
              run.output);

    WritePort(port.Path());
    agenda.WriteItems(items, false);  // the note's card number cannot be read
    run = Start("id 2");
    EXPECT_EQ(2u, run.status);
    const std::string prefix = u8"Nastala chyba při přístupu k datům\n\n:";
    EXPECT_EQ(prefix, run.output.substr(0, prefix.size()));
    EXPECT_EQ(std::string::npos, port.Read().find('\f'));

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
        std::string port, file, way;  // way in UTF-8
    } ways[] = {
        {queue.Name(), queueFile.Path(),
         u8"tiskárna Windows 'Tiskárna Čermák' (port " + queueFile.Path() + u8"), úloha 'Quillet – dodací list D0002', data RAW"},
        {"LPT1:", PortFixtureFile("lpt1.prn"), u8"zařízení LPT1:"},
        {"\\\\localhost\\quillet-lpt", PortFixtureFile("share.prn"), u8"sdílená tiskárna \\\\localhost\\quillet-lpt"},
    };
    for (const auto& way : ways) {
        CloseHandle(CreateFileA(way.file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        WritePort(way.port);
        const ProgramRun run = Start("--verbose id 2");
        EXPECT_EQ(0u, run.status) << way.port;
        EXPECT_EQ(u8"Tisk: " + way.way + u8"\nOdesláno " + std::to_string(page.size()) + u8" bajtů, úloha ukončena.\n",
                  run.output);
        HANDLE h = CreateFileA(way.file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        std::string bytes(GetFileSize(h, nullptr), '\0');
        DWORD got = 0;
        ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
        CloseHandle(h);
        EXPECT_EQ(page, bytes) << way.port;
    }
}

TEST_F(QuilletPrintTest, PortFailuresAreWrittenAndEndWithStatusTwo)
{
    TestQueue office("Tiskárna v kanceláři", "C:\\no such folder\\out.prn");
    const struct {
        std::string port;
        std::string output;  // UTF-8
    } cases[] = {
        {"tisk.prn", u8"Port nelze otevřít: 'tisk.prn' není tiskárna nainstalovaná ve Windows, port (LPT1:, COM1:, PRN) "
                     u8"ani cesta k souboru.\nCPrinterEpson::LPTOpen\nCannot open port tisk.prn\nPrinting disabled\n"
                     u8"Nastala chyba při tisku dodacího listu!\n"},
        {office.Name(), u8"Tisk: tiskárna Windows 'Tiskárna v kanceláři' (port C:\\no such folder\\out.prn), úloha "
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

}  // namespace
