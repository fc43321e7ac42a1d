#pragma once

#include "win.h"

// What the window's face, captions and tools are drawn with: the window's own silver and blue, or, while
// the user has high contrast on, the system's button colours, which the edges use too (the panes keep
// the scene's colours either way); and the captions' font.
class TLook {
public:
    TLook() { Refresh(); }
    ~TLook();
    TLook(const TLook&) = delete;
    TLook& operator=(const TLook&) = delete;

    // Reads the high-contrast setting and the system's colours again (after WM_SYSCOLORCHANGE or
    // WM_SETTINGCHANGE).
    void Refresh();
    // Makes the captions' font for a monitor of `dpi`; the previous one is deleted.
    void MakeFont(UINT dpi);

    bool HighContrast() const { return highContrast_; }
    // Window face and tool background.
    HBRUSH Face() const { return face_; }
    COLORREF FaceColour() const { return faceColour_; }
    // Captions, readouts and tool texts.
    COLORREF Text() const { return text_; }
    HFONT Font() const { return font_; }

private:
    bool highContrast_ = false;
    COLORREF faceColour_ = 0;
    COLORREF text_ = 0;
    HBRUSH face_ = nullptr;
    HFONT font_ = nullptr;
};
