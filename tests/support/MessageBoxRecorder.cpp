#include "support/MessageBoxRecorder.h"

#include "framework/WideText.h"

MessageBoxRecorder::MessageBoxRecorder()
{
    previous_ = SetMessageBoxHandler([this](const std::wstring& text, UINT flags) {
        shown_.push_back({ToCp1250Shown(text), flags});
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
