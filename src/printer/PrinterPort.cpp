// The two ways to a printer: a spooler queue, written with WritePrinter as one RAW job,
// and a device or file opened by CreateFile, written with a time-out on every write.
#include "printer/PrinterPort.h"

#include <winspool.h>

#include <algorithm>
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

// What follows the last folder separator, or the drive of a name such as C:tisk.prn.
std::string LastPart(const std::string& name)
{
    const size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos)
        return name.substr(slash + 1);
    return name.size() > 1 && name[1] == ':' ? name.substr(2) : name;
}

// Windows opens its NUL device for NUL as the last part of any path, in any case, with any
// extension or a colon after it and blanks before those: whatever is written there is gone.
bool IsNulDevice(const std::string& name)
{
    std::string stem = LastPart(name);
    stem.erase(std::min(stem.find_first_of(".:"), stem.size()));
    stem.erase(stem.find_last_not_of(' ') + 1);
    return SameName(stem, "NUL");
}

// The file and volume numbers identify a file whatever its name is spelt like (a short
// name, a relative path, another case).
bool SameFile(const std::wstring& a, const std::string& b)
{
    auto identify = [](HANDLE file, BY_HANDLE_FILE_INFORMATION& info) {
        FileHandle owner(file);
        return owner.Valid() && GetFileInformationByHandle(owner.Get(), &info);
    };
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    BY_HANDLE_FILE_INFORMATION first{}, second{};
    return identify(CreateFileW(a.c_str(), 0, share, nullptr, OPEN_EXISTING, 0, nullptr), first) &&
           identify(CreateFileA(b.c_str(), 0, share, nullptr, OPEN_EXISTING, 0, nullptr), second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

// Windows drops dots and blanks at the end of a file name.
bool IsSettingsFile(const std::string& name, const std::wstring& wide, const std::string& settingsFile)
{
    std::string last = LastPart(name);
    last.erase(last.find_last_not_of(". ") + 1);
    return SameName(last, "Quillet.ini") || (!settingsFile.empty() && SameFile(wide, settingsFile));
}

// The longest name a port may have: what Windows opens without the long-path prefix.
constexpr size_t kLongestName = 259;

// The first byte of the name that has no character in code page 1250 (0x81, 0x83, 0x88,
// 0x90, 0x98): Windows would drop it and open another name. -1 when there is none.
int UnconvertibleByte(const std::string& name)
{
    for (char c : name) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x80)
            continue;
        wchar_t wide = 0;
        char back = 0;
        BOOL lost = FALSE;
        if (MultiByteToWideChar(1250, MB_ERR_INVALID_CHARS, &c, 1, &wide, 1) != 1 || (wide >= 0x80 && wide <= 0x9F) ||
            WideCharToMultiByte(1250, WC_NO_BEST_FIT_CHARS, &wide, 1, &back, 1, nullptr, &lost) != 1 || lost ||
            back != c)
            return byte;
    }
    return -1;
}

std::wstring WideName(const std::string& name)
{
    if (name.empty())
        return {};
    const int length = MultiByteToWideChar(1250, 0, name.data(), int(name.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(1250, 0, name.data(), int(name.size()), &wide[0], length);
    return wide;
}

// Why the name is not opened although it could be: it would print nowhere, or somewhere
// else than it says. Empty when it may be opened.
std::string Refusal(const std::string& name, PortWay way, const std::string& settingsFile)
{
    if (name.size() > kLongestName)
        return FormatText("Název portu má %u znaků, Windows jich otevře nejvýše %u; zkrácený by vedl jinam.",
                          static_cast<unsigned>(name.size()), static_cast<unsigned>(kLongestName));
    const int byte = UnconvertibleByte(name);
    if (byte >= 0)
        return FormatText("Název portu obsahuje bajt 0x%02X, který ve Windows není znakem; port by se otevřel "
                          "pod jiným názvem.",
                          byte);
    if (way == PortWay::Queue)
        return {};
    if (IsNulDevice(name))
        return "NUL není tiskárna: co se na něj pošle, Windows zahodí. Zadejte tiskárnu Windows, port (LPT1:) nebo "
               "soubor.";
    if (IsSettingsFile(name, WideName(name), settingsFile))
        return "Quillet.ini je soubor s nastavením Quillet, ne tiskárna: tisk by ho poškodil.";
    return {};
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

    // Small enough for a printer at its slowest to take one within the shortest time-out.
    size_t WriteLimit() const override { return disk_ ? 0 : 4096; }

    // What a device has taken is on paper already; there is nothing to take back.
    void Abort() override { file_.Reset(); }

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
FileHandle OpenDevice(const std::wstring& name, bool& created)
{
    FileHandle file(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
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

    ~QueuePort() override { Abort(); }

    // False, with the reason, when the spooler does not start the job.
    bool StartJob()
    {
        // pOutputFile must stay null: a file named there would take the job instead of
        // the queue's port.
        DOC_INFO_1A doc = {const_cast<char*>(jobName_.c_str()), nullptr, kRaw};
        jobId_ = StartDocPrinterA(printer_.get(), 1, reinterpret_cast<BYTE*>(&doc));
        if (jobId_ == 0)
            return Fail(ErrorReason(GetLastError()));
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
        // A spooler that kept the job (AbortPrinter not implemented) is told to delete it.
        SetJobA(printer_.get(), jobId_, 0, nullptr, JOB_CONTROL_DELETE);
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
    bool Fail(std::string reason)
    {
        failure_ = std::move(reason);
        return false;
    }

    bool FailAndAbort(DWORD error)
    {
        Abort();
        return Fail(ErrorReason(error));
    }

    PrinterHandle printer_;
    std::string name_, jobName_, portName_;
    DWORD jobId_ = 0;
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
    const PortWay way = ClassifyPort(name);
    failure = Refusal(name, way, job.settingsFile);
    if (!failure.empty())
        return nullptr;
    switch (way) {
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
        FileHandle file = OpenDevice(WideName(name), created);
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

std::string CheckPrinterPort(const std::string& portName, const std::string& settingsFile)
{
    const std::string name = Trimmed(portName);
    const PortWay way = ClassifyPort(name);
    std::string failure = Refusal(name, way, settingsFile);
    if (!failure.empty())
        return failure;
    switch (way) {
    case PortWay::Queue:
        OpenQueue(name, failure);
        return failure;
    case PortWay::Device:
    case PortWay::Path: {
        bool created = false;
        const std::wstring wide = WideName(name);
        FileHandle file = OpenDevice(wide, created);
        if (!file.Valid())
            return ErrorReason(GetLastError());
        const bool disk = GetFileType(file.Get()) == FILE_TYPE_DISK;
        file.Reset();
        if (created && disk)
            DeleteFileW(wide.c_str());
        return {};
    }
    case PortWay::Nothing:
        break;
    }
    return NothingReason(name);
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
    const std::string name = Trimmed(portName);
    std::string reason;
    std::unique_ptr<PrinterPort> port = OpenPrinterPort(name, job, reason);
    if (!port) {
        failure = PortOpenFailure(name, reason);
        return false;
    }
    TracePort("Tisk: " + port->Description());
    const size_t limit = port->WriteLimit() ? port->WriteLimit() : bytes.size();
    unsigned long long sent = 0;
    for (int copy = 0; copy < std::max(copies, 1); ++copy) {
        for (size_t at = 0; at < bytes.size(); at += limit) {
            const size_t count = std::min(limit, bytes.size() - at);
            if (!port->Write(bytes.data() + at, count)) {
                failure = PortWriteFailure(name, port->Failure());
                port->Abort();
                return false;
            }
            sent += count;
        }
    }
    if (!port->Close()) {
        failure = PortWriteFailure(name, port->Failure());
        return false;
    }
    TracePort("Odesláno " + std::to_string(sent) + " bajtů, úloha ukončena.");
    return true;
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
