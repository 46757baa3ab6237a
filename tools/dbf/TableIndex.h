// The index files the host keeps beside its tables, written for sample data and benchmarks
// by the table component's own reader, so that both agree on the order.
#pragma once

#include <string>

namespace dbf {

// Writes the index on field of the table at tablePath (a .dbf file, closed); throws
// std::runtime_error when the table cannot be read or the index file written.
void WriteIndex(const std::string& tablePath, const std::string& field);

}  // namespace dbf
