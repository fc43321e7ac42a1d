// Far-away values: origins scrolled to their limit, pointers a billion pixels out, a camera at
// 1e15, prisms at +-1e9 and beyond. None may cause undefined behaviour (the sanitizer build aborts
// on any), and a line's cost stays bounded by the pane it lands in.

#include "render/canvas.h"
#include "render/frame.h"
#include "render/plan_views.h"
#include "render/view3b.h"
#include "scene/editing.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <memory>

namespace {

inline constexpr int kSide = 200;
inline constexpr double kInf = std::numeric_limits<double>::infinity();
inline constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
inline constexpr std::uint32_t kWhitePixel = PixelWord(kWhite);

TPaneImage BlankPane() { return TPaneImage(kSide, kSide, kWhite); }

int PaintedPixels(const TPaneImage& image)
{
    int painted = 0;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            painted += image.At(x, y) != kWhitePixel ? 1 : 0;
    return painted;
}

std::unique_ptr<TScene> FreshScene()
{
    auto scene = std::make_unique<TScene>();
    InitScene(*scene);
    return scene;
}

TEST(Extreme, PanePixelClampsAnyDouble)
{
    const struct {
        double v;
        int expected;
    } cases[] = {
        {1e300, kCoordLimit}, {-1e300, -kCoordLimit}, {kInf, kCoordLimit},           {-kInf, -kCoordLimit},
        {kNaN, -kCoordLimit}, {1e15, kCoordLimit},    {-2147483649.0, -kCoordLimit}, {2147483648.0, kCoordLimit},
        {-0.5, -1},           {199.99, 199},          {-1e9 + 0.5, -kCoordLimit},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PanePixel(c.v), c.expected) << c.v;
}

// Pushed against its limit, the origin stops there, whichever way and however long it is pushed.
TEST(Extreme, EdgeScrollStopsAtTheOriginLimit)
{
    const struct {
        int start;
        int pointer;  // both axes; inside the low margin pushes up, beyond the high one pushes down
        int expected;
    } cases[] = {
        {kOriginLimit - 2, -1'000'000, kOriginLimit},
        {kOriginLimit, INT_MIN, kOriginLimit},
        {-kOriginLimit + 2, 1'000'000, -kOriginLimit},
        {-kOriginLimit, INT_MAX, -kOriginLimit},
    };
    for (TPlanView view : {TPlanView::XY, TPlanView::XZ, TPlanView::YZ}) {
        for (const auto& c : cases) {
            auto scene = FreshScene();
            OriginOf(*scene, view) = {c.start, c.start};
            RightDragOf(*scene, view) = true;
            for (int i = 0; i < 10; ++i)
                PlanMouseMove(*scene, view, c.pointer, c.pointer, kSide, kSide, TTool::None);
            EXPECT_EQ(OriginOf(*scene, view).ox, c.expected) << c.start << " " << c.pointer;
            EXPECT_EQ(OriginOf(*scene, view).oy, c.expected) << c.start << " " << c.pointer;
        }
    }
}

// The farthest pointer over the farthest origin still snaps to an exact grid point within 5 units.
TEST(Extreme, FarPointerOverFarOriginSnapsExactly)
{
    const int origins[] = {kOriginLimit, -kOriginLimit, 0};
    const int pointers[] = {kCoordLimit, -kCoordLimit, 1'000'000, -1'000'000, INT_MAX, INT_MIN};
    auto scene = FreshScene();
    for (int origin : origins) {
        scene->ViewOriginXZ = {origin, -origin};
        for (int p : pointers) {
            const TGridPoint at = SnapToGrid(*scene, TPlanView::XZ, p, p);
            const double h = double(p) - origin;
            const double v = double(-origin) - p;
            EXPECT_EQ(std::fmod(at.h, kGrid), 0) << origin << " " << p;
            EXPECT_EQ(std::fmod(at.v, kGrid), 0) << origin << " " << p;
            EXPECT_LE(std::abs(at.h - h), kGrid / 2) << origin << " " << p;
            EXPECT_LE(std::abs(at.v - v), kGrid / 2) << origin << " " << p;
        }
    }
}

// A line between far-away points steps only through the pixels it paints inside the pane.
TEST(Extreme, FarLineStepsOnlyThroughItsVisiblePart)
{
    const int far = PanePixel(1e15);
    const struct {
        int x0, y0, x1, y1;
        long long steps;  // = pixels painted inside the pane
    } cases[] = {
        {-far, 50, far, 50, kSide},                           // across row 50
        {120, far, 120, -far, kSide},                         // down column 120
        {-far, -far, far, far, kSide},                        // the main diagonal
        {far, kSide - 1 - far, kSide - 1 - far, far, kSide},  // the other diagonal
        {-far, -far, -far + 5, far, 0},                       // steep, far left of the pane
        {far, far, far - 1, far, 0},                          // short, far away
        {-far, kSide + 1, far, kSide + 1, 0},                 // just below the pane
    };
    for (const auto& c : cases) {
        TPaneImage image = BlankPane();
        Canvas pane(image.Raster());
        pane.MoveTo(c.x0, c.y0);
        pane.LineTo(c.x1, c.y1);
        EXPECT_EQ(pane.LastLineSteps(), c.steps) << c.x0 << "," << c.y0 << " -> " << c.x1 << "," << c.y1;
        EXPECT_EQ(PaintedPixels(image), c.steps) << c.x0 << "," << c.y0 << " -> " << c.x1 << "," << c.y1;
    }
}

// A top-view outline whose closing edge runs from y = 1e9 to y = -1e9 paints just the visible column.
TEST(Extreme, FarPrismFootprintPaintsOnlyThePane)
{
    for (const TViewOrigin origin : {TViewOrigin{100, 100}, TViewOrigin{-kOriginLimit, kOriginLimit}}) {
        const double x = 50 - double(origin.ox);  // pane column 50
        const double lowY = double(origin.oy) + 1e9;
        const double highY = double(origin.oy) - 1e9;
        TPrism prism;
        const double corners[4][2] = {{x, highY}, {1e300, highY}, {1e300, lowY}, {x, lowY}};
        for (int i = 0; i < 4; ++i) {
            prism.c[i].x = corners[i][0];
            prism.c[i].y = corners[i][1];
        }
        TPaneImage image = BlankPane();
        Canvas pane(image.Raster());
        DrawPrismFootprint(prism, origin, pane);
        EXPECT_EQ(pane.LastLineSteps(), kSide);  // c3 -> c0 is the last line drawn
        EXPECT_EQ(PaintedPixels(image), kSide);
        EXPECT_NE(image.At(50, 0), kWhitePixel);
        EXPECT_NE(image.At(50, kSide - 1), kWhitePixel);
    }
}

// A wireframe at infinite, NaN and huge pane positions draws without fault. Its first face lies
// far left of the pane and its second far right; of the edges between them only the last drawn,
// c3 -> c7, crosses the pane, along row 20.
TEST(Extreme, WireAtNonFinitePositionsPaintsOnlyTheVisibleEdge)
{
    TPrism prism;
    const double sx[8] = {kNaN, -kInf, -1e300, -1e300, kInf, 1e300, kInf, 1e300};
    const double sy[8] = {kInf, -1e300, kNaN, 20, 1e300, kNaN, -kInf, 20};
    for (int i = 0; i < 8; ++i) {
        prism.c[i].sx = sx[i];
        prism.c[i].sy = sy[i];
    }
    TPaneImage image = BlankPane();
    Canvas pane(image.Raster());
    DrawPrismWire(prism, pane);
    EXPECT_EQ(pane.LastLineSteps(), kSide);
    for (int x = 0; x < kSide; ++x)
        EXPECT_NE(image.At(x, 20), kWhitePixel) << x;
    EXPECT_EQ(PaintedPixels(image), kSide);
}

// A whole frame of extremes: origins at their limits, camera and focus 1e15 out, a full table of
// prisms a billion units away. It draws without fault, projects to finite positions, keeps the
// grid lined up and shows the visible part of the far sight line.
TEST(Extreme, FrameOfExtremesDrawsSoundly)
{
    auto scene = FreshScene();
    scene->ViewOriginXY = {kOriginLimit, -kOriginLimit};
    scene->ViewOriginXZ = {-kOriginLimit, kOriginLimit};
    scene->ViewOriginYZ = {kOriginLimit, kOriginLimit};
    scene->Camera = {1e15, -1e15, 1e15};
    scene->Focus = {-1e15, 1e15, -1e15};
    // x, y >= 0 keeps every top-view outline right of and above the pane; z is +-1e9.
    for (int k = 1; k <= kPrismSlots; ++k) {
        const double far = 1e9;
        const bool top = k % 2 == 0;
        ASSERT_TRUE(AddPrismAt(*scene, top ? TPlanView::XY : TPlanView::XZ, {far * (k % 3), top ? far : -far}));
        StretchLastPrism(*scene, far * ((k + 1) % 3), far * (k % 4));
    }
    TPaneImage xy = BlankPane(), xz = BlankPane(), yz = BlankPane(), b3 = BlankPane();
    DrawFrame(*scene, {xy.Raster(), xz.Raster(), yz.Raster(), b3.Raster()});

    EXPECT_TRUE(std::isfinite(scene->ViewAngles.azimuth));
    EXPECT_TRUE(std::isfinite(scene->ViewAngles.elevation));
    for (int k = 1; k <= kPrismSlots; ++k)
        for (const TVertex& c : scene->Prism(k).c)
            ASSERT_TRUE(std::isfinite(c.sx) && std::isfinite(c.sy)) << k;
    // Every origin is a multiple of 10, so the dots sit on the multiples of 10 of each pane. The
    // sight line runs along a diagonal of the YZ pane and through the corner of the XZ pane; in the
    // XY pane it runs parallel to the diagonal but 2e9 pixels below it, so it misses that pane.
    const std::uint32_t dot = PixelWord(kBlack);
    const std::uint32_t sight = PixelWord(kAxisZ);
    for (const TPaneImage* plan : {&xy, &xz, &yz}) {
        EXPECT_EQ(plan->At(10, 190), dot);
        EXPECT_EQ(plan->At(190, 10), dot);
        EXPECT_EQ(plan->At(15, 25), kWhitePixel);
    }
    EXPECT_EQ(PaintedPixels(xy), 20 * 20);
    EXPECT_EQ(yz.At(100, 100), sight);
    EXPECT_EQ(xz.At(0, 0), sight);
    // Nothing else reaches the XZ pane: 20 x 20 dots at 0, 10, ..., 190, one of them now red.
    EXPECT_EQ(PaintedPixels(xz), 20 * 20);
}

// A camera dragged 2^31 pixels out keeps its true sight line: the line from camera pixel
// (671127039, -2147483649) to the focus at (99, 101) enters the pane at (131, 0), one pixel a row.
TEST(Extreme, FarCameraKeepsItsTrueSightLine)
{
    auto scene = FreshScene();
    PlanMouseDown(*scene, TPlanView::XY, TMouseButton::Left, 114, 86, TTool::Kamera);
    PlanMouseMove(*scene, TPlanView::XY, 671127040, -2147483647, kSide, kSide, TTool::Kamera);
    PlanMouseUp(*scene, TPlanView::XY, TMouseButton::Left, TTool::Kamera);
    TPaneImage xy = BlankPane(), xz = BlankPane(), yz = BlankPane(), b3 = BlankPane();
    DrawFrame(*scene, {xy.Raster(), xz.Raster(), yz.Raster(), b3.Raster()});
    const std::uint32_t sight = PixelWord(kAxisZ);
    int rowZero = -1, painted = 0;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            if (xy.At(x, y) == sight) {
                ++painted;
                rowZero = y == 0 ? x : rowZero;
            }
    EXPECT_EQ(rowZero, 131);
    EXPECT_EQ(painted, 101);  // rows 0..100, the focus pixel left out
}

}  // namespace
