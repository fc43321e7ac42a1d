#include "dpi.h"

namespace {

// The DPI every monitor has on a system without per-monitor DPI: the screen's logical pixels per inch.
UINT SystemDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? UINT(dpi) : USER_DEFAULT_SCREEN_DPI;
}

template <class Function>
Function Find(HMODULE module, const char* name)
{
    // The usual cast from GetProcAddress's generic pointer to the function's own type.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

TDpiApi TDpiApi::FromSystem()
{
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    TDpiApi api;
    if (user32 == nullptr)
        return api;
    api.forWindow = Find<decltype(api.forWindow)>(user32, "GetDpiForWindow");
    api.metricForDpi = Find<decltype(api.metricForDpi)>(user32, "GetSystemMetricsForDpi");
    return api;
}

const TDpiApi& SystemDpiApi()
{
    static const TDpiApi api = TDpiApi::FromSystem();
    return api;
}

UINT WindowDpi(const TDpiApi& api, HWND window)
{
    const UINT dpi = api.forWindow != nullptr ? api.forWindow(window) : 0;
    return dpi != 0 ? dpi : SystemDpi();
}

int MetricForDpi(const TDpiApi& api, int index, UINT dpi)
{
    if (api.metricForDpi != nullptr)
        return api.metricForDpi(index, dpi);
    return MulDiv(GetSystemMetrics(index), int(dpi), int(SystemDpi()));
}
