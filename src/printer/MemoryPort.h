// A destination in memory: the bytes a print job would send to the port, kept in a
// string, so that a preview shows exactly what printing would send.
#pragma once

#include <memory>
#include <string>

#include "printer/PrinterPort.h"

// Every byte written is appended to bytes, which must outlive the port.
std::unique_ptr<PrinterPort> OpenMemoryPort(std::string& bytes);
