#include "render/canvas.h"
#include "render/wide.h"

#include "pixel_helpers.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>

namespace {

constexpr TColor kPaper = RGB(10, 20, 30);
constexpr TColor kPen = RGB(200, 0, 100);
constexpr TColor kBrush = RGB(0, 150, 0);
constexpr int kPane = 200;

// Pixels painted by one polyline through the points, on a fresh 40 x 40 pane.
TPixelSet Polyline(std::initializer_list<TPixel> points)
{
    TPaneImage image = FilledImage(40, 40, kPaper);
    Canvas c(image.Raster());
    c.SetPenColor(kPen);
    c.MoveTo(points.begin()->first, points.begin()->second);
    for (auto p = points.begin() + 1; p != points.end(); ++p)
        c.LineTo(p->first, p->second);
    return PixelsOf(image, kPen);
}

// Draws one line on `pane` (cleared first) and the same line shifted by `shift` on `big`, whose
// window at `shift` is cleared first; true when the window matches the pane pixel for pixel.
bool ClippedMatchesReference(TPaneImage& pane, TPaneImage& big, int shift, TPixel a, TPixel b, TPixel ra, TPixel rb,
                             long long& steps)
{
    pane.Fill(kPaper);
    for (int y = 0; y < pane.Height(); ++y)
        for (int x = 0; x < pane.Width(); ++x)
            big.Set(shift + x, shift + y, kPaper);
    Canvas clipped(pane.Raster());
    clipped.SetPenColor(kPen);
    clipped.MoveTo(a.first, a.second);
    clipped.LineTo(b.first, b.second);
    steps = clipped.LastLineSteps();
    Canvas whole(big.Raster());
    whole.SetPenColor(kPen);
    whole.MoveTo(ra.first + shift, ra.second + shift);
    whole.LineTo(rb.first + shift, rb.second + shift);
    return pane == big.Copy(shift, shift, pane.Width(), pane.Height());
}

}  // namespace

TEST(Canvas, LineToEightDirectionsKeepsStartDropsEnd)
{
    const struct {
        int dx, dy;
    } dirs[] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
    for (const auto& d : dirs) {
        const TPixelSet expected = {{20, 20}, {20 + d.dx, 20 + d.dy}, {20 + 2 * d.dx, 20 + 2 * d.dy}};
        EXPECT_EQ(Polyline({{20, 20}, {20 + 3 * d.dx, 20 + 3 * d.dy}}), expected) << d.dx << "," << d.dy;
    }
}

TEST(Canvas, LineToSlopesAndTies)
{
    const struct {
        TPixel from, to;
        TPixelSet pixels;
    } cases[] = {
        {{0, 0}, {5, 2}, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}},
        {{0, 0}, {2, 5}, {{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}}},
        {{10, 10}, {4, 12}, {{10, 10}, {9, 10}, {8, 11}, {7, 11}, {6, 11}, {5, 12}}},
        {{0, 0}, {7, 1}, {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 1}, {5, 1}, {6, 1}}},
        // Exact halves round towards the end point, so a line and its reverse differ.
        {{0, 0}, {4, 2}, {{0, 0}, {1, 1}, {2, 1}, {3, 2}}},
        {{4, 2}, {0, 0}, {{4, 2}, {3, 1}, {2, 1}, {1, 0}}},
        {{0, 0}, {2, 4}, {{0, 0}, {1, 1}, {1, 2}, {2, 3}}},
        {{2, 4}, {0, 0}, {{2, 4}, {1, 3}, {1, 2}, {0, 1}}},
        {{10, 0}, {6, 2}, {{10, 0}, {9, 1}, {8, 1}, {7, 2}}},
        {{0, 10}, {2, 6}, {{0, 10}, {1, 9}, {1, 8}, {2, 7}}},
        {{0, 0}, {6, 1}, {{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1}, {5, 1}}},
        {{6, 1}, {0, 0}, {{6, 1}, {5, 1}, {4, 1}, {3, 0}, {2, 0}, {1, 0}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Polyline({c.from, c.to}), c.pixels)
            << c.from.first << "," << c.from.second << " -> " << c.to.first << "," << c.to.second;
}

TEST(Canvas, ZeroLengthPaintsNothing)
{
    EXPECT_TRUE(Polyline({{5, 5}, {5, 5}}).empty());
    EXPECT_EQ(Polyline({{5, 5}, {5, 5}, {7, 5}}), (TPixelSet{{5, 5}, {6, 5}}));
}

TEST(Canvas, ClosedOutlineCoversEveryCorner)
{
    // Axis-aligned box 2..8 x 3..6 and a diamond.
    EXPECT_EQ(Polyline({{2, 3}, {8, 3}, {8, 6}, {2, 6}, {2, 3}}),
              Segment(2, 3, 8, 3) | Segment(8, 3, 8, 6) | Segment(8, 6, 2, 6) | Segment(2, 6, 2, 3));
    const TPixelSet diamond = Polyline({{10, 2}, {14, 6}, {10, 10}, {6, 6}, {10, 2}});
    EXPECT_EQ(diamond.size(), 16u);
    for (TPixel corner : {TPixel{10, 2}, TPixel{14, 6}, TPixel{10, 10}, TPixel{6, 6}})
        EXPECT_TRUE(diamond.count(corner)) << corner.first << "," << corner.second;
}

TEST(Canvas, RectangleFillsWithBrushOutlinesWithPen)
{
    TPaneImage image = FilledImage(20, 20, kPaper);
    Canvas c(image.Raster());
    c.SetPenColor(kPen);
    c.SetBrushColor(kBrush);
    c.Rectangle(2, 3, 7, 9);  // covers x 2..6, y 3..8
    EXPECT_EQ(PixelsOf(image, kPen),
              Segment(2, 3, 6, 3) | Segment(6, 3, 6, 8) | Segment(6, 8, 2, 8) | Segment(2, 8, 2, 3));
    TPixelSet inside;
    for (int y = 4; y < 8; ++y)
        for (int x = 3; x < 6; ++x)
            inside.insert({x, y});
    EXPECT_EQ(PixelsOf(image, kBrush), inside);

    // A box one pixel beyond every edge fills the whole pane and its outline falls outside.
    c.Rectangle(-1, -1, 21, 21);
    EXPECT_EQ(PixelsOf(image, kBrush).size(), 400u);
}

TEST(Canvas, SetPixelIsOnePixelAndClipped)
{
    TPaneImage image = FilledImage(10, 8, kPaper);
    Canvas c(image.Raster());
    const TPixel outside[] = {{-1, 0}, {10, 0}, {0, -1}, {0, 8}, {INT_MIN, INT_MIN}, {INT_MAX, 3}};
    for (TPixel p : outside)
        c.SetPixel(p.first, p.second, kPen);
    EXPECT_TRUE(PixelsOf(image, kPen).empty());
    c.SetPixel(9, 7, kPen);
    c.SetPixel(0, 0, kPen);
    EXPECT_EQ(PixelsOf(image, kPen), (TPixelSet{{0, 0}, {9, 7}}));
}

TEST(Canvas, EllipseFootprintIsItsBoxLessTheFarEdges)
{
    TPaneImage image = FilledImage(30, 30, kPaper);
    Canvas c(image.Raster());
    c.SetPenColor(kPen);
    c.SetBrushColor(kBrush);
    c.Ellipse(10 - 3, 20 - 3, 10 + 3, 20 + 3);
    EXPECT_EQ(Bounds(PixelsOf(image, kPen) | PixelsOf(image, kBrush)), (TBox{7, 17, 6, 6}));
    EXPECT_EQ(image.At(10, 20), PixelWord(kBrush));
    EXPECT_EQ(image.At(7, 20), PixelWord(kPen));
    EXPECT_EQ(image.At(7, 17), PixelWord(kPaper));  // the corner of the box stays clear

    // Boxes partly or wholly off the pane, even absurdly far, are clipped without harm.
    TPaneImage small = FilledImage(30, 30, kPaper);
    Canvas s(small.Raster());
    s.SetPenColor(kPen);
    s.Ellipse(-3, -3, 3, 3);
    s.Ellipse(INT_MIN, INT_MIN, INT_MIN + 6, INT_MIN + 6);
    s.Ellipse(INT_MAX - 6, 0, INT_MAX, 6);
    EXPECT_TRUE((TBox{0, 0, 3, 3}).contains(Bounds(PixelsOf(small, kPen) | PixelsOf(small, kWhite))));
}

// The camera mark, a 6 x 6 ellipse, pixel for pixel as the window has always shown it, whole and
// cut by every edge: 'o' pen, '#' brush, '.' untouched, rows of the box from its top left.
TEST(Canvas, CameraMarkPixels)
{
    const struct {
        TPixel centre;
        const char* rows[6];
    } cases[] = {
        {{100, 100}, {".oooo.", "o####o", "o####o", "o####o", "o####o", ".oooo."}},
        {{0, 0}, {"......", "......", "......", "...##o", "...##o", "...oo."}},
        {{1, 1}, {"......", "......", "..###o", "..###o", "..###o", "..ooo."}},
        {{2, 100}, {".oooo.", ".####o", ".####o", ".####o", ".####o", ".oooo."}},
        {{100, 2}, {"......", "o####o", "o####o", "o####o", "o####o", ".oooo."}},
        {{-2, -2}, {"......", "......", "......", "......", "......", "......"}},
        {{199, 199}, {".ooo..", "o###..", "o###..", "o###..", "......", "......"}},
        {{198, 100}, {".oooo.", "o####.", "o####.", "o####.", "o####.", ".oooo."}},
        {{201, 100}, {".o....", "o#....", "o#....", "o#....", "o#....", ".o...."}},
        {{100, 202}, {".oooo.", "......", "......", "......", "......", "......"}},
    };
    for (const auto& c : cases) {
        TPaneImage image = FilledImage(kPane, kPane, kPaper);
        Canvas canvas(image.Raster());
        canvas.SetPenColor(RGB(120, 120, 255));
        canvas.SetBrushColor(kBrush);
        const auto [cx, cy] = c.centre;
        canvas.Ellipse(cx - 3, cy - 3, cx + 3, cy + 3);
        TPixelSet pen, brush;
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 6; ++x) {
                const TPixel p{cx - 3 + x, cy - 3 + y};
                if (p.first < 0 || p.second < 0 || p.first >= kPane || p.second >= kPane)
                    continue;
                if (c.rows[y][x] == 'o')
                    pen.insert(p);
                if (c.rows[y][x] == '#')
                    brush.insert(p);
            }
        EXPECT_EQ(PixelsOf(image, RGB(120, 120, 255)), pen) << cx << "," << cy;
        EXPECT_EQ(PixelsOf(image, kBrush), brush) << cx << "," << cy;
    }
}

// Every ellipse paints only inside its box and the pane, and a pane shows exactly its window of
// the same ellipse drawn whole on a big image, for every small box size and edge-cutting offset.
TEST(Canvas, EllipseStaysInItsBoxAndClipsExactly)
{
    constexpr int kSmall = 30;
    constexpr int kShift = 40;
    TPaneImage pane = FilledImage(kSmall, kSmall, kPaper);
    TPaneImage big = FilledImage(kSmall + 2 * kShift, kSmall + 2 * kShift, kPaper);
    for (int w = 1; w <= 36; ++w)
        for (int h = 1; h <= 36; h += 5)
            for (int at : {-w + 1, -w / 2, 0, 3, kSmall - w / 2, kSmall - 1}) {
                pane.Fill(kPaper);
                big.Fill(kPaper);
                Canvas clipped(pane.Raster());
                clipped.SetPenColor(kPen);
                clipped.SetBrushColor(kBrush);
                clipped.Ellipse(at, at / 2, at + w, at / 2 + h);
                Canvas whole(big.Raster());
                whole.SetPenColor(kPen);
                whole.SetBrushColor(kBrush);
                whole.Ellipse(kShift + at, kShift + at / 2, kShift + at + w, kShift + at / 2 + h);
                const TBox box{kShift + at, kShift + at / 2, w, h};
                ASSERT_TRUE(box.contains(Bounds(PixelsOf(big, kPen) | PixelsOf(big, kBrush)))) << w << "x" << h;
                ASSERT_EQ(pane.Copy(0, 0, kSmall, kSmall), big.Copy(kShift, kShift, kSmall, kSmall))
                    << w << "x" << h << " at " << at;
            }
    // Boxes Qt's own ellipse spilled out of, and one a hundred thousand panes wide.
    const struct {
        long long x1, y1, x2, y2;
        TBox inPane;  // the box's part inside a 200 x 200 pane
    } far[] = {
        {-2, -2, 199, 30, TBox{0, 0, 199, 30}},
        {198, 0, 32767, 198, TBox{198, 0, 2, 198}},
        {-4194300, 0, 4194300, 200, TBox{0, 0, kPane, kPane}},
        {-(1LL << 62), -(1LL << 62), 1LL << 62, 1LL << 62, TBox{0, 0, kPane, kPane}},
    };
    for (const auto& c : far) {
        TPaneImage image = FilledImage(kPane, kPane, kPaper);
        Canvas canvas(image.Raster());
        canvas.SetPenColor(kPen);
        canvas.SetBrushColor(kBrush);
        canvas.Ellipse(c.x1, c.y1, c.x2, c.y2);
        const TPixelSet painted = PixelsOf(image, kPen) | PixelsOf(image, kBrush);
        EXPECT_TRUE(c.inPane.contains(Bounds(painted))) << c.x1 << "," << c.y1;
        EXPECT_FALSE(painted.empty()) << c.x1 << "," << c.y1;
    }
}

TEST(Canvas, PanePixelFloorsAndClamps)
{
    const struct {
        double v;
        int pixel;
    } cases[] = {
        {2.999, 2},
        {-0.5, -1},
        {-100.0000017, -101},
        {200.0000008, 200},
        {0, 0},
        {1e300, kCoordLimit},
        {-1e18, -kCoordLimit},
        {std::numeric_limits<double>::infinity(), kCoordLimit},
        {-std::numeric_limits<double>::infinity(), -kCoordLimit},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PanePixel(c.v), c.pixel) << c.v;
    const int nan = PanePixel(std::numeric_limits<double>::quiet_NaN());
    EXPECT_TRUE(nan == kCoordLimit || nan == -kCoordLimit);
}

TEST(Canvas, ClippedLinesMatchUnclippedReference)
{
    // Random lines around panes of several shapes, drawn clipped and on an image big enough to
    // hold them whole; the pane must show exactly the window of the whole line.
    std::mt19937 rng(20240611);
    const TPixel panes[] = {{kPane, kPane}, {64, 48}, {48, 64}, {1, 1}, {7, 1}};
    for (TPixel size : panes) {
        const int span = std::max(size.first, size.second);
        const int shift = 3 * span;
        TPaneImage pane = FilledImage(size.first, size.second, kPaper);
        TPaneImage big = FilledImage(7 * span + 1, 7 * span + 1, kPaper);
        std::uniform_int_distribution<int> coord(-3 * span, 4 * span);
        for (int n = 0; n < 400; ++n) {
            const TPixel a{coord(rng), coord(rng)};
            const TPixel b{coord(rng), coord(rng)};
            long long steps = 0;
            ASSERT_TRUE(ClippedMatchesReference(pane, big, shift, a, b, a, b, steps))
                << size.first << "x" << size.second << ": " << a.first << "," << a.second << " -> " << b.first << ","
                << b.second;
            EXPECT_LE(steps, static_cast<long long>(PixelsOf(pane, kPen).size()));
        }
    }
}

// The stepping rule written out: step i of a line paints major m0 + sm i, minor n0 + sn floor((2 i |dn| +
// steps) / (2 steps)), where that pixel lies in the w x h pane.
TPixelSet SteppedPixels(TPixel a, TPixel b, int w, int h)
{
    const bool xMajor = std::abs(b.first - a.first) >= std::abs(b.second - a.second);
    const long long m0 = xMajor ? a.first : a.second, n0 = xMajor ? a.second : a.first;
    const long long dm = (xMajor ? b.first : b.second) - m0, dn = (xMajor ? b.second : b.first) - n0;
    const long long steps = std::abs(dm);
    TPixelSet pixels;
    for (long long i = 0; i < steps; ++i) {
        const long long m = m0 + (dm > 0 ? i : -i);
        const long long t = (2 * i * std::abs(dn) + steps) / (2 * steps);
        const long long n = n0 + (dn > 0 ? t : -t);
        const long long x = xMajor ? m : n, y = xMajor ? n : m;
        if (x >= 0 && y >= 0 && x < w && y < h)
            pixels.insert({int(x), int(y)});
    }
    return pixels;
}

TEST(Canvas, LinesFollowTheSteppingRule)
{
    // Axis-parallel runs, 45-degree and other slopes; each wholly inside, wholly outside or across the
    // edges of the pane. Every one paints the rule's pixels, and counts them as its steps.
    std::mt19937 rng(22);
    constexpr int kW = 48, kH = 32;
    std::uniform_int_distribution<int> inside(0, kW - 1), anywhere(-2 * kW, 3 * kW), len(-70, 70);
    const struct {
        const char* kind;
        int dx, dy;  // 0 or 1: a random length along that axis, else none; 2: the same as dx
    } shapes[] = {{"horizontal", 1, 0}, {"vertical", 0, 1}, {"diagonal", 1, 2}, {"slope", 1, 1}};
    TPaneImage image = FilledImage(kW, kH, kPaper);
    for (const auto& shape : shapes)
        for (const bool fromInside : {true, false})
            for (int n = 0; n < 300; ++n) {
                const TPixel a =
                    fromInside ? TPixel{inside(rng), inside(rng) % kH} : TPixel{anywhere(rng), anywhere(rng)};
                const int dx = shape.dx == 1 ? len(rng) : 0;
                const int dy = shape.dy == 2 ? dx * (rng() % 2 == 0 ? 1 : -1) : shape.dy == 1 ? len(rng) : 0;
                const TPixel b{a.first + dx, a.second + dy};
                image.Fill(kPaper);
                Canvas c(image.Raster());
                c.SetPenColor(kPen);
                c.MoveTo(a.first, a.second);
                c.LineTo(b.first, b.second);
                const TPixelSet expected = SteppedPixels(a, b, kW, kH);
                ASSERT_EQ(PixelsOf(image, kPen), expected)
                    << shape.kind << ": " << a.first << "," << a.second << " -> " << b.first << "," << b.second;
                EXPECT_EQ(c.LastLineSteps(), static_cast<long long>(expected.size()));
            }
}

TEST(Canvas, FarLinesPaintTheirVisiblePartOnly)
{
    // A line through lattice points every (p, q) paints, inside the pane, what any stretch of it
    // between two of those points paints; compare a million-pixel line with a short stretch.
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> step(-7, 7);
    std::uniform_int_distribution<int> inPane(0, kPane - 1);
    TPaneImage pane = FilledImage(kPane, kPane, kPaper);
    const int shift = 4 * kPane;
    TPaneImage big = FilledImage(9 * kPane, 9 * kPane, kPaper);
    for (int n = 0; n < 300; ++n) {
        const int p = step(rng);
        const int q = step(rng);
        if ((p == 0 && q == 0) || std::gcd(p, q) != 1)
            continue;
        const TPixel mid{inPane(rng), inPane(rng)};
        const int far = 1'000'000 / std::max(std::abs(p), std::abs(q));
        const int near = 3 * kPane / std::max(std::abs(p), std::abs(q)) + 1;
        const auto along = [&](int k) { return TPixel{mid.first + k * p, mid.second + k * q}; };
        long long steps = 0;
        ASSERT_TRUE(
            ClippedMatchesReference(pane, big, shift, along(-far), along(far + 3), along(-near), along(near), steps))
            << "(" << p << "," << q << ") through " << mid.first << "," << mid.second;
        const long long painted = static_cast<long long>(PixelsOf(pane, kPen).size());
        EXPECT_GT(painted, 0);
        EXPECT_LE(steps, painted);
    }
}

TEST(Canvas, ExtremeLinesAlongAxesAndDiagonal)
{
    const struct {
        TPixel from, to;
        TPixelSet pixels;
    } cases[] = {
        {{INT_MIN, 7}, {INT_MAX, 7}, Segment(0, 7, kPane, 7)},
        {{-1'000'000, 7}, {1'000'000, 7}, Segment(0, 7, kPane, 7)},
        {{3, INT_MAX}, {3, INT_MIN}, Segment(3, kPane - 1, 3, -1)},
        {{INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, Segment(0, 0, kPane, kPane)},
        {{1'000'199, -1'000'000}, {-999'801, 1'000'000}, Segment(kPane - 1, 0, -1, kPane)},
        {{-1'000'000, -5}, {1'000'000, -5}, {}},
        {{INT_MIN, INT_MAX}, {INT_MIN, INT_MIN}, {}},
    };
    for (const auto& c : cases) {
        TPaneImage image = FilledImage(kPane, kPane, kPaper);
        Canvas canvas(image.Raster());
        canvas.SetPenColor(kPen);
        canvas.MoveTo(c.from.first, c.from.second);
        canvas.LineTo(c.to.first, c.to.second);
        EXPECT_EQ(PixelsOf(image, kPen), c.pixels) << c.from.first << "," << c.from.second;
        EXPECT_LE(canvas.LastLineSteps(), static_cast<long long>(c.pixels.size()));
    }
}

// Lines that span the whole coordinate range; near-horizontal ones just above or below the pane must
// not wrap round into it.
TEST(Canvas, LinesAcrossTheWholeCoordinateRange)
{
    constexpr long long kFar = kCanvasLimit;
    const struct {
        long long x0, y0, x1, y1;
        TPixelSet pixels;
    } cases[] = {
        {-kFar, -200, kFar, -199, {}},
        {-kFar, 300, kFar, 299, {}},
        {-kFar, 5, kFar, 5, Segment(0, 5, kPane, 5)},
        {7, -kFar, 8, kFar, Segment(8, 0, 8, kPane)},  // the column changes halfway, at y = 0
    };
    for (const auto& c : cases) {
        TPaneImage image = FilledImage(kPane, kPane, kPaper);
        Canvas canvas(image.Raster());
        canvas.SetPenColor(kPen);
        canvas.MoveTo(c.x0, c.y0);
        canvas.LineTo(c.x1, c.y1);
        EXPECT_EQ(PixelsOf(image, kPen), c.pixels) << c.x0 << "," << c.y0 << " -> " << c.x1 << "," << c.y1;
    }
}

// The 128-bit arithmetic behind far lines and ellipses, at the carries.
TEST(Canvas, WideArithmeticCarries)
{
    constexpr std::uint64_t kMax = ~std::uint64_t{0};
    const TUint128 square = TUint128::Product(kMax, kMax);  // 2^128 - 2^65 + 1
    EXPECT_EQ(square.High(), kMax - 1);
    EXPECT_EQ(square.Low(), 1u);
    EXPECT_EQ(square / kMax, TUint128(kMax));
    EXPECT_EQ(square % kMax, TUint128(0));
    EXPECT_EQ((square + TUint128(kMax)) % kMax, TUint128(0));
    const TUint128 big = TUint128::Product(1ULL << 40, 3ULL << 40) + 5u;  // 3 * 2^80 + 5
    EXPECT_EQ(big / (3ULL << 40), TUint128(1ULL << 40));
    EXPECT_EQ(big % (3ULL << 40), TUint128(5));
    EXPECT_LT(TUint128(kMax), TUint128(kMax) + 1u);
}
