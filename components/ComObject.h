// The reference count of a COM object made with new: the last Release deletes it. A class
// derives from ComObject<its interfaces...> and answers QueryInterface itself. And
// CatchAtComEdge, through which nothing thrown leaves a COM method.
#pragma once

#include <windows.h>

#include <new>

template <class... Interfaces>
class ComObject : public Interfaces... {
public:
    // One definition for every interface's AddRef and Release: they share the one count.
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = InterlockedDecrement(&refs_);
        if (left == 0)
            delete this;
        return left;
    }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;

private:
    LONG refs_ = 1;  // the creator's
};

// Runs a COM method's body: whatever it throws becomes a failed result, as nothing may
// leave a call from another module (its caller need not even be C++): E_OUTOFMEMORY for
// exhausted memory, E_UNEXPECTED for anything else.
template <class Body>
HRESULT CatchAtComEdge(Body body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}
