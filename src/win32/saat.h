#pragma once

#include "win.h"

#include <functional>

// The kinds of frame timer, best first.
enum class TTimerKind {
    HighResolution,  // a waitable timer not rounded to the system tick (Windows 10 1803 and later)
    RaisedTick,      // a plain waitable timer, with the system tick raised to 1 ms while it runs
    Message,         // the window's WM_TIMER, rounded up to the tick: the last resort
};

// The frame timer: a periodic waitable timer the message loop waits on, so frames run on the window's
// thread between messages. A high-resolution timer keeps the period exact; SetTimer would round 40 ms
// up to the 15.6 ms tick (46.9 ms). Where that kind is refused, a plain waitable timer with the system
// tick raised to 1 ms keeps it within 1 ms; where no waitable timer can be made, WM_TIMER still ticks.
class TSaat {
public:
    // WM_TIMER's id for the last-resort kind.
    static constexpr UINT_PTR kMessageTimerId = 2;

    TSaat() = default;
    ~TSaat();
    TSaat(const TSaat&) = delete;
    TSaat& operator=(const TSaat&) = delete;

    // Starts firing every intervalMs milliseconds, the first time one interval from now: the kind
    // `first` or, where the system refuses it, the next kind. The last resort posts WM_TIMER to `window`.
    void Start(int intervalMs, HWND window, TTimerKind first = TTimerKind::HighResolution);
    // The waitable timer, signalled once per period; null before Start and for the WM_TIMER kind.
    HANDLE Handle() const { return timer_; }
    // The kind the system gave.
    TTimerKind Kind() const { return kind_; }

private:
    HANDLE timer_ = nullptr;
    HWND window_ = nullptr;
    TTimerKind kind_ = TTimerKind::Message;
    bool tickRaised_ = false;
};

// Runs this thread's messages until WM_QUIT and returns its exit code: keyboard navigation (Tab,
// Space) for `window`'s controls and `tick` each time `timer` fires (with no timer, messages only).
int RunMessageLoop(HWND window, HANDLE timer, const std::function<void()>& tick);
