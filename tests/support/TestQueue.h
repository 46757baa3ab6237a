// A printer queue of the test prefix's spooler, made in the registry the way Wine reads
// it: either a "Generic / Text Only" queue (RAW data only, no device context), or one with
// Wine's PostScript driver, which writes the PostScript of drawn pages to the port.
// Taken away again at scope end.
#pragma once

#include <string>

// The files the printer_ports fixture maps LPT1: and \\localhost\quillet-lpt to
// (name "lpt1.prn" or "share.prn"), as Windows paths.
std::string PortFixtureFile(const char* name);

enum class QueueDriver { TextOnly, PostScript };

class TestQueue {
public:
    // name is code page 1250; port is where the spooler writes the jobs (a Windows path).
    TestQueue(std::string name, const std::string& port, QueueDriver driver = QueueDriver::TextOnly);
    ~TestQueue();
    TestQueue(const TestQueue&) = delete;
    TestQueue& operator=(const TestQueue&) = delete;

    const std::string& Name() const { return name_; }
    // The document name of the job the spooler holds on the queue; empty when there is none.
    std::wstring JobName() const;

private:
    std::string name_;
};
