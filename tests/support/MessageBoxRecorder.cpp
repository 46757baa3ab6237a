#include "support/MessageBoxRecorder.h"

MessageBoxRecorder::MessageBoxRecorder()
{
    previous_ = SetMessageBoxHandler([this](const std::string& text, UINT flags) {
        shown_.push_back({text, flags});
        if (answers_.empty())
            return IDOK;
        int answer = answers_.front();
        answers_.pop_front();
        return answer;
    });
}

MessageBoxRecorder::~MessageBoxRecorder()
{
    SetMessageBoxHandler(previous_);
}
