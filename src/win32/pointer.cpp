#include "pointer.h"

#include <windowsx.h>

namespace {

// Windows marks the mouse messages it makes from pen and touch input in their extra information.
constexpr LPARAM kPenOrTouchMask = 0xFFFFFF00;
constexpr LPARAM kPenOrTouchSignature = 0xFF515700;
constexpr LPARAM kTouchBit = 0x80;

TMouseButton ButtonOf(UINT message)
{
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: return TMouseButton::Left;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: return TMouseButton::Right;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: return TMouseButton::Middle;
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP: return TMouseButton::Other;
    default: return TMouseButton::Left;  // a move changes no button
    }
}

TPointerPhase PhaseOf(UINT message)
{
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN: return TPointerPhase::Down;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_XBUTTONUP: return TPointerPhase::Up;
    default: return TPointerPhase::Move;
    }
}

// The MK_* flags of a mouse message as the input model's button set.
unsigned ButtonsOf(WPARAM wParam)
{
    const WPARAM keys = GET_KEYSTATE_WPARAM(wParam);
    unsigned buttons = 0;
    buttons |= (keys & MK_LBUTTON) != 0 ? ButtonBit(TMouseButton::Left) : 0;
    buttons |= (keys & MK_RBUTTON) != 0 ? ButtonBit(TMouseButton::Right) : 0;
    buttons |= (keys & MK_MBUTTON) != 0 ? ButtonBit(TMouseButton::Middle) : 0;
    buttons |= (keys & (MK_XBUTTON1 | MK_XBUTTON2)) != 0 ? ButtonBit(TMouseButton::Other) : 0;
    return buttons;
}

}  // namespace

bool IsPointerMessage(UINT message)
{
    return message == WM_MOUSEMOVE ||
           (message >= WM_LBUTTONDOWN && message <= WM_MBUTTONUP && message != WM_LBUTTONDBLCLK &&
            message != WM_RBUTTONDBLCLK && message != WM_MBUTTONDBLCLK) ||
           message == WM_XBUTTONDOWN || message == WM_XBUTTONUP;
}

TPointerEvent PointerEvent(HWND from, UINT message, WPARAM wParam, LPARAM lParam,
                           const std::array<const TImagePane*, 3>& planes)
{
    TPointerEvent e;
    e.phase = PhaseOf(message);
    e.button = ButtonOf(message);
    e.buttons = ButtonsOf(wParam);
    if (const LPARAM extra = GetMessageExtraInfo(); (extra & kPenOrTouchMask) == kPenOrTouchSignature)
        e.kind = (extra & kTouchBit) != 0 ? TPointerKind::Touch : TPointerKind::Pen;
    e.id = int(e.kind);  // Windows makes mouse messages from the primary touch or pen contact alone
    POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    MapWindowPoints(from, nullptr, &screen, 1);
    for (std::size_t i = 0; i < planes.size(); ++i) {
        POINT p = screen;
        ScreenToClient(planes[i]->Handle(), &p);
        e.at[i] = {planes[i]->PaneCoordinate(p.x), planes[i]->PaneCoordinate(p.y)};
        if (e.at[i].x >= 0 && e.at[i].x < planes[i]->Width() && e.at[i].y >= 0 && e.at[i].y < planes[i]->Height())
            e.over = TPlanView(i);
    }
    return e;
}
