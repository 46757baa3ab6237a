// CPrinterEpson: every byte of a job laid out into memory, as documents are, and the form
// feed; and whole jobs sent to a real file through the same CreateFile as a port, which
// keeps each job whole and takes nothing from a port that cannot be opened.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "PortBytes.h"
#include "printer/MemoryPort.h"
#include "printer/PrinterEpson.h"
#include "support/MessageBoxRecorder.h"
#include "support/TempFile.h"

namespace {

const std::string kCrLf = "\r\n";

std::string Spaces(int n)
{
    return std::string(n, ' ');
}

class PrinterPort : public ::testing::Test {
protected:
    // One job on a fresh printer (table 5, 6 inches): opened on memory, the steps run,
    // then destroyed, which lets the job go without a form feed. Returns every byte.
    std::string Job(const std::function<void(CPrinterEpson&)>& steps)
    {
        {
            CPrinterEpson printer(5, 6);
            EXPECT_TRUE(printer.Open(OpenMemoryPort(bytes)));
            steps(printer);
        }
        return bytes;
    }

    std::string bytes;
    TempFile port{"prt"};
};

TEST_F(PrinterPort, OpenSendsTheInitialisationForTable5AndSixInches)
{
    EXPECT_PORT_BYTES(kInit, Job([](CPrinterEpson& p) {
                          EXPECT_EQ(0, p.Mode);
                          EXPECT_EQ(80, p.LineWidth);
                          EXPECT_EQ(0, p.Column);
                          EXPECT_EQ(1, p.Page);
                      }));
}

int g_callbackPage = 0;

void PrintTitle(CPrinterEpson& printer, int page)
{
    g_callbackPage = page;
    printer.PrintLine("DODACÍ LIST");
}

TEST_F(PrinterPort, PageCallbackPrintsAfterTheModeIsSet)
{
    g_callbackPage = 0;
    {
        CPrinterEpson printer(5, 6);
        printer.SetPageCallback(PrintTitle);
        ASSERT_TRUE(printer.Open(OpenMemoryPort(bytes)));
        EXPECT_TRUE(printer.Close());
    }
    EXPECT_EQ(1, g_callbackPage);
    EXPECT_PORT_BYTES(kInit + "DODAC\xD6 LIST" + kCrLf + "\x0C", bytes);
}

TEST_F(PrinterPort, EveryCharacterTableAndPageLengthGoesIntoTheInitialisation)
{
    const int codes[14][2] = {{1, 0}, {1, 16}, {3, 0}, {5, 0}, {6, 0}, {10, 0}, {11, 0},
                              {14, 0}, {15, 0}, {27, 0}, {28, 0}, {29, 0}, {31, 0}, {32, 0}};
    for (int table = 0; table < 14; ++table) {
        std::string file;
        {
            CPrinterEpson printer(table, 11);
            ASSERT_TRUE(printer.Open(OpenMemoryPort(file)));
        }
        const std::string expected =
            Bytes({0x1B, 0x40, 0x1B, 0x28, 0x74, 0x03, 0x00, 0x01, codes[table][0], codes[table][1],
                   0x1B, 0x74, 0x01, 0x1B, 0x78, 0x00, 0x1B, 0x43, 0x00, 11, 0x1B, 0x30, 0x1B, 0x21, 0x00});
        EXPECT_PORT_BYTES(expected, file) << "table " << table;
    }
}

TEST_F(PrinterPort, UnknownCharacterTableSelectsNothing)
{
    for (int table : {-1, 14, 1000}) {
        std::string file;
        {
            CPrinterEpson printer(table, 6);
            ASSERT_TRUE(printer.Open(OpenMemoryPort(file)));
        }
        EXPECT_PORT_BYTES(Bytes({0x1B, 0x40, 0x1B, 0x78, 0x00, 0x1B, 0x43, 0x00, 0x06, 0x1B, 0x30,
                                 0x1B, 0x21, 0x00}),
                          file)
            << "table " << table;
    }
}

TEST_F(PrinterPort, SetModeSendsTheModeAndChoosesTheLineWidth)
{
    const struct {
        int mode;
        int sent;
        int width;
    } cases[] = {
        {0x00, 0x00, 80},  {0x24, 0x00, 80},  {0x25, 0x01, 96},  {0x2C, 0x08, 80},
        {0x18, 0x18, 80},  {0x01, 0x01, 96},  {0x04, 0x04, 137}, {0x05, 0x05, 160},
        {0x20, 0x20, 40},  {0x21, 0x21, 48},  {0x0A, 0x0A, 80},  {0xE1, 0xE1, 48},
        {0xFF, 0xDB, 96},  {0x14, 0x14, 137}, {0x88, 0x88, 80},  {0x3D, 0x19, 96},
    };
    for (const auto& c : cases) {
        std::string file;
        {
            CPrinterEpson printer(5, 6);
            ASSERT_TRUE(printer.Open(OpenMemoryPort(file)));
            printer.SetMode(static_cast<unsigned char>(c.mode));
            EXPECT_EQ(c.sent, printer.Mode) << "mode " << c.mode;
            EXPECT_EQ(c.width, printer.LineWidth) << "mode " << c.mode;
        }
        EXPECT_PORT_BYTES(kInit + Bytes({0x1B, 0x21, c.sent}), file) << "mode " << c.mode;
    }
}

TEST_F(PrinterPort, TextIsClippedToTheLineWidthAndTo255)
{
    const std::string digits300 = [] {
        std::string s;
        for (int i = 0; i < 300; ++i)
            s += static_cast<char>('0' + i % 10);
        return s;
    }();
    const struct {
        int mode;
        int lineWidth;  // 0: as the mode gives it
        size_t textLength;
        size_t printed;
    } cases[] = {
        {0x00, 0, 100, 80}, {0x04, 0, 100, 100}, {0x05, 0, 300, 160},
        {0x20, 0, 41, 40},  {0x00, 255, 300, 255}, {0x00, 0, 80, 80},
    };
    for (const auto& c : cases) {
        std::string file;
        const std::string text = digits300.substr(0, c.textLength);
        unsigned char column = 0;
        {
            CPrinterEpson printer(5, 6);
            ASSERT_TRUE(printer.Open(OpenMemoryPort(file)));
            printer.SetMode(static_cast<unsigned char>(c.mode));
            if (c.lineWidth)
                printer.LineWidth = static_cast<unsigned char>(c.lineWidth);
            printer.PrintText(text);
            column = printer.Column;
        }
        EXPECT_EQ(c.printed, column);
        EXPECT_PORT_BYTES(kInit + Bytes({0x1B, 0x21, c.mode}) + text.substr(0, c.printed), file)
            << "mode " << c.mode << ", " << c.textLength << " characters";
    }
}

TEST_F(PrinterPort, TextIsConvertedTo852AndControlBytesPrintAsSpaces)
{
    // The 30 letters in code page 1250 and what code page 852 has for them.
    const std::string cp1250 = "ÁáČčĎďÉéĚěÍíŇňÓóŘřŠšŤťÚúŮůÝýŽž";
    const std::string pc852 = Bytes({0xB5, 0xA0, 0xAC, 0x9F, 0xD2, 0xD4, 0x90, 0x82, 0xB7, 0xD8,
                                     0xD6, 0xA1, 0xD5, 0xE5, 0xE0, 0xA2, 0xFC, 0xFD, 0xE6, 0xE7,
                                     0x9B, 0x9C, 0xE9, 0xA3, 0xDE, 0x85, 0xED, 0xEC, 0xA6, 0xA7});
    ASSERT_EQ(30u, cp1250.size());
    // A note's own line end, tab and printer reset stay text, one column each.
    EXPECT_PORT_BYTES(kInit + pc852 + "\x4B\x9F" + "\x93\x8E\xF5" + "M\x81ller \"5-25 \xF8" "C\"" +
                          "a   b @c " + kCrLf,
                      Job([&](CPrinterEpson& p) {
                          p.PrintText(cp1250);
                          p.PrintText("Kč");
                          p.PrintText("ôÄ§");
                          p.PrintText("Müller „5–25 °C“");
                          p.PrintText("a\r\n\tb\x1B@c\x7F");
                          EXPECT_EQ(30 + 2 + 3 + 16 + 9, p.Column);
                          p.NewLines(1);
                      }));
}

TEST_F(PrinterPort, PrintCentredPadsHalfTheRestOnTheLeft)
{
    const std::string long100(100, 'x');
    EXPECT_PORT_BYTES(kInit + Spaces(40) + kCrLf + Spaces(38) + "ABC" + kCrLf + Spaces(38) +
                          "AB\x9F\xA7" + kCrLf + long100.substr(0, 80) + kCrLf +
                          Bytes({0x1B, 0x21, 0x20}) + Spaces(19) + "AB" + kCrLf + "12345" + Spaces(19) + "A" +
                          kCrLf,
                      Job([&](CPrinterEpson& p) {
                          p.PrintCentred("");
                          p.PrintCentred("ABC");
                          p.PrintCentred("ABčž");
                          p.PrintCentred(long100);
                          p.SetMode(kEscpDoubleWidth);
                          p.PrintCentred("AB");
                          p.PrintText("12345");  // centring ignores what the line holds
                          p.PrintCentred("A");
                      }));
}

TEST_F(PrinterPort, PrintRightEndsTheTextInTheLastColumn)
{
    EXPECT_PORT_BYTES(kInit + Spaces(77) + "ABC" + kCrLf + "0123456789" + Spaces(67) + "ABC" + kCrLf +
                          Bytes({0x1B, 0x21, 0x01}) + Spaces(91) + "12,50" + kCrLf,
                      Job([](CPrinterEpson& p) {
                          p.PrintRight("ABC");
                          p.PrintText("0123456789");
                          p.PrintRight("ABC");
                          p.SetMode(kEscpElite);
                          p.PrintRight("12,50");
                      }));
}

TEST_F(PrinterPort, PaddedLinesFitTheWidestLine)
{
    const std::string text300(300, 'w');
    EXPECT_PORT_BYTES(kInit + Spaces(252) + "ABC" + kCrLf + Spaces(127) + "A" + kCrLf +
                          text300.substr(0, 255) + kCrLf + text300.substr(0, 255) + kCrLf,
                      Job([&](CPrinterEpson& p) {
                          p.LineWidth = 255;
                          p.PrintRight("ABC");
                          p.PrintCentred("A");
                          p.PrintCentred(text300);
                          p.PrintRight(text300);
                      }));
}

TEST_F(PrinterPort, PrintRightThatDoesNotFitPrintsTheWholeTextUnpadded)
{
    const std::string line78(78, '-');
    const std::string line80(80, '=');
    const std::string text100(100, 't');
    EXPECT_PORT_BYTES(kInit + line78 + "ABC" + kCrLf + line78 + "AB" + kCrLf + line80 + "ABC" + kCrLf +
                          line80 + text100.substr(0, 80) + kCrLf + line80 + line80 + line80 + line80 +
                          "X" + kCrLf,
                      Job([&](CPrinterEpson& p) {
                          p.PrintText(line78);
                          p.PrintRight("ABC");
                          p.PrintText(line78);
                          p.PrintRight("AB");
                          p.PrintText(line80);
                          p.PrintRight("ABC");
                          p.PrintText(line80);
                          p.PrintRight(text100);
                          // Four full runs: the column stops counting at 255 rather than
                          // wrapping round to 64 and padding the text far to the right.
                          for (int i = 0; i < 4; ++i)
                              p.PrintText(line80);
                          EXPECT_EQ(255, p.Column);
                          p.PrintRight("X");
                      }));
}

TEST_F(PrinterPort, NewLinesWritesCrLfPairsAndResetsTheColumn)
{
    EXPECT_PORT_BYTES(kInit + "ab" + kCrLf + kCrLf + kCrLf, Job([](CPrinterEpson& p) {
                          p.PrintText("ab");
                          p.NewLines(0);
                          p.NewLines(-3);
                          EXPECT_EQ(2, p.Column);
                          p.NewLines(3);
                          EXPECT_EQ(0, p.Column);
                      }));
}

TEST_F(PrinterPort, CloseEjectsThePageOnceAndOnlyWhenOpen)
{
    CPrinterEpson never(5, 6);
    EXPECT_FALSE(never.Close());
    EXPECT_FALSE(never.Open(nullptr));
    never.PrintLine("lost");  // a closed printer writes nothing
    EXPECT_FALSE(never.Close());

    CPrinterEpson printer(5, 6);
    ASSERT_TRUE(printer.Open(OpenMemoryPort(bytes)));
    printer.SetMode(kEscpElite | kEscpCondensed);
    printer.PrintLine("x");
    EXPECT_TRUE(printer.Close());
    EXPECT_FALSE(printer.IsOpen());
    EXPECT_FALSE(printer.Close());
    // Mode and width stay until the next Open.
    EXPECT_EQ(0x05, printer.Mode);
    EXPECT_EQ(160, printer.LineWidth);
    EXPECT_PORT_BYTES(kInit + Bytes({0x1B, 0x21, 0x05}) + "x" + kCrLf + "\x0C", bytes);

    ASSERT_TRUE(printer.Open(OpenMemoryPort(bytes)));
    EXPECT_EQ(0, printer.Mode);
    EXPECT_EQ(80, printer.LineWidth);
}

TEST_F(PrinterPort, OpeningAnOpenPrinterStartsAgainWithoutFormFeed)
{
    EXPECT_PORT_BYTES(kInit + "A" + kInit, Job([this](CPrinterEpson& p) {
                          p.PrintText("A");
                          ASSERT_TRUE(p.Open(OpenMemoryPort(bytes)));
                          EXPECT_EQ(0, p.Column);
                      }));
}

TEST_F(PrinterPort, PortThatCannotBeOpenedIsReportedAndNothingIsWritten)
{
    port.Write("previous job");
    // Another holder of the port without sharing makes CreateFile fail.
    HANDLE holder = CreateFileA(port.Path().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    MessageBoxRecorder boxes;
    std::string failure;
    EXPECT_FALSE(SendToPort(port.Path(), PortJob{}, kInit + "lost\x0C", 1, failure));
    CloseHandle(holder);
    EXPECT_EQ(0u, failure.find("Tisk se nepodařil: port '" + port.Path() + "' nelze otevřít")) << failure;
    EXPECT_TRUE(boxes.Shown().empty());  // the caller decides what the user sees
    EXPECT_EQ("previous job", port.Read());
}

TEST_F(PrinterPort, LongPortNameThatCannotBeOpenedIsReportedWhole)
{
    const std::string name = "C:\\no such folder\\" + std::string(300, 'p');
    MessageBoxRecorder boxes;
    std::string failure;
    EXPECT_FALSE(SendToPort(name, PortJob{}, kInit, 1, failure));
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(0u, failure.find("Tisk se nepodařil: port '" + name + "' nelze otevřít")) << failure;
}

TEST_F(PrinterPort, PortFileKeepsEveryJobWhole)
{
    const std::string first = kInit + "first job, the longer one" + kCrLf + "\x0C";
    const std::string second = kInit + "second" + kCrLf + "\x0C";
    for (const char* text : {"first job, the longer one", "second"}) {
        const std::string job = Job([text](CPrinterEpson& p) {
            p.PrintLine(text);
            ASSERT_TRUE(p.Close());
        });
        bytes.clear();
        std::string failure;
        ASSERT_TRUE(SendToPort(port.Path(), PortJob{}, job, 1, failure)) << failure;
        if (text[0] == 'f') {
            EXPECT_PORT_BYTES(first, port.Read());  // a fresh file holds exactly the job
        }
    }
    EXPECT_PORT_BYTES(first + second, port.Read());
}

}  // namespace
