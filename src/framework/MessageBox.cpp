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

thread_local MessageBoxCapture* t_capture = nullptr;

}  // namespace

int ShowMessageBox(const std::string& text, UINT flags)
{
    return ShowMessageBox(ToWide(text), flags);
}

int ShowMessageBox(const std::wstring& text, UINT flags)
{
    if (t_capture) {
        t_capture->texts_.push_back(ToCp1250Shown(text));
        return (flags & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
    }
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

MessageBoxCapture::MessageBoxCapture() : outer_(std::exchange(t_capture, this)) {}

MessageBoxCapture::~MessageBoxCapture()
{
    t_capture = outer_;
}
