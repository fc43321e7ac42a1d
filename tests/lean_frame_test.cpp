// The frame shares work between a prism's twin corners and edges; a straightforward frame kept here
// must give the very same sx, sy and pane pixels on random scenes made like the mouse makes them.
#include "render/canvas.h"
#include "render/frame.h"
#include "render/view3b.h"
#include "scene/editing.h"
#include "scene/projection.h"

#include "pixel_helpers.h"
#include "projection_paths.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int kPane = 200;
constexpr TColor kJunk = RGB(1, 2, 3);

// Every corner through ProjectPoint, in order.
void PlainProjectScene(TScene& s)
{
    s.ViewAngles = DirectionAngles(VectorBetween(s.Camera, s.Focus));
    const auto project = [&](TVertex& v) {
        const TPanePoint p = ProjectPoint(s, TVec3{v.x, v.y, v.z}, kPane, kPane);
        v.sx = p.px;
        v.sy = p.py;
    };
    for (TVertex& m : s.AxisMarkers)
        project(m);
    for (int k = 1; k <= s.PrismCount; ++k)
        for (TVertex& c : s.Prism(k).c)
            project(c);
}

// Background, the three axes and all twelve edges of every prism.
void PlainDraw3B(const TScene& s, Canvas& pane)
{
    const auto at = [](const TVertex& v) { return TPixel{PanePixel(v.sx), PanePixel(v.sy)}; };
    const auto moveTo = [&](const TVertex& v) { pane.MoveTo(at(v).first, at(v).second); };
    const auto lineTo = [&](const TVertex& v) { pane.LineTo(at(v).first, at(v).second); };
    pane.SetBrushColor(s.BackColor);
    pane.Rectangle(-1, -1, kPane + 1, kPane + 1);
    const TColor axisColours[] = {kAxisZ, kAxisY, kAxisX};
    for (int end = 3; end >= 1; --end) {
        moveTo(s.AxisMarkers[0]);
        pane.SetPenColor(axisColours[3 - end]);
        lineTo(s.AxisMarkers[std::size_t(end)]);
    }
    for (int k = 1; k <= s.PrismCount; ++k) {
        const TVertex* c = s.Prism(k).c;
        pane.SetPenColor(s.Prism(k).colour);
        moveTo(c[0]);
        for (int i : {1, 2, 3, 0, 4, 5, 6, 7, 4})
            lineTo(c[i]);
        for (int i : {1, 2, 3}) {
            moveTo(c[i]);
            lineTo(c[i + 4]);
        }
    }
}

// The test's own bit comparison, apart from the one the frame uses to find twins.
bool Identical(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

struct TSceneCase {
    const char* name;
    std::vector<TPlanView> views;  // each prism is pressed in one of these
    std::vector<double> coords;    // grid values a press or stretch picks from
    bool cameraAmongPrisms;        // camera next to a corner, looking along +X: azimuths cross 0/360
    bool looseCorners;             // some corners then moved by hand, so the faces only partly match
};

const std::vector<double> kNear = {-300, -120, -40, -10, 0, 10, 30, 70, 150, 290};
const std::vector<double> kFar = {-1e15, -7e9, -2e6, -10, 0, 10, 3e6, 5e9, 1e15, 1e300};
const std::vector<double> kSeam = {-20, -10, -0.0, 0, 10, 20};

const TSceneCase kCases[] = {
    {"top view", {TPlanView::XY}, kNear, false, false},
    {"front and side views", {TPlanView::XZ, TPlanView::YZ}, kNear, false, false},
    {"all views", {TPlanView::XY, TPlanView::XZ, TPlanView::YZ}, kNear, false, false},
    {"all views, far away", {TPlanView::XY, TPlanView::XZ, TPlanView::YZ}, kFar, false, false},
    {"all views, across the seam", {TPlanView::XY, TPlanView::XZ, TPlanView::YZ}, kSeam, true, false},
    {"top view, across the seam", {TPlanView::XY}, kNear, true, false},
    {"loose corners", {TPlanView::XY, TPlanView::XZ, TPlanView::YZ}, kSeam, false, true},
    {"loose corners, across the seam", {TPlanView::XY, TPlanView::XZ}, kSeam, true, true},
};

// Prisms pressed and stretched as the mouse does (a press in the front or side view may be stretched
// later in the top view), each in its own colour so the drawing order shows.
std::unique_ptr<TScene> RandomScene(const TSceneCase& c, std::mt19937& rng, int prisms)
{
    auto s = std::make_unique<TScene>();
    InitScene(*s);
    const auto pick = [&] { return c.coords[rng() % c.coords.size()]; };
    for (int k = 0; k < prisms; ++k) {
        AddPrismAt(*s, c.views[rng() % c.views.size()], {pick(), pick()});
        if (rng() % 4 != 0)
            StretchLastPrism(*s, pick(), pick());
        TPrism& p = *LastPrism(*s);
        p.colour = RGB(rng() % 256, rng() % 256, rng() % 256);
        for (TVertex& corner : p.c)
            if (c.looseCorners && rng() % 4 == 0)
                (rng() % 2 == 0 ? corner.x : rng() % 2 == 0 ? corner.y : corner.z) = pick();
    }
    if (c.cameraAmongPrisms) {
        const TVertex& corner = s->Prism(int(rng() % prisms) + 1).c[rng() % 8];
        const double nudge[] = {0, 1, -1, 0.5};
        s->Camera = {corner.x - nudge[rng() % 4], corner.y + nudge[rng() % 4], corner.z + nudge[rng() % 4]};
        s->Focus = {s->Camera.x + 100, s->Camera.y + nudge[rng() % 4], s->Camera.z};
    } else {
        s->Camera = {pick(), pick(), pick()};
        s->Focus = {pick(), pick(), pick()};
    }
    return s;
}

}  // namespace

TEST(LeanFrame, SameValuesAndPixelsAsThePlainFrame)
{
    constexpr int kScenes = 12;
    ForEachProjectionPath([] {
        for (const TSceneCase& c : kCases) {
            std::mt19937 rng(2024);
            for (int n = 0; n < kScenes; ++n) {
                SCOPED_TRACE(testing::Message() << c.name << ", scene " << n);
                const int prisms = n == 0 ? kPrismSlots : 1 + int(rng() % 300);
                auto lean = RandomScene(c, rng, prisms);
                auto plain = std::make_unique<TScene>(*lean);

                TPaneImage xy = FilledImage(kPane, kPane, kJunk), xz = xy, yz = xy, b3 = xy;
                DrawFrame(*lean, {xy.Raster(), xz.Raster(), yz.Raster(), b3.Raster()});
                PlainProjectScene(*plain);
                TPaneImage expected = FilledImage(kPane, kPane, kJunk);
                Canvas canvas(expected.Raster());
                PlainDraw3B(*plain, canvas);

                EXPECT_TRUE(Identical(lean->ViewAngles.azimuth, plain->ViewAngles.azimuth));
                EXPECT_TRUE(Identical(lean->ViewAngles.elevation, plain->ViewAngles.elevation));
                for (std::size_t m = 0; m < lean->AxisMarkers.size(); ++m)
                    EXPECT_TRUE(Identical(lean->AxisMarkers[m].sx, plain->AxisMarkers[m].sx) &&
                                Identical(lean->AxisMarkers[m].sy, plain->AxisMarkers[m].sy))
                        << "marker " << m;
                for (int k = 1; k <= prisms; ++k)
                    for (int i = 0; i < kPrismCorners; ++i)
                        ASSERT_TRUE(Identical(lean->Prism(k).c[i].sx, plain->Prism(k).c[i].sx) &&
                                    Identical(lean->Prism(k).c[i].sy, plain->Prism(k).c[i].sy))
                            << "prism " << k << " corner " << i;
                for (int y = 0; y < kPane; ++y)
                    for (int x = 0; x < kPane; ++x)
                        ASSERT_EQ(b3.At(x, y), expected.At(x, y)) << "pixel " << x << "," << y;
            }
        }
    });
}
