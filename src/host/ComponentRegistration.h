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

    // The view this program's CoCreateInstance looks in, and the other one.
    const std::string& Own() const;
    const std::string& Other() const;
};

ComponentRegistration FindComponentRegistration();

// "32" or "64": the bitness of this program.
const char* OwnBitness();
const char* OtherBitness();

// Why CoCreateInstance and the rest failed with result, in the user's words (code page
// 1250): the class not registered, registered only for programs of the other bitness,
// its DLL missing, or the result's own text.
std::string ComponentProblem(HRESULT result);

// The text of the HostError raised through a handle whose creation failed.
std::string CreationFailureText(HRESULT result);
