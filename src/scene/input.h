#pragma once

// The window's input rules, written once for every shell: which pane holds the pointer, which buttons
// are held, which pointer edits, and the tool group. A shell translates its platform's pointer events
// into TPointerEvent and mirrors Tool() into its buttons; the model calls the plan views' nine handlers.

#include "editing.h"
#include "scene.h"

#include <array>
#include <optional>
#include <utility>

// What sends a pointer event. Touch and pen act as the left button.
enum class TPointerKind { Mouse, Pen, Touch };

// What happened: a button went down or up, the pointer moved, or the platform cancelled the pointer.
enum class TPointerPhase { Down, Move, Up, Cancel };

// The bit of a button in TPointerEvent::buttons.
constexpr unsigned ButtonBit(TMouseButton b) { return 1u << unsigned(b); }

// The pointer in one plan pane's pixels, (0, 0) at its top left, y down; negative left of or above it.
struct TPointerAt {
    int x = 0;
    int y = 0;
};

// One platform pointer event, as neutral as the three platforms allow.
struct TPointerEvent {
    TPointerPhase phase = TPointerPhase::Move;
    int id = 0;  // the platform's pointer id; each finger and pen contact has its own
    TPointerKind kind = TPointerKind::Mouse;
    bool primary = true;                       // the platform's primary pointer of its kind
    TMouseButton button = TMouseButton::Left;  // the button that went down or up
    unsigned buttons = 0;                      // ButtonBit of every button down after the event
    std::optional<TPlanView> over;             // the plan pane under the pointer; none over anything else
    std::array<TPointerAt, 3> at{};            // the pointer in each plan pane's pixels, by TPlanView
};

// The keys a focused plan pane takes: arrows step its keyboard pointer, Return clicks the left button,
// Space holds the left button and Escape the right one while the key is down.
enum class TKey { ArrowLeft, ArrowRight, ArrowUp, ArrowDown, Return, Space, Escape };

// The pixels an arrow steps the keyboard pointer; with Shift, one.
inline constexpr int kKeyStep = 10;
// The keyboard's own pointer id, apart from every platform's.
inline constexpr int kKeyboardPointer = -1;

// The input model of one main window over its scene.
class TInput {
public:
    // Plan panes are width x height pixels (edge scrolling needs their size).
    TInput(TScene& scene, int paneWidth, int paneHeight) : scene_(scene), width_(paneWidth), height_(paneHeight) {}

    // One pointer event. The first button pressed decides who holds the pointer (a plan pane, or nothing
    // when it went down elsewhere) and gets every button's events until all are up; a held button the
    // event no longer reports was released; a pointer other than the one holding is ignored.
    void Pointer(const TPointerEvent& e);

    // The platform took the pointer away (capture lost) or the window was deactivated or hidden: every held
    // button is released, left, right, middle, then others.
    void Cancel();

    // A key went down (`down`) or up while plan pane `view` has the keyboard focus; `fine` with Shift,
    // `repeat` for the platform's auto-repeat. The keyboard is one more pointer: each step is a move, each
    // press and release a button's, by the same rules as the mouse.
    void Key(TPlanView view, TKey key, bool down, bool fine, bool repeat);

    // The focused plan pane lost the keyboard: the buttons its keys hold are released, as their key-ups
    // will go elsewhere.
    void KeysLost();

    // Where pane `view`'s keyboard pointer stands, in its pixels: at first the pane pixel of the world
    // origin, clamped into the pane.
    TPointerAt KeyboardPointer(TPlanView view) const;

    // True once after an edit ended (a release in a plan pane, a keyboard click, a keyboard step while a key
    // holds a button): the moment to tell a screen reader what changed, never once per frame.
    bool TakeEditEnded() { return std::exchange(editEnded_, false); }

    // The plan pane whose keyboard pointer an arrow moved since the last ask, if any (once).
    std::optional<TPlanView> TakeKeyboardStep() { return std::exchange(keyboardStep_, std::nullopt); }

    // True while any button is held: the shell keeps the pointer captured until this turns false.
    bool Holding() const { return held_ != 0; }

    // The tool that is down, if any.
    TTool Tool() const { return tool_; }
    // A click on a tool button: an up tool goes down and raises the others; the down one goes up.
    void ClickTool(TTool tool) { tool_ = tool_ == tool ? TTool::None : tool; }
    // Puts one tool down (raising the others) or, with TTool::None, raises them all.
    void SetTool(TTool tool) { tool_ = tool; }

private:
    // The keyboard's pointer event in pane `view` with the buttons its keys hold.
    TPointerEvent KeyEvent(TPlanView view, TPointerPhase phase, TMouseButton button) const;
    void Press(TMouseButton button, const TPointerEvent& e);
    void Release(TMouseButton button);
    // Calls the holding pane's handler for the phase (Down, Move or Up).
    void Handle(TPointerPhase phase, TMouseButton button, TPointerAt at);
    // Releases every held button that `reported` (ButtonBit flags) does not hold.
    void ReleaseUnreported(unsigned reported);

    void EkranXYMouseDown(TMouseButton button, int x, int y);
    void EkranXYMouseMove(int x, int y);
    void EkranXYMouseUp(TMouseButton button);
    void EkranXZMouseDown(TMouseButton button, int x, int y);
    void EkranXZMouseMove(int x, int y);
    void EkranXZMouseUp(TMouseButton button);
    void EkranYZMouseDown(TMouseButton button, int x, int y);
    void EkranYZMouseMove(int x, int y);
    void EkranYZMouseUp(TMouseButton button);

    TScene& scene_;
    int width_;
    int height_;
    TTool tool_ = TTool::None;
    unsigned held_ = 0;                // ButtonBit of every button held
    std::optional<TPlanView> holder_;  // the pane holding the pointer; none while held off every pane
    int pointer_ = 0;                  // the id of the pointer holding
    TPointerKind pointerKind_ = TPointerKind::Mouse;
    std::array<std::optional<TPointerAt>, 3> keyboard_;  // each plan pane's keyboard pointer, once used
    unsigned keyButtons_ = 0;                            // ButtonBit of the buttons Space and Escape hold
    bool editEnded_ = false;
    std::optional<TPlanView> keyboardStep_;
};
