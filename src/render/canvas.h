#pragma once

// Canvas: the pane drawing operations (lines, rectangles, ellipses, pixels) over one pane raster, in
// integer pixels and clipped at the pane's edge, with the clamps that make any coordinate safe input.

#include "raster.h"
#include "scene/types.h"

#include <cstdint>

// Pointer and 3D-view positions are clamped to this range when they become ints: far beyond any
// screen, and the 3D position of any finite point lies within two pane sizes of the pane's centre.
inline constexpr int kCoordLimit = 1 << 29;

// Canvas coordinates are exact within this range and clamped beyond it, so any value is safe input.
// Plan-view pixels (origin within 1e9 plus world coordinates snapped from int pointers) stay below 2^33.
inline constexpr long long kCanvasLimit = 1LL << 60;

// The pane pixel for a pointer or 3D-view position: floor, clamped to kCoordLimit (NaN goes to the low end).
int PanePixel(double v);

// The pane pixel for a plan-view position: floor, clamped to kCanvasLimit (NaN goes to the low end).
long long PlanPanePixel(double v);

// Drawing operations on a pane's raster, in integer pixels with y down; everything outside is cut off.
// The raster's words must stay where they are while the canvas draws on them.
class Canvas {
public:
    explicit Canvas(TRaster raster) : raster_(raster) {}

    int Width() const { return raster_.width; }
    int Height() const { return raster_.height; }

    // Colour of lines and outlines.
    void SetPenColor(TColor c) { pen_ = c; }
    // Colour of fills.
    void SetBrushColor(TColor c) { brush_ = c; }
    TColor PenColor() const { return pen_; }
    TColor BrushColor() const { return brush_; }

    // Sets the current position; draws nothing.
    void MoveTo(long long x, long long y);
    // One-pixel line from the current position to (x, y), start kept, end pixel left out; (x, y) becomes current.
    // Only the steps inside the pane are walked, and each paints the pixel the whole line paints there.
    void LineTo(long long x, long long y);
    // Fills x1..x2-1, y1..y2-1 with the brush and outlines that box with the pen.
    void Rectangle(long long x1, long long y1, long long x2, long long y2);
    // The ellipse inscribed in the box x1..x2-1, y1..y2-1: pixels whose centres lie inside it are painted,
    // those with an outside 4-neighbour in the pen, the rest in the brush; cost per visible row.
    void Ellipse(long long x1, long long y1, long long x2, long long y2);
    // One pixel.
    void SetPixel(int x, int y, TColor c);

    // Pixels the last LineTo stepped through (its visible part only).
    long long LastLineSteps() const { return lastSteps_; }
    // The most pixels any one LineTo of this canvas stepped through.
    long long MostLineSteps() const { return mostSteps_; }

private:
    void FillSpan(long long y, long long x1, long long x2, TColor c);  // x1..x2-1, clipped
    void Stepped(long long steps);  // records the visible steps of the line just drawn
    std::uint32_t* Row(long long y) { return raster_.words + y * raster_.stride; }

    TRaster raster_;
    TColor pen_ = kBlack;
    TColor brush_ = kWhite;
    long long curX_ = 0;
    long long curY_ = 0;
    long long lastSteps_ = 0;
    long long mostSteps_ = 0;
};
