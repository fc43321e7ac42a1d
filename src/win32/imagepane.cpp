#include "imagepane.h"

#include "dpi.h"

#include <windowsx.h>

#include <algorithm>

namespace {

constexpr wchar_t kPaneClass[] = L"TirvokPane";

unsigned Bit(TMouseButton b) { return 1u << unsigned(b); }

constexpr TMouseButton kButtons[] = {TMouseButton::Left, TMouseButton::Right, TMouseButton::Middle,
                                     TMouseButton::Other};

// The MK_* flags of a mouse message that say the button is down.
WPARAM KeyFlags(TMouseButton b)
{
    switch (b) {
    case TMouseButton::Left: return MK_LBUTTON;
    case TMouseButton::Right: return MK_RBUTTON;
    case TMouseButton::Middle: return MK_MBUTTON;
    case TMouseButton::Other: break;
    }
    return MK_XBUTTON1 | MK_XBUTTON2;
}

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

TImagePane::TImagePane(HWND parent, int width, int height)
    : width_(width), height_(height), shown_(std::size_t(width) * std::size_t(height))
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
    std::fill_n(bits_, shown_.size(), PixelWord(kWhite));
    std::fill(shown_.begin(), shown_.end(), PixelWord(kWhite));
    memory_ = CreateCompatibleDC(nullptr);
    previous_ = SelectObject(memory_, dib_);

    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    hwnd_ = CreateWindowExW(0, kPaneClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, width, height, parent, nullptr, instance,
                            this);
}

TImagePane::~TImagePane()
{
    if (hwnd_ != nullptr)
        DestroyWindow(hwnd_);
    SelectObject(memory_, previous_);
    DeleteDC(memory_);
    DeleteObject(dib_);
}

void TImagePane::ShowChanges()
{
    if (std::equal(shown_.begin(), shown_.end(), bits_))
        return;
    std::copy_n(bits_, shown_.size(), shown_.begin());
    InvalidateRect(hwnd_, nullptr, FALSE);
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
    case WM_LBUTTONDOWN: Press(TMouseButton::Left, lParam); return 0;
    case WM_RBUTTONDOWN: Press(TMouseButton::Right, lParam); return 0;
    case WM_MBUTTONDOWN: Press(TMouseButton::Middle, lParam); return 0;
    case WM_XBUTTONDOWN: Press(TMouseButton::Other, lParam); return TRUE;
    case WM_LBUTTONUP: Release(TMouseButton::Left, lParam); return 0;
    case WM_RBUTTONUP: Release(TMouseButton::Right, lParam); return 0;
    case WM_MBUTTONUP: Release(TMouseButton::Middle, lParam); return 0;
    case WM_XBUTTONUP: Release(TMouseButton::Other, lParam); return TRUE;
    case WM_MOUSEMOVE:
        // A button held here that the move no longer reports was released where its button-up went astray.
        for (TMouseButton button : kButtons)
            if ((held_ & Bit(button)) != 0 && (wParam & KeyFlags(button)) == 0)
                Release(button, lParam);
        // As in the Linux shell, moves count while a button pressed here is held.
        if (held_ != 0 && MouseMove)
            MouseMove(PaneCoordinate(GET_X_LPARAM(lParam)), PaneCoordinate(GET_Y_LPARAM(lParam)));
        return 0;
    case WM_CAPTURECHANGED:
        // Capture taken away mid-drag (another window, alt-tab): end the drag as releases would.
        if (reinterpret_cast<HWND>(lParam) != hwnd_)
            ReleaseAll();
        return 0;
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
    EndPaint(hwnd_, &ps);
}

// Screen pixels to pane pixels: floor(x * 96 / dpi), so a pointer left of or above the pane stays negative.
int TImagePane::PaneCoordinate(int client) const
{
    return FloorDiv(static_cast<long long>(client) * USER_DEFAULT_SCREEN_DPI, WindowDpi(hwnd_));
}

void TImagePane::Press(TMouseButton button, LPARAM at)
{
    if (held_ == 0)
        SetCapture(hwnd_);
    held_ |= Bit(button);
    if (MouseDown)
        MouseDown(button, PaneCoordinate(GET_X_LPARAM(at)), PaneCoordinate(GET_Y_LPARAM(at)));
}

// A release whose press went elsewhere (outside every pane) is not this pane's.
void TImagePane::Release(TMouseButton button, LPARAM at)
{
    if ((held_ & Bit(button)) == 0)
        return;
    held_ &= ~Bit(button);
    if (MouseUp)
        MouseUp(button, PaneCoordinate(GET_X_LPARAM(at)), PaneCoordinate(GET_Y_LPARAM(at)));
    if (held_ == 0 && GetCapture() == hwnd_)
        ReleaseCapture();  // its WM_CAPTURECHANGED finds nothing held
}

void TImagePane::ReleaseAll()
{
    POINT at;
    GetCursorPos(&at);
    ScreenToClient(hwnd_, &at);
    const LPARAM where = MAKELPARAM(at.x, at.y);
    for (TMouseButton button : kButtons)
        if ((held_ & Bit(button)) != 0)
            Release(button, where);
}
