// Entering and leaving the apartment the host's component is registered for.
#include "host/ComponentApartment.h"

#include <objbase.h>
#include <ole2.h>

#include "host/ComponentRegistration.h"

ComponentApartment::ComponentApartment(bool withOle) : withOle_(withOle)
{
    Enter();
}

ComponentApartment::~ComponentApartment()
{
    Leave();
}

HRESULT ComponentApartment::Enter()
{
    const bool multithreaded = ComponentWantsMultithreaded();
    if (entered_ && multithreaded == multithreaded_)
        return S_OK;
    Leave();
    HRESULT result;
    if (multithreaded)
        result = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    else if (withOle_)
        result = OleInitialize(nullptr);
    else
        result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    entered_ = SUCCEEDED(result);
    multithreaded_ = multithreaded;
    return result;
}

void ComponentApartment::Leave()
{
    if (!entered_)
        return;
    entered_ = false;
    if (withOle_ && !multithreaded_)
        OleUninitialize();
    else
        CoUninitialize();
}
