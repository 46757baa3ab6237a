// Shared pieces of the host tests: reading a HostError's error object, and the list of a
// table's operations.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "host/HostTable.h"
#include "support/TempFile.h"

// The description of the error object the failure carried; empty when there was none.
std::wstring Description(const HostError& error);

// Runs call, which must raise HostError; returns it.
template <class Call>
HostError Raised(Call call)
{
    try {
        call();
    } catch (const HostError& error) {
        return error;
    }
    throw std::runtime_error("no HostError raised");
}

// One operation of a table by name, for the tests that try every one of them.
using TableOperation = std::pair<const char*, std::function<void(HostTable&)>>;
// Every operation but OpenTable, with arguments that would do on an opened table.
const std::vector<TableOperation>& OperationsAfterOpen();

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
