// The table reader's failures: each is thrown as TableError and becomes the method's
// HRESULT and error object.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

struct TableError {
    HRESULT result;
    std::wstring description;
};

// The component's own failures, in the interface's range (FACILITY_ITF from 0x201).
inline constexpr HRESULT kErrNotOpen = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x201);
inline constexpr HRESULT kErrNoRecord = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x202);
inline constexpr HRESULT kErrNoField = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x203);
inline constexpr HRESULT kErrNoIndex = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x204);
inline constexpr HRESULT kErrBadValue = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x205);
inline constexpr HRESULT kErrBadIndex = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x206);

[[noreturn]] inline void ThrowTableError(HRESULT result, std::wstring description)
{
    throw TableError{result, std::move(description)};
}

// A read before the first record or after the last one.
[[noreturn]] inline void ThrowNoRecord()
{
    ThrowTableError(kErrNoRecord, L"No current record (before the first or after the last record)");
}
