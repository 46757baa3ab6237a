// The installation the end-to-end tests run against: Quillet in a folder of its own with
// the hook library beside it, the host component in the host's folder registered by the
// system's 32-bit regsvr32, a sample host installation, and a Quillet.ini whose port is a
// file.
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

// Quillet's folder in the prefix, ending in a backslash.
std::string Folder();
// The file Quillet prints to.
std::string PortPath();

// The port as Quillet.ini beside Quillet.exe holds it, and a way to set it.
std::string IniPort();
void SetIniPort(const std::string& port);

// Lays out the folder, the host installation and Quillet.ini.
void Install();

// Starts Quillet as a user does: from its own folder.
PROCESS_INFORMATION StartQuillet();
DWORD MillisSinceStart(const PROCESS_INFORMATION& p);
// Quillet's main window: it exists from the start and is visible only during the splash.
HWND MainWindow(DWORD pid);
// Ends a running Quillet through its own exit command, and closes the handles.
void Stop(PROCESS_INFORMATION& p);
void Close(PROCESS_INFORMATION& p);

struct Document {
    long id = 0;          // CDokladu
    std::string number;   // CisloDokla
};

struct Documents {
    Document tax;             // the newest cash tax document
    Document delivery;        // the newest delivery note
    Document deliveryBefore;  // the delivery note before it, within the newest 50 records
};

// Read through the host component, newest first, as the host holds them.
Documents NewestDocuments();

// What the console print command prints for the same installation (its arguments
// name the document), read from a port file of its own.
std::string ExpectedPage(const std::string& arguments);
// The exit status of the console command's installation check on the same installation.
long CheckInstallation();

// Clicks the tray icon on the taskbar.
void ClickTrayIcon(bool right);

// The folder the host's installer put its component in, and the DLL that the 32-bit
// registry view names for the component's class.
std::string HostComponentFolder();
std::string RegisteredComponent();

// Puts a copy of the component into the host's own folder and unregisters the component.
void UnregisterComponent();
// Registers the build's own copy again, as the test prefix had it.
void RestoreComponent();
// Writes the ThreadingModel value of the component's registration; none for null.
void SetThreadingModel(const char* model);
bool ComponentCreatable();

}  // namespace e2e
