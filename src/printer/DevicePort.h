// A device or a file as a port: LPT1:, COM1:, PRN, a share or a path, opened by CreateFile.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "framework/Handles.h"
#include "printer/PrinterPort.h"

// Read and write, no sharing, OPEN_ALWAYS, as a port has always been opened. created
// tells whether the file was made by this opening.
FileHandle OpenDevice(const std::wstring& name, bool& created);

// The port that writes to an opened device, each write given up after timeoutMs; a file
// collects the jobs one after another. created: the opening made the file, which a job
// given up then removes again.
std::unique_ptr<PrinterPort> MakeDevicePort(FileHandle file, std::string name, DWORD timeoutMs, bool created);
