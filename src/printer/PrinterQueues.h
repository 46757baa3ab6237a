// The spooler's printer queues as ports: a queue opened by name and one RAW job on it.
// Which queues are installed is InstalledPrinterQueues (PrinterPort.h).
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "printer/PrinterPort.h"

struct PrinterCloser {
    void operator()(HANDLE printer) const;
};
using PrinterHandle = std::unique_ptr<void, PrinterCloser>;

// The queue opened for printing RAW data; null, with the reason in failure, when it
// cannot be opened.
PrinterHandle OpenQueue(const std::string& name, std::string& failure);

// Starts the job jobName on the opened queue name; null, with the reason in failure, when
// the spooler does not start it.
std::unique_ptr<PrinterPort> StartQueueJob(PrinterHandle printer, const std::string& name, const std::string& jobName,
                                           std::string& failure);
