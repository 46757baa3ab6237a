// Access to the host's table component: HostTable, a reference-counted handle on one
// open table, and HostError, the one exception for every failure of the component.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <exception>
#include <functional>
#include <string>

#include "Mon2kDbe.h"
#include "framework/Handles.h"
#include "framework/Variant.h"
#include "host/HostErrorText.h"

class HostError : public std::exception {
public:
    explicit HostError(HRESULT result, ComPtr<IErrorInfo> errorInfo = {});
    // A failure with a text of its own rather than the result's.
    HostError(HRESULT result, std::string text);

    HRESULT Result() const { return result_; }
    // The component's error object, where it offered one.
    const ComPtr<IErrorInfo>& ErrorInfo() const { return errorInfo_; }
    // The text shown to the user for this error (code page 1250): the component's own
    // description where its error object has one ("Invalid number in field DPH"), which
    // says far more than the result's text; otherwise HostErrorText.
    const std::string& Text() const { return text_; }
    const char* what() const noexcept override { return text_.c_str(); }

private:
    HRESULT result_;
    ComPtr<IErrorInfo> errorInfo_;
    std::string text_;
};

// Every operation raises HostError for a failed result, and on an empty handle E_POINTER,
// or, when the handle is empty because the component could not be created, that result
// with the reason in the user's words.
class HostTable {
public:
    HostTable() = default;  // empty
    explicit HostTable(ComPtr<IMon2kDbeTable> table) : table_(std::move(table)) {}
    // Empty, remembering the failed result of creating the component.
    static HostTable NotCreated(HRESULT result);

    bool Empty() const { return !table_; }
    // The failed result of creating the component, S_OK when creation was not what failed.
    HRESULT CreationResult() const { return creation_; }
    void Release() { table_.Reset(); }
    IMon2kDbeTable* Get() const { return table_.Get(); }

    long OpenTable(const std::string& path);  // 0 when the table opened
    // OpenTable for a table the caller cannot do without: a status other than 0 raises
    // HostError naming the table and the status, before anything reads from it.
    void OpenRequiredTable(const std::string& path);
    void CloseTable();
    long RecordCount();
    void MoveFirst();
    void MoveLast();
    // Each returns whether a record is current afterwards (the component's status 0): false
    // once the move has left the table at its start or its end.
    bool MovePrev();
    bool MoveNext();
    OleVariant FieldValue(const std::string& name);
    long Seek(long key);  // kMon2kSeekFound (7) when found
    void SetIndex(const std::string& field);

private:
    IMon2kDbeTable* Checked() const;
    void Check(HRESULT hr) const;

    ComPtr<IMon2kDbeTable> table_;
    HRESULT creation_ = S_OK;
};

// CoCreateInstance (context 7), OleRun, QueryInterface; an empty handle on any failure.
HostTable CreateHostTable();

// Puts a wrapper around every table CreateHostTable hands out from now on: a benchmark that
// counts the calls, a test that stands in for a component answering otherwise. Returns the
// wrapper it replaces; an empty one hands out the component's tables as they are.
using HostTableWrapper = std::function<ComPtr<IMon2kDbeTable>(ComPtr<IMon2kDbeTable>)>;
HostTableWrapper SetHostTableWrapper(HostTableWrapper wrapper);
