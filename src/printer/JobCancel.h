// Giving up the print jobs under way when Windows ends the session: a job being sent stops
// before its next write (a device's write under way is broken off), a queue drops it, a
// file keeps nothing of it, and a job begun afterwards sends nothing.
#pragma once

#include <windows.h>

#include <string>

// A document being sent, from before its port opens until it is closed or given up: what
// the end of a session waits for.
class SendingJob {
public:
    SendingJob();
    ~SendingJob();
    SendingJob(const SendingJob&) = delete;
    SendingJob& operator=(const SendingJob&) = delete;
};

// From now on every job is given up. The process ends soon after, so it lasts.
void CancelPrintJobs();
bool PrintJobsCancelled();
// Signalled while jobs are given up: a write that waits on a device waits on it too.
HANDLE PrintJobsCancelledEvent();

// Waits until no document is being sent, at most timeoutMs; whether none is.
bool WaitForPrintJobs(DWORD timeoutMs);

// The one message of a job given up this way, naming the port (code page 1250).
std::string PortCancelledFailure(const std::string& name);
