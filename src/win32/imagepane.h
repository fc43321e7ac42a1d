#pragma once

#include "render/raster.h"
#include "scene/editing.h"
#include "win.h"

#include <cstdint>
#include <functional>
#include <vector>

// A fixed-size pane raster shown in a child window, reporting mouse events in pane pixels.
// The raster is a top-down 32-bit DIB section the engine draws into directly; the window shows it
// scaled by whole screen pixels per pane pixel where the scale allows (nearest pixel, never blurred).
// Any button pressed captures the pointer until every button is up, so a drag that leaves the pane
// keeps reporting here, with coordinates outside it.
class TImagePane {
public:
    // Registers the pane window class once per process.
    static void Register(HINSTANCE instance);

    // A width x height white raster in a new child window of `parent` (placed later by the parent).
    TImagePane(HWND parent, int width, int height);
    ~TImagePane();
    TImagePane(const TImagePane&) = delete;
    TImagePane& operator=(const TImagePane&) = delete;

    HWND Handle() const { return hwnd_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // The pane's pixels, for the engine to draw on; call GdiFlush before drawing.
    TRaster Raster() { return {bits_, width_, height_, width_}; }

    // Schedules a repaint when the pixels differ from what the pane last showed; an unchanged frame
    // costs no repaint.
    void ShowChanges();

    std::function<void(TMouseButton, int, int)> MouseDown;
    std::function<void(int, int)> MouseMove;
    std::function<void(TMouseButton, int, int)> MouseUp;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();
    void Press(TMouseButton button, LPARAM at);
    void Release(TMouseButton button, LPARAM at);
    void ReleaseAll();
    int PaneCoordinate(int client) const;

    HWND hwnd_ = nullptr;
    HDC memory_ = nullptr;  // holds the DIB section for blitting
    HBITMAP dib_ = nullptr;
    HGDIOBJ previous_ = nullptr;  // the memory DC's own bitmap, put back before deleting
    std::uint32_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> shown_;  // the words as last scheduled for painting
    unsigned held_ = 0;                 // bit per TMouseButton pressed here and not yet released
};
