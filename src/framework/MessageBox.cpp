// The one place where the program shows a message box.
#include "framework/MessageBox.h"

#include <utility>

namespace {

MessageBoxHandler& Handler()
{
    static MessageBoxHandler handler;
    return handler;
}

}  // namespace

int ShowMessageBox(const std::string& text, UINT flags)
{
    if (Handler())
        return Handler()(text, flags);
    // Like the framework's own message box: owned by the active window of this thread,
    // captioned with the program's name.
    return MessageBoxA(GetActiveWindow(), text.c_str(), "Quillet", flags);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler)
{
    return std::exchange(Handler(), std::move(handler));
}
