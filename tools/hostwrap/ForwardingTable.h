// A table of the host component that passes every call on to a real one: the base of a
// benchmark's call counter and of tests' stand-ins for a component that answers otherwise.
// Set it up with SetHostTableWrapper.
#pragma once

#include <utility>

#include "host/HostTable.h"

class ForwardingTable : public IMon2kDbeTable {
public:
    explicit ForwardingTable(ComPtr<IMon2kDbeTable> inner) : inner_(std::move(inner)) {}
    virtual ~ForwardingTable() = default;

    // Called before each operation of the table (not IUnknown's), with its slot number.
    virtual void OnCall(int slot) { (void)slot; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IMon2kDbeTable) {
            *out = static_cast<IMon2kDbeTable*>(this);
            AddRef();
            return S_OK;
        }
        // ISupportErrorInfo and the rest are the real table's: its error objects stay its own.
        return inner_->QueryInterface(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = InterlockedDecrement(&refs_);
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { return inner_->GetTypeInfoCount(n); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID l, ITypeInfo** t) override { return inner_->GetTypeInfo(i, l, t); }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID r, LPOLESTR* n, UINT c, LCID l, DISPID* d) override
    {
        return inner_->GetIDsOfNames(r, n, c, l, d);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID d, REFIID r, LCID l, WORD f, DISPPARAMS* p, VARIANT* v, EXCEPINFO* e,
                                     UINT* a) override
    {
        return inner_->Invoke(d, r, l, f, p, v, e, a);
    }

#define QUILLET_FORWARD(slot, name, params, args) \
    HRESULT STDMETHODCALLTYPE name params override \
    { \
        OnCall(slot); \
        return inner_->name args; \
    }
    QUILLET_FORWARD(7, Reserved7, (), ())
    QUILLET_FORWARD(8, Reserved8, (), ())
    QUILLET_FORWARD(9, OpenTable, (VARIANT path, long* status), (path, status))
    QUILLET_FORWARD(10, CloseTable, (), ())
    QUILLET_FORWARD(11, RecordCount, (long* count), (count))
    QUILLET_FORWARD(12, Reserved12, (), ())
    QUILLET_FORWARD(13, Reserved13, (), ())
    QUILLET_FORWARD(14, MoveFirst, (long* status), (status))
    QUILLET_FORWARD(15, MoveLast, (long* status), (status))
    QUILLET_FORWARD(16, MovePrev, (long* status), (status))
    QUILLET_FORWARD(17, Reserved17, (), ())
    QUILLET_FORWARD(18, MoveNext, (long* status), (status))
    QUILLET_FORWARD(19, Reserved19, (), ())
    QUILLET_FORWARD(20, Reserved20, (), ())
    QUILLET_FORWARD(21, Reserved21, (), ())
    QUILLET_FORWARD(22, Reserved22, (), ())
    QUILLET_FORWARD(23, Reserved23, (), ())
    QUILLET_FORWARD(24, FieldValue, (BSTR name, VARIANT* value), (name, value))
    QUILLET_FORWARD(25, Reserved25, (), ())
    QUILLET_FORWARD(26, Reserved26, (), ())
    QUILLET_FORWARD(27, Seek, (VARIANT key, long* status), (key, status))
    QUILLET_FORWARD(28, Reserved28, (), ())
    QUILLET_FORWARD(29, Reserved29, (), ())
    QUILLET_FORWARD(30, Reserved30, (), ())
    QUILLET_FORWARD(31, Reserved31, (), ())
    QUILLET_FORWARD(32, Reserved32, (), ())
    QUILLET_FORWARD(33, Reserved33, (), ())
    QUILLET_FORWARD(34, Reserved34, (), ())
    QUILLET_FORWARD(35, Reserved35, (), ())
    QUILLET_FORWARD(36, Reserved36, (), ())
    QUILLET_FORWARD(37, Reserved37, (), ())
    QUILLET_FORWARD(38, Reserved38, (), ())
    QUILLET_FORWARD(39, Reserved39, (), ())
    QUILLET_FORWARD(40, SetIndex, (BSTR field, long* status), (field, status))
#undef QUILLET_FORWARD

protected:
    IMon2kDbeTable* Inner() const { return inner_.Get(); }

private:
    ComPtr<IMon2kDbeTable> inner_;
    LONG refs_ = 1;
};

// Wraps a table in a new T (a ForwardingTable) and hands out its one reference.
template <class T, class... Args>
ComPtr<IMon2kDbeTable> Wrap(ComPtr<IMon2kDbeTable> inner, Args&&... args)
{
    return ComPtr<IMon2kDbeTable>::Attach(new T(std::move(inner), std::forward<Args>(args)...));
}
