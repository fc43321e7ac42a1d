#pragma once

#include "render/raster.h"
#include "scene/editing.h"
#include "win.h"

#include <cstdint>
#include <functional>

// A fixed-size pane raster shown in a child window, passing its mouse messages on to the main window.
// The raster is a top-down 32-bit DIB section the engine draws into directly; the window shows it
// scaled by whole screen pixels per pane pixel where the scale allows (nearest pixel, never blurred).
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

    // Schedules a repaint of the whole pane.
    void Repaint() { InvalidateRect(hwnd_, nullptr, FALSE); }
    // Screen pixels to pane pixels: floor(x * 96 / dpi), so a pointer left of or above the pane stays negative.
    int PaneCoordinate(int client) const;

    // Gets the pane's mouse button and move messages, and WM_CAPTURECHANGED, as the pane got them.
    std::function<void(HWND, UINT, WPARAM, LPARAM)> Mouse;
    // Gets the pane's WM_KEYDOWN and WM_KEYUP, and WM_KILLFOCUS when it loses the keyboard.
    std::function<void(UINT, WPARAM, LPARAM)> Key;

    // Where the keyboard pointer stands, in pane pixels; shown while the pane has the keyboard after
    // keyboard use, inverted over the image (never in the raster).
    void SetKeyboardPointer(POINT at);
    // The keyboard was (true) or the mouse was (false) used last: the pointer shows only after keys.
    void KeyboardUsed(bool used);
    bool ShowsKeyboardPointer() const { return keyboardUsed_ && GetFocus() == hwnd_; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();

    HWND hwnd_ = nullptr;
    HDC memory_ = nullptr;  // holds the DIB section for blitting
    HBITMAP dib_ = nullptr;
    HGDIOBJ previous_ = nullptr;  // the memory DC's own bitmap, put back before deleting
    std::uint32_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    POINT keyboardPointer_{};
    bool keyboardUsed_ = false;
};
