// The user's words for a failed result of the host's component, used by HostError and by
// the reasons the component cannot be created or registered.
#pragma once

#include <windows.h>

#include <string>

// The user's text for a result code: the system message without its trailing CR LF,
// else "IDispatch error #%d" or "Unknown error 0x%0lX".
std::string HostErrorText(HRESULT result);
