// The two ways to a printer: a spooler queue, written with WritePrinter as one RAW job,
// and a device or file opened by CreateFile, written with a time-out on every write.
#include "printer/PrinterPort.h"

#include <winspool.h>

#include <utility>

#include "framework/FormatText.h"
#include "framework/Handles.h"
#include "framework/SystemText.h"

namespace {

// The system's text for an error, or its number where the system has none.
std::string ErrorReason(DWORD error)
{
    std::string text = SystemText(error);
    return text.empty() ? FormatText("Chyba systému č. %lu.", static_cast<unsigned long>(error)) : text;
}

// Blanks typed around a name in the settings box are not part of it.
std::string Trimmed(const std::string& name)
{
    const size_t first = name.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return name.substr(first, name.find_last_not_of(" \t") - first + 1);
}

bool SameName(const std::string& a, const std::string& b)
{
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_EQUAL;
}

// LPTn, COMn (n 1 to 9) and PRN, each with or without a colon, in any case.
bool IsDeviceName(std::string name)
{
    if (!name.empty() && name.back() == ':')
        name.pop_back();
    if (SameName(name, "PRN"))
        return true;
    if (name.size() != 4 || name[3] < '1' || name[3] > '9')
        return false;
    const std::string stem = name.substr(0, 3);
    return SameName(stem, "LPT") || SameName(stem, "COM");
}

// A folder separator anywhere, or a drive letter in front.
bool HasFolderOrDrive(const std::string& name)
{
    if (name.find_first_of("\\/") != std::string::npos)
        return true;
    const unsigned char first = static_cast<unsigned char>(name.size() > 1 ? name[0] : 0);
    return name.size() > 1 && name[1] == ':' && ((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z'));
}

// ---------------------------------------------------------------------------------------
// A device or a file. Opened for overlapped I/O, so that a write a printer does not take
// (switched off, out of paper) can be given up after the time-out instead of blocking.

class DevicePort : public PrinterPort {
public:
    DevicePort(FileHandle file, std::string name, DWORD timeoutMs)
        : file_(std::move(file)), name_(std::move(name)), timeoutMs_(timeoutMs),
          done_(CreateEventA(nullptr, TRUE, FALSE, nullptr)), eventError_(done_ ? DWORD(ERROR_SUCCESS) : GetLastError())
    {
        // A port redirected to an ordinary file collects the jobs one after another:
        // every write goes to the end of what is there.
        disk_ = GetFileType(file_.Get()) == FILE_TYPE_DISK;
        LARGE_INTEGER size{};
        if (disk_ && GetFileSizeEx(file_.Get(), &size))
            offset_ = static_cast<ULONGLONG>(size.QuadPart);
    }

    bool Write(const void* bytes, size_t count) override
    {
        if (count == 0)
            return true;
        // Without its event a write could not be waited for.
        if (!done_)
            return Fail(ErrorReason(eventError_));
        OVERLAPPED overlapped{};
        overlapped.Offset = static_cast<DWORD>(offset_);
        overlapped.OffsetHigh = static_cast<DWORD>(offset_ >> 32);
        overlapped.hEvent = done_.Get();
        if (!WriteFile(file_.Get(), bytes, static_cast<DWORD>(count), nullptr, &overlapped) &&
            GetLastError() != ERROR_IO_PENDING)
            return Fail(ErrorReason(GetLastError()));
        DWORD written = 0;
        if (WaitForSingleObject(done_.Get(), timeoutMs_) != WAIT_OBJECT_0) {
            // The write must be over before overlapped goes out of scope: cancelled,
            // it completes at once with whatever the device took.
            CancelIoEx(file_.Get(), &overlapped);
            GetOverlappedResult(file_.Get(), &overlapped, &written, TRUE);
            if (written != count)
                return Fail(FormatText("Data nepřevzala ani za %lu s. Je zapnutá, připojená a má papír?",
                                   static_cast<unsigned long>((timeoutMs_ + 999) / 1000)));
        } else if (!GetOverlappedResult(file_.Get(), &overlapped, &written, FALSE)) {
            return Fail(ErrorReason(GetLastError()));
        }
        offset_ += written;
        if (written != count)
            return Fail(FormatText("Převzala jen %lu z %lu bajtů.", static_cast<unsigned long>(written),
                               static_cast<unsigned long>(count)));
        return true;
    }

    // Only a file is flushed: on a port or a pipe the flush waits until the other end
    // has taken everything, with no time-out, and a printer that is off never does. A
    // device write is over once the device has the bytes anyway.
    void Flush() override
    {
        if (disk_)
            FlushFileBuffers(file_.Get());
    }

    // A file on a share may report a failed write only when it is flushed.
    bool Close() override
    {
        const bool flushed = !disk_ || FlushFileBuffers(file_.Get());
        const DWORD error = GetLastError();
        file_.Reset();
        return flushed || Fail(ErrorReason(error));
    }

    std::string Description() const override
    {
        if (IsDeviceName(name_))
            return "zařízení " + name_;
        if (name_.compare(0, 2, "\\\\") == 0 && name_.compare(0, 4, "\\\\.\\") != 0 &&
            name_.compare(0, 4, "\\\\?\\") != 0)
            return "sdílená tiskárna " + name_;
        return "soubor " + name_;
    }

private:
    bool Fail(std::string reason)
    {
        failure_ = std::move(reason);
        return false;
    }

    FileHandle file_;
    std::string name_;
    DWORD timeoutMs_;
    KernelHandle done_;
    DWORD eventError_;
    bool disk_ = false;
    ULONGLONG offset_ = 0;
};

// Read and write, no sharing, OPEN_ALWAYS, as a port has always been opened. created
// tells whether the file was made by this opening.
FileHandle OpenDevice(const std::string& name, bool& created)
{
    FileHandle file(CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr));
    created = file.Valid() && GetLastError() != ERROR_ALREADY_EXISTS;
    return file;
}

// ---------------------------------------------------------------------------------------
// A spooler queue: the job is started when the port opens and ended when it closes;
// the spooler passes the bytes on untouched (datatype RAW).

struct PrinterCloser {
    void operator()(HANDLE printer) const { ClosePrinter(printer); }
};
using PrinterHandle = std::unique_ptr<void, PrinterCloser>;

char kRaw[] = "RAW";

PrinterHandle OpenQueue(const std::string& name, std::string& failure)
{
    PRINTER_DEFAULTSA defaults = {kRaw, nullptr, PRINTER_ACCESS_USE};
    HANDLE printer = nullptr;
    if (!OpenPrinterA(const_cast<char*>(name.c_str()), &printer, &defaults)) {
        failure = ErrorReason(GetLastError());
        return nullptr;
    }
    return PrinterHandle(printer);
}

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

    ~QueuePort() override { EndJob(); }

    // False, with the reason, when the spooler does not start the job.
    bool StartJob()
    {
        // pOutputFile must stay null: a file named there would take the job instead of
        // the queue's port.
        DOC_INFO_1A doc = {const_cast<char*>(jobName_.c_str()), nullptr, kRaw};
        if (StartDocPrinterA(printer_.get(), 1, reinterpret_cast<BYTE*>(&doc)) == 0)
            return Fail(ErrorReason(GetLastError()));
        started_ = true;
        StartPagePrinter(printer_.get());
        return true;
    }

    bool Write(const void* bytes, size_t count) override
    {
        if (count == 0)
            return true;
        DWORD written = 0;
        if (!WritePrinter(printer_.get(), const_cast<void*>(bytes), static_cast<DWORD>(count), &written))
            return Fail(ErrorReason(GetLastError()));
        if (written != count)
            return Fail(FormatText("Převzala jen %lu z %lu bajtů.", static_cast<unsigned long>(written),
                               static_cast<unsigned long>(count)));
        return true;
    }

    // The spooler hands the job to the port only here; a port it cannot write fails
    // the whole job now, and GetLastError does not say why.
    bool Close() override
    {
        if (EndJob())
            return true;
        return Fail(FormatText("Tiskový systém Windows nepředal úlohu na port tiskárny (%s).",
                           portName_.empty() ? "neznámý" : portName_.c_str()));
    }

    std::string Description() const override
    {
        return "tiskárna Windows '" + name_ + "' (port " + portName_ + "), úloha '" + jobName_ + "', data RAW";
    }

private:
    bool EndJob()
    {
        if (!started_)
            return true;
        started_ = false;
        EndPagePrinter(printer_.get());
        return EndDocPrinter(printer_.get()) != FALSE;
    }

    bool Fail(std::string reason)
    {
        failure_ = std::move(reason);
        return false;
    }

    PrinterHandle printer_;
    std::string name_, jobName_, portName_;
    bool started_ = false;
};

std::string NothingReason(const std::string& name)
{
    if (name.empty())
        return "Port není zadán.";
    return "'" + name + "' není tiskárna nainstalovaná ve Windows, port (LPT1:, COM1:, PRN) ani cesta k souboru.";
}

PortTrace& Trace()
{
    static PortTrace trace;
    return trace;
}

}  // namespace

PortWay ClassifyPort(const std::string& portName)
{
    const std::string name = Trimmed(portName);
    if (name.empty())
        return PortWay::Nothing;
    for (const std::string& queue : InstalledPrinterQueues()) {
        if (SameName(queue, name))
            return PortWay::Queue;
    }
    if (IsDeviceName(name))
        return PortWay::Device;
    if (HasFolderOrDrive(name))
        return PortWay::Path;
    return PortWay::Nothing;
}

std::unique_ptr<PrinterPort> OpenPrinterPort(const std::string& portName, const PortJob& job, std::string& failure)
{
    const std::string name = Trimmed(portName);
    switch (ClassifyPort(name)) {
    case PortWay::Queue: {
        PrinterHandle printer = OpenQueue(name, failure);
        if (!printer)
            return nullptr;
        auto port = std::make_unique<QueuePort>(std::move(printer), name, job.name);
        if (!port->StartJob()) {
            failure = port->Failure();
            return nullptr;
        }
        return port;
    }
    case PortWay::Device:
    case PortWay::Path: {
        bool created = false;
        FileHandle file = OpenDevice(name, created);
        if (!file.Valid()) {
            failure = ErrorReason(GetLastError());
            return nullptr;
        }
        return std::make_unique<DevicePort>(std::move(file), name, job.timeoutMs);
    }
    case PortWay::Nothing:
        break;
    }
    failure = NothingReason(name);
    return nullptr;
}

std::string CheckPrinterPort(const std::string& portName)
{
    const std::string name = Trimmed(portName);
    std::string failure;
    switch (ClassifyPort(name)) {
    case PortWay::Queue:
        OpenQueue(name, failure);
        return failure;
    case PortWay::Device:
    case PortWay::Path: {
        bool created = false;
        FileHandle file = OpenDevice(name, created);
        if (!file.Valid())
            return ErrorReason(GetLastError());
        const bool disk = GetFileType(file.Get()) == FILE_TYPE_DISK;
        file.Reset();
        if (created && disk)
            DeleteFileA(name.c_str());
        return {};
    }
    case PortWay::Nothing:
        break;
    }
    return NothingReason(name);
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

PortTrace SetPortTrace(PortTrace trace)
{
    return std::exchange(Trace(), std::move(trace));
}

void TracePort(const std::string& line)
{
    if (Trace())
        Trace()(line);
}
