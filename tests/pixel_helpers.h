#pragma once

#include "scene/types.h"

#include <QImage>
#include <QRect>

#include <set>
#include <utility>

// A pane pixel (x, y).
using TPixel = std::pair<int, int>;
using TPixelSet = std::set<TPixel>;

// The image word a packed colour is stored as: 0xFFRRGGBB.
inline QRgb ToQRgb(TColor c) { return qRgb(int(RedOf(c)), int(GreenOf(c)), int(BlueOf(c))); }

// A w x h pane image filled with one colour.
inline QImage FilledImage(int w, int h, TColor c)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(ToQRgb(c));
    return image;
}

// Pixels of colour c inside the window (x0, y0, w, h) of an image, relative to the window's corner.
inline TPixelSet PixelsOf(const QImage& image, TColor c, int x0, int y0, int w, int h)
{
    TPixelSet found;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (image.pixel(x0 + x, y0 + y) == ToQRgb(c))
                found.insert({x, y});
    return found;
}

// Pixels of colour c in the whole image.
inline TPixelSet PixelsOf(const QImage& image, TColor c)
{
    return PixelsOf(image, c, 0, 0, image.width(), image.height());
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

// The smallest rectangle holding every pixel of a (empty for no pixels).
inline QRect Bounds(const TPixelSet& a)
{
    QRect box;
    for (const TPixel& p : a)
        box |= QRect(p.first, p.second, 1, 1);
    return box;
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
