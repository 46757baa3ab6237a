// The spooler's side: the installed queues, and a job on one that is started when the
// port opens and ended when it closes; the spooler passes the bytes on untouched (RAW).
#include "printer/PrinterQueues.h"

#include <winspool.h>

#include <utility>
#include <vector>

#include "framework/FormatText.h"

namespace {

char kRaw[] = "RAW";

// The port the spooler sends the queue's jobs to, for the messages.
std::string QueuePortName(HANDLE printer)
{
    DWORD needed = 0;
    GetPrinterA(printer, 5, nullptr, 0, &needed);
    if (needed == 0)
        return {};
    std::vector<BYTE> buffer(needed);
    if (!GetPrinterA(printer, 5, buffer.data(), needed, &needed))
        return {};
    const auto* info = reinterpret_cast<const PRINTER_INFO_5A*>(buffer.data());
    return info->pPortName ? info->pPortName : "";
}

class QueuePort : public PrinterPort {
public:
    QueuePort(PrinterHandle printer, std::string name, std::string jobName)
        : printer_(std::move(printer)), name_(std::move(name)), jobName_(std::move(jobName)),
          portName_(QueuePortName(printer_.get()))
    {
    }

    ~QueuePort() override { Abort(); }

    // False, with the reason, when the spooler does not start the job.
    bool StartJob()
    {
        // pOutputFile must stay null: a file named there would take the job instead of
        // the queue's port.
        DOC_INFO_1A doc = {const_cast<char*>(jobName_.c_str()), nullptr, kRaw};
        if (StartDocPrinterA(printer_.get(), 1, reinterpret_cast<BYTE*>(&doc)) == 0)
            return Fail(PortErrorReason(GetLastError()));
        started_ = true;
        if (!StartPagePrinter(printer_.get()))
            return FailAndAbort(GetLastError());
        return true;
    }

    // The spooler drops the job; one it has started printing is cancelled.
    void Abort() override
    {
        if (!started_)
            return;
        started_ = false;
        AbortPrinter(printer_.get());
    }

    bool Write(const void* bytes, size_t count) override
    {
        if (count == 0)
            return true;
        DWORD written = 0;
        if (!WritePrinter(printer_.get(), const_cast<void*>(bytes), static_cast<DWORD>(count), &written))
            return Fail(PortErrorReason(GetLastError()));
        if (written != count)
            return FailPartly(written, count);
        return true;
    }

    // The spooler hands the job to the port only here; a port it cannot write fails
    // the whole job now, and GetLastError does not say why. A job that cannot end is
    // given up, so that it does not print later as if it were whole.
    bool Close() override
    {
        if (!started_)
            return true;
        if (!EndPagePrinter(printer_.get()))
            return FailAndAbort(GetLastError());
        if (EndDocPrinter(printer_.get())) {
            started_ = false;
            return true;
        }
        Abort();
        return Fail(FormatText("Tiskový systém Windows nepředal úlohu na port tiskárny (%s).",
                           portName_.empty() ? "neznámý" : portName_.c_str()));
    }

    std::string Description() const override
    {
        return "tiskárna Windows '" + name_ + "' (port " + portName_ + "), úloha '" + jobName_ + "', data RAW";
    }

private:
    bool FailAndAbort(DWORD error)
    {
        Abort();
        return Fail(PortErrorReason(error));
    }

    PrinterHandle printer_;
    std::string name_, jobName_, portName_;
    bool started_ = false;
};

}  // namespace

void PrinterCloser::operator()(HANDLE printer) const
{
    ClosePrinter(printer);
}

PrinterHandle OpenQueue(const std::string& name, std::string& failure)
{
    PRINTER_DEFAULTSA defaults = {kRaw, nullptr, PRINTER_ACCESS_USE};
    HANDLE printer = nullptr;
    if (!OpenPrinterA(const_cast<char*>(name.c_str()), &printer, &defaults)) {
        failure = PortErrorReason(GetLastError());
        return nullptr;
    }
    return PrinterHandle(printer);
}

std::unique_ptr<PrinterPort> StartQueueJob(PrinterHandle printer, const std::string& name, const std::string& jobName,
                                           std::string& failure)
{
    auto port = std::make_unique<QueuePort>(std::move(printer), name, jobName);
    if (!port->StartJob()) {
        failure = port->Failure();
        return nullptr;
    }
    return port;
}

std::vector<std::string> InstalledPrinterQueues()
{
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0, count = 0;
    EnumPrintersA(flags, nullptr, 4, nullptr, 0, &needed, &count);
    std::vector<std::string> names;
    if (needed == 0)
        return names;
    std::vector<BYTE> buffer(needed);
    if (!EnumPrintersA(flags, nullptr, 4, buffer.data(), needed, &needed, &count))
        return names;
    const auto* info = reinterpret_cast<const PRINTER_INFO_4A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        if (info[i].pPrinterName)
            names.emplace_back(info[i].pPrinterName);
    }
    return names;
}
