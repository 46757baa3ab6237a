// Write calls as the port sees them: a message-mode named pipe stands in for the device,
// so that every write call arrives as one message of its own.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "PortBytes.h"
#include "printer/PrinterEpson.h"

namespace {

class PipePort {
public:
    PipePort()
    {
        static int serial = 0;
        name_ = "\\\\.\\pipe\\quillet-port-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++serial);
        pipe_ = CreateNamedPipeA(name_.c_str(), PIPE_ACCESS_DUPLEX,
                                 PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 4096,
                                 4096, 0, nullptr);
        reader_ = std::thread([this] { Read(); });
    }
    ~PipePort()
    {
        if (reader_.joinable())
            reader_.join();
        CloseHandle(pipe_);
    }

    bool Valid() const { return pipe_ != INVALID_HANDLE_VALUE; }
    const std::string& Name() const { return name_; }

    // The messages received until the printer let go of the pipe.
    const std::vector<std::string>& Writes()
    {
        if (reader_.joinable())
            reader_.join();
        return writes_;
    }

private:
    void Read()
    {
        if (pipe_ == INVALID_HANDLE_VALUE)
            return;
        // A printer that was quicker than this thread has connected already, or has even
        // written everything and let go (ERROR_NO_DATA); its messages wait in the pipe.
        if (!ConnectNamedPipe(pipe_, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED &&
            GetLastError() != ERROR_NO_DATA)
            return;
        char buffer[4096];
        for (;;) {
            DWORD got = 0;
            if (!ReadFile(pipe_, buffer, sizeof buffer, &got, nullptr))
                break;
            writes_.emplace_back(buffer, got);
        }
    }

    std::string name_;
    HANDLE pipe_ = INVALID_HANDLE_VALUE;
    std::thread reader_;
    std::vector<std::string> writes_;
};

TEST(PortWrites, ControlBytesOneByOneModeAndTextRunsWhole)
{
    PipePort port;
    ASSERT_TRUE(port.Valid());
    {
        CPrinterEpson printer(5, 6);
        ASSERT_TRUE(printer.Open(port.Name().c_str()));
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
    EXPECT_EQ(expected, port.Writes());
}

}  // namespace
