// How a port name from the settings is read: its blanks, which way it leads, and whether
// it may be opened at all.
#pragma once

#include <windows.h>

#include <string>

#include "printer/PrinterPort.h"

// Blanks typed around a name in the settings box are not part of it.
std::string TrimmedPortName(const std::string& name);

// LPTn, COMn (n 1 to 9) and PRN, each with or without a colon, in any case.
bool IsDeviceName(std::string name);

// Why the name is not opened although it could be: it would print nowhere, or somewhere
// else than it says. Empty when it may be opened.
std::string PortRefusal(const std::string& name, PortWay way, const std::string& settingsFile);

// Why a device or file opened for a name is no port after all: the null device, reached
// by a way no name shows (a link on the disk, say). Empty when it is a port.
std::string OpenedPortRefusal(HANDLE file);

// Why a name that leads nowhere is not a port.
std::string UnknownPortReason(const std::string& name);
