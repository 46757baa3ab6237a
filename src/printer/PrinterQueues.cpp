// The spooler's side: the installed queues, and a job on one that is started when the
// port opens and ended when it closes; the spooler passes the bytes on untouched (RAW).
#include "printer/PrinterQueues.h"

#include <winspool.h>

#include <utility>
#include <vector>

#include "framework/FormatText.h"
#include "framework/WideText.h"

namespace {

wchar_t kRaw[] = L"RAW";

// The port the spooler sends the queue's jobs to, for the messages.
std::string QueuePortName(HANDLE printer)
{
    DWORD needed = 0;
    GetPrinterW(printer, 5, nullptr, 0, &needed);
    if (needed == 0)
        return {};
    std::vector<BYTE> buffer(needed);
    if (!GetPrinterW(printer, 5, buffer.data(), needed, &needed))
        return {};
    const auto* info = reinterpret_cast<const PRINTER_INFO_5W*>(buffer.data());
    return info->pPortName ? ToCp1250Shown(info->pPortName) : "";
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
        std::wstring jobName = ToWide(jobName_);
        DOC_INFO_1W doc = {&jobName[0], nullptr, kRaw};
        if (StartDocPrinterW(printer_.get(), 1, reinterpret_cast<BYTE*>(&doc)) == 0)
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
    PRINTER_DEFAULTSW defaults = {kRaw, nullptr, PRINTER_ACCESS_USE};
    HANDLE printer = nullptr;
    std::wstring wide = ToWide(name);
    if (!OpenPrinterW(&wide[0], &printer, &defaults)) {
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
    EnumPrintersW(flags, nullptr, 4, nullptr, 0, &needed, &count);
    std::vector<std::string> names;
    if (needed == 0)
        return names;
    std::vector<BYTE> buffer(needed);
    if (!EnumPrintersW(flags, nullptr, 4, buffer.data(), needed, &needed, &count))
        return names;
    const auto* info = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
    // A queue whose name code page 1250 cannot hold could be neither chosen nor kept in
    // the settings; it is left out rather than offered under another name.
    for (DWORD i = 0; i < count; ++i) {
        std::string name;
        if (info[i].pPrinterName && ToCp1250(info[i].pPrinterName, name))
            names.push_back(std::move(name));
    }
    return names;
}
