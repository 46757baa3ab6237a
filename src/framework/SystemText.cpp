// FormatMessage from the system's message table.
#include "framework/SystemText.h"

#include <memory>

namespace {

struct LocalFreer {
    void operator()(char* p) const { LocalFree(p); }
};

}  // namespace

std::string SystemText(DWORD code)
{
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), reinterpret_cast<char*>(&buffer), 0, nullptr);
    const std::unique_ptr<char, LocalFreer> owner(buffer);
    if (length == 0 || !buffer)
        return {};
    std::string text(buffer, length);
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
    }
    return text;
}
