// The ways to a printer end to end: a spooler queue with a Czech name, LPT1: and a share
// mapped to files by the test fixture, and a plain file get the same bytes; names that
// lead nowhere open nothing; ports that fail or block end the job with a message.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "PortBytes.h"
#include "printer/PrinterEpson.h"
#include "printer/PrinterPort.h"
#include "support/MessageBoxRecorder.h"
#include "support/TempFile.h"
#include "support/TestQueue.h"

namespace {

// Collects the lines a console would show with --verbose.
struct TraceLines {
    TraceLines()
    {
        SetPortTrace([this](const std::string& line) { lines.push_back(line); });
    }
    ~TraceLines() { SetPortTrace({}); }
    std::vector<std::string> lines;
};

TEST(PrinterPorts, EveryWayToThePrinterGetsTheSameBytes)
{
    TempFile queueFile("que"), plainFile("fil");
    TestQueue queue("Tiskárna Čermák LX-350", queueFile.Path());
    const std::string lpt1 = PortFixtureFile("lpt1.prn"), share = PortFixtureFile("share.prn");
    const struct {
        std::string port, file, way;
    } ways[] = {
        {queue.Name(), queueFile.Path(),
         "tiskárna Windows 'Tiskárna Čermák LX-350' (port " + queueFile.Path() + "), úloha 'Quillet', data RAW"},
        {"lpt1:", lpt1, "zařízení lpt1:"},
        {"\\\\localhost\\quillet-lpt", share, "sdílená tiskárna \\\\localhost\\quillet-lpt"},
        {plainFile.Path(), plainFile.Path(), "soubor " + plainFile.Path()},
    };
    std::string every;
    for (int b = 0; b < 256; ++b)
        every += static_cast<char>(b);
    const std::string expected = kInit + "Tisk\xA0rna \xAC" "erm\xA0k" + "\r\n" + every + "\x0C";
    for (const auto& way : ways) {
        // Emptied, not deleted: LPT1: without its file is a device that takes nothing.
        CloseHandle(CreateFileA(way.file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        TraceLines trace;
        MessageBoxRecorder boxes;
        {
            CPrinterEpson printer(5, 6);
            ASSERT_TRUE(printer.Open(way.port.c_str())) << way.port;
            printer.PrintLine("Tiskárna Čermák");
            for (int b = 0; b < 256; ++b)
                printer.WriteByte(static_cast<unsigned char>(b));
            EXPECT_TRUE(printer.Close()) << way.port;
        }
        EXPECT_PORT_BYTES(expected, FileBytes(way.file)) << way.port;
        EXPECT_TRUE(boxes.Shown().empty()) << way.port;
        EXPECT_EQ(std::vector<std::string>(
                      {"Tisk: " + way.way, "Odesláno " + std::to_string(expected.size()) + " bajtů, úloha ukončena."}),
                  trace.lines);
    }
}

// A destination of the program's own, as a print preview would use: the bytes into memory.
class MemoryPort : public PrinterPort {
public:
    MemoryPort(std::string& bytes, bool closes) : bytes_(bytes), closes_(closes) {}
    bool Write(const void* bytes, size_t count) override
    {
        bytes_.append(static_cast<const char*>(bytes), count);
        return true;
    }
    bool Close() override { return closes_ || Fail("Paměť je plná."); }
    std::string Description() const override { return "náhled"; }

private:
    std::string& bytes_;
    bool closes_;
};

TEST(PrinterPorts, AnOpenDestinationGetsTheJobAsAPortWould)
{
    for (bool closes : {true, false}) {
        std::string bytes;
        MessageBoxRecorder boxes;
        CPrinterEpson printer(5, 6);
        ASSERT_TRUE(printer.Open(std::make_unique<MemoryPort>(bytes, closes)));
        printer.PrintLine("Kč");
        EXPECT_EQ(closes, printer.Close());
        EXPECT_PORT_BYTES(kInit + "K\x9F\r\n\x0C", bytes);
        EXPECT_EQ(closes ? "" : "Tisk se nepodařil: tiskárna 'náhled' nepřijala data.\n\nPaměť je plná.",
                  printer.Failure());
        EXPECT_TRUE(boxes.Shown().empty());
    }
}

TEST(PrinterPorts, NamesThatLeadNowhereOpenNothingAndMakeNoFile)
{
    TempFile queueFile("que");
    TestQueue queue("Sklad Jih", queueFile.Path());
    const struct {
        const char* name;
        PortWay way;
    } names[] = {
        {"SKLAD jih", PortWay::Queue}, {"lpt1", PortWay::Device},    {" LPT9: ", PortWay::Device},
        {"com2:", PortWay::Device},    {"PRN", PortWay::Device},     {"C:tisk.prn", PortWay::Path},
        {"..\\tisk.prn", PortWay::Path}, {"tisky/tisk.prn", PortWay::Path}, {"\\\\server\\lx350", PortWay::Path},
        {"tisk.prn", PortWay::Nothing}, {"LPT10:", PortWay::Nothing}, {"NUL", PortWay::Nothing},
        {"Sklad Sever", PortWay::Nothing}, {"", PortWay::Nothing},
    };
    const std::string nothing = "' není tiskárna nainstalovaná ve Windows, port (LPT1:, COM1:, PRN) ani cesta k souboru.";
    for (const auto& n : names)
        EXPECT_EQ(int(n.way), int(ClassifyPort(n.name))) << n.name;

    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    for (const char* name : {"tisk.prn", "Sklad Sever", ""}) {
        const bool file = *name;
        MessageBoxRecorder boxes;
        CPrinterEpson printer(5, 6);
        EXPECT_FALSE(printer.Open(name)) << name;
        EXPECT_TRUE(boxes.Shown().empty()) << name;
        EXPECT_EQ(std::string("Tisk se nepodařil: port '") + name + "' nelze otevřít, nic nebylo vytištěno.\n\n" +
                      (file ? "'" + std::string(name) + nothing : "Port není zadán."),
                  printer.Failure());
        if (file) {
            EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((std::string(folder) + "\\" + name).c_str()))
                << name;
        }
    }
    EXPECT_EQ("'tisk.prn" + nothing, CheckPrinterPort("tisk.prn"));
    EXPECT_EQ("Port není zadán.", CheckPrinterPort(""));
}

TEST(PrinterPorts, CheckOpensThePortAndSendsNothing)
{
    TempFile queueFile("que"), fresh("new"), used("old");
    TestQueue queue("Pokladna 2", queueFile.Path());
    used.Write("earlier job");
    EXPECT_EQ("", CheckPrinterPort(queue.Name()));
    EXPECT_EQ("", CheckPrinterPort(fresh.Path()));
    EXPECT_EQ("", CheckPrinterPort(used.Path()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(fresh.Path().c_str()));
    EXPECT_EQ("earlier job", used.Read());
    EXPECT_EQ("<missing>", FileBytes(queueFile.Path()));
    EXPECT_NE("", CheckPrinterPort("C:\\no such folder\\tisk.prn"));
}

TEST(PrinterPorts, QueueWhosePortCannotBeWrittenFailsAtTheEndOfTheJob)
{
    TestQueue queue("Tiskárna v kanceláři", "C:\\no such folder\\out.prn");
    MessageBoxRecorder boxes;
    CPrinterEpson printer(5, 6);
    ASSERT_TRUE(printer.Open(queue.Name().c_str()));
    printer.PrintLine("Hřebík");
    EXPECT_FALSE(printer.Close());
    EXPECT_FALSE(printer.IsOpen());
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ("Tisk se nepodařil: tiskárna 'Tiskárna v kanceláři' nepřijala data.\n\n"
              "Tiskový systém Windows nepředal úlohu na port tiskárny (C:\\no such folder\\out.prn).",
              printer.Failure());
}

// Names that would print nowhere, or elsewhere than they say, are refused before anything
// is opened, each with its reason; the longest name Windows opens is still taken.
TEST(PrinterPorts, NamesThatCannotBeKeptExactlyAreRefused)
{
    TempFile settings("ini");  // the settings file, under the name the test gives it
    settings.Write("[Firma]\r\n");
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    const std::string temp = folder;
    const struct {
        std::string name;
        const char* reason;
    } cases[] = {
        {"\\\\.\\NUL", "NUL není tiskárna"},
        {temp + "nul", "NUL není tiskárna"},
        {temp + "Nul .prn", "NUL není tiskárna"},
        {"C:NUL:", "NUL není tiskárna"},
        {temp + "quillet.INI", "Quillet.ini je soubor s nastavením"},
        {settings.Path(), "Quillet.ini je soubor s nastavením"},
        {temp + std::string(260 - temp.size(), 'p'), "Název portu má 260 znaků"},
        {temp + "tisk\x81.prn", "bajt 0x81"},
        {temp + "tisk\x98.prn", "bajt 0x98"},
    };
    PortJob job;
    job.settingsFile = settings.Path();
    for (const auto& c : cases) {
        std::string failure;
        EXPECT_FALSE(SendToPort(c.name, job, "x", 1, failure)) << c.name;
        const std::string head = "Tisk se nepodařil: port '" + c.name + "' nelze otevřít, nic nebylo vytištěno.\n\n";
        EXPECT_EQ(head, failure.substr(0, head.size()));
        EXPECT_NE(std::string::npos, failure.find(c.reason, head.size())) << failure;
        EXPECT_EQ(failure.substr(head.size()), CheckPrinterPort(c.name, settings.Path()));
        if (c.name != settings.Path() && failure.find("NUL") == std::string::npos) {
            EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(c.name.c_str())) << c.name;
        }
    }
    EXPECT_EQ("[Firma]\r\n", settings.Read());
    EXPECT_EQ("", CheckPrinterPort(temp + std::string(259 - temp.size(), 'p')));
}

// A pipe server standing in for a printer: it takes `messages` writes and then stops,
// by hanging up (a printer that went away) or by not reading any more (one that is off).
class PipePrinter {
public:
    enum class Then { HangUp, StopReading };

    PipePrinter(int messages, Then then)
    {
        static int serial = 0;
        name_ = "\\\\.\\pipe\\quillet-printer-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++serial);
        pipe_ = CreateNamedPipeA(name_.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                                 1, 64, 64, 0, nullptr);
        server_ = std::thread([=] {
            ConnectNamedPipe(pipe_, nullptr);
            char buffer[512];
            DWORD got = 0;
            for (int i = 0; i < messages && ReadFile(pipe_, buffer, sizeof buffer, &got, nullptr); ++i)
                received_.append(buffer, got);
            if (then == Then::HangUp)
                DisconnectNamedPipe(pipe_);
        });
    }
    ~PipePrinter()
    {
        // A server still waiting for its client gets one that hangs up at once.
        CloseHandle(CreateFileA(name_.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (server_.joinable())
            server_.join();
        CloseHandle(pipe_);
    }
    const std::string& Name() const { return name_; }
    const std::string& Received()
    {
        if (server_.joinable())
            server_.join();
        return received_;
    }

private:
    std::string name_;
    HANDLE pipe_ = INVALID_HANDLE_VALUE;
    std::thread server_;
    std::string received_;
};

// Telling a port from the settings file never opens a pipe: its one instance is the print's.
TEST(PrinterPorts, APipeWithOneInstanceIsOpenedOnlyByThePrint)
{
    TempFile settings("ini");
    PipePrinter pipe(1, PipePrinter::Then::HangUp);
    PortJob job;
    job.settingsFile = settings.Path();
    std::string failure;
    EXPECT_NE(OpenPrinterPort(pipe.Name(), job, failure), nullptr) << failure;
}

TEST(PrinterPorts, PortThatFailsPartwayOrBlocksEndsTheJobAndSendsNoMore)
{
    const struct {
        PipePrinter::Then then;
        int timeout;
        const char* reason;  // empty: the system's text, whatever it is
    } cases[] = {
        {PipePrinter::Then::HangUp, 30, ""},
        {PipePrinter::Then::StopReading, 1, "Data nepřevzala ani za 1 s. Je zapnutá, připojená a má papír?"},
    };
    for (const auto& c : cases) {
        PipePrinter pipe(3, c.then);
        MessageBoxRecorder boxes;
        CPrinterEpson printer(5, 6);
        printer.PortTimeout = c.timeout;
        ASSERT_TRUE(printer.Open(pipe.Name().c_str()));
        // A whole page at most: the port gives up long before.
        for (int line = 0; line < 2000 && printer.IsOpen(); ++line)
            printer.PrintLine(std::string(80, 'x'));
        EXPECT_FALSE(printer.IsOpen());
        EXPECT_FALSE(printer.Close());
        EXPECT_TRUE(boxes.Shown().empty());
        const std::string text = printer.Failure();
        const std::string head = "Tisk se nepodařil: tiskárna '" + pipe.Name() + "' nepřijala data.\n\n";
        EXPECT_EQ(head, text.substr(0, head.size()));
        if (*c.reason) {
            EXPECT_EQ(c.reason, text.substr(head.size()));
        } else {
            EXPECT_GT(text.size(), head.size());
        }
        EXPECT_EQ(kInit.substr(0, 3), pipe.Received());
    }
}

}  // namespace
