// Taking host field values: the component hands every field over as an OLE variant.
#include "documents/FieldValues.h"

#include "documents/AmountArithmetic.h"

std::string TextFromBstr(BSTR text, UINT codePage)
{
    int length = text ? static_cast<int>(SysStringLen(text)) : 0;
    if (length == 0)
        return {};
    int size = WideCharToMultiByte(codePage, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        throw HostError(E_OUTOFMEMORY);
    std::string result(static_cast<size_t>(size), '\0');
    if (WideCharToMultiByte(codePage, 0, text, length, result.data(), size, nullptr, nullptr) != size)
        throw HostError(E_OUTOFMEMORY);
    return result;
}

std::string FieldText(HostTable& table, const char* name, UINT codePage)
{
    OleVariant value = table.FieldValue(name);
    return VariantToText(value.Get(), codePage);
}

std::string FieldString(HostTable& table, const char* name, UINT codePage)
{
    OleVariant value = table.FieldValue(name);
    // The string slot of a variant of any other type is no string at all; reading it as
    // one would follow whatever bits a number or a null left there.
    if (value.Get().vt != VT_BSTR)
        return {};
    return TextFromBstr(value.Get().bstrVal, codePage);
}

long FieldInteger(HostTable& table, const char* name)
{
    OleVariant value = table.FieldValue(name);
    const VARIANT& v = value.Get();
    switch (v.vt) {
    case VT_I4:
        return v.lVal;
    case VT_INT:
        return v.intVal;
    case VT_I2:
        return v.iVal;
    case VT_UI2:
        return v.uiVal;
    case VT_I1:
        return v.cVal;
    case VT_UI1:
        return v.bVal;
    default:
        return 0;
    }
}

Amount FieldAmount(HostTable& table, const char* name)
{
    OleVariant value = table.FieldValue(name);
    VARIANT& v = value.Get();
    if (v.vt == VT_CY)
        return Amount::FromCurrency(v.cyVal);
    OleVariant converted;
    const HRESULT hr = VariantChangeType(converted.Put(), &v, 0, VT_CY);
    if (SUCCEEDED(hr))
        return Amount::FromCurrency(converted.Get().cyVal);
    // A number too large for any amount (1e308) is no "-": nothing right can be printed.
    if (hr == DISP_E_OVERFLOW)
        ThrowAmountOutOfRange(std::string("pole ") + name);
    return {0, ValueStatus::Invalid};
}
