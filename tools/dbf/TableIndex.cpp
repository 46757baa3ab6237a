// Index files through the component's table reader.
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

}  // namespace

void WriteIndex(const std::string& tablePath, const std::string& field)
{
    const size_t dot = tablePath.find_last_of('.');
    DbfTable table;
    if (table.Open(Wide(tablePath.substr(0, dot))) != kOpened)
        throw std::runtime_error("cannot read the table " + tablePath);
    const std::wstring name = Wide(field);
    const int index = table.FindField(name.c_str(), name.size());
    if (index < 0)
        throw std::runtime_error("the table " + tablePath + " has no field " + field);
    if (!table.SaveIndex(index))
        throw std::runtime_error("cannot write the index on " + field + " of " + tablePath);
}

}  // namespace dbf
