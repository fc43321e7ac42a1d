#include "canvas.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

std::uint32_t ToArgb(TColor c) { return 0xFF000000u | (RedOf(c) << 16) | (GreenOf(c) << 8) | BlueOf(c); }

QColor ToQColor(TColor c) { return QColor(int(RedOf(c)), int(GreenOf(c)), int(BlueOf(c))); }

int Clamp(int v) { return std::clamp(v, -kCoordLimit, kCoordLimit); }

// ceil(num / den) for num >= 0, den > 0.
long long CeilDiv(long long num, long long den) { return (num + den - 1) / den; }

}  // namespace

int PanePixel(double v)
{
    if (!(v > -kCoordLimit))
        return -kCoordLimit;
    if (v > kCoordLimit)
        return kCoordLimit;
    return static_cast<int>(std::floor(v));
}

Canvas::Canvas(QImage& image)
    : image_(image),
      width_(image.width()),
      height_(image.height()),
      pixels_(reinterpret_cast<std::uint32_t*>(image.bits())),
      stride_(image.bytesPerLine() / 4)
{}

void Canvas::MoveTo(int x, int y)
{
    curX_ = Clamp(x);
    curY_ = Clamp(y);
}

// Steps along the major axis, one pixel per step; the minor axis rounds to nearest with halves
// going towards the end point. Only the steps whose pixel lies inside the pane are walked, and
// the error term is started exactly at the first of them, so clipping never moves a pixel.
void Canvas::LineTo(int x, int y)
{
    x = Clamp(x);
    y = Clamp(y);
    const int x0 = curX_;
    const int y0 = curY_;
    curX_ = x;
    curY_ = y;
    lastSteps_ = 0;

    const bool xMajor = std::abs(x - x0) >= std::abs(y - y0);
    const long long m0 = xMajor ? x0 : y0;
    const long long n0 = xMajor ? y0 : x0;
    const long long dm = (xMajor ? x : y) - m0;
    const long long dn = (xMajor ? y : x) - n0;
    const long long steps = std::abs(dm);  // the end pixel is left out
    if (steps == 0)
        return;
    const long long adn = std::abs(dn);
    const int sm = dm > 0 ? 1 : -1;
    const int sn = dn > 0 ? 1 : -1;
    const long long spanM = xMajor ? width_ : height_;
    const long long spanN = xMajor ? height_ : width_;

    // Steps i whose major coordinate m0 + sm * i lies in 0..spanM-1.
    long long lo = 0;
    long long hi = steps - 1;
    if (sm > 0) {
        lo = std::max(lo, -m0);
        hi = std::min(hi, spanM - 1 - m0);
    } else {
        lo = std::max(lo, m0 - (spanM - 1));
        hi = std::min(hi, m0);
    }
    // Minor offset t(i) = floor((2 i adn + steps) / (2 steps)) must lie in a..b.
    long long a = sn > 0 ? -n0 : n0 - (spanN - 1);
    long long b = sn > 0 ? spanN - 1 - n0 : n0;
    a = std::max(a, 0LL);
    if (b < a)
        return;
    if (adn == 0) {
        if (a > 0)
            return;
    } else {
        if (a > 0)
            lo = std::max(lo, CeilDiv((2 * a - 1) * steps, 2 * adn));
        hi = std::min(hi, CeilDiv((2 * b + 1) * steps, 2 * adn) - 1);
    }
    if (lo > hi)
        return;

    const long long twoSteps = 2 * steps;
    const long long num = 2 * lo * adn + steps;
    long long rem = num % twoSteps;
    long long n = n0 + sn * (num / twoSteps);
    long long m = m0 + sm * lo;
    const std::uint32_t colour = ToArgb(pen_);
    for (long long i = lo; i <= hi; ++i) {
        if (xMajor)
            pixels_[n * stride_ + m] = colour;
        else
            pixels_[m * stride_ + n] = colour;
        m += sm;
        rem += 2 * adn;
        if (rem >= twoSteps) {
            rem -= twoSteps;
            n += sn;
        }
    }
    lastSteps_ = hi - lo + 1;
}

void Canvas::FillSpan(int y, int x1, int x2, TColor c)
{
    if (y < 0 || y >= height_)
        return;
    x1 = std::max(x1, 0);
    x2 = std::min(x2, width_);
    if (x1 >= x2)
        return;
    std::uint32_t* row = Row(y);
    std::fill(row + x1, row + x2, ToArgb(c));
}

void Canvas::Rectangle(int x1, int y1, int x2, int y2)
{
    x1 = Clamp(x1);
    y1 = Clamp(y1);
    x2 = Clamp(x2);
    y2 = Clamp(y2);
    if (x2 <= x1 || y2 <= y1)
        return;
    const int top = std::max(y1, 0);
    const int bottom = std::min(y2, height_);
    // A box over the whole pane (the background) is one image fill, which Qt does with wide stores.
    if (x1 <= 0 && y1 <= 0 && x2 >= width_ && y2 >= height_)
        image_.fill(ToArgb(brush_));
    else
        for (int y = top; y < bottom; ++y)
            FillSpan(y, x1, x2, brush_);
    FillSpan(y1, x1, x2, pen_);
    FillSpan(y2 - 1, x1, x2, pen_);
    // Left and right edges, where their column lies in the pane (the background's never does).
    for (int x : {x1, x2 - 1})
        if (x >= 0 && x < width_)
            for (int y = top; y < bottom; ++y)
                Row(y)[x] = ToArgb(pen_);
}

void Canvas::Ellipse(int x1, int y1, int x2, int y2)
{
    x1 = Clamp(x1);
    y1 = Clamp(y1);
    x2 = Clamp(x2);
    y2 = Clamp(y2);
    // A box wholly outside the pane draws nothing; this also keeps QPainter off huge boxes.
    if (x2 <= 0 || y2 <= 0 || x1 >= width_ || y1 >= height_ || x2 <= x1 || y2 <= y1)
        return;
    QPainter painter(&image_);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(ToQColor(pen_));
    painter.setBrush(ToQColor(brush_));
    painter.drawEllipse(x1, y1, x2 - x1 - 1, y2 - y1 - 1);
}

void Canvas::SetPixel(int x, int y, TColor c)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    Row(y)[x] = ToArgb(c);
}
