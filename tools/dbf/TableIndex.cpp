// Index files and columns through the component's table reader.
#include "TableIndex.h"

#include <windows.h>

#include <stdexcept>

#include "DbfTable.h"

namespace dbf {

namespace {

std::wstring Wide(const std::string& text)
{
    std::wstring wide(text.size(), L'\0');
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                      static_cast<int>(wide.size()));
    wide.resize(n > 0 ? n : 0);
    return wide;
}

// The table at tablePath (a .dbf file) opened, and the index of field in it.
int OpenWithField(DbfTable& table, const std::string& tablePath, const std::string& field)
{
    const size_t dot = tablePath.find_last_of('.');
    if (table.Open(Wide(tablePath.substr(0, dot))) != kOpened)
        throw std::runtime_error("cannot read the table " + tablePath);
    const std::wstring name = Wide(field);
    const int index = table.FindField(name.c_str(), name.size());
    if (index < 0)
        throw std::runtime_error("the table " + tablePath + " has no field " + field);
    return index;
}

}  // namespace

void WriteIndex(const std::string& tablePath, const std::string& field)
{
    DbfTable table;
    const int index = OpenWithField(table, tablePath, field);
    if (!table.SaveIndex(index))
        throw std::runtime_error("cannot write the index on " + field + " of " + tablePath);
}

std::vector<std::wstring> ReadColumn(const std::string& tablePath, const std::string& field)
{
    DbfTable table;
    const int index = OpenWithField(table, tablePath, field);
    std::vector<std::wstring> values;
    try {
        for (bool more = table.MoveFirst(); more; more = table.MoveNext()) {
            VARIANT value;
            VariantInit(&value);
            table.Value(index, &value);
            if (SUCCEEDED(VariantChangeType(&value, &value, 0, VT_BSTR)))
                values.emplace_back(value.bstrVal, SysStringLen(value.bstrVal));
            else
                values.emplace_back();
            VariantClear(&value);
        }
    } catch (const TableError&) {
        throw std::runtime_error("cannot read " + field + " of " + tablePath);
    }
    return values;
}

}  // namespace dbf
