// The main window's input: mouse messages and keys for the engine's input model, and what it leaves
// to show (the tool that is down, each plan pane's keyboard pointer).
#include "birim1.h"
#include "pointer.h"
#include "wintext.h"

void TForm1::Pointer(HWND from, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CAPTURECHANGED) {
        if (reinterpret_cast<HWND>(lParam) != from)
            CancelPointer();
        return;
    }
    const TPointerEvent e = PointerEvent(from, message, wParam, lParam, {EkranXY, EkranXZ, EkranYZ});
    if (e.phase == TPointerPhase::Down)
        for (TImagePane* pane : {EkranXY, EkranXZ, EkranYZ})
            pane->KeyboardUsed(false);
    input_.Pointer(e);
    if (input_.Holding() && GetCapture() != from)
        SetCapture(from);
    else if (!input_.Holding() && GetCapture() == from)
        ReleaseCapture();  // its WM_CAPTURECHANGED finds nothing held
    Mirror();
}

void TForm1::CancelPointer()
{
    input_.Cancel();
    Mirror();
}

void TForm1::Key(TPlanView view, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KILLFOCUS) {
        input_.KeysLost();
        Mirror();
        return;
    }
    TKey key;
    switch (wParam) {
    case VK_LEFT: key = TKey::ArrowLeft; break;
    case VK_RIGHT: key = TKey::ArrowRight; break;
    case VK_UP: key = TKey::ArrowUp; break;
    case VK_DOWN: key = TKey::ArrowDown; break;
    case VK_RETURN: key = TKey::Return; break;
    case VK_SPACE: key = TKey::Space; break;
    case VK_ESCAPE: key = TKey::Escape; break;
    default: return;
    }
    panes_[std::size_t(view)]->KeyboardUsed(true);
    const bool down = message == WM_KEYDOWN;
    constexpr LPARAM kWasDown = LPARAM(1) << 30;  // the key was down before: the keyboard's auto-repeat
    input_.Key(view, key, down, GetKeyState(VK_SHIFT) < 0, down && (lParam & kWasDown) != 0);
    Mirror();
}

void TForm1::Mirror()
{
    if (const std::string said = announcer_.AfterInput(input_, *scene_, tick_.DecimalPoint()); !said.empty())
        TAccessibility::Announce(hwnd_, said);
    tools_.Set(input_.Tool());
    for (TPlanView view : {TPlanView::XY, TPlanView::XZ, TPlanView::YZ}) {
        const TPointerAt at = input_.KeyboardPointer(view);
        panes_[std::size_t(view)]->SetKeyboardPointer({at.x, at.y});
    }
}
