// Write calls as the printer's destination sees them: every call is kept as it came.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "PortBytes.h"
#include "printer/PrinterEpson.h"

namespace {

class RecordingPort : public PrinterPort {
public:
    explicit RecordingPort(std::vector<std::string>& writes) : writes_(writes) {}
    bool Write(const void* bytes, size_t count) override
    {
        writes_.emplace_back(static_cast<const char*>(bytes), count);
        return true;
    }
    bool Close() override { return true; }
    std::string Description() const override { return "záznam"; }

private:
    std::vector<std::string>& writes_;
};

TEST(PortWrites, ControlBytesOneByOneModeAndTextRunsWhole)
{
    std::vector<std::string> writes;
    {
        CPrinterEpson printer(5, 6);
        ASSERT_TRUE(printer.Open(std::make_unique<RecordingPort>(writes)));
        printer.PrintText("Kč");
        printer.NewLines(1);
        printer.SetMode(kEscpEmphasized);
        printer.PrintCentred("AB");
        EXPECT_TRUE(printer.Close());
    }
    std::vector<std::string> expected;
    for (int b : {0x1B, 0x40, 0x1B, 0x28, 0x74, 0x03, 0x00, 0x01, 0x0A, 0x00, 0x1B, 0x74, 0x01,
                  0x1B, 0x78, 0x00, 0x1B, 0x43, 0x00, 0x06, 0x1B, 0x30})
        expected.push_back(Bytes({b}));
    expected.push_back(Bytes({0x1B, 0x21, 0x00}));
    expected.push_back("K\x9F");
    expected.push_back("\r");
    expected.push_back("\n");
    expected.push_back(Bytes({0x1B, 0x21, 0x08}));
    expected.push_back(std::string(39, ' ') + "AB");
    expected.push_back("\r");
    expected.push_back("\n");
    expected.push_back("\x0C");
    EXPECT_EQ(expected, writes);
}

}  // namespace
