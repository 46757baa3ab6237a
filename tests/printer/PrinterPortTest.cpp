// The ways to a printer end to end: a spooler queue with a Czech name, LPT1: and a share
// mapped to files by the test fixture, and a plain file get the same bytes; names that
// lead nowhere open nothing; ports that fail or block end the job with a message.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "PortBytes.h"
#include "printer/MemoryPort.h"
#include "printer/PrinterEpson.h"
#include "printer/PrinterPort.h"
#include "support/MessageBoxRecorder.h"
#include "support/TempFile.h"
#include "support/TestQueue.h"

namespace {

// A job laid out as a document is: into memory, then sent whole.
std::string LaidOut(const std::function<void(CPrinterEpson&)>& lines)
{
    std::string bytes;
    CPrinterEpson printer(5, 6);
    printer.Open(OpenMemoryPort(bytes));
    lines(printer);
    printer.Close();
    return bytes;
}

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
    const std::string job = LaidOut([](CPrinterEpson& printer) {
        printer.PrintLine("Tiskárna Čermák");
        for (int b = 0; b < 256; ++b)
            printer.WriteByte(static_cast<unsigned char>(b));
    });
    for (const auto& way : ways) {
        // Emptied, not deleted: LPT1: without its file is a device that takes nothing.
        CloseHandle(CreateFileA(way.file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        TraceLines trace;
        MessageBoxRecorder boxes;
        std::string failure;
        EXPECT_TRUE(SendToPort(way.port, PortJob{}, job, 1, failure)) << way.port << failure;
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
        EXPECT_FALSE(printer.IsOpen());
        EXPECT_PORT_BYTES(kInit + "K\x9F\r\n\x0C", bytes);
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
        std::string failure;
        EXPECT_FALSE(SendToPort(name, PortJob{}, kInit, 1, failure)) << name;
        EXPECT_TRUE(boxes.Shown().empty()) << name;
        EXPECT_EQ(std::string("Tisk se nepodařil: port '") + name + "' nelze otevřít, nic nebylo vytištěno.\n\n" +
                      (file ? "'" + std::string(name) + nothing : "Port není zadán."),
                  failure);
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
    std::string failure;
    EXPECT_FALSE(SendToPort(queue.Name(), PortJob{}, LaidOut([](CPrinterEpson& p) { p.PrintLine("Hřebík"); }), 1,
                            failure));
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ("Tisk se nepodařil: tiskárna 'Tiskárna v kanceláři' nepřijala data.\n\n"
              "Tiskový systém Windows nepředal úlohu na port tiskárny (C:\\no such folder\\out.prn).",
              failure);
}

// Names that would print nowhere, or elsewhere than they say, are refused before anything
// is sent, each with its reason, by the print and by the check alike; the longest name
// Windows opens is still taken.
TEST(PrinterPorts, NamesThatCannotBeKeptExactlyAreRefused)
{
    TempFile settings("ini");  // the settings file, under the name the test gives it
    settings.Write("[Firma]\r\n");
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    const std::string temp = folder;
    // LPT7 linked to the null device, as a tidy-up tool may leave it.
    const char kNull[] = "\\Device\\Null";
    DefineDosDeviceA(DDD_RAW_TARGET_PATH, "LPT7", kNull);
    const struct {
        std::string name;
        const char* reason;
    } cases[] = {
        {"\\\\.\\NUL", "NUL není tiskárna"},
        {temp + "nul", "NUL není tiskárna"},
        {temp + "Nul .prn", "NUL není tiskárna"},
        {"C:NUL:", "NUL není tiskárna"},
        {"\\\\?\\GLOBALROOT\\Device\\Null", "NUL není tiskárna"},
        {"\\\\.\\GLOBALROOT\\Device\\Null", "NUL není tiskárna"},
        {"\\\\.\\Global\\NUL", "NUL není tiskárna"},
        {"lpt7:", "NUL není tiskárna"},
        {PortFixtureFile("null.prn"), "NUL není tiskárna"},  // a link on the disk to the null device
        {temp + "lpt1.prn", "neotevře jako soubor, ale jako port LPT1. Tiskárnu na tomto portu zadejte jako LPT1:"},
        {temp + "COM2 .txt", "ale jako port COM2. Tiskárnu na tomto portu zadejte jako COM2:"},
        {"prn.log", "ale jako port LPT1. Tiskárnu na tomto portu zadejte jako LPT1:"},  // PRN is LPT1
        {"aux", "ale jako port COM1."},
        {"con", "neotevře jako soubor, ale jako zařízení CON, které není tiskárna."},
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
        if (c.name != settings.Path() && failure.find("NUL") == std::string::npos &&
            failure.find("Windows tento") == std::string::npos) {
            EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(c.name.c_str())) << c.name;
        }
    }
    DefineDosDeviceA(DDD_RAW_TARGET_PATH | DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, "LPT7", kNull);
    EXPECT_EQ("[Firma]\r\n", settings.Read());
    EXPECT_EQ("", CheckPrinterPort(temp + std::string(259 - temp.size(), 'p')));
}

// A pipe server standing in for a printer: it takes `messages` writes (each one message of
// at most kPipeMessage bytes) and then stops, by hanging up (a printer that went away) or by
// not reading any more (one that is off).
constexpr size_t kPipeMessage = 8192;
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
            std::vector<char> buffer(kPipeMessage);
            DWORD got = 0;
            for (int i = 0; i < messages && ReadFile(pipe_, buffer.data(), DWORD(buffer.size()), &got, nullptr); ++i)
                received_.append(buffer.data(), got);
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
    // A long job: the port gives up long before its end. A device takes it 4096 bytes a write.
    const std::string job = LaidOut([](CPrinterEpson& p) {
        for (int line = 0; line < 2000; ++line)
            p.PrintLine(std::string(80, 'x'));
    });
    for (const auto& c : cases) {
        PipePrinter pipe(3, c.then);
        MessageBoxRecorder boxes;
        PortJob port;
        port.timeoutMs = static_cast<DWORD>(c.timeout) * 1000;
        std::string text;
        EXPECT_FALSE(SendToPort(pipe.Name(), port, job, 1, text));
        EXPECT_TRUE(boxes.Shown().empty());
        const std::string head = "Tisk se nepodařil: tiskárna '" + pipe.Name() + "' nepřijala data.\n\n";
        EXPECT_EQ(head, text.substr(0, head.size()));
        if (*c.reason) {
            EXPECT_EQ(c.reason, text.substr(head.size()));
        } else {
            EXPECT_GT(text.size(), head.size());
        }
        EXPECT_EQ(job.substr(0, 3 * 4096), pipe.Received());
    }
}

}  // namespace
