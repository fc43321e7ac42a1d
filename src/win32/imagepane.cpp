#include "imagepane.h"

#include "dpi.h"

#include <windowsx.h>

#include <algorithm>

namespace {

constexpr wchar_t kPaneClass[] = L"TirvokPane";
// The keyboard pointer's cross reaches this many pane pixels from its centre.
constexpr int kCrossArm = 4;

// floor(a / b) for b > 0, also for negative a.
int FloorDiv(long long a, long long b) { return int(a >= 0 ? a / b : -((-a + b - 1) / b)); }

}  // namespace

void TImagePane::Register(HINSTANCE instance)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = 0;  // no CS_DBLCLKS: the second press of a double click arrives as an ordinary press
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kPaneClass;
    RegisterClassExW(&wc);
}

TImagePane::TImagePane(HWND parent, int width, int height) : width_(width), height_(height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first, as TRaster lays the words out
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;  // 0x00RRGGBB words; rows of 32-bit words need no padding
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dib_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<std::uint32_t*>(bits);
    std::fill_n(bits_, std::size_t(width) * std::size_t(height), PixelWord(kWhite));
    memory_ = CreateCompatibleDC(nullptr);
    previous_ = SelectObject(memory_, dib_);

    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    hwnd_ = CreateWindowExW(0, kPaneClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, width, height, parent,
                            nullptr, instance, this);
}

TImagePane::~TImagePane()
{
    if (hwnd_ != nullptr)
        DestroyWindow(hwnd_);
    SelectObject(memory_, previous_);
    DeleteDC(memory_);
    DeleteObject(dib_);
}

LRESULT CALLBACK TImagePane::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* pane = static_cast<TImagePane*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        pane->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pane));
    }
    auto* pane = reinterpret_cast<TImagePane*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (pane == nullptr)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        pane->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return pane->OnMessage(message, wParam, lParam);
}

LRESULT TImagePane::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND: return 1;  // the image covers every pixel
    case WM_PAINT: Paint(); return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_XBUTTONUP:
    case WM_MOUSEMOVE:
    case WM_CAPTURECHANGED:
        if (Mouse)
            Mouse(hwnd_, message, wParam, lParam);
        return message == WM_XBUTTONDOWN || message == WM_XBUTTONUP ? TRUE : 0;
    case WM_GETDLGCODE: {
        // Arrows, Space, Return and Escape are the pane's; Tab still moves the focus on.
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        const bool own = msg != nullptr && (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) &&
                         (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE);
        return DLGC_WANTARROWS | DLGC_WANTCHARS | (own ? DLGC_WANTMESSAGE : 0);
    }
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_KILLFOCUS:
        if (Key)
            Key(message, wParam, lParam);
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    case WM_SETFOCUS: InvalidateRect(hwnd_, nullptr, FALSE); return 0;
    default: return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

void TImagePane::Paint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT client;
    GetClientRect(hwnd_, &client);
    // Nearest pixel: at 200 % every pane pixel is an exact 2 x 2 block, at 150 % the edges stay sharp.
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, client.right, client.bottom, memory_, 0, 0, width_, height_, SRCCOPY);
    if (ShowsKeyboardPointer()) {
        // An inverting cross shows on every colour the views draw; pane pixels to screen pixels as painted.
        const auto screen = [&](int pane, int size, int span) { return MulDiv(pane, size, span); };
        const auto invert = [&](int x0, int y0, int x1, int y1) {
            const int left = screen(x0, client.right, width_), top = screen(y0, client.bottom, height_);
            PatBlt(dc, left, top, screen(x1, client.right, width_) - left, screen(y1, client.bottom, height_) - top,
                   DSTINVERT);
        };
        const POINT c = keyboardPointer_;
        invert(c.x - kCrossArm, c.y, c.x + kCrossArm + 1, c.y + 1);
        invert(c.x, c.y - kCrossArm, c.x + 1, c.y);
        invert(c.x, c.y + 1, c.x + 1, c.y + kCrossArm + 1);
    }
    EndPaint(hwnd_, &ps);
}

void TImagePane::SetKeyboardPointer(POINT at)
{
    if (at.x == keyboardPointer_.x && at.y == keyboardPointer_.y)
        return;
    keyboardPointer_ = at;
    if (ShowsKeyboardPointer())
        InvalidateRect(hwnd_, nullptr, FALSE);
}

void TImagePane::KeyboardUsed(bool used)
{
    if (used != keyboardUsed_ && GetFocus() == hwnd_)
        InvalidateRect(hwnd_, nullptr, FALSE);
    keyboardUsed_ = used;
}

// Screen pixels to pane pixels: floor(x * 96 / dpi), so a pointer left of or above the pane stays negative.
int TImagePane::PaneCoordinate(int client) const
{
    return FloorDiv(static_cast<long long>(client) * USER_DEFAULT_SCREEN_DPI, WindowDpi(hwnd_));
}
