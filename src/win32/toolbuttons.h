#pragma once

#include "look.h"
#include "scene/editing.h"
#include "win.h"

#include <array>

// The four tool buttons as one exclusive group of owner-drawn buttons: at most one is down, pressing
// the down one raises it, and putting one down from code raises the others. Owner drawing keeps the
// captions in the window's colour on its face, which push-like buttons would not.
class TToolGroup {
public:
    // Makes the button of `tool` a member; it is up.
    void Add(TTool tool, HWND button);

    // The tool that is down, if any.
    TTool Current() const { return down_; }
    // Puts one tool down (raising the others) or, with TTool::None, raises them all.
    void Set(TTool tool);

    // A click (mouse or Space) on a button; false when the button is none of the group's.
    bool Clicked(HWND button);

    // Paints a member button for a monitor of `dpi`: face, raised or sunken edge, caption, and the focus
    // rectangle unless the system's keyboard cues hide it (ODS_NOFOCUSRECT: a mouse user sees none).
    void Draw(const DRAWITEMSTRUCT& item, const TLook& look, UINT dpi) const;

private:
    TTool ToolOf(HWND button) const;

    std::array<HWND, 5> buttons_{};  // indexed by TTool; None has no button
    TTool down_ = TTool::None;
};
