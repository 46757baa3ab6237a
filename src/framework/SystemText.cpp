// FormatMessage from the system's message table.
#include "framework/SystemText.h"

#include <memory>

#include "framework/WideText.h"

namespace {

struct LocalFreer {
    void operator()(wchar_t* p) const { LocalFree(p); }
};

}  // namespace

std::string SystemText(DWORD code)
{
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const std::unique_ptr<wchar_t, LocalFreer> owner(buffer);
    if (length == 0 || !buffer)
        return {};
    std::string text = ToCp1250Shown(std::wstring(buffer, length));
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
    }
    return text;
}
