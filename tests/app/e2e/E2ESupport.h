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
// Sets a key of section Firma of that Quillet.ini; null removes it.
void SetIni(const char* key, const char* value);

// Lays out the folder, the host installation and Quillet.ini.
void Install();

// Starts Quillet as a user does: from its own folder.
PROCESS_INFORMATION StartQuillet();
DWORD MillisSinceStart(const PROCESS_INFORMATION& p);
// Quillet's main window: it exists from the start and is visible only during the splash.
HWND MainWindow(DWORD pid);
// A message box of Quillet's, waited for; the main window bears the same title while it
// shows the splash.
HWND QuestionBox(DWORD pid, DWORD timeoutMs = 10000);
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

// Adds a document of kind ("P" or "D") to the host's year as the host saves one, the
// header first and its rows after a pause; options go to the sample host as they are
// (--rows-after MS, --vystavil NAME ...). Returns once the rows are written.
Document AddDocument(const std::string& kind, const std::string& options = "");

// The journal of prints of the prefix's user: its folder, and this month's file.
std::string JournalFolder();
std::string JournalMonth();

// The whole contents of a file; empty when there is none.
std::string Read(const std::string& path);
// Waits until the port file holds pages form feeds and nothing more arrives.
std::string WaitForPages(const std::string& port, size_t pages = 1);

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
