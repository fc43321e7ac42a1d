#pragma once

#include "win.h"

// The per-monitor DPI functions of Windows 10 1607 and later, looked up when the program starts rather
// than imported, so it also starts on Windows 7 and 8.1, where the system DPI (one for every monitor)
// stands in for them.
struct TDpiApi {
    UINT(WINAPI* forWindow)(HWND) = nullptr;
    int(WINAPI* metricForDpi)(int, UINT) = nullptr;

    // The functions this system's user32 offers; those it lacks stay null.
    static TDpiApi FromSystem();
};

// The functions of this system, looked up once.
const TDpiApi& SystemDpiApi();

// Dots per inch of the monitor the window is on; the system DPI where `api` cannot tell.
UINT WindowDpi(const TDpiApi& api, HWND window);
inline UINT WindowDpi(HWND window) { return WindowDpi(SystemDpiApi(), window); }

// A system metric (SM_*) for a monitor of `dpi`; the system's value scaled from the system DPI where
// `api` cannot give it.
int MetricForDpi(const TDpiApi& api, int index, UINT dpi);
inline int MetricForDpi(int index, UINT dpi) { return MetricForDpi(SystemDpiApi(), index, dpi); }
