#include "saat.h"

#include <mmsystem.h>

namespace {

// CreateWaitableTimerExW's flag for a timer that is not rounded to the system tick (Windows 10 1803).
constexpr DWORD kHighResolutionTimer = 0x2;
// Waitable timer due times count 100 ns units; negative means relative to now.
constexpr LONGLONG kUnitsPerMs = 10'000;
// The finest system tick timeBeginPeriod is asked for when the timer itself is not high-resolution.
constexpr UINT kFinestTickMs = 1;

}  // namespace

TSaat::~TSaat()
{
    if (timer_ != nullptr)
        CloseHandle(timer_);
    if (tickRaised_)
        timeEndPeriod(kFinestTickMs);
    if (kind_ == TTimerKind::Message && window_ != nullptr)
        KillTimer(window_, kMessageTimerId);
}

void TSaat::Start(int intervalMs, HWND window, TTimerKind first)
{
    window_ = window;
    kind_ = first;
    if (kind_ == TTimerKind::HighResolution) {
        timer_ = CreateWaitableTimerExW(nullptr, nullptr, kHighResolutionTimer, TIMER_ALL_ACCESS);
        if (timer_ == nullptr)
            kind_ = TTimerKind::RaisedTick;
    }
    if (kind_ == TTimerKind::RaisedTick) {
        timer_ = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
        if (timer_ == nullptr)
            kind_ = TTimerKind::Message;
        else
            tickRaised_ = timeBeginPeriod(kFinestTickMs) == TIMERR_NOERROR;
    }
    if (kind_ == TTimerKind::Message) {
        SetTimer(window, kMessageTimerId, UINT(intervalMs), nullptr);
        return;
    }
    LARGE_INTEGER due;
    due.QuadPart = -LONGLONG(intervalMs) * kUnitsPerMs;
    SetWaitableTimer(timer_, &due, intervalMs, nullptr, nullptr, FALSE);
}

int RunMessageLoop(HWND window, HANDLE timer, const std::function<void()>& tick)
{
    MSG message;
    const DWORD handles = timer != nullptr ? 1 : 0;
    for (;;) {
        // The timer comes first: a steady stream of input cannot starve the frames.
        const DWORD woke = MsgWaitForMultipleObjectsEx(handles, &timer, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (handles != 0 && woke == WAIT_OBJECT_0)
            tick();
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                return int(message.wParam);
            if (!IsDialogMessageW(window, &message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
    }
}
