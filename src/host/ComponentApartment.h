// ComponentApartment: the COM apartment of the one thread that calls the host's component,
// chosen by the component's registered threading model, so that the thread gets the
// component itself and never a proxy, which its interface cannot be marshalled through.
#pragma once

#include <windows.h>

// Shown when a thread cannot take OLE, which the host component needs.
inline constexpr char kOleFailedText[] = "Nelze inicializovat systémovou komponentu OLE";

class ComponentApartment {
public:
    // Enters the apartment at once. withOle: a single-threaded apartment is entered
    // through OleInitialize, for a thread that shows windows.
    explicit ComponentApartment(bool withOle);
    // Leaves the apartment entered.
    ~ComponentApartment();
    ComponentApartment(const ComponentApartment&) = delete;
    ComponentApartment& operator=(const ComponentApartment&) = delete;

    // Reads the registration again and enters the apartment it asks for: the
    // multithreaded one for "Free", else a single-threaded one. The first thread of a
    // process to enter a single-threaded apartment is its main one, where COM puts a class
    // registered without a model. A thread in the other kind leaves it first, so it may
    // hold nothing of COM when this is called. The result of entering: failed when the
    // thread is in no apartment.
    HRESULT Enter();

    bool Entered() const { return entered_; }
    bool Multithreaded() const { return multithreaded_; }

private:
    void Leave();

    bool withOle_;
    bool entered_ = false;
    bool multithreaded_ = false;
};
