// CPrinterEpson: an Epson ESC/P line printer writing into a destination of the PrinterPort
// kind, one write per control byte and one per text run; documents are laid out this way
// into memory and go to the port whole (SendToPort). It knows lines, not pages, and
// converts the text from code page 1250 to 852.
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
    // Opens on a destination already open (the job runs into it as into a port) and
    // initialises the printer; false for none. An open destination is let go first,
    // without a form feed.
    bool Open(std::unique_ptr<PrinterPort> port);
    // False when the printer is not open, or when the destination did not take the form
    // feed or the end of the job.
    bool Close();
    bool IsOpen() const;

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

private:
    // The length of text that one print call sends: at most 255 bytes and at most LineWidth.
    size_t ClippedLength(const char* text) const;
    // A write the destination does not take ends the job: it is given up, and nothing
    // more is sent.
    void Write(const void* bytes, size_t count);
    void Flush();
    void Initialise();
    void Fail();
    // Pads a line on the left with pad spaces and prints it, text clipped to length.
    void PrintPadded(int pad, const char* text, size_t length);

    std::unique_ptr<PrinterPort> port_;
};
