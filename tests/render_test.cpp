#include "render/canvas.h"
#include "render/frame.h"
#include "render/plan_views.h"
#include "render/view3b.h"
#include "scene/editing.h"
#include "scene/projection.h"

#include "pixel_helpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

namespace {

constexpr int kPane = 200;
constexpr TColor kJunk = RGB(1, 2, 3);
constexpr TVec3 kFarAway{-5000, -5000, -5000};  // keeps the camera marker off every pane

using TDraw = void (*)(const TScene&, Canvas&);

struct TPlanCase {
    const char* name;
    TDraw draw;
    TPlanView view;
    TColor horizontal, vertical;  // arrow colours
};

const TPlanCase kPlans[] = {
    {"XY", DrawPlanXY, TPlanView::XY, kAxisX, kAxisY},
    {"XZ", DrawPlanXZ, TPlanView::XZ, kAxisX, kAxisZ},
    {"YZ", DrawPlanYZ, TPlanView::YZ, kAxisY, kAxisZ},
};

std::unique_ptr<TScene> NewScene(TVec3 camera = kFarAway, TVec3 focus = kFarAway)
{
    auto s = std::make_unique<TScene>();
    InitScene(*s);
    s->Camera = camera;
    s->Focus = focus;
    return s;
}

// One redraw of a pane of the given size, over an image full of junk.
TPaneImage Draw(const TScene& scene, TDraw draw, int w = kPane, int h = kPane)
{
    TPaneImage image = FilledImage(w, h, kJunk);
    Canvas canvas(image.Raster());
    draw(scene, canvas);
    return image;
}

TPixelSet Minus(TPixelSet a, const TPixelSet& b)
{
    for (const TPixel& p : b)
        a.erase(p);
    return a;
}

// Dots every 10 pixels from (x0, y0) up to (x1, y1) inclusive.
TPixelSet Dots(int x0, int x1, int y0, int y1)
{
    TPixelSet dots;
    for (int x = x0; x <= x1; x += 10)
        for (int y = y0; y <= y1; y += 10)
            dots.insert({x, y});
    return dots;
}

// A 4 x 4 box at pane pixel (x, y) as prism corners in the top view with origin (100, 100);
// the second face sits off to the side, where the top view must not draw it.
void PutBox(TPrism& p, int x, int y)
{
    const double wx = x - 100;
    const double wy = 100 - y;
    const double corners[4][2] = {{wx, wy}, {wx + 4, wy}, {wx + 4, wy - 4}, {wx, wy - 4}};
    for (int i = 0; i < 4; ++i) {
        p.c[i] = {corners[i][0], corners[i][1], i * 10.0, 0, 0};
        p.c[i + 4] = {corners[i][0] + 2, corners[i][1] - 2, 30, 0, 0};
    }
}

// The same box, given directly as 3D-view pane positions.
void PutBoxOnScreen(TPrism& p, int x, int y)
{
    const int corners[4][2] = {{x, y}, {x + 4, y}, {x + 4, y + 4}, {x, y + 4}};
    for (int i = 0; i < 8; ++i) {
        p.c[i].sx = corners[i % 4][0] + 0.5;
        p.c[i].sy = corners[i % 4][1] + 0.25;
    }
}

constexpr int kManyPrisms = 300;  // beyond what 8 bits can count
constexpr std::size_t kBoxOutline = 16;

// Pane pixel of the k-th box (k from 0) in a 20 x 15 layout.
TPixel BoxAt(int k) { return {5 + 10 * (k % 20), 5 + 10 * (k / 20)}; }

}  // namespace

TEST(Render, BackgroundCoversWholePane)
{
    auto s = NewScene();
    s->BackColor = RGB(250, 240, 230);
    s->ViewOriginXY = s->ViewOriginXZ = s->ViewOriginYZ = {105, 105};
    for (TDraw draw : {DrawPlanXY, DrawPlanXZ, DrawPlanYZ}) {
        const TPaneImage image = Draw(*s, draw);
        EXPECT_TRUE(PixelsOf(image, kJunk).empty());
        for (TPixel corner : {TPixel{0, 0}, TPixel{199, 0}, TPixel{0, 199}, TPixel{199, 199}})
            EXPECT_EQ(image.At(corner.first, corner.second), PixelWord(s->BackColor));
    }
    // Unprojected markers all sit at (0, 0): the 3D view is background only.
    EXPECT_EQ(PixelsOf(Draw(*s, Draw3B), s->BackColor).size(), std::size_t(kPane * kPane));
}

TEST(Render, PlanArrowsInViewColours)
{
    const TPixelSet grid = Dots(-10, 200, -10, 200);
    const TPixelSet vertical = Segment(100, 100, 100, 0) | Segment(95, 5, 100, 0) | Segment(100, 0, 105, 5);
    const TPixelSet horizontal = Segment(100, 100, 200, 100) | Segment(195, 95, 200, 100) | Segment(200, 100, 195, 105);
    for (const TPlanCase& plan : kPlans) {
        auto s = NewScene();
        const TPaneImage image = Draw(*s, plan.draw);
        EXPECT_EQ(PixelsOf(image, plan.vertical), Minus(vertical, grid)) << plan.name;
        EXPECT_EQ(PixelsOf(image, plan.horizontal), InPane(Minus(Minus(horizontal, vertical), grid), kPane, kPane))
            << plan.name;
        EXPECT_EQ(image.At(200 - 1, 100), PixelWord(plan.horizontal)) << plan.name;  // (200, 100) is off the pane
        EXPECT_EQ(image.At(100, 1), PixelWord(plan.vertical)) << plan.name;
    }
}

TEST(Render, PlanGridFollowsOrigin)
{
    const struct {
        TViewOrigin origin;
        int w, h;
        int x0, x1, y0, y1;  // visible dot columns x0..x1 and rows y0..y1, 10 apart
    } cases[] = {
        {{100, 100}, 200, 200, 0, 190, 0, 190},
        {{100, 100}, 250, 250, 0, 200, 0, 200},  // 22 dots from -10 end at 200
        {{-13, 100}, 200, 200, 7, 197, 0, 190},
        {{-13, 100}, 250, 250, 7, 197, 0, 200},  // the last of 22 columns is 197
        {{100, -13}, 200, 200, 0, 190, 7, 197},
        {{57, 23}, 200, 200, 7, 197, 3, 193},
        {{-1000, 5}, 200, 200, 0, 190, 5, 195},
    };
    for (const TPlanCase& plan : kPlans)
        for (const auto& c : cases) {
            auto s = NewScene();
            OriginOf(*s, plan.view) = c.origin;
            EXPECT_EQ(PixelsOf(Draw(*s, plan.draw, c.w, c.h), kBlack), Dots(c.x0, c.x1, c.y0, c.y1))
                << plan.name << " origin " << c.origin.ox << "," << c.origin.oy;
        }
}

TEST(Render, CameraMarkerAndSightLine)
{
    // Camera at pane pixel (121, 71), focus at (161, 111) in each view.
    const struct {
        TPlanView view;
        TVec3 camera, focus;
    } cases[] = {
        {TPlanView::XY, {21, 29, 0}, {61, -11, 0}},
        {TPlanView::XZ, {21, 0, 29}, {61, 0, -11}},
        {TPlanView::YZ, {0, 21, 29}, {0, 61, -11}},
    };
    for (const auto& c : cases) {
        const TPlanCase& plan = kPlans[int(c.view)];
        auto s = NewScene(c.camera, c.focus);
        const TPaneImage image = Draw(*s, plan.draw);
        const TPixelSet ring = PixelsOf(image, kLightBlue);
        EXPECT_EQ(Bounds(ring), (TBox{118, 68, 6, 6})) << plan.name;
        EXPECT_EQ(image.At(120, 70), PixelWord(kWhite)) << plan.name;  // grid dot under the filled circle
        TPixelSet sight;
        for (const TPixel& p : PixelsOf(image, kAxisZ))
            if (p.first >= 110)
                sight.insert(p);
        EXPECT_EQ(sight, Segment(121, 71, 161, 111)) << plan.name;
    }
}

TEST(Render, CameraOnFocusShowsOnlyTheCircle)
{
    auto s = NewScene({21, 29, 0}, {21, 29, 0});
    const TPaneImage image = Draw(*s, DrawPlanXY);
    EXPECT_TRUE(PixelsOf(image, kAxisZ).empty());
    EXPECT_FALSE(PixelsOf(image, kLightBlue).empty());
    EXPECT_EQ(image.At(121, 71), PixelWord(kWhite));
}

TEST(Render, PlanPositionsTakeFloor)
{
    // x = -100.5 lands on pixel -1: the circle shows only its right part and the sight line not at all.
    auto s = NewScene({-100.5, 0, 0}, {-100.5, 40, 0});
    const TPaneImage image = Draw(*s, DrawPlanXY);
    EXPECT_TRUE(PixelsOf(image, kAxisZ).empty());
    EXPECT_EQ(Bounds(PixelsOf(image, kLightBlue)).right(), 1);
}

TEST(Render, TopViewOutlinesEveryPrism)
{
    auto s = NewScene();
    for (int k = 0; k < kManyPrisms; ++k)
        PutBox(*AppendPrism(*s), BoxAt(k).first, BoxAt(k).second);
    const TPaneImage image = Draw(*s, DrawPlanXY);
    EXPECT_EQ(PixelsOf(image, kLightBlue).size(), kManyPrisms * kBoxOutline);
    for (int k = 0; k < kManyPrisms; ++k) {
        const auto [x, y] = BoxAt(k);
        for (TPixel corner : {TPixel{x, y}, TPixel{x + 4, y}, TPixel{x + 4, y + 4}, TPixel{x, y + 4}})
            ASSERT_EQ(image.At(corner.first, corner.second), PixelWord(kLightBlue)) << k;
        ASSERT_NE(image.At(x + 2, y + 2), PixelWord(kLightBlue)) << k;
    }
    for (TDraw side : {DrawPlanXZ, DrawPlanYZ})
        EXPECT_TRUE(PixelsOf(Draw(*s, side), kLightBlue).empty());
}

TEST(Render, AxesWithCameraOnFocusAtOrigin)
{
    auto s = NewScene({}, {});
    ProjectScene(*s, kPane, kPane);
    const TPaneImage image = Draw(*s, Draw3B);
    EXPECT_EQ(PixelsOf(image, kAxisZ), Segment(100, 99, 100, -1));  // on to (100, -101), (100, 100) turns green
    EXPECT_EQ(PixelsOf(image, kAxisY), Segment(100, 100, -1, 100));
    EXPECT_TRUE(PixelsOf(image, kAxisX).empty());
    EXPECT_EQ(PixelsOf(image, kWhite).size(), std::size_t(kPane * kPane - 100 - 101));
}

TEST(Render, FrameProjectsForThe3DPaneThenDraws)
{
    auto s = NewScene({}, {});
    TPaneImage xy = FilledImage(kPane, kPane, kJunk);
    TPaneImage xz = FilledImage(kPane, kPane, kJunk);
    TPaneImage yz = FilledImage(kPane, kPane, kJunk);
    TPaneImage b3 = FilledImage(300, 200, kJunk);  // S = 300, half = 150
    DrawFrame(*s, {xy.Raster(), xz.Raster(), yz.Raster(), b3.Raster()});
    EXPECT_EQ(PixelsOf(b3, kAxisZ), Segment(150, 149, 150, -1));
    EXPECT_EQ(PixelsOf(b3, kAxisY), Segment(150, 150, -1, 150));
    for (const TPaneImage* plan : {&xy, &xz, &yz})
        EXPECT_TRUE(PixelsOf(*plan, kJunk).empty());
    EXPECT_EQ(xy.At(151, 100), PixelWord(kAxisX));
    EXPECT_EQ(yz.At(151, 100), PixelWord(kAxisY));
}

// A page's panes hold the canvas's R, G, B, 255 bytes: the same pixels as the desktop's 0x00RRGGBB words.
TEST(Render, CanvasOrderDrawsTheSamePixels)
{
    EXPECT_EQ(PixelWord(RGB(1, 2, 3)), 0x00010203u);
    EXPECT_EQ(PixelWord(RGB(1, 2, 3), TPixelOrder::CanvasRgba), 0xFF030201u);
    auto s = NewScene({-40, -30, 20}, {10, 0, 0});
    for (int k = 0; k < 12; ++k) {
        ASSERT_TRUE(AddPrismAt(*s, TPlanView::XY, {10.0 * k - 60, 10.0 * k - 40}));
        StretchLastPrism(*s, 10.0 * k - 30, 10.0 * k - 20);
    }
    std::vector<TPaneImage> desk, page;
    for (int i = 0; i < 4; ++i) {
        desk.emplace_back(kPane, kPane, kJunk);
        page.emplace_back(kPane, kPane, kJunk, TPixelOrder::CanvasRgba);
    }
    DrawFrame(*s, {desk[0].Raster(), desk[1].Raster(), desk[2].Raster(), desk[3].Raster()});
    DrawFrame(*s, {page[0].Raster(), page[1].Raster(), page[2].Raster(), page[3].Raster()});
    for (std::size_t i = 0; i < desk.size(); ++i) {
        int wrong = 0;
        for (int y = 0; y < kPane; ++y)
            for (int x = 0; x < kPane; ++x) {
                const std::uint32_t w = desk[i].At(x, y);
                const TColor c = RGB((w >> 16) & 0xFF, (w >> 8) & 0xFF, w & 0xFF);
                wrong += page[i].At(x, y) != PixelWord(c, TPixelOrder::CanvasRgba);
            }
        EXPECT_EQ(wrong, 0) << "pane " << i;
    }
    EXPECT_GT(PixelsOf(desk[3], kBlack).size(), 100u);  // the wireframes are on the 3D pane
}

// The tick says, pane by pane, what changed since the tick before: a camera moved along x leaves the side
// view as it was, a focus moved up the top view.
TEST(Render, TickReportsThePanesThatChanged)
{
    constexpr unsigned kXY = 1, kXZ = 2, kYZ = 4, k3B = 8;
    const struct {
        const char* step;
        TVec3 camera, focus;
        unsigned panes;
    } kSteps[] = {
        {"first tick", {-40, -30, 20}, {10, 0, 0}, kXY | kXZ | kYZ | k3B},
        {"nothing moved", {-40, -30, 20}, {10, 0, 0}, 0},
        {"camera along x", {-30, -30, 20}, {10, 0, 0}, kXY | kXZ | k3B},
        {"focus up", {-30, -30, 20}, {10, 0, 10}, kXZ | kYZ | k3B},
    };
    auto s = NewScene();
    std::vector<TPaneImage> panes(4, TPaneImage(kPane, kPane, kWhite, TPixelOrder::CanvasRgba));
    TTick tick;
    for (const auto& step : kSteps) {
        s->Camera = step.camera;
        s->Focus = step.focus;
        const TFrameChanges changes =
            tick.Run(*s, {panes[0].Raster(), panes[1].Raster(), panes[2].Raster(), panes[3].Raster()});
        EXPECT_EQ(changes.panes, step.panes) << step.step;
        EXPECT_EQ(changes.readouts != 0, step.panes != 0) << step.step;
    }
}

TEST(Render, PrismFromTopViewIsOneQuadrilateral)
{
    auto s = NewScene({0, -300, 150}, {0, 0, 0});
    TPrism& p = *AppendPrism(*s);
    const double corners[4][2] = {{-50, -50}, {50, -50}, {50, 50}, {-50, 50}};
    for (int i = 0; i < 8; ++i)
        p.c[i] = {corners[i % 4][0], corners[i % 4][1], 0, 0, 0};
    ProjectScene(*s, kPane, kPane);
    TPaneImage quad = FilledImage(kPane, kPane, kWhite);
    Canvas outline(quad.Raster());
    outline.MoveTo(PanePixel(p.c[0].sx), PanePixel(p.c[0].sy));
    for (int i : {1, 2, 3, 0})
        outline.LineTo(PanePixel(p.c[i].sx), PanePixel(p.c[i].sy));
    const TPixelSet expected = PixelsOf(quad, kBlack);
    EXPECT_GT(expected.size(), 80u);
    EXPECT_EQ(PixelsOf(Draw(*s, Draw3B), kBlack), expected);
}

TEST(Render, PointPrismDrawsNothing)
{
    auto s = NewScene({0, -300, 150}, {0, 0, 0});
    for (TVertex& c : AppendPrism(*s)->c)
        c = {10, 0, 10, 0, 0};
    ProjectScene(*s, kPane, kPane);
    EXPECT_TRUE(PixelsOf(Draw(*s, Draw3B), kBlack).empty());
}

TEST(Render, WireframesOfManyPrisms)
{
    auto s = NewScene();
    for (int k = 0; k < kManyPrisms; ++k)
        PutBoxOnScreen(*AppendPrism(*s), BoxAt(k).first, BoxAt(k).second);
    EXPECT_EQ(PixelsOf(Draw(*s, Draw3B), kBlack).size(), kManyPrisms * kBoxOutline);
}

TEST(Render, WireframeDrawsTwelveEdges)
{
    // Square faces 10 apart on a 45-degree slant, so every edge is straight or diagonal.
    const int face[4][2] = {{50, 50}, {60, 50}, {60, 60}, {50, 60}};
    constexpr int kSlant = 5;
    auto s = NewScene();
    TPrism& p = *AppendPrism(*s);
    for (int i = 0; i < 4; ++i) {
        p.c[i].sx = face[i][0];
        p.c[i].sy = face[i][1];
        p.c[i + 4].sx = face[i][0] + kSlant;
        p.c[i + 4].sy = face[i][1] - kSlant;
    }
    TPixelSet edges;
    const auto edge = [&](int a, int b) {
        const auto [x0, y0] = TPixel{PanePixel(p.c[a].sx), PanePixel(p.c[a].sy)};
        const auto [x1, y1] = TPixel{PanePixel(p.c[b].sx), PanePixel(p.c[b].sy)};
        edges = edges | Segment(x0, y0, x1, y1) | TPixelSet{{x1, y1}};
    };
    for (int i = 0; i < 4; ++i) {
        edge(i, (i + 1) % 4);
        edge(i + 4, (i + 1) % 4 + 4);
        edge(i, i + 4);
    }
    EXPECT_EQ(PixelsOf(Draw(*s, Draw3B), kBlack), edges);
}

TEST(Render, FarAwayPositionsAreClipped)
{
    constexpr double kInf = std::numeric_limits<double>::infinity();
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    auto s = NewScene();
    // Origin, then the X end far right, the Y end far up and the Z end far left.
    const double ends[4][2] = {{100.5, 100.5}, {kInf, 100}, {100, -1e300}, {-1e18, 100}};
    for (int i = 0; i < 4; ++i) {
        s->AxisMarkers[i].sx = ends[i][0];
        s->AxisMarkers[i].sy = ends[i][1];
    }
    TPaneImage image = Draw(*s, Draw3B);
    EXPECT_EQ(PixelsOf(image, kAxisZ), Segment(0, 100, 100, 100));
    EXPECT_EQ(PixelsOf(image, kAxisY), Segment(100, 0, 100, 100));
    EXPECT_EQ(PixelsOf(image, kAxisX), Segment(100, 100, 200, 100));

    const double wild[] = {1e300, -1e300, kNaN, kInf, -kInf, -1e18, 1e18, 50};
    for (int k = 0; k < 64; ++k) {
        TPrism& p = *AppendPrism(*s);
        for (int i = 0; i < 8; ++i) {
            p.c[i].sx = wild[(k + i) % 8];
            p.c[i].sy = wild[(k / 8 + 3 * i) % 8];
        }
    }
    image = Draw(*s, Draw3B);
    std::size_t known = 0;
    for (TColor c : {kWhite, kBlack, kAxisX, kAxisY, kAxisZ})
        known += PixelsOf(image, c).size();
    EXPECT_EQ(known, std::size_t(kPane * kPane));
    EXPECT_FALSE(PixelsOf(image, kBlack).empty());
}
