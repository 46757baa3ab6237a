// PrintWorker: one print request on a thread of its own, so that the main window keeps
// answering (tray menu, hotkeys, a request to end) while the document is laid out and the
// port takes, or refuses, its bytes.
#pragma once

#include <windows.h>

#include <thread>

#include "config/AgendaConfig.h"
#include "print/PrintRequest.h"

// Posted to the window that started the print once the request has ended, its messages
// answered and its host tables released.
constexpr UINT WM_PRINTENDED = 0x8003;

class PrintWorker {
public:
    // Starts the request at once, with a copy of config's settings: the thread creates,
    // uses and releases every host table it needs (the stock-card table too) in its own
    // apartment, and nothing of the component passes between threads.
    PrintWorker(HWND notify, const AgendaConfig& config, PrintMode mode);
    // Waits for the thread.
    ~PrintWorker();
    PrintWorker(const PrintWorker&) = delete;
    PrintWorker& operator=(const PrintWorker&) = delete;

private:
    void Run();

    HWND notify_;
    PrintMode mode_;
    AgendaConfig config_;
    std::thread thread_;
};
