// The count of documents being sent and the one event that gives them all up.
#include "printer/JobCancel.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "framework/Handles.h"

namespace {

std::mutex g_mutex;
std::condition_variable g_idle;
int g_sending = 0;

const KernelHandle& CancelledEvent()
{
    static const KernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    return event;
}

}  // namespace

SendingJob::SendingJob()
{
    const std::lock_guard<std::mutex> lock(g_mutex);
    ++g_sending;
}

SendingJob::~SendingJob()
{
    const std::lock_guard<std::mutex> lock(g_mutex);
    if (--g_sending == 0)
        g_idle.notify_all();
}

void CancelPrintJobs()
{
    SetEvent(CancelledEvent().Get());
}

bool PrintJobsCancelled()
{
    return WaitForSingleObject(CancelledEvent().Get(), 0) == WAIT_OBJECT_0;
}

HANDLE PrintJobsCancelledEvent()
{
    return CancelledEvent().Get();
}

bool WaitForPrintJobs(DWORD timeoutMs)
{
    std::unique_lock<std::mutex> lock(g_mutex);
    return g_idle.wait_for(lock, std::chrono::milliseconds(timeoutMs), [] { return g_sending == 0; });
}

std::string PortCancelledFailure(const std::string& name)
{
    return "Tisk se nepodařil: Windows se odhlašuje nebo vypíná, tisk na '" + name + "' byl zastaven.";
}
