#pragma once

#include "win.h"

#include <functional>

// The frame timer: a periodic waitable timer the message loop waits on, so frames run on the window's
// thread between messages. A high-resolution timer (Windows 10 1803 and later) keeps the period
// exact; SetTimer would round 40 ms up to the 15.6 ms tick (46.9 ms). Where that kind is refused, a
// plain waitable timer with the system tick raised to 1 ms (timeBeginPeriod) keeps it within 1 ms.
class TSaat {
public:
    TSaat() = default;
    ~TSaat();
    TSaat(const TSaat&) = delete;
    TSaat& operator=(const TSaat&) = delete;

    // Starts firing every intervalMs milliseconds, the first time one interval from now.
    void Start(int intervalMs);
    // The timer's handle, signalled once per period; null before Start.
    HANDLE Handle() const { return timer_; }
    // Whether the system gave a high-resolution timer.
    bool HighResolution() const { return highResolution_; }

private:
    HANDLE timer_ = nullptr;
    bool highResolution_ = false;
    bool tickRaised_ = false;
};

// Runs this thread's messages until WM_QUIT and returns its exit code: keyboard navigation (Tab,
// Space) for `window`'s controls, `tick` each time `timer` fires and `keyed` for every key pressed.
int RunMessageLoop(HWND window, HANDLE timer, const std::function<void()>& tick, const std::function<void()>& keyed);
