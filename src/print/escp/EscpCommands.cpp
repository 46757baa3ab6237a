// The command table and the effect of each command on the printer's settings.
#include "print/escp/EscpCommands.h"

#include <algorithm>
#include <cmath>

namespace {

// The commands introduced by ESC, with the number of parameter bytes each takes.
// ESC C NUL n takes one byte more than ESC C n; ESC ( t gives its own length.
const struct {
    unsigned char code;
    EscpOp op;
    size_t parameters;
} kEscCommands[] = {
    {kEscpReset, EscpOp::Reset, 0},
    {kEscpEighthInch, EscpOp::EighthInch, 0},
    {kEscpSetMode, EscpOp::SetMode, 1},
    {kEscpUseTable, EscpOp::UseTable, 1},
    {kEscpQuality, EscpOp::Quality, 1},
    {kEscpPageLength, EscpOp::PageLines, 1},
    {kEscpAssignTable, EscpOp::AssignTable, 0},
};

// The control bytes that move the head or the paper; every other control byte is unknown.
EscpOp ControlOp(unsigned char b)
{
    switch (b) {
    case kEscpCarriageReturn: return EscpOp::CarriageReturn;
    case kEscpLineFeed: return EscpOp::LineFeed;
    case kEscpFormFeed: return EscpOp::FormFeed;
    }
    return b < 0x20 || b == 0x7F ? EscpOp::Unknown : EscpOp::Text;
}

}  // namespace

EscpCommand ReadEscpCommand(const std::string& bytes, size_t at)
{
    auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
    const size_t left = bytes.size() - at;
    EscpCommand command;
    if (byte(0) != kEscpEscape) {
        command.op = ControlOp(byte(0));
        command.value = byte(0);
        return command;
    }
    // Unknown unless a whole command of the table is there: ESC and the byte after it.
    command.length = left < 2 ? left : 2;
    if (left < 2)
        return command;
    for (const auto& entry : kEscCommands) {
        if (entry.code != byte(1))
            continue;
        if (entry.op == EscpOp::AssignTable) {
            if (left < 5 || byte(2) != kEscpAssignTableSub)
                return command;
            // ESC ( t of another length is unknown as a whole.
            const size_t length = 5 + byte(3) + 256u * byte(4);
            command.length = std::min(length, left);
            if (length != 8 || left < 8)
                return command;
            return {EscpOp::AssignTable, 8, byte(5), {byte(6), byte(7)}};
        }
        const bool inches = entry.op == EscpOp::PageLines && left >= 3 && byte(2) == 0;
        const size_t length = 2 + entry.parameters + (inches ? 1 : 0);
        if (left < length)
            return command;
        command.op = inches ? EscpOp::PageInches : entry.op;
        command.length = length;
        command.value = entry.parameters ? byte(length - 1) : 0;
        return command;
    }
    return command;
}

bool ApplyEscpCommand(const EscpCommand& command, EscpSettings& settings)
{
    long pageLength = 0;
    switch (command.op) {
    case EscpOp::Reset:
        settings.mode = 0;
        settings.spacing = kEscpVerticalUnits / 6;
        return true;
    case EscpOp::EighthInch:
        settings.spacing = kEscpVerticalUnits / 8;
        return true;
    case EscpOp::SetMode:
        settings.mode = command.value;
        return true;
    case EscpOp::PageLines:
        pageLength = command.value * settings.spacing;
        break;
    case EscpOp::PageInches:
        pageLength = command.value * kEscpVerticalUnits;
        break;
    default:
        return true;
    }
    if (pageLength <= 0 || pageLength > kEscpMaxPageLength)
        return false;
    settings.pageLength = pageLength;
    return true;
}

double EscpCellWidth(unsigned char mode)
{
    double width = 12;
    switch (mode & (kEscpElite | kEscpCondensed)) {
    case kEscpElite: width = 10; break;
    case kEscpCondensed: width = 7; break;
    case kEscpElite | kEscpCondensed: width = 6; break;
    }
    return (mode & kEscpDoubleWidth) ? 2 * width : width;
}

int EscpLineColumns(unsigned char mode)
{
    return static_cast<int>(std::floor(kEscpLineUnits / EscpCellWidth(mode) + 1e-9));
}
