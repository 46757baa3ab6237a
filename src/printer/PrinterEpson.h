// CPrinterEpson: an Epson ESC/P line printer on a port (a device, a file or a printer
// queue), written to byte by byte. It knows lines, not pages, and converts the text from
// code page 1250 to 852.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "printer/EscpCodes.h"
#include "printer/PrinterPort.h"

// The character table number of PC852, the code page the printer's text is converted to.
constexpr int kCharTablePc852 = 5;

class CPrinterEpson {
public:
    using PageCallbackFn = void (*)(CPrinterEpson& printer, int page);

    // charTable 0 to 13 (another number leaves the printer's own); pageLength in inches.
    CPrinterEpson(int charTable, unsigned char pageLength);
    virtual ~CPrinterEpson();
    CPrinterEpson(const CPrinterEpson&) = delete;
    CPrinterEpson& operator=(const CPrinterEpson&) = delete;

    void SetPageCallback(PageCallbackFn fn) { PageCallback = fn; }
    // Opens the port by name; false, with Failure() saying why, when it cannot be opened.
    bool LPTOpen(const char* port);
    bool Open(const char* port);
    // Opens on a destination already open (the job runs into it as into a port) and
    // initialises the printer; false for none.
    bool Open(std::unique_ptr<PrinterPort> port);
    // False when the port is not open, or when the form feed or the end of the job
    // failed, which Failure() then says.
    bool Close();
    bool IsOpen() const;
    // The message for the user about the last port that did not open or stopped taking
    // the job, naming the port and the reason; empty while all went well. Nothing is
    // shown here: the caller decides what the user sees.
    const std::string& Failure() const { return failure_; }

    void WriteByte(unsigned char b);
    void SetMode(unsigned char mode);
    // SetMode with the given mode bits set in, or cleared from, the current Mode.
    void ModeOn(unsigned char bits);
    void ModeOff(unsigned char bits);
    void SelectCharTable();
    void PrintText(const char* text);
    void NewLines(int n);
    void PrintLine(const char* text);
    void PrintCentred(const char* text);
    void PrintRight(const char* text);

    void PrintText(const std::string& text) { PrintText(text.c_str()); }
    void PrintLine(const std::string& text) { PrintLine(text.c_str()); }
    void PrintCentred(const std::string& text) { PrintCentred(text.c_str()); }
    void PrintRight(const std::string& text) { PrintRight(text.c_str()); }

    // Read by the layouts: they switch modes relative to Mode and draw rules LineWidth long.
    int CharTable;
    unsigned char Mode = 0;
    unsigned char LineWidth = 80;
    unsigned char PageLength;
    unsigned char Column = 0;
    unsigned char Page = 0;
    PageCallbackFn PageCallback = nullptr;
    unsigned char CharMap[256];
    // The spooler's name for the job and how long one write to a device may take;
    // read when the port opens.
    std::string JobName = "Quillet";
    int PortTimeout = 30;  // seconds

private:
    // The length of text that one print call sends: at most 255 bytes and at most LineWidth.
    size_t ClippedLength(const char* text) const;
    // A write the port does not take ends the job: the failure is kept, the job given
    // up, and nothing more is sent.
    void Write(const void* bytes, size_t count);
    void Flush();
    void Initialise();
    void Fail(const std::string& reason);
    // Pads a line on the left with pad spaces and prints it, text clipped to length.
    void PrintPadded(int pad, const char* text, size_t length);

    std::unique_ptr<PrinterPort> port_;
    std::string portName_;
    std::string failure_;
    bool traced_ = false;  // a port opened by name is traced; a destination in memory is not
    unsigned long sent_ = 0;
};
