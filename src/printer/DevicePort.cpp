// A device or a file, opened for overlapped I/O, so that a write a printer does not take
// (switched off, out of paper) can be given up after the time-out instead of blocking.
#include "printer/DevicePort.h"

#include <utility>

#include "framework/FormatText.h"
#include "framework/WideText.h"
#include "printer/JobCancel.h"
#include "printer/PortNames.h"

namespace {

class DevicePort : public PrinterPort {
public:
    DevicePort(FileHandle file, std::string name, DWORD timeoutMs, bool created)
        : file_(std::move(file)), name_(std::move(name)), timeoutMs_(timeoutMs),
          done_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          eventError_(done_ ? DWORD(ERROR_SUCCESS) : GetLastError()), created_(created)
    {
        // A port redirected to an ordinary file collects the jobs one after another:
        // every write goes to the end of what is there.
        disk_ = GetFileType(file_.Get()) == FILE_TYPE_DISK;
        LARGE_INTEGER size{};
        if (disk_ && GetFileSizeEx(file_.Get(), &size))
            offset_ = static_cast<ULONGLONG>(size.QuadPart);
        start_ = offset_;
    }

    bool Write(const void* bytes, size_t count) override
    {
        if (count == 0)
            return true;
        // Without its event a write could not be waited for.
        if (!done_)
            return Fail(PortErrorReason(eventError_));
        OVERLAPPED overlapped{};
        overlapped.Offset = static_cast<DWORD>(offset_);
        overlapped.OffsetHigh = static_cast<DWORD>(offset_ >> 32);
        overlapped.hEvent = done_.Get();
        if (!WriteFile(file_.Get(), bytes, static_cast<DWORD>(count), nullptr, &overlapped) &&
            GetLastError() != ERROR_IO_PENDING)
            return Fail(PortErrorReason(GetLastError()));
        DWORD written = 0;
        const HANDLE waits[] = {done_.Get(), PrintJobsCancelledEvent()};
        const DWORD waited = WaitForMultipleObjects(2, waits, FALSE, timeoutMs_);
        if (waited != WAIT_OBJECT_0) {
            // The write must be over before overlapped goes out of scope: cancelled,
            // it completes at once with whatever the device took.
            CancelIoEx(file_.Get(), &overlapped);
            GetOverlappedResult(file_.Get(), &overlapped, &written, TRUE);
            if (waited == WAIT_OBJECT_0 + 1)
                return Fail(PortCancelledFailure(name_));
            if (written != count)
                return Fail(FormatText("Data nepřevzala ani za %lu s. Je zapnutá, připojená a má papír?",
                                   static_cast<unsigned long>((timeoutMs_ + 999) / 1000)));
        } else if (!GetOverlappedResult(file_.Get(), &overlapped, &written, FALSE)) {
            return Fail(PortErrorReason(GetLastError()));
        }
        offset_ += written;
        if (written != count)
            return FailPartly(written, count);
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

    // What a device has taken is on paper already; there is nothing to take back. A file
    // is cut back to what it held before the job, and one the job made is removed.
    void Abort() override
    {
        if (!file_.Valid())
            return;
        if (!disk_) {
            file_.Reset();
            return;
        }
        LARGE_INTEGER start{};
        start.QuadPart = static_cast<LONGLONG>(start_);
        if (SetFilePointerEx(file_.Get(), start, nullptr, FILE_BEGIN))
            SetEndOfFile(file_.Get());
        file_.Reset();
        if (created_ && start_ == 0)
            DeleteFileW(ToWide(name_).c_str());
    }

    // A file on a share may report a failed write only when it is flushed.
    bool Close() override
    {
        const bool flushed = !disk_ || FlushFileBuffers(file_.Get());
        const DWORD error = GetLastError();
        file_.Reset();
        return flushed || Fail(PortErrorReason(error));
    }

    std::string Description() const override
    {
        if (IsDeviceName(name_))
            return "zařízení " + name_;
        const bool devicePath = name_.compare(0, 4, "\\\\.\\") == 0 || name_.compare(0, 4, "\\\\?\\") == 0;
        if (name_.compare(0, 2, "\\\\") == 0 && !devicePath)
            return "sdílená tiskárna " + name_;
        return (disk_ ? "soubor " : "zařízení ") + name_;
    }

private:
    FileHandle file_;
    std::string name_;
    DWORD timeoutMs_;
    KernelHandle done_;
    DWORD eventError_;
    bool created_;
    bool disk_ = false;
    ULONGLONG offset_ = 0;
    ULONGLONG start_ = 0;  // where this job's bytes begin in a file
};

}  // namespace

FileHandle OpenDevice(const std::wstring& name, bool& created)
{
    FileHandle file(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr));
    created = file.Valid() && GetLastError() != ERROR_ALREADY_EXISTS;
    return file;
}

std::unique_ptr<PrinterPort> MakeDevicePort(FileHandle file, std::string name, DWORD timeoutMs, bool created)
{
    return std::make_unique<DevicePort>(std::move(file), std::move(name), timeoutMs, created);
}
