// Every message box of the program goes through ShowMessageBox, so that a test (or the
// console print command) can take the place of the screen and answer it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// The text is code page 1250; flags are the MB_* flags of MessageBoxW. The result is the
// button pressed (IDOK, IDYES, IDNO ...).
int ShowMessageBox(const std::string& text, UINT flags = MB_OK);
// A text that holds host values as the host gave them, in UTF-16.
int ShowMessageBox(const std::wstring& text, UINT flags = MB_OK);

// Replaces the screen with a handler, which is given the text as the screen would show
// it; returns the one it replaces. An empty handler restores the real message box.
using MessageBoxHandler = std::function<int(const std::wstring& text, UINT flags)>;
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// While one lives, the message boxes of the thread that made it are kept here instead of
// shown, whatever handler is set: a question is answered No, anything else OK. For work
// that must never wait for the user, such as a print nobody asked for.
class MessageBoxCapture {
public:
    MessageBoxCapture();
    ~MessageBoxCapture();
    MessageBoxCapture(const MessageBoxCapture&) = delete;
    MessageBoxCapture& operator=(const MessageBoxCapture&) = delete;

    // The texts in the order they came (code page 1250).
    const std::vector<std::string>& Texts() const { return texts_; }

private:
    friend int ShowMessageBox(const std::wstring& text, UINT flags);
    MessageBoxCapture* outer_;
    std::vector<std::string> texts_;
};
