// PrintWorker: the print thread, the one thread of the program that calls the host's
// component (the start-up probe, every print with its picker, preview and layout, and
// automatic printing's watch). It runs from start-up to the end and takes its requests one
// at a time from a queue of its own, so that the main window keeps answering (tray menu,
// hotkeys, a request to end, the end of the session) while a document is laid out and the
// port takes, or refuses, its bytes. Between requests it watches for new documents.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "config/AgendaConfig.h"
#include "framework/Handles.h"
#include "print/DocumentWatch.h"
#include "print/PrintJournal.h"
#include "print/PrintRequest.h"

class ComponentApartment;

// Posted to the notify window once a print request has ended, its messages answered and
// its host tables released.
constexpr UINT WM_PRINTENDED = 0x8003;
// Posted to the notify window when a document starts going to the printer (wParam 1) and
// when it has gone or failed (wParam 0); SendingDocument says which document.
constexpr UINT WM_PRINTSENDING = 0x8004;
// Posted to the notify window when the tray has something to say; TakeNotices says what.
constexpr UINT WM_PRINTNOTICE = 0x8005;

class PrintWorker {
public:
    // Starts the thread and returns once it is in the apartment the component's
    // registration asks for. Made before any other thread of the process enters an
    // apartment, it is the process's main single-threaded one, where COM puts a component
    // registered without a threading model. Every print is recorded in the journal in
    // journalFolder. Throws std::system_error when the system makes no more threads.
    explicit PrintWorker(std::wstring journalFolder = PrintJournal::DefaultFolder());
    // Ends the thread after the request it is running; requests still queued are dropped.
    ~PrintWorker();
    PrintWorker(const PrintWorker&) = delete;
    PrintWorker& operator=(const PrintWorker&) = delete;

    // The window WM_PRINTENDED and WM_PRINTSENDING go to; none when null.
    void SetNotify(HWND window);

    // Queues the start-up check of the component (ProbeHostComponent).
    void Probe();
    // Queues a print of the document the mode asks for, with a copy of config's settings,
    // and sets PrintBusy; false, and nothing queued, while PrintBusy is set. The thread
    // shows everything the print has to say itself, as the print's own windows, and at its
    // end, whatever happened, clears PrintBusy and then posts WM_PRINTENDED.
    bool Print(const AgendaConfig& config, PrintMode mode);
    // Queues config's settings for automatic printing, after each load of them. A print
    // asked for while an automatic one runs waits for it in the queue.
    void Watch(const AgendaConfig& config);
    // What the tray is to say, once each, since the last call (code page 1250).
    std::vector<std::string> TakeNotices();

    // The number of the document going to the printer now; empty when none is.
    std::string SendingDocument() const;

private:
    using Request = std::function<void(ComponentApartment& apartment)>;
    enum class Wake { Request, Watch, End };
    void Post(Request request);
    // Waits for the next request, or for the watch to look; End when the thread is to end.
    Wake Next(Request& request);
    void Run(HANDLE started);
    void RunPrint(ComponentApartment& apartment, AgendaConfig& config, PrintMode mode);
    // The picker, then what it chose, one document after another.
    void RunPicker(AgendaConfig& config, const SendingNotice& sending, const char*& stage);
    void Look(ComponentApartment& apartment);
    // Records an attempt of a print asked for; a journal that cannot be written is said
    // after the print's own messages.
    void Record(JournalEntry& entry, PrintOrigin origin);
    void Say(const std::string& text);
    void SetSending(const DocumentJob* job);
    void Notify(UINT message, WPARAM wParam);

    mutable std::mutex mutex_;
    std::deque<Request> requests_;
    bool ending_ = false;
    std::string sending_;
    std::vector<std::string> notices_;
    HWND notify_ = nullptr;
    PrintJournal journal_;
    DocumentWatch watch_;  // the thread's alone
    KernelHandle wake_;  // set when a request is queued or the thread is to end
    std::thread thread_;
};

// The one message of a print that failed through an exception rather than the host or the
// port (out of memory, say), naming it and the stage it failed in (code page 1250). Only
// within a catch block.
std::string UnexpectedPrintFailure(const char* stage);
