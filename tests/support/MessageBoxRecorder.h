// Stands in for the screen: records every message box the code shows and answers it
// from a script (IDOK when the script runs out).
#pragma once

#include "framework/MessageBox.h"

#include <deque>
#include <string>
#include <vector>

struct ShownMessage {
    std::string text;  // code page 1250
    UINT flags;
};

class MessageBoxRecorder {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    // Answers for the next boxes, in order (IDYES, IDNO ...).
    void Answer(int result) { answers_.push_back(result); }

    const std::vector<ShownMessage>& Shown() const { return shown_; }
    void Clear() { shown_.clear(); }

private:
    std::vector<ShownMessage> shown_;
    std::deque<int> answers_;
    MessageBoxHandler previous_;
};
