// Where the registry says the host's table component lives, for 32-bit and for 64-bit
// programs, and the user's words for why it cannot be created.
#pragma once

#include <windows.h>

#include <string>

struct ComponentRegistration {
    // The DLL that the class's InprocServer32 names in the registry view of 32-bit and
    // of 64-bit programs; empty where the class is not registered. 32-bit Windows has
    // only the first.
    std::string server32;
    std::string server64;
    // The ThreadingModel value beside this program's server ("Apartment", "Both", "Free"
    // ...); empty where there is none, which means the process's main apartment only.
    std::string threadingModel;

    // The view this program's CoCreateInstance looks in, and the other one.
    const std::string& Own() const;
    const std::string& Other() const;
};

ComponentRegistration FindComponentRegistration();

// Whether a thread that calls the component must be in the multithreaded apartment: its
// registration says "Free". Under any other model it is called from a single-threaded
// apartment, which for a class without a model must be the process's first.
bool ComponentWantsMultithreaded();

// Whether creating the component failed for its threading model: COM handed over a proxy
// (the component lives in another apartment), and its interface has no proxy/stub to be
// marshalled through, so the proxy answers E_NOINTERFACE.
bool ThreadingModelFailure(HRESULT result, const ComponentRegistration& registration);

// "32" or "64": the bitness of this program.
const char* OwnBitness();
const char* OtherBitness();

// Why CoCreateInstance and the rest failed with result, in the user's words (code page
// 1250): the class not registered, registered only for programs of the other bitness,
// its DLL missing, its threading model, or the result's own text.
std::string ComponentProblem(HRESULT result);

// The text of the HostError raised through a handle whose creation failed.
std::string CreationFailureText(HRESULT result);
