// Calls into the host's table component and turns its failures into HostError.
#include "host/HostTable.h"

#include <cstdio>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>
#include <utility>

#include "framework/SystemText.h"
#include "host/ComponentRegistration.h"

namespace {

// The code page of every text Quillet shows.
constexpr UINT kErrorCodePage = 1250;

// An owned BSTR made from code page 1250 text (the ANSI code page).
class OleString {
public:
    explicit OleString(const std::string& text)
    {
        const int length = static_cast<int>(text.size());
        int wide = 0;
        if (length > 0) {
            wide = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
            if (wide <= 0)
                throw HostError(E_OUTOFMEMORY);
        }
        bstr_ = SysAllocStringLen(nullptr, static_cast<UINT>(wide));
        if (!bstr_)
            throw HostError(E_OUTOFMEMORY);
        if (length > 0 && MultiByteToWideChar(CP_ACP, 0, text.data(), length, bstr_, wide) != wide) {
            SysFreeString(bstr_);
            throw HostError(E_OUTOFMEMORY);
        }
    }
    ~OleString() { SysFreeString(bstr_); }
    OleString(const OleString&) = delete;
    OleString& operator=(const OleString&) = delete;

    BSTR Get() const { return bstr_; }
    BSTR Release() { return std::exchange(bstr_, nullptr); }

private:
    BSTR bstr_ = nullptr;
};

// Field names are a handful of constants read for every row of a scan; each is converted
// once and handed to the component as it stands ([in] strings are not freed by the callee).
// One cache serves every thread: each print runs on a thread of its own, and a cache kept
// per thread would be destroyed at thread exit after the runtime has already released the
// thread's storage (MinGW's emulated TLS), freeing memory twice.
class FieldNames {
public:
    ~FieldNames()
    {
        for (auto& entry : names_)
            SysFreeString(entry.second);
    }
    BSTR Find(const std::string& name)
    {
        {
            std::shared_lock<std::shared_mutex> reading(mutex_);
            if (const auto at = names_.find(name); at != names_.end())
                return at->second;
        }
        std::unique_lock<std::shared_mutex> writing(mutex_);
        if (const auto at = names_.find(name); at != names_.end())
            return at->second;
        if (names_.size() >= kLimit)
            return nullptr;
        OleString text(name);
        return names_.emplace(name, text.Release()).first->second;
    }

private:
    static constexpr size_t kLimit = 64;
    std::shared_mutex mutex_;
    std::unordered_map<std::string, BSTR> names_;
};

FieldNames g_fieldNames;

// The error object's description in code page 1250, without a trailing line end; empty
// when there is none.
std::string ErrorDescription(const ComPtr<IErrorInfo>& info)
{
    BSTR description = nullptr;
    if (!info || FAILED(info->GetDescription(&description)) || !description)
        return {};
    std::string text;
    const int wide = static_cast<int>(SysStringLen(description));
    const int size = wide ? WideCharToMultiByte(kErrorCodePage, 0, description, wide, nullptr, 0, nullptr, nullptr) : 0;
    if (size > 0) {
        text.resize(static_cast<size_t>(size));
        WideCharToMultiByte(kErrorCodePage, 0, description, wide, text.data(), size, nullptr, nullptr);
    }
    SysFreeString(description);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

HostTableWrapper g_wrapper;

}  // namespace

HostError::HostError(HRESULT result, ComPtr<IErrorInfo> errorInfo)
    : result_(result), errorInfo_(std::move(errorInfo))
{
    text_ = ErrorDescription(errorInfo_);
    if (text_.empty())
        text_ = HostErrorText(result);
}

HostError::HostError(HRESULT result, std::string text) : result_(result), text_(std::move(text)) {}

std::string HostErrorText(HRESULT result)
{
    std::string system = SystemText(static_cast<DWORD>(result));
    if (!system.empty())
        return system;
    char text[64];
    const unsigned long code = static_cast<unsigned long>(result);
    if (code >= 0x80040200UL && code <= 0x8004FFFFUL && (code & 0xFFFF) != 0x0200)
        std::snprintf(text, sizeof text, "IDispatch error #%d", static_cast<int>(code - 0x80040200UL));
    else
        std::snprintf(text, sizeof text, "Unknown error 0x%0lX", code);
    return text;
}

HostTable HostTable::NotCreated(HRESULT result)
{
    HostTable table;
    table.creation_ = result;
    return table;
}

IMon2kDbeTable* HostTable::Checked() const
{
    if (!table_ && FAILED(creation_))
        throw HostError(creation_, CreationFailureText(creation_));
    if (!table_)
        throw HostError(E_POINTER);
    return table_.Get();
}

void HostTable::Check(HRESULT hr) const
{
    if (SUCCEEDED(hr))
        return;
    ComPtr<IErrorInfo> info;
    ComPtr<ISupportErrorInfo> support;
    if (table_ && SUCCEEDED(table_->QueryInterface(IID_ISupportErrorInfo, support.PutVoid())) &&
        support->InterfaceSupportsErrorInfo(IID_IMon2kDbeTable) == S_OK) {
        if (GetErrorInfo(0, info.Put()) != S_OK)
            info.Reset();
    }
    throw HostError(hr, std::move(info));
}

long HostTable::OpenTable(const std::string& path)
{
    IMon2kDbeTable* table = Checked();
    OleString text(path);
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_BSTR;
    arg.bstrVal = text.Get();  // still owned by text
    long status = 0;
    Check(table->OpenTable(arg, &status));
    return status;
}

void HostTable::OpenRequiredTable(const std::string& path)
{
    const long status = OpenTable(path);
    if (status == 0)
        return;
    char text[64];
    std::snprintf(text, sizeof text, " nelze otevřít (stav %ld)", status);
    throw HostError(E_FAIL, "Tabulku " + path + text);
}

void HostTable::CloseTable()
{
    Check(Checked()->CloseTable());
}

long HostTable::RecordCount()
{
    long count = 0;
    Check(Checked()->RecordCount(&count));
    return count;
}

void HostTable::MoveFirst()
{
    long ignored = 0;
    Check(Checked()->MoveFirst(&ignored));
}

void HostTable::MoveLast()
{
    long ignored = 0;
    Check(Checked()->MoveLast(&ignored));
}

bool HostTable::MovePrev()
{
    long status = 0;
    Check(Checked()->MovePrev(&status));
    return status == 0;
}

bool HostTable::MoveNext()
{
    long status = 0;
    Check(Checked()->MoveNext(&status));
    return status == 0;
}

OleVariant HostTable::FieldValue(const std::string& name)
{
    IMon2kDbeTable* table = Checked();
    OleVariant value;
    if (BSTR cached = g_fieldNames.Find(name)) {
        Check(table->FieldValue(cached, value.Put()));
    } else {
        OleString text(name);
        Check(table->FieldValue(text.Get(), value.Put()));
    }
    return value;
}

long HostTable::Seek(long key)
{
    IMon2kDbeTable* table = Checked();
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_I4;
    arg.lVal = key;
    long status = 0;
    Check(table->Seek(arg, &status));
    return status;
}

void HostTable::SetIndex(const std::string& field)
{
    IMon2kDbeTable* table = Checked();
    OleString text(field);
    long ignored = 0;
    Check(table->SetIndex(text.Get(), &ignored));
}

HostTable CreateHostTable()
{
    ComPtr<IUnknown> unknown;
    HRESULT hr = CoCreateInstance(CLSID_Mon2kDbeTable, nullptr,
                                  CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER,
                                  IID_IUnknown, unknown.PutVoid());
    if (SUCCEEDED(hr))
        hr = OleRun(unknown.Get());
    ComPtr<IMon2kDbeTable> table;
    if (SUCCEEDED(hr))
        hr = unknown->QueryInterface(IID_IMon2kDbeTable, table.PutVoid());
    if (FAILED(hr))
        return HostTable::NotCreated(hr);
    if (g_wrapper)
        table = g_wrapper(std::move(table));
    return HostTable(std::move(table));
}

HostTableWrapper SetHostTableWrapper(HostTableWrapper wrapper)
{
    return std::exchange(g_wrapper, std::move(wrapper));
}
