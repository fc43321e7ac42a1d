#pragma once

#include "scene/types.h"

#include <cstdint>

class QImage;

// Pane coordinates are clamped to this range before any arithmetic, so any int is safe input.
inline constexpr int kCoordLimit = 1 << 29;

// The pane pixel for a pane position: floor, clamped into the safe range (NaN goes to the low end).
int PanePixel(double v);

// Drawing operations on a pane's image, in integer pixels with y down; everything outside is cut off.
// The image must be Format_RGB32 and stay unshared while the canvas draws on it.
class Canvas {
public:
    explicit Canvas(QImage& image);

    int Width() const { return width_; }
    int Height() const { return height_; }

    // Colour of lines and outlines.
    void SetPenColor(TColor c) { pen_ = c; }
    // Colour of fills.
    void SetBrushColor(TColor c) { brush_ = c; }
    TColor PenColor() const { return pen_; }
    TColor BrushColor() const { return brush_; }

    // Sets the current position; draws nothing.
    void MoveTo(int x, int y);
    // One-pixel line from the current position to (x, y), start kept, end pixel left out; (x, y) becomes current.
    void LineTo(int x, int y);
    // Fills x1..x2-1, y1..y2-1 with the brush and outlines that box with the pen.
    void Rectangle(int x1, int y1, int x2, int y2);
    // The ellipse inscribed in the box x1..x2-1, y1..y2-1, filled with the brush, outlined with the pen.
    void Ellipse(int x1, int y1, int x2, int y2);
    // One pixel.
    void SetPixel(int x, int y, TColor c);

    // Pixels the last LineTo stepped through (its visible part only).
    long long LastLineSteps() const { return lastSteps_; }

private:
    void FillSpan(int y, int x1, int x2, TColor c);  // x1..x2-1, clipped
    std::uint32_t* Row(int y) { return pixels_ + y * stride_; }

    QImage& image_;
    int width_ = 0;
    int height_ = 0;
    std::uint32_t* pixels_ = nullptr;  // the image's first scan line, fetched once: the image stays unshared
    long long stride_ = 0;             // pixels from one scan line to the next
    TColor pen_ = kBlack;
    TColor brush_ = kWhite;
    int curX_ = 0;
    int curY_ = 0;
    long long lastSteps_ = 0;
};
