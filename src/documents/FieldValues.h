// The four ways a field of a host record is taken: as text, as string, as integer and
// as amount. Each reads the field once through FieldValue and clears what it received.
#pragma once

#include <string>

#include "host/HostTable.h"
#include "printer/AmountFormat.h"

// Strings come in codePage: the printed text's code page, whatever the system's ANSI code
// page is; what a dialog shows passes CP_ACP.
// The value as printed text (dates dd.mm.yyyy, money with a decimal comma ...).
std::string FieldText(HostTable& table, const char* name, UINT codePage = kTextCodePage);
// The field's string; a field that holds no string (null, empty, a number) gives "".
std::string FieldString(HostTable& table, const char* name, UINT codePage = kTextCodePage);
// The field's integer; a field that holds no integer (null, a string, a real) gives 0.
long FieldInteger(HostTable& table, const char* name);
// The field as money; a value that is null or cannot be converted is invalid, value 0.
// A number beyond what an amount holds raises HostError naming the field.
Amount FieldAmount(HostTable& table, const char* name);

// A UTF-16 string in codePage; HostError E_OUTOFMEMORY when the conversion fails.
std::string TextFromBstr(BSTR text, UINT codePage);
