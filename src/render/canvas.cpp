#include "canvas.h"

#include "wide.h"

#include <algorithm>
#include <cmath>

namespace {

// Wide enough for products of two coordinate differences within kCanvasLimit.
using Wide = TUint128;

long long Clamp(long long v) { return std::clamp(v, -kCanvasLimit, kCanvasLimit); }

// Lines with every coordinate within this range clip in 64-bit arithmetic; 128-bit divisions cost more.
inline constexpr long long kNarrowLine = 1LL << 29;

// ceil(num / den) for num >= 0, den > 0.
template <typename T>
T CeilDiv(T num, T den)
{
    return (num + den - 1) / den;
}

// Narrows the steps lo..hi (0 <= lo) to those whose minor offset floor((2 i adn + steps) / (2 steps))
// lies in a..b (0 <= a <= b) and gives that offset and its remainder at lo; T must hold 4 (b + 1) steps.
template <typename T>
bool ClipMinor(long long steps, long long adn, long long a, long long b, long long& lo, long long& hi,
               long long& offset, long long& rem)
{
    if (lo > hi)
        return false;
    if (adn == 0) {
        if (a > 0)
            return false;
    } else {
        // Both bounds are compared before they narrow to 64 bits: a line that reaches offset a only
        // beyond its last step must not wrap round to an early step.
        if (a > 0) {
            const T first = CeilDiv<T>((2 * T(a) - 1) * steps, 2 * T(adn));
            lo = static_cast<long long>(std::clamp(first, T(lo), T(hi) + 1));
        }
        if (lo > hi)
            return false;
        const T last = CeilDiv<T>((2 * T(b) + 1) * steps, 2 * T(adn)) - 1;
        hi = static_cast<long long>(std::min(last, T(hi)));
    }
    if (lo > hi)
        return false;
    const T num = 2 * T(lo) * adn + steps;
    offset = static_cast<long long>(num / (2 * steps));
    rem = static_cast<long long>(num % (2 * steps));
    return true;
}

// floor(num / 2) and ceil(num / 2) for any sign.
long long FloorHalf(long long num) { return num >= 0 ? num / 2 : -((1 - num) / 2); }
long long CeilHalf(long long num) { return -FloorHalf(-num); }

// Boxes up to this size get their ellipse rows in exact integers; larger ones in doubles.
inline constexpr long long kExactEllipse = 1LL << 30;

// Largest e >= 0 with (e / w)^2 + (d / h)^2 <= 1, for |d| < h: half an ellipse row in half-pixels.
long long HalfRow(long long w, long long h, long long d)
{
    // Doubles only estimate it, the same way on every target (IEEE square root is exact to the bit).
    const double estimate = double(w) * std::sqrt(double(h - d) * double(h + d)) / double(h);
    long long e = static_cast<long long>(std::min(estimate, double(w)));
    if (w > kExactEllipse || h > kExactEllipse)
        return std::clamp(e, 0LL, w);
    // Exact: every factor is below 2^31, so each pair of them fits 64 bits and the whole 128.
    const auto u = [](long long v) { return static_cast<std::uint64_t>(v); };
    const Wide limit = Wide::Product(u(w * w), u((h - d) * (h + d)));
    const auto fits = [&](long long k) { return Wide::Product(u(k * k), u(h * h)) <= limit; };
    while (fits(e + 1))
        ++e;
    while (e > 0 && !fits(e))
        --e;
    return e;
}

}  // namespace

int PanePixel(double v)
{
    if (!(v > -kCoordLimit))
        return -kCoordLimit;
    if (v > kCoordLimit)
        return kCoordLimit;
    return static_cast<int>(std::floor(v));
}

long long PlanPanePixel(double v)
{
    if (!(v > -double(kCanvasLimit)))
        return -kCanvasLimit;
    if (v > double(kCanvasLimit))
        return kCanvasLimit;
    return static_cast<long long>(std::floor(v));
}

void Canvas::MoveTo(long long x, long long y)
{
    curX_ = Clamp(x);
    curY_ = Clamp(y);
}

// Steps along the major axis, one pixel per step; the minor axis rounds to nearest with halves
// going towards the end point. Only the steps whose pixel lies inside the pane are walked, and
// the error term is started exactly at the first of them, so clipping never moves a pixel.
void Canvas::LineTo(long long x, long long y)
{
    x = Clamp(x);
    y = Clamp(y);
    const long long x0 = curX_;
    const long long y0 = curY_;
    curX_ = x;
    curY_ = y;
    lastSteps_ = 0;

    // Every pixel a line steps through lies in the box of its two ends: a box clear of the pane paints nothing.
    const long long width = Width();
    const long long height = Height();
    if (std::max(x0, x) < 0 || std::max(y0, y) < 0 || std::min(x0, x) >= width || std::min(y0, y) >= height)
        return;
    const std::uint32_t colour = PixelWord(pen_, raster_.order);
    // Axis-parallel lines (plan-view footprints, arrows) are runs: the same pixels as the stepper, less the end.
    if (y == y0 && x != x0) {
        const long long first = x > x0 ? std::max(x0, 0LL) : std::max(x + 1, 0LL);
        const long long last = x > x0 ? std::min(x, width) : std::min(x0 + 1, width);
        FillSpan(y0, first, last, pen_);
        Stepped(last - first);
        return;
    }
    if (x == x0 && y != y0) {
        const long long first = y > y0 ? std::max(y0, 0LL) : std::max(y + 1, 0LL);
        const long long last = y > y0 ? std::min(y, height) : std::min(y0 + 1, height);
        for (long long row = first; row < last; ++row)
            Row(row)[x0] = colour;
        Stepped(last - first);
        return;
    }

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
    const long long spanM = xMajor ? width : height;
    const long long spanN = xMajor ? height : width;

    // Steps i whose major coordinate m0 + sm * i lies in 0..spanM-1.
    long long lo = 0;
    long long hi = steps - 1;
    // A line with both ends in the pane walks every step from offset 0, remainder `steps`: no clipping.
    long long offset = 0;
    long long rem = steps;
    const bool inside = std::min({x0, y0, x, y}) >= 0 && std::max(x0, x) < width && std::max(y0, y) < height;
    if (!inside) {
        if (sm > 0) {
            lo = std::max(lo, -m0);
            hi = std::min(hi, spanM - 1 - m0);
        } else {
            lo = std::max(lo, m0 - (spanM - 1));
            hi = std::min(hi, m0);
        }
        // Minor offset t(i) must lie in a..b.
        long long a = sn > 0 ? -n0 : n0 - (spanN - 1);
        long long b = sn > 0 ? spanN - 1 - n0 : n0;
        a = std::max(a, 0LL);
        if (b < a)
            return;
        const bool narrow = std::max({std::abs(x0), std::abs(y0), std::abs(x), std::abs(y)}) <= kNarrowLine;
        if (!(narrow ? ClipMinor<long long>(steps, adn, a, b, lo, hi, offset, rem)
                     : ClipMinor<Wide>(steps, adn, a, b, lo, hi, offset, rem)))
            return;
    }

    // steps and adn are below 2^61, so rem + 2 adn stays below 2^63. The walk goes by word index: a
    // step along the major axis is one word or one row, a minor step the other.
    const long long twoSteps = 2 * steps;
    const long long twoAdn = 2 * adn;
    const long long stride = raster_.stride;
    const long long n = n0 + sn * offset;
    const long long m = m0 + sm * lo;
    long long at = xMajor ? n * stride + m : m * stride + n;
    const long long majorStep = xMajor ? sm : sm * stride;
    const long long minorStep = xMajor ? sn * stride : sn;
    std::uint32_t* const words = raster_.words;
    for (long long i = lo; i <= hi; ++i) {
        words[at] = colour;
        at += majorStep;
        rem += twoAdn;
        if (rem >= twoSteps) {
            rem -= twoSteps;
            at += minorStep;
        }
    }
    Stepped(hi - lo + 1);
}

void Canvas::Stepped(long long steps)
{
    lastSteps_ = std::max(steps, 0LL);
    mostSteps_ = std::max(mostSteps_, lastSteps_);
}

void Canvas::FillSpan(long long y, long long x1, long long x2, TColor c)
{
    if (y < 0 || y >= Height())
        return;
    x1 = std::max(x1, 0LL);
    x2 = std::min(x2, static_cast<long long>(Width()));
    if (x1 >= x2)
        return;
    std::uint32_t* row = Row(y);
    std::fill(row + x1, row + x2, PixelWord(c, raster_.order));
}

void Canvas::Rectangle(long long x1, long long y1, long long x2, long long y2)
{
    // One pixel beyond the pane on each side is as good as any farther edge.
    const long long width = Width();
    const long long height = Height();
    x1 = std::clamp(x1, -1LL, width + 1);
    y1 = std::clamp(y1, -1LL, height + 1);
    x2 = std::clamp(x2, -1LL, width + 1);
    y2 = std::clamp(y2, -1LL, height + 1);
    if (x2 <= x1 || y2 <= y1)
        return;
    const long long top = std::max(y1, 0LL);
    const long long bottom = std::min(y2, height);
    for (long long y = top; y < bottom; ++y)
        FillSpan(y, x1, x2, brush_);
    FillSpan(y1, x1, x2, pen_);
    FillSpan(y2 - 1, x1, x2, pen_);
    // Left and right edges, where their column lies in the pane (the background's never does).
    for (long long x : {x1, x2 - 1})
        if (x >= 0 && x < width)
            for (long long y = top; y < bottom; ++y)
                Row(y)[x] = PixelWord(pen_, raster_.order);
}

void Canvas::Ellipse(long long x1, long long y1, long long x2, long long y2)
{
    x1 = Clamp(x1);
    y1 = Clamp(y1);
    x2 = Clamp(x2);
    y2 = Clamp(y2);
    if (x2 <= 0 || y2 <= 0 || x1 >= Width() || y1 >= Height() || x2 <= x1 || y2 <= y1)
        return;
    const long long w = x2 - x1;
    const long long h = y2 - y1;
    const long long centre = x1 + x2 - 1;  // twice the centre column
    struct TSpan {
        long long l, r;  // inside pixels l..r of a row; empty when l > r
    };
    // Pixel x of row y lies inside when (2x + 1 - x1 - x2, 2y + 1 - y1 - y2) fits the half-size box (w, h).
    const auto span = [&](long long y) -> TSpan {
        if (y < y1 || y >= y2)
            return {1, 0};
        const long long e = HalfRow(w, h, 2 * y + 1 - y1 - y2);
        return {std::max(x1, CeilHalf(centre - e)), std::min(x2 - 1, FloorHalf(centre + e))};
    };
    const long long top = std::max(y1, 0LL);
    const long long bottom = std::min(y2, static_cast<long long>(Height()));
    TSpan above = span(top - 1);
    TSpan row = span(top);
    for (long long y = top; y < bottom; ++y) {
        const TSpan below = span(y + 1);
        if (row.l <= row.r) {
            // Pixels whose row neighbours are both inside, less the row's two ends, take the brush.
            const long long l = std::max({row.l + 1, above.l, below.l});
            const long long r = std::min({row.r - 1, above.r, below.r});
            if (l <= r) {
                FillSpan(y, row.l, l, pen_);
                FillSpan(y, l, r + 1, brush_);
                FillSpan(y, r + 1, row.r + 1, pen_);
            } else {
                FillSpan(y, row.l, row.r + 1, pen_);
            }
        }
        above = row;
        row = below;
    }
}

void Canvas::SetPixel(int x, int y, TColor c)
{
    if (x < 0 || y < 0 || x >= Width() || y >= Height())
        return;
    Row(y)[x] = PixelWord(c, raster_.order);
}
