// The table component as an in-process COM server: one object per open table, its class
// factory, self-registration and the DLL's exports (its entry point is DllModule.cpp).
#include "Mon2kDbe.h"

#include <olectl.h>

#include <new>
#include <string>

#include "ComObject.h"
#include "DbfTable.h"
#include "DllModule.h"

namespace {

LONG g_objects = 0;
LONG g_locks = 0;

const wchar_t kClassKey[] = L"CLSID\\{86BCE057-6381-4224-A0BD-25E115FBAD94}";
const wchar_t kServerKey[] = L"CLSID\\{86BCE057-6381-4224-A0BD-25E115FBAD94}\\InprocServer32";
const wchar_t kClassName[] = L"Mon2kDbe Table";
const wchar_t kSource[] = L"Mon2kDbe.Table";

// Reports a failure the automation way: an error object for GetErrorInfo, then the result.
// Takes the text as it is, so that a failure for want of memory can be told without more.
HRESULT Fail(HRESULT result, const wchar_t* description)
{
    ICreateErrorInfo* create = nullptr;
    if (SUCCEEDED(CreateErrorInfo(&create))) {
        create->SetGUID(IID_IMon2kDbeTable);
        create->SetSource(const_cast<wchar_t*>(kSource));
        create->SetDescription(const_cast<wchar_t*>(description));
        IErrorInfo* info = nullptr;
        if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
            SetErrorInfo(0, info);
            info->Release();
        }
        create->Release();
    }
    return result;
}

HRESULT NotImplemented(const wchar_t* what)
{
    if (CatchAtComEdge([&] { return Fail(E_NOTIMPL, (std::wstring(what) + L" is not implemented").c_str()); }) ==
        E_NOTIMPL)
        return E_NOTIMPL;
    return Fail(E_NOTIMPL, what);  // no memory for the sentence: the operation's name alone
}

// A by-reference variant stands for the one it points to, as callers through IDispatch
// pass their arguments.
const VARIANT& Dereferenced(const VARIANT& value)
{
    return value.vt == (VT_BYREF | VT_VARIANT) && value.pvarVal ? *value.pvarVal : value;
}

class Table final : public ComObject<IMon2kDbeTable, ISupportErrorInfo> {
public:
    Table() { InterlockedIncrement(&g_objects); }
    ~Table() override { InterlockedDecrement(&g_objects); }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IMon2kDbeTable)
            *out = static_cast<IMon2kDbeTable*>(this);
        else if (iid == IID_ISupportErrorInfo)
            *out = static_cast<ISupportErrorInfo*>(this);
        else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override
    {
        return iid == IID_IMon2kDbeTable ? S_OK : S_FALSE;
    }

    // IDispatch: the table is used through its function table only.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (!count)
            return Fail(E_POINTER, L"GetTypeInfoCount: no place for the result");
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override
    {
        if (info)
            *info = nullptr;
        return NotImplemented(L"GetTypeInfo");
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
    {
        return NotImplemented(L"GetIDsOfNames");
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return NotImplemented(L"Invoke");
    }

    // Operations Quillet never calls.
#define MON2K_IMPLEMENTED_BELOW(slot, name, parameters, arguments)
#define MON2K_NOT_IMPLEMENTED(slot) \
    HRESULT STDMETHODCALLTYPE Reserved##slot() override { return NotImplemented(L"Operation " #slot); }
    MON2K_TABLE_SLOTS(MON2K_IMPLEMENTED_BELOW, MON2K_NOT_IMPLEMENTED)
#undef MON2K_IMPLEMENTED_BELOW
#undef MON2K_NOT_IMPLEMENTED

    HRESULT STDMETHODCALLTYPE OpenTable(VARIANT path, long* status) override
    {
        return Guard(status, [&] {
            const VARIANT* p = &Dereferenced(path);
            BSTR text = nullptr;
            if (p->vt == VT_BSTR)
                text = p->bstrVal;
            else if (p->vt == (VT_BYREF | VT_BSTR) && p->pbstrVal)
                text = *p->pbstrVal;
            else
                throw TableError{DISP_E_TYPEMISMATCH, L"OpenTable needs the table's path as a string"};
            path_.assign(text ? text : L"", SysStringLen(text));
            *status = table_.Open(path_);
        });
    }

    HRESULT STDMETHODCALLTYPE CloseTable() override
    {
        long ignored = 0;
        return Guard(&ignored, [&] {
            Opened();
            table_.Close();
        });
    }

    HRESULT STDMETHODCALLTYPE RecordCount(long* count) override
    {
        return Guard(count, [&] { *count = Refreshed().Count(); });
    }

    // A walk begins at either end or at a sought key: there the records the host has
    // appended meanwhile are taken in. Within a walk the table stays as it was.
    HRESULT STDMETHODCALLTYPE MoveFirst(long* status) override { return Move(status, &DbfTable::MoveFirst, true); }
    HRESULT STDMETHODCALLTYPE MoveLast(long* status) override { return Move(status, &DbfTable::MoveLast, true); }
    HRESULT STDMETHODCALLTYPE MovePrev(long* status) override { return Move(status, &DbfTable::MovePrev, false); }
    HRESULT STDMETHODCALLTYPE MoveNext(long* status) override { return Move(status, &DbfTable::MoveNext, false); }

    HRESULT STDMETHODCALLTYPE FieldValue(BSTR name, VARIANT* value) override
    {
        if (!value)
            return Fail(E_POINTER, L"FieldValue: no place for the value");
        VariantInit(value);
        return Guard(value, [&] { Opened().Value(Field(name), value); });
    }

    // Status kMon2kSeekFound when found, on the first of equal keys in index order (by
    // binary search over the index); 0 when not, and the position stays.
    HRESULT STDMETHODCALLTYPE Seek(VARIANT key, long* status) override
    {
        return Guard(status, [&] { *status = Refreshed().Seek(Dereferenced(key)) ? kMon2kSeekFound : 0; });
    }

    HRESULT STDMETHODCALLTYPE SetIndex(BSTR field, long* status) override
    {
        return Guard(status, [&] {
            DbfTable& table = Refreshed();
            table.SetIndex(Field(field));
            *status = 0;
        });
    }

private:
    // Runs one operation: a missing out-parameter, a TableError, exhausted memory or
    // anything else thrown become a failed result with its error object; nothing escapes
    // into the caller.
    template <class T, class Body>
    HRESULT Guard(T* out, Body body) noexcept
    {
        if (!out)
            return Fail(E_POINTER, L"No place for the result");
        try {
            body();
            return S_OK;
        } catch (const TableError& error) {
            return Fail(error.result, error.description.c_str());
        } catch (const std::bad_alloc&) {
            return Fail(E_OUTOFMEMORY, L"Out of memory");
        } catch (...) {
            return Fail(E_UNEXPECTED, L"Unexpected failure in the table component");
        }
    }

    // Status 0 when a record is current after the move, 1 when the move left the table.
    HRESULT Move(long* status, bool (DbfTable::*move)(), bool beginsWalk)
    {
        return Guard(status, [&] { *status = ((beginsWalk ? Refreshed() : Opened()).*move)() ? 0 : 1; });
    }

    DbfTable& Opened()
    {
        if (!table_.IsOpen())
            throw TableError{kErrNotOpen, L"Table is not open: " + (path_.empty() ? L"(no path given)" : path_)};
        return table_;
    }

    DbfTable& Refreshed()
    {
        Opened().Refresh();
        return Opened();
    }

    int Field(BSTR name)
    {
        const int field = table_.FindField(name ? name : L"", SysStringLen(name));
        if (field < 0)
            throw TableError{kErrNoField, L"Field '" + std::wstring(name ? name : L"", SysStringLen(name)) +
                                              L"' not found in table " + path_};
        return field;
    }

    std::wstring path_;
    DbfTable table_;
};

class ClassFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // The factory is static; its references keep the DLL loaded like a lock.
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&g_locks) + 1; }
    ULONG STDMETHODCALLTYPE Release() override { return InterlockedDecrement(&g_locks) + 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return CatchAtComEdge([&] {
            Table* table = new Table;
            const HRESULT hr = table->QueryInterface(iid, out);
            table->Release();
            return hr;
        });
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        if (lock)
            InterlockedIncrement(&g_locks);
        else
            InterlockedDecrement(&g_locks);
        return S_OK;
    }
};

ClassFactory g_factory;

LONG SetString(HKEY key, const wchar_t* name, const std::wstring& value)
{
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

LONG WriteClass(HKEY root, const std::wstring& modulePath)
{
    HKEY classKey = nullptr;
    LONG rc = RegCreateKeyExW(root, kClassKey, 0, nullptr, 0, KEY_WRITE, nullptr, &classKey, nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    rc = SetString(classKey, nullptr, kClassName);
    RegCloseKey(classKey);
    if (rc != ERROR_SUCCESS)
        return rc;
    HKEY serverKey = nullptr;
    rc = RegCreateKeyExW(root, kServerKey, 0, nullptr, 0, KEY_WRITE, nullptr, &serverKey, nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    rc = SetString(serverKey, nullptr, modulePath);
    if (rc == ERROR_SUCCESS)
        rc = SetString(serverKey, L"ThreadingModel", L"Apartment");
    RegCloseKey(serverKey);
    return rc;
}

bool KeyIsEmpty(HKEY key)
{
    DWORD subkeys = 0, values = 0;
    return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                            nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           subkeys == 0 && values == 0;
}

// Removes the values registration wrote, and each key only when nothing else is left in
// it: whatever someone else put beside them stays.
LONG RemoveClass(HKEY root)
{
    LONG result = ERROR_SUCCESS;
    const wchar_t* keys[] = {kServerKey, kClassKey};
    for (const wchar_t* path : keys) {
        HKEY key = nullptr;
        LONG rc = RegOpenKeyExW(root, path, 0, KEY_READ | KEY_WRITE, &key);
        if (rc == ERROR_FILE_NOT_FOUND)
            continue;
        if (rc != ERROR_SUCCESS) {
            result = rc;
            continue;
        }
        RegDeleteValueW(key, nullptr);
        if (path == kServerKey)
            RegDeleteValueW(key, L"ThreadingModel");
        const bool empty = KeyIsEmpty(key);
        RegCloseKey(key);
        if (empty) {
            rc = RegDeleteKeyW(root, path);
            if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
                result = rc;
        }
    }
    return result;
}

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (clsid != CLSID_Mon2kDbeTable)
        return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE;
}

// Machine-wide under HKEY_CLASSES_ROOT; where that is refused, for the current user.
extern "C" HRESULT STDAPICALLTYPE DllRegisterServer()
{
    return CatchAtComEdge([] {
        wchar_t path[MAX_PATH * 4];
        const DWORD length = GetModuleFileNameW(DllModule(), path, ARRAYSIZE(path));
        if (length == 0 || length >= ARRAYSIZE(path))
            return SELFREG_E_CLASS;
        LONG rc = WriteClass(HKEY_CLASSES_ROOT, path);
        if (rc == ERROR_ACCESS_DENIED) {
            RemoveClass(HKEY_CLASSES_ROOT);
            HKEY userClasses = nullptr;
            rc = RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_WRITE | KEY_READ,
                                 nullptr, &userClasses, nullptr);
            if (rc == ERROR_SUCCESS) {
                rc = WriteClass(userClasses, path);
                RegCloseKey(userClasses);
            }
        }
        return rc == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
    });
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer()
{
    return CatchAtComEdge([] {
        LONG rc = RemoveClass(HKEY_CLASSES_ROOT);
        HKEY userClasses = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, KEY_READ | KEY_WRITE, &userClasses) ==
            ERROR_SUCCESS) {
            const LONG userRc = RemoveClass(userClasses);
            RegCloseKey(userClasses);
            if (rc == ERROR_SUCCESS)
                rc = userRc;
        }
        return rc == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
    });
}
