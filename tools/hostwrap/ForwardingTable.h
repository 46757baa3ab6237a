// A table of the host component that passes every call on to a real one: the base of a
// benchmark's call counter and of tests' stand-ins for a component that answers otherwise.
// Set it up with SetHostTableWrapper.
#pragma once

#include <utility>

#include "ComObject.h"
#include "host/HostTable.h"

class ForwardingTable : public ComObject<IMon2kDbeTable> {
public:
    explicit ForwardingTable(ComPtr<IMon2kDbeTable> inner) : inner_(std::move(inner)) {}

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

#define QUILLET_FORWARD(slot, name, parameters, arguments) \
    HRESULT STDMETHODCALLTYPE name parameters override \
    { \
        OnCall(slot); \
        return inner_->name arguments; \
    }
#define QUILLET_FORWARD_RESERVED(slot) QUILLET_FORWARD(slot, Reserved##slot, (), ())
    MON2K_TABLE_SLOTS(QUILLET_FORWARD, QUILLET_FORWARD_RESERVED)
#undef QUILLET_FORWARD_RESERVED
#undef QUILLET_FORWARD

protected:
    IMon2kDbeTable* Inner() const { return inner_.Get(); }

private:
    ComPtr<IMon2kDbeTable> inner_;
};

// Wraps a table in a new T (a ForwardingTable) and hands out its one reference.
template <class T, class... Args>
ComPtr<IMon2kDbeTable> Wrap(ComPtr<IMon2kDbeTable> inner, Args&&... args)
{
    return ComPtr<IMon2kDbeTable>::Attach(new T(std::move(inner), std::forward<Args>(args)...));
}
