#pragma once

#include "render/raster.h"
#include "scene/types.h"

#include <algorithm>
#include <ostream>
#include <set>
#include <utility>

// A pane pixel (x, y).
using TPixel = std::pair<int, int>;
using TPixelSet = std::set<TPixel>;

// A box of pixels: left, top, width, height; empty when either size is 0.
struct TBox {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;

    int right() const { return x + w - 1; }
    bool contains(const TBox& b) const
    {
        return b.w == 0 || (b.x >= x && b.y >= y && b.x + b.w <= x + w && b.y + b.h <= y + h);
    }
    bool operator==(const TBox&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const TBox& b)
{
    return out << "(" << b.x << "," << b.y << " " << b.w << "x" << b.h << ")";
}

// A w x h pane image filled with one colour.
inline TPaneImage FilledImage(int w, int h, TColor c) { return TPaneImage(w, h, c); }

// Pixels of colour c inside the window (x0, y0, w, h) of an image, relative to the window's corner.
inline TPixelSet PixelsOf(const TPaneImage& image, TColor c, int x0, int y0, int w, int h)
{
    TPixelSet found;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (image.At(x0 + x, y0 + y) == PixelWord(c))
                found.insert({x, y});
    return found;
}

// Pixels of colour c in the whole image.
inline TPixelSet PixelsOf(const TPaneImage& image, TColor c)
{
    return PixelsOf(image, c, 0, 0, image.Width(), image.Height());
}

// Pixels of a horizontal, vertical or 45-degree run from (x0, y0) towards (x1, y1), end pixel left out.
inline TPixelSet Segment(int x0, int y0, int x1, int y1)
{
    TPixelSet run;
    const int sx = (x1 > x0) - (x1 < x0);
    const int sy = (y1 > y0) - (y1 < y0);
    for (int x = x0, y = y0; x != x1 || y != y1; x += sx, y += sy)
        run.insert({x, y});
    return run;
}

// Union of pixel sets.
inline TPixelSet operator|(TPixelSet a, const TPixelSet& b)
{
    a.insert(b.begin(), b.end());
    return a;
}

// The smallest box holding every pixel of a (empty for no pixels).
inline TBox Bounds(const TPixelSet& a)
{
    if (a.empty())
        return {};
    int left = a.begin()->first, right = left, top = a.begin()->second, bottom = top;
    for (const TPixel& p : a) {
        left = std::min(left, p.first);
        right = std::max(right, p.first);
        top = std::min(top, p.second);
        bottom = std::max(bottom, p.second);
    }
    return {left, top, right - left + 1, bottom - top + 1};
}

// The pixels of a that lie in a w x h pane.
inline TPixelSet InPane(const TPixelSet& a, int w, int h)
{
    TPixelSet in;
    for (const TPixel& p : a)
        if (p.first >= 0 && p.second >= 0 && p.first < w && p.second < h)
            in.insert(p);
    return in;
}
