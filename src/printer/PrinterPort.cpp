// Opening a port by name for a job or for the check, sending a whole job to it, the
// messages of a failed print, and the trace of where jobs go.
#include "printer/PrinterPort.h"

#include <algorithm>
#include <utility>

#include "framework/FormatText.h"
#include "framework/SystemText.h"
#include "framework/WideText.h"
#include "printer/DevicePort.h"
#include "printer/JobCancel.h"
#include "printer/PortNames.h"
#include "printer/PrinterQueues.h"

namespace {

PortTrace& Trace()
{
    static PortTrace trace;
    return trace;
}

// What a print does with a port name before any byte goes out: the name is classified,
// refused or opened, a queue into printer, a device or a file into file (created tells
// whether the opening made the file). Empty, or why the name is not a port.
std::string OpenPortName(const std::string& name, const std::string& settingsFile, PrinterHandle& printer,
                         FileHandle& file, bool& created)
{
    const PortWay way = ClassifyPort(name);
    std::string failure = PortRefusal(name, way, settingsFile);
    if (!failure.empty())
        return failure;
    switch (way) {
    case PortWay::Queue:
        printer = OpenQueue(name, failure);
        return failure;
    case PortWay::Device:
    case PortWay::Path:
        file = OpenDevice(ToWide(name), created);
        if (!file.Valid())
            return PortErrorReason(GetLastError());
        failure = OpenedPortRefusal(file.Get());
        if (!failure.empty())
            file.Reset();
        return failure;
    case PortWay::Nothing:
        break;
    }
    return UnknownPortReason(name);
}

}  // namespace

bool PrinterPort::FailPartly(unsigned long written, unsigned long count)
{
    return Fail(FormatText("Převzala jen %lu z %lu bajtů.", written, count));
}

std::string PortErrorReason(DWORD error)
{
    std::string text = SystemText(error);
    return text.empty() ? FormatText("Chyba systému č. %lu.", static_cast<unsigned long>(error)) : text;
}

std::unique_ptr<PrinterPort> OpenPrinterPort(const std::string& portName, const PortJob& job, std::string& failure)
{
    const std::string name = TrimmedPortName(portName);
    PrinterHandle printer;
    FileHandle file;
    bool created = false;
    failure = OpenPortName(name, job.settingsFile, printer, file, created);
    if (!failure.empty())
        return nullptr;
    if (printer)
        return StartQueueJob(std::move(printer), name, job.name, failure);
    return MakeDevicePort(std::move(file), name, job.timeoutMs, created);
}

std::string CheckPrinterPort(const std::string& portName, const std::string& settingsFile)
{
    const std::string name = TrimmedPortName(portName);
    PrinterHandle printer;
    FileHandle file;
    bool created = false;
    const std::string failure = OpenPortName(name, settingsFile, printer, file, created);
    if (file.Valid()) {
        const bool disk = GetFileType(file.Get()) == FILE_TYPE_DISK;
        file.Reset();
        if (created && disk)
            DeleteFileW(ToWide(name).c_str());
    }
    return failure;
}

std::string PortOpenFailure(const std::string& name, const std::string& reason)
{
    return "Tisk se nepodařil: port '" + name + "' nelze otevřít, nic nebylo vytištěno.\n\n" + reason;
}

std::string PortWriteFailure(const std::string& name, const std::string& reason)
{
    return "Tisk se nepodařil: tiskárna '" + name + "' nepřijala data.\n\n" + reason;
}

bool SendToPort(const std::string& portName, const PortJob& job, const std::string& bytes, int copies,
                std::string& failure)
{
    const std::string name = TrimmedPortName(portName);
    // Given up before it began: not even a file is made.
    if (PrintJobsCancelled()) {
        failure = PortCancelledFailure(name);
        return false;
    }
    std::string reason;
    std::unique_ptr<PrinterPort> port = OpenPrinterPort(name, job, reason);
    if (!port) {
        failure = PortOpenFailure(name, reason);
        return false;
    }
    // Until it is closed, a job that does not go on (a failure, an exception) is given up.
    struct Unfinished {
        PrinterPort* port;
        ~Unfinished()
        {
            if (port)
                port->Abort();
        }
    } unfinished{port.get()};
    TracePort("Tisk: " + port->Description());
    const size_t limit = port->WriteLimit() ? port->WriteLimit() : bytes.size();
    unsigned long long sent = 0;
    for (int copy = 0; copy < std::max(copies, 1); ++copy) {
        for (size_t at = 0; at < bytes.size(); at += limit) {
            const size_t count = std::min(limit, bytes.size() - at);
            if (PrintJobsCancelled() || !port->Write(bytes.data() + at, count)) {
                failure = PrintJobsCancelled() ? PortCancelledFailure(name) : PortWriteFailure(name, port->Failure());
                return false;
            }
            sent += count;
        }
    }
    unfinished.port = nullptr;
    if (!port->Close()) {
        failure = PortWriteFailure(name, port->Failure());
        return false;
    }
    TracePort("Odesláno " + std::to_string(sent) + " bajtů, úloha ukončena.");
    return true;
}

PortTrace SetPortTrace(PortTrace trace)
{
    return std::exchange(Trace(), std::move(trace));
}

void TracePort(const std::string& line)
{
    if (Trace())
        Trace()(line);
}
