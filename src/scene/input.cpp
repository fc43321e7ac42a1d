#include "input.h"

#include <algorithm>

namespace {

// The order held buttons are let go in when several go at once.
constexpr TMouseButton kReleaseOrder[] = {TMouseButton::Left, TMouseButton::Right, TMouseButton::Middle,
                                          TMouseButton::Other};

// Touch and pen have one button, the left one, whatever the platform numbers their contacts and barrels.
TPointerEvent AsMouse(TPointerEvent e)
{
    if (e.kind == TPointerKind::Mouse)
        return e;
    e.button = TMouseButton::Left;
    e.buttons = e.buttons != 0 ? ButtonBit(TMouseButton::Left) : 0;
    return e;
}

}  // namespace

void TInput::Pointer(const TPointerEvent& event)
{
    const TPointerEvent e = AsMouse(event);
    if (held_ != 0 && e.id != pointer_) {
        // A new primary contact of the holding kind means the old one lifted where its up went astray.
        if (e.phase != TPointerPhase::Down || !e.primary || e.kind != pointerKind_ || e.kind == TPointerKind::Mouse)
            return;
        Cancel();
    }
    if (held_ == 0 && (e.phase != TPointerPhase::Down || !e.primary))
        return;  // hovering changes nothing; a second finger or pen never edits
    const unsigned bit = ButtonBit(e.button);
    switch (e.phase) {
    case TPointerPhase::Down:
        Release(e.button);  // already held: its release went astray
        ReleaseUnreported(e.buttons | bit);
        Press(e.button, e);
        break;
    case TPointerPhase::Move:
        ReleaseUnreported(e.buttons);
        if (holder_)
            Handle(TPointerPhase::Move, e.button, e.at[std::size_t(*holder_)]);
        break;
    case TPointerPhase::Up:
        ReleaseUnreported(e.buttons & ~bit);
        if ((held_ & bit) == 0 && holder_) {
            Handle(TPointerPhase::Up, e.button, {});  // still the holder's, though its press was never seen
            editEnded_ = true;
        }
        Release(e.button);
        break;
    case TPointerPhase::Cancel: Cancel(); break;
    }
}

void TInput::Cancel()
{
    ReleaseUnreported(0);
    keyButtons_ = 0;
}

void TInput::KeysLost()
{
    if (held_ != 0 && pointer_ == kKeyboardPointer)
        ReleaseUnreported(0);
    keyButtons_ = 0;
}

TPointerAt TInput::KeyboardPointer(TPlanView view) const
{
    if (const auto& at = keyboard_[std::size_t(view)])
        return *at;
    const TViewOrigin& o = OriginOf(scene_, view);
    return {std::clamp(int(o.ox), 0, width_ - 1), std::clamp(int(o.oy), 0, height_ - 1)};
}

TPointerEvent TInput::KeyEvent(TPlanView view, TPointerPhase phase, TMouseButton button) const
{
    TPointerEvent e;
    e.phase = phase;
    e.id = kKeyboardPointer;
    e.button = button;
    e.buttons = keyButtons_;
    e.over = view;
    e.at[std::size_t(view)] = KeyboardPointer(view);
    return e;
}

void TInput::Key(TPlanView view, TKey key, bool down, bool fine, bool repeat)
{
    const auto hold = [&](TMouseButton button) {
        if (repeat || down == ((keyButtons_ & ButtonBit(button)) != 0))
            return;  // auto-repeat, or a release whose press went elsewhere
        keyButtons_ ^= ButtonBit(button);
        Pointer(KeyEvent(view, down ? TPointerPhase::Down : TPointerPhase::Up, button));
    };
    switch (key) {
    case TKey::Space: hold(TMouseButton::Left); return;
    case TKey::Escape: hold(TMouseButton::Right); return;
    case TKey::Return:
        if (!down || repeat || keyButtons_ != 0)
            return;
        keyButtons_ = ButtonBit(TMouseButton::Left);
        Pointer(KeyEvent(view, TPointerPhase::Down, TMouseButton::Left));
        keyButtons_ = 0;
        Pointer(KeyEvent(view, TPointerPhase::Up, TMouseButton::Left));
        return;
    default: break;
    }
    if (!down)
        return;
    const int step = fine ? 1 : kKeyStep;
    TPointerAt at = KeyboardPointer(view);
    at.x += key == TKey::ArrowLeft ? -step : key == TKey::ArrowRight ? step : 0;
    at.y += key == TKey::ArrowUp ? -step : key == TKey::ArrowDown ? step : 0;
    keyboard_[std::size_t(view)] = TPointerAt{std::clamp(at.x, 0, width_ - 1), std::clamp(at.y, 0, height_ - 1)};
    Pointer(KeyEvent(view, TPointerPhase::Move, TMouseButton::Left));
    keyboardStep_ = view;
    editEnded_ |= keyButtons_ != 0 && held_ != 0 && holder_;
}

void TInput::Press(TMouseButton button, const TPointerEvent& e)
{
    if (held_ == 0) {
        holder_ = e.over;
        pointer_ = e.id;
        pointerKind_ = e.kind;
    }
    held_ |= ButtonBit(button);
    if (holder_)
        Handle(TPointerPhase::Down, button, e.at[std::size_t(*holder_)]);
}

void TInput::Release(TMouseButton button)
{
    if ((held_ & ButtonBit(button)) == 0)
        return;  // not held here: its press went to no pane of this window
    held_ &= ~ButtonBit(button);
    if (holder_) {
        Handle(TPointerPhase::Up, button, {});
        editEnded_ = true;
    }
    if (held_ == 0)
        holder_.reset();
}

void TInput::Handle(TPointerPhase phase, TMouseButton button, TPointerAt at)
{
    using enum TPointerPhase;
    switch (*holder_) {
    case TPlanView::XY:
        phase == Down   ? EkranXYMouseDown(button, at.x, at.y)
        : phase == Move ? EkranXYMouseMove(at.x, at.y)
                        : EkranXYMouseUp(button);
        break;
    case TPlanView::XZ:
        phase == Down   ? EkranXZMouseDown(button, at.x, at.y)
        : phase == Move ? EkranXZMouseMove(at.x, at.y)
                        : EkranXZMouseUp(button);
        break;
    case TPlanView::YZ:
        phase == Down   ? EkranYZMouseDown(button, at.x, at.y)
        : phase == Move ? EkranYZMouseMove(at.x, at.y)
                        : EkranYZMouseUp(button);
        break;
    }
}

void TInput::ReleaseUnreported(unsigned reported)
{
    for (TMouseButton button : kReleaseOrder)
        if ((reported & ButtonBit(button)) == 0)
            Release(button);
}

void TInput::EkranXYMouseDown(TMouseButton b, int x, int y) { PlanMouseDown(scene_, TPlanView::XY, b, x, y, tool_); }
void TInput::EkranXYMouseMove(int x, int y) { PlanMouseMove(scene_, TPlanView::XY, x, y, width_, height_, tool_); }
void TInput::EkranXYMouseUp(TMouseButton b) { tool_ = PlanMouseUp(scene_, TPlanView::XY, b, tool_); }
void TInput::EkranXZMouseDown(TMouseButton b, int x, int y) { PlanMouseDown(scene_, TPlanView::XZ, b, x, y, tool_); }
void TInput::EkranXZMouseMove(int x, int y) { PlanMouseMove(scene_, TPlanView::XZ, x, y, width_, height_, tool_); }
void TInput::EkranXZMouseUp(TMouseButton b) { tool_ = PlanMouseUp(scene_, TPlanView::XZ, b, tool_); }
void TInput::EkranYZMouseDown(TMouseButton b, int x, int y) { PlanMouseDown(scene_, TPlanView::YZ, b, x, y, tool_); }
void TInput::EkranYZMouseMove(int x, int y) { PlanMouseMove(scene_, TPlanView::YZ, x, y, width_, height_, tool_); }
void TInput::EkranYZMouseUp(TMouseButton b) { tool_ = PlanMouseUp(scene_, TPlanView::YZ, b, tool_); }
