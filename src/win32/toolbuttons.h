#pragma once

#include "look.h"
#include "scene/editing.h"
#include "win.h"

#include <array>

// The four tool buttons as owner-drawn buttons showing the input model's tool group: the one down is
// drawn sunken. Owner drawing keeps the captions in the window's colour on its face, which push-like
// buttons would not.
class TToolGroup {
public:
    // Makes the button of `tool` a member; it is up.
    void Add(TTool tool, HWND button);

    // The tool shown down, if any.
    TTool Current() const { return down_; }
    // Shows one tool down and the others up, or, with TTool::None, all up.
    void Set(TTool tool);

    // The tool of a member button; TTool::None for any other window.
    TTool ToolOf(HWND button) const;

    // Paints a member button for a monitor of `dpi`: face, raised or sunken edge, caption, and the focus
    // rectangle unless the system's keyboard cues hide it (ODS_NOFOCUSRECT: a mouse user sees none).
    void Draw(const DRAWITEMSTRUCT& item, const TLook& look, UINT dpi) const;

private:
    std::array<HWND, 5> buttons_{};  // indexed by TTool; None has no button
    TTool down_ = TTool::None;
};
