// The reference count of a COM object made with new: the last Release deletes it. A class
// derives from ComObject<its interfaces...> and answers QueryInterface itself.
#pragma once

#include <windows.h>

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
