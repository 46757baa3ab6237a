// The one place where the program shows a message box.
#include "framework/MessageBox.h"

#include <utility>

#include "framework/WideText.h"

namespace {

MessageBoxHandler& Handler()
{
    static MessageBoxHandler handler;
    return handler;
}

}  // namespace

int ShowMessageBox(const std::string& text, UINT flags)
{
    return ShowMessageBox(ToWide(text), flags);
}

int ShowMessageBox(const std::wstring& text, UINT flags)
{
    if (Handler())
        return Handler()(text, flags);
    // Like the framework's own message box: owned by the active window of this thread,
    // captioned with the program's name.
    return MessageBoxW(GetActiveWindow(), text.c_str(), L"Quillet", flags);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler)
{
    return std::exchange(Handler(), std::move(handler));
}
