// The Windows shell's fallbacks for Windows 7 and 8.1 and for a refused timer: Wine has every newer
// function, so only these tests take the paths such a system takes.

#include "dpi.h"
#include "saat.h"

#include <gtest/gtest.h>

namespace {

constexpr int kFrameMs = 40;
constexpr int kFrames = 3;
constexpr int kQuitCode = 7;

int frames = 0;  // frames the WM_TIMER kind delivered to the test window

LRESULT CALLBACK CountTimer(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER && wParam == TSaat::kMessageTimerId && ++frames == kFrames)
        PostQuitMessage(kQuitCode);
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND TestWindow()
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = CountTimer;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"FallbackTest";
    RegisterClassW(&wc);
    // A message-only window: the unit tests run with no display.
    return CreateWindowExW(0, L"FallbackTest", L"", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

// Without the per-monitor functions (Windows 7) the system DPI and the system's metrics scaled from it
// give what Windows 10's own functions give.
TEST(DpiFallback, SystemValuesStandInForThePerMonitorOnes)
{
    const TDpiApi none;
    const TDpiApi& system = SystemDpiApi();
    ASSERT_NE(system.forWindow, nullptr) << "Wine has the per-monitor functions to compare with";
    ASSERT_NE(system.metricForDpi, nullptr);
    HWND window = TestWindow();
    EXPECT_EQ(WindowDpi(none, window), system.forWindow(window));
    struct Case {
        int metric;
        UINT dpi;
    };
    for (const Case& c : {Case{SM_CXICON, 96}, Case{SM_CXICON, 120}, Case{SM_CXICON, 144}, Case{SM_CXICON, 192},
                          Case{SM_CXSMICON, 120}, Case{SM_CXSMICON, 192}, Case{SM_CXSMICON, 240}}) {
        SCOPED_TRACE(testing::Message() << "metric " << c.metric << " at " << c.dpi << " DPI");
        EXPECT_EQ(MetricForDpi(none, c.metric, c.dpi), system.metricForDpi(c.metric, c.dpi));
    }
    DestroyWindow(window);
}

// Each kind of frame timer, the high-resolution one and both fallbacks, brings frames through the loop.
TEST(SaatFallback, EveryKindOfTimerBringsFrames)
{
    HWND window = TestWindow();
    for (TTimerKind kind : {TTimerKind::HighResolution, TTimerKind::RaisedTick, TTimerKind::Message}) {
        SCOPED_TRACE(int(kind));
        frames = 0;
        TSaat saat;
        saat.Start(kFrameMs, window, kind);
        EXPECT_EQ(saat.Kind(), kind);
        EXPECT_EQ(saat.Handle() == nullptr, kind == TTimerKind::Message);
        const int code = RunMessageLoop(window, saat.Handle(), [] {
            if (++frames == kFrames)
                PostQuitMessage(kQuitCode);
        });
        EXPECT_EQ(code, kQuitCode);
        EXPECT_EQ(frames, kFrames);
    }
    DestroyWindow(window);
}

}  // namespace
