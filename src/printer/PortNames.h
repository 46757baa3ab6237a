// How a port name from the settings is read: its blanks, which way it leads, and whether
// it may be opened at all.
#pragma once

#include <string>

#include "printer/PrinterPort.h"

// Blanks typed around a name in the settings box are not part of it.
std::string TrimmedPortName(const std::string& name);

// LPTn, COMn (n 1 to 9) and PRN, each with or without a colon, in any case.
bool IsDeviceName(std::string name);

// The name as Windows is given it: converted from code page 1250 in any ANSI code page.
std::wstring WidePortName(const std::string& name);

// Why the name is not opened although it could be: it would print nowhere, or somewhere
// else than it says. Empty when it may be opened.
std::string PortRefusal(const std::string& name, PortWay way, const std::string& settingsFile);

// Why a name that leads nowhere is not a port.
std::string UnknownPortReason(const std::string& name);
