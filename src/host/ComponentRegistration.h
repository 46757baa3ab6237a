// Where the registry says the host's table component lives, for 32-bit and for 64-bit
// programs, the user's words for why it cannot be created, and registering the component
// the host installed when its class is not registered at all.
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

class ComponentApartment;

// DllRegisterServer of the DLL at dllPath, a full path: its result, or why the DLL could
// not be loaded or has no such entry point.
HRESULT RegisterHostComponent(const std::string& dllPath);

// Creates the component once. Only when its class is not registered at all is the
// component that the host installed in its own folder, beside monS3Ini (the host's
// MonS3.ini; empty where there is no host), registered by its full path, never through
// the search order, and created again, in the apartment the new registration asks for.
// Empty when nothing is to be said; else the message for the user (code page 1250): a
// registration that failed or did not help. Any other failure is left to the prints,
// which report it with its reason.
std::string ProbeHostComponent(ComponentApartment& apartment, const std::string& monS3Ini);
