// A field of the current record as an OLE variant: texts as BSTR, numbers as the narrowest
// exact type (VT_I4, VT_CY, else VT_R8), dates as VT_DATE, blanks as VT_NULL.
#include "DbfTable.h"

#include <climits>
#include <cstring>

#include "DbfDate.h"
#include "DbfFormat.h"
#include "DbfNumber.h"

namespace {

bool IsBlank(const unsigned char* p, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (p[i] != ' ' && p[i] != 0)
            return false;
    return true;
}

[[noreturn]] void BadValue(const std::wstring& field, const wchar_t* what)
{
    ThrowTableError(kErrBadValue, std::wstring(what) + L" in field " + field);
}

}  // namespace

void DbfTable::Value(int index, VARIANT* out) const
{
    const Field& field = fields_[index];
    const unsigned char* p = Current(field);
    VariantInit(out);
    switch (field.type) {
    case 'C': {
        size_t n = field.length;
        while (n && (p[n - 1] == ' ' || p[n - 1] == 0))
            --n;
        BSTR text = SysAllocStringLen(nullptr, static_cast<UINT>(n));
        if (!text)
            ThrowTableError(E_OUTOFMEMORY, L"Out of memory reading field " + field.name);
        if (n)
            MultiByteToWideChar(kTableCodePage, 0, reinterpret_cast<const char*>(p), static_cast<int>(n),
                                text, static_cast<int>(n));
        out->vt = VT_BSTR;
        out->bstrVal = text;
        return;
    }
    case 'I': {
        out->vt = VT_I4;
        out->lVal = static_cast<LONG>(Le32(p));
        return;
    }
    case 'Y': {
        out->vt = VT_CY;
        std::memcpy(&out->cyVal.int64, p, 8);
        return;
    }
    case 'B': {
        out->vt = VT_R8;
        std::memcpy(&out->dblVal, p, 8);
        return;
    }
    case 'N':
    case 'F': {
        const DbfNumber number = ScanNumber(p, field.length);
        if (number.blank) {
            out->vt = VT_NULL;
            return;
        }
        long long scaled = 0;
        if (field.decimals == 0 && ToScaled(number, 0, &scaled) && scaled >= LONG_MIN && scaled <= LONG_MAX) {
            out->vt = VT_I4;
            out->lVal = static_cast<LONG>(scaled);
            return;
        }
        if (field.decimals >= 1 && field.decimals <= 4 && ToScaled(number, 4, &scaled)) {
            out->vt = VT_CY;
            out->cyVal.int64 = scaled;
            return;
        }
        double real = 0;
        if (!ToDouble(number, &real))
            BadValue(field.name, L"Invalid number");
        out->vt = VT_R8;
        out->dblVal = real;
        return;
    }
    case 'D': {
        if (IsBlank(p, 8) || std::memcmp(p, "00000000", 8) == 0) {
            out->vt = VT_NULL;
            return;
        }
        DATE date;
        if (!ToOleDate(p, &date))
            BadValue(field.name, L"Invalid date");
        out->vt = VT_DATE;
        out->date = date;
        return;
    }
    case 'L':
        switch (p[0]) {
        case 'T': case 't': case 'Y': case 'y':
            out->vt = VT_BOOL;
            out->boolVal = VARIANT_TRUE;
            return;
        case 'F': case 'f': case 'N': case 'n':
            out->vt = VT_BOOL;
            out->boolVal = VARIANT_FALSE;
            return;
        case ' ': case '?': case 0:
            out->vt = VT_NULL;
            return;
        default:
            BadValue(field.name, L"Invalid logical value");
        }
    default:
        ThrowTableError(kErrBadValue, L"Field " + field.name + L" has a type this component cannot read (" +
                                          std::wstring(1, static_cast<wchar_t>(static_cast<unsigned char>(field.type))) +
                                          L")");
    }
}
