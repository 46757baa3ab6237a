// A printer queue of the test prefix's spooler, made the way Wine needs it without a
// driver (a registry key with its port, the WinPrint processor and RAW data), and taken
// away again at scope end.
#pragma once

#include <string>

// The files the printer_ports fixture maps LPT1: and \\localhost\quillet-lpt to
// (name "lpt1.prn" or "share.prn"), as Windows paths.
std::string PortFixtureFile(const char* name);

class TestQueue {
public:
    // name is code page 1250; port is where the spooler writes the jobs (a Windows path).
    TestQueue(std::string name, const std::string& port);
    ~TestQueue();
    TestQueue(const TestQueue&) = delete;
    TestQueue& operator=(const TestQueue&) = delete;

    const std::string& Name() const { return name_; }

private:
    std::string name_;
};
