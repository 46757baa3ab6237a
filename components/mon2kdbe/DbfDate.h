// The date of a D field, eight digits YYYYMMDD, as an OLE date.
#pragma once

#include <windows.h>
#include <oleauto.h>

// False when the eight bytes are not digits or name no day of the calendar (year 100 on).
bool ToOleDate(const unsigned char* digits, DATE* date);
