// The ESC/P line printer: control sequences and converted text go straight to its
// destination, one write call per control byte and one per text run, with no buffering;
// every write is checked.
#include "printer/PrinterEpson.h"

#include <cstring>
#include <utility>

#include "printer/CharMap852.h"
#include "printer/EscpCodes.h"

namespace {

// The converted text of one print call; shared by every printer, which is why two
// printers must never print at the same time.
unsigned char g_convertBuffer[256];

// The line PrintCentred and PrintRight build before printing it.
char g_lineBuffer[256];

// ESC ( t parameters d2, d3 for character tables 0 to 13; kCharTablePc852 is PC852.
const unsigned char kTableCodes[14][2] = {
    {1, 0}, {1, 16}, {3, 0}, {5, 0}, {6, 0}, {10, 0}, {11, 0},
    {14, 0}, {15, 0}, {27, 0}, {28, 0}, {29, 0}, {31, 0}, {32, 0},
};

}  // namespace

CPrinterEpson::CPrinterEpson(int charTable, unsigned char pageLength)
    : CharTable(charTable), PageLength(pageLength)
{
    std::memcpy(CharMap, kCharMap852, sizeof CharMap);
}

// An open destination is let go without a form feed; a job on it is given up.
CPrinterEpson::~CPrinterEpson() = default;

bool CPrinterEpson::IsOpen() const
{
    return port_ != nullptr;
}

bool CPrinterEpson::Open(std::unique_ptr<PrinterPort> port)
{
    port_.reset();
    if (!port)
        return false;
    port_ = std::move(port);
    Initialise();
    return true;
}

void CPrinterEpson::Initialise()
{
    WriteByte(kEscpEscape);
    WriteByte(kEscpReset);
    Flush();
    SelectCharTable();
    WriteByte(kEscpEscape);
    WriteByte(kEscpQuality);
    WriteByte(0);  // draft
    // ESC C NUL n: the page length in inches.
    WriteByte(kEscpEscape);
    WriteByte(kEscpPageLength);
    WriteByte(0);
    WriteByte(PageLength);
    WriteByte(kEscpEscape);
    WriteByte(kEscpEighthInch);
    Flush();
    Column = 0;
    Page = 1;
    SetMode(0);
    if (PageCallback)
        PageCallback(*this, Page);
}

bool CPrinterEpson::Close()
{
    if (!IsOpen())
        return false;
    WriteByte(kEscpFormFeed);
    if (!port_)
        return false;  // the form feed was not taken: the job has been given up
    if (!port_->Close()) {
        Fail();
        return false;
    }
    port_.reset();
    return true;
}

void CPrinterEpson::Fail()
{
    port_->Abort();
    port_.reset();
}

void CPrinterEpson::Write(const void* bytes, size_t count)
{
    // A closed printer sends nothing, silently: the counters move on as usual.
    if (!port_)
        return;
    if (!port_->Write(bytes, count))
        Fail();
}

void CPrinterEpson::Flush()
{
    if (port_)
        port_->Flush();
}

void CPrinterEpson::WriteByte(unsigned char b)
{
    Write(&b, 1);
}

void CPrinterEpson::SelectCharTable()
{
    if (!IsOpen())
        return;
    // A table number outside the known ones would select garbage; leave the printer's own.
    if (CharTable < 0 || CharTable > 13)
        return;
    // The table goes into slot 1, which is then printed with.
    const unsigned char sequence[] = {kEscpEscape, kEscpAssignTable, kEscpAssignTableSub, 3, 0, 1,
                                      kTableCodes[CharTable][0], kTableCodes[CharTable][1],
                                      kEscpEscape, kEscpUseTable, 1};
    for (unsigned char b : sequence)
        WriteByte(b);
    Flush();
}

void CPrinterEpson::SetMode(unsigned char mode)
{
    // Double width and condensed together would print neither the way the layouts expect.
    if ((mode & kEscpDoubleWidth) && (mode & kEscpCondensed))
        mode &= ~(kEscpDoubleWidth | kEscpCondensed);
    switch (mode & (kEscpElite | kEscpCondensed | kEscpDoubleWidth)) {
    case kEscpElite: LineWidth = 96; break;
    case kEscpCondensed: LineWidth = 137; break;
    case kEscpElite | kEscpCondensed: LineWidth = 160; break;
    case kEscpDoubleWidth: LineWidth = 40; break;
    case kEscpDoubleWidth | kEscpElite: LineWidth = 48; break;
    default: LineWidth = 80; break;
    }
    Mode = mode;
    const unsigned char sequence[] = {kEscpEscape, kEscpSetMode, mode};
    Write(sequence, sizeof sequence);
}

size_t CPrinterEpson::ClippedLength(const char* text) const
{
    if (!text)
        return 0;
    const size_t length = strnlen(text, 255);
    return length < LineWidth ? length : LineWidth;
}

void CPrinterEpson::ModeOn(unsigned char bits)
{
    SetMode(static_cast<unsigned char>(Mode | bits));
}

void CPrinterEpson::ModeOff(unsigned char bits)
{
    SetMode(static_cast<unsigned char>(Mode & ~bits));
}

void CPrinterEpson::PrintText(const char* text)
{
    const size_t length = ClippedLength(text);
    for (size_t i = 0; i < length; ++i)
        g_convertBuffer[i] = CharMap[static_cast<unsigned char>(text[i])];
    Write(g_convertBuffer, length);
    // Column is a byte: a line of many runs stops counting at 255 rather than wrapping
    // round to a small number that would make PrintRight pad a full line again.
    const size_t column = Column + length;
    Column = static_cast<unsigned char>(column < 255 ? column : 255);
}

void CPrinterEpson::NewLines(int n)
{
    const unsigned char lineEnd[] = {kEscpCarriageReturn, kEscpLineFeed};
    for (int i = 0; i < n; ++i) {
        Write(&lineEnd[0], 1);
        Write(&lineEnd[1], 1);
        Column = 0;
    }
}

void CPrinterEpson::PrintLine(const char* text)
{
    PrintText(text);
    NewLines(1);
}

void CPrinterEpson::PrintPadded(int pad, const char* text, size_t length)
{
    // pad + length never exceeds LineWidth, a byte, so the line fits the buffer; the
    // bounds below hold even so.
    if (pad < 0)
        pad = 0;
    size_t used = 0;
    for (; used < static_cast<size_t>(pad) && used < sizeof g_lineBuffer - 1; ++used)
        g_lineBuffer[used] = ' ';
    for (size_t i = 0; i < length && used < sizeof g_lineBuffer - 1; ++i)
        g_lineBuffer[used++] = text[i];
    g_lineBuffer[used] = '\0';
    PrintLine(g_lineBuffer);
}

void CPrinterEpson::PrintCentred(const char* text)
{
    const size_t length = ClippedLength(text);
    PrintPadded((LineWidth - static_cast<int>(length)) / 2, text, length);
}

void CPrinterEpson::PrintRight(const char* text)
{
    // A text longer than what is left of the line is printed whole, unpadded: the line
    // then runs past the right edge rather than losing part of the text.
    const size_t length = ClippedLength(text);
    PrintPadded(LineWidth - Column - static_cast<int>(length), text, length);
}
