// Canvas calls with arbitrary coordinates on panes of odd sizes. Every line must paint, inside the
// pane, exactly the pixels of the whole line as a plain stepper walks it; rectangles and ellipses
// must stay inside their box and the pane; no call may step or spend more than the pane allows.

#include "fuzz_input.h"

#include "render/canvas.h"

#include "render/raster.h"
#include "render/wide.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <set>
#include <utility>

namespace {

using TPixel = std::pair<long long, long long>;
using TPixels = std::set<TPixel>;

// A sanity limit on one call's thread CPU time that catches a runaway loop, not slowness: far above a
// sanitized 200 x 200 fill even under qemu-user. Drawing speed is measured in bench/frame_bench.cpp.
inline constexpr double kCallBudgetMs = 2'000;
inline constexpr long long kWalkedWhole = 4096;  // lines up to this many steps are walked step by step
inline constexpr TColor kPaper = RGB(0x10, 0x20, 0x30);
inline constexpr TColor kPen = RGB(250, 10, 60);
inline constexpr TColor kBrush = RGB(20, 240, 90);

constexpr std::pair<int, int> kSizes[] = {{0, 0}, {1, 1}, {3, 200}, {257, 31}, {200, 200}};

long long Coordinate(TFuzzInput& in)
{
    const std::uint8_t mode = in.Byte();
    switch (mode % 8) {
    case 5: return in.Raw<std::int32_t>();
    case 6: return in.Raw<std::int64_t>() >> 24;  // up to 2^40 out, as plan pixels never reach
    case 7: return std::int16_t(in.Raw<std::int16_t>());
    default: return static_cast<long long>(in.Byte()) - 28;  // in and around the panes
    }
}

// Minor-axis offset of step i of `steps` towards `d`: nearest, halves towards the end point.
long long MinorAt(long long i, long long steps, long long d)
{
    using Wide = TUint128;
    const Wide twice = 2 * Wide(i) * std::llabs(d);  // 2 i |d| / steps, rounded half up
    const long long off = static_cast<long long>((twice + steps) / (2 * Wide(steps)));
    return d < 0 ? -off : off;
}

// The pixels of the line (x0, y0) -> (x1, y1) inside a w x h pane, end pixel left out: short lines
// walked whole with an error term, long ones at each major coordinate the pane holds.
TPixels ReferenceLine(long long x0, long long y0, long long x1, long long y1, int w, int h)
{
    TPixels inside;
    const bool xMajor = std::llabs(x1 - x0) >= std::llabs(y1 - y0);
    const long long dm = xMajor ? x1 - x0 : y1 - y0;
    const long long dn = xMajor ? y1 - y0 : x1 - x0;
    const long long steps = std::llabs(dm);
    const long long sm = dm > 0 ? 1 : -1;
    const auto add = [&](long long i, long long n) {
        const long long m = (xMajor ? x0 : y0) + sm * i;
        const TPixel p = xMajor ? TPixel{m, n} : TPixel{n, m};
        if (p.first >= 0 && p.second >= 0 && p.first < w && p.second < h)
            inside.insert(p);
    };
    if (steps <= kWalkedWhole) {
        long long n = xMajor ? y0 : x0;
        long long err = steps;  // twice the distance past the last minor step, plus one half step
        for (long long i = 0; i < steps; ++i) {
            add(i, n);
            err += 2 * std::llabs(dn);
            while (err >= 2 * steps) {
                err -= 2 * steps;
                n += dn > 0 ? 1 : -1;
            }
        }
        return inside;
    }
    const long long span = xMajor ? w : h;
    const long long m0 = xMajor ? x0 : y0;
    for (long long m = 0; m < span; ++m) {
        const long long i = (m - m0) * sm;
        if (i >= 0 && i < steps)
            add(i, (xMajor ? y0 : x0) + MinorAt(i, steps, dn));
    }
    return inside;
}

TPixels Painted(const TPaneImage& image)
{
    TPixels found;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            if (image.At(x, y) != PixelWord(kPaper))
                found.insert({x, y});
    return found;
}

bool InBox(const TPixels& pixels, long long x1, long long y1, long long x2, long long y2)
{
    return std::all_of(pixels.begin(), pixels.end(), [&](const TPixel& p) {
        return p.first >= x1 && p.first < x2 && p.second >= y1 && p.second < y2;
    });
}

// Pixels of lo..hi-1 that lie in 0..span-1.
long long Overlap(long long lo, long long hi, int span)
{
    return std::max(0LL, std::min<long long>(hi, span) - std::max(lo, 0LL));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TFuzzInput in(data, size);
    const auto [w, h] = kSizes[in.Byte() % std::size(kSizes)];
    TPaneImage image(w, h);
    Canvas canvas(image.Raster());
    canvas.SetPenColor(kPen);
    canvas.SetBrushColor(kBrush);
    long long curX = 0, curY = 0;
    while (in.More()) {
        const std::uint8_t op = in.Byte() % 5;
        const long long a = Coordinate(in), b = Coordinate(in);
        const long long c = op >= 2 ? Coordinate(in) : 0, d = op >= 2 ? Coordinate(in) : 0;
        image.Fill(kPaper);
        const double start = ThreadCpuMs();
        switch (op) {
        case 0: canvas.MoveTo(a, b); break;
        case 1: canvas.LineTo(a, b); break;
        case 2: canvas.Rectangle(a, b, c, d); break;
        case 3: canvas.Ellipse(a, b, c, d); break;
        default:
            canvas.SetPixel(int(std::clamp<long long>(a, INT_MIN, INT_MAX)),
                            int(std::clamp<long long>(b, INT_MIN, INT_MAX)), kPen);
            break;
        }
        Check(ThreadCpuMs() - start <= kCallBudgetMs, "a canvas call within its sanity limit");
        const TPixels painted = Painted(image);
        switch (op) {
        case 0:
            Check(painted.empty(), "a move paints nothing");
            curX = a;
            curY = b;
            break;
        case 1:
            Check(painted == ReferenceLine(curX, curY, a, b, w, h), "a line paints the whole line's pixels");
            Check(canvas.LastLineSteps() == static_cast<long long>(painted.size()),
                  "a line steps only where it paints");
            Check(canvas.LastLineSteps() <= std::max(w, h), "a line steps at most across the pane");
            curX = a;
            curY = b;
            break;
        case 2:
            Check(InBox(painted, a, b, c, d), "a rectangle stays in its box");
            Check(static_cast<long long>(painted.size()) == Overlap(a, c, w) * Overlap(b, d, h),
                  "a rectangle covers its box in the pane");
            break;
        case 3: Check(InBox(painted, a, b, c, d), "an ellipse stays in its box"); break;
        default: Check(painted.size() <= 1, "one pixel at most"); break;
        }
    }
    return 0;
}
