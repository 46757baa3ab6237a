// Drives a real modal dialog from inside its own message loop: each step runs from a
// timer callback, so only once the queue holds no more posted messages, i.e. after the
// dialog has handled everything the previous step started. A dialog left open after
// the last step is ended after a grace period with result -2, so that a test fails
// instead of hanging.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <utility>

template <class Dlg>
class Driven : public Dlg {
public:
    template <class... Args>
    explicit Driven(Args&&... args) : Dlg(std::forward<Args>(args)...) {}

    using Step = std::function<void(HWND dialog)>;
    Driven& Then(Step step)
    {
        steps_.push_back(std::move(step));
        return *this;
    }

protected:
    BOOL OnInitDialog() override
    {
        const BOOL result = Dlg::OnInitDialog();
        SetPropA(this->GetSafeHwnd(), kProp, this);
        ScheduleNext();
        return result;
    }

private:
    void ScheduleNext()
    {
        const HWND hwnd = this->GetSafeHwnd();
        if (!hwnd)
            return;
        if (!steps_.empty())
            SetTimer(hwnd, kStepTimer, 1, &Driven::RunStep);
        else
            SetTimer(hwnd, kWatchdogTimer, 5000, &Driven::Watchdog);
    }

    static void CALLBACK RunStep(HWND hwnd, UINT, UINT_PTR id, DWORD)
    {
        KillTimer(hwnd, id);
        auto* self = static_cast<Driven*>(GetPropA(hwnd, kProp));
        if (!self || self->steps_.empty())
            return;
        // The dialog manager shows a dialog once its queue is first empty; the first
        // step waits for that (a while at most, for dialogs that stay hidden).
        if (!self->started_ && !IsWindowVisible(hwnd) && self->waited_++ < 200) {
            SetTimer(hwnd, kStepTimer, 10, &Driven::RunStep);
            return;
        }
        self->started_ = true;
        Step step = std::move(self->steps_.front());
        self->steps_.pop_front();
        step(hwnd);
        if (IsWindow(hwnd))
            self->ScheduleNext();
    }

    static void CALLBACK Watchdog(HWND hwnd, UINT, UINT_PTR id, DWORD)
    {
        KillTimer(hwnd, id);
        EndDialog(hwnd, -2);
    }

    static constexpr const char* kProp = "QuilletDialogDriver";
    static constexpr UINT_PTR kStepTimer = 0x7E56;
    static constexpr UINT_PTR kWatchdogTimer = 0x7E57;
    std::deque<Step> steps_;
    bool started_ = false;
    int waited_ = 0;
};

// Presses a push button, check box or radio button as a click would.
inline void Click(HWND dialog, int id)
{
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

inline void TypeText(HWND dialog, int id, const char* text)
{
    SetDlgItemTextA(dialog, id, text);
}

inline bool IsChecked(HWND dialog, int id)
{
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Runs this thread's messages until done says so, at most timeoutMs; its last answer.
inline bool RunMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs = 20000)
{
    const DWORD start = GetTickCount();
    for (MSG msg; !done(); Sleep(10)) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    return true;
}
