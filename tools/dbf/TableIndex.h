// The index files the host keeps beside its tables, written for sample data and benchmarks
// by the table component's own reader, so that both agree on the order; and a column of a
// table read by it, for tools that add to a table.
#pragma once

#include <string>
#include <vector>

namespace dbf {

// Writes the index on field of the table at tablePath (a .dbf file, closed); throws
// std::runtime_error when the table cannot be read or the index file written.
void WriteIndex(const std::string& tablePath, const std::string& field);

// The field's value in every record of the table, in file order, deleted ones left out, as
// the component's text of it (a number as its digits); throws like WriteIndex.
std::vector<std::wstring> ReadColumn(const std::string& tablePath, const std::string& field);

}  // namespace dbf
