// PrinterPort: where the bytes of one print job go. A port name from Quillet.ini leads
// either to a printer queue of the Windows spooler (one RAW job per document) or to a
// device or file opened by CreateFile (LPT1:, COM1:, PRN, \\server\share, a path).
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class PrinterPort {
public:
    // A job still open when its port goes away is given up as Abort gives it up:
    // half a document is never handed on as if it were whole.
    virtual ~PrinterPort() = default;

    // Sends all count bytes; false, with Failure() saying why, when the destination
    // took fewer or none, or did not take them within the time-out.
    virtual bool Write(const void* bytes, size_t count) = 0;
    // Pushes what was written towards the printer, where the destination has such a step.
    virtual void Flush() {}
    // Ends the job; false, with Failure(), when the destination did not take it.
    virtual bool Close() = 0;
    // Gives the job up after a failure: a queue drops what it holds, a file is cut back to
    // what it held before the job, a device keeps what it has taken already.
    virtual void Abort() {}
    // The most one write should carry, so that each write's time-out measures a printer
    // that takes nothing rather than a long document; 0 for no limit.
    virtual size_t WriteLimit() const { return 0; }
    // Which way the bytes go, for a console that shows it (code page 1250).
    virtual std::string Description() const = 0;

    // Why the last Write or Close failed (code page 1250).
    const std::string& Failure() const { return failure_; }

protected:
    // Keeps why the call failed for Failure(); false, for the failed call to return.
    bool Fail(std::string reason)
    {
        failure_ = std::move(reason);
        return false;
    }
    // Fail for a write the destination took only written bytes of.
    bool FailPartly(unsigned long written, unsigned long count);

private:
    std::string failure_;
};

// What a job is opened with.
struct PortJob {
    std::string name = "Quillet";  // the spooler's document name, code page 1250
    DWORD timeoutMs = 30000;       // how long one write may take on a device
    std::string settingsFile;      // the program's settings, which must never be a port; may be empty
};

// How a port name is reached.
enum class PortWay {
    Queue,    // an installed printer queue (local or a connection)
    Device,   // LPT1: to LPT9:, COM1: to COM9:, PRN, with or without the colon
    Path,     // a name with a folder or a drive: a file, a share, \\.\ devices and pipes
    Nothing,  // anything else: never opened, so that no stray file is made
};

// Blanks around the name do not count.
PortWay ClassifyPort(const std::string& name);

// Opens the port for one job: a queue gets its spooler job started, anything else is
// opened by CreateFile. Null, with the reason in failure, when it cannot be opened. A name
// that would print nowhere or somewhere else than it says is refused: whatever leads to
// Windows' null device, a file name Windows opens as a device (C:\Tisk\lpt1.prn), the
// settings file, a name over 259 characters, and bytes that have no place in a Windows name.
std::unique_ptr<PrinterPort> OpenPrinterPort(const std::string& name, const PortJob& job, std::string& failure);

// Opens the port as a print would and lets it go again without sending anything or
// starting a job; a file that the opening made is removed again. Empty when the port
// opened, else the reason.
std::string CheckPrinterPort(const std::string& name, const std::string& settingsFile = {});

// The message for the user when a port fails a print, naming the port and the reason: it
// could not be opened, or it did not take the job.
std::string PortOpenFailure(const std::string& name, const std::string& reason);
std::string PortWriteFailure(const std::string& name, const std::string& reason);
// The reason of a failed system call: the system's text for the error, or its number
// where the system has none.
std::string PortErrorReason(DWORD error);

// Sends bytes, copies times over, as one job to the named port, in as few writes as the
// port allows. False, with the message for the user in failure, when the port did not
// open or did not take all of it, or print jobs were cancelled (JobCancel.h); the job is
// then given up. Nothing is shown here.
bool SendToPort(const std::string& name, const PortJob& job, const std::string& bytes, int copies,
                std::string& failure);

// The installed printer queues, local and connections, in the spooler's order.
std::vector<std::string> InstalledPrinterQueues();

// Told where each job goes and how it ends; the console print command shows these
// lines with --verbose. Returns the trace it replaces.
using PortTrace = std::function<void(const std::string& line)>;
PortTrace SetPortTrace(PortTrace trace);
void TracePort(const std::string& line);
