#include "scene/projection.h"

#include <gtest/gtest.h>

#include "projection_paths.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <random>

namespace {

// The rounded degree factor puts a right angle a hair above 90.
constexpr double kRight = 90.00000076;
constexpr double kHalfRight = 45.00000038;
constexpr double kAngleTol = 1e-8;
constexpr double kPixelTol = 1e-7;
constexpr int kPane = 200;

std::unique_ptr<TScene> MakeScene(TVec3 camera, TVec3 focus)
{
    auto s = std::make_unique<TScene>();
    InitScene(*s);
    s->Camera = camera;
    s->Focus = focus;
    return s;
}

}  // namespace

TEST(Projection, VectorBetweenIsEndMinusStart)
{
    const TVec3 d = VectorBetween({1, 2, 3}, {10, -20, 30});
    EXPECT_EQ(d.x, 9);
    EXPECT_EQ(d.y, -22);
    EXPECT_EQ(d.z, 27);
}

TEST(Projection, DirectionAngles)
{
    const struct {
        TVec3 d;
        double azimuth;
        double elevation;
    } cases[] = {
        {{0, 1, 0}, kRight, 0},
        {{1, 1, 0}, kHalfRight, 0},
        {{1, 0, 0}, 0, 0},
        {{1, -1, 0}, 360 - kHalfRight, 0},  // 315, never -45
        {{0, -5, 0}, 360 - kRight, 0},
        {{-1, 0, 0}, 2 * kRight, 0},
        {{0, 0, 7}, 0, kRight},  // straight up
        {{0, 0, -7}, 0, -kRight},
        {{3, 0, 3}, 0, kHalfRight},
        {{0, 0, 0}, 0, 0},
    };
    for (const auto& c : cases) {
        const TAngles a = DirectionAngles(c.d);
        EXPECT_NEAR(a.azimuth, c.azimuth, kAngleTol) << c.d.x << "," << c.d.y << "," << c.d.z;
        EXPECT_NEAR(a.elevation, c.elevation, kAngleTol) << c.d.x << "," << c.d.y << "," << c.d.z;
    }
}

TEST(Projection, MarkersWithCameraAndFocusAtOrigin)
{
    auto s = MakeScene({}, {});
    ProjectScene(*s, kPane, kPane);
    EXPECT_EQ(s->ViewAngles.azimuth, 0);
    EXPECT_EQ(s->ViewAngles.elevation, 0);
    const double expected[4][2] = {{100, 100}, {100, 100}, {-100.0000017, 100}, {100, -100.0000017}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(s->AxisMarkers[i].sx, expected[i][0], kPixelTol) << i;
        EXPECT_NEAR(s->AxisMarkers[i].sy, expected[i][1], kPixelTol) << i;
    }
    EXPECT_EQ(s->AxisMarkers[0].sx, 100);
    EXPECT_EQ(s->AxisMarkers[1].sy, 100);
}

TEST(Projection, CameraBehindOriginLookingAlongY)
{
    auto s = MakeScene({0, -100, 0}, {});
    ProjectScene(*s, kPane, kPane);
    EXPECT_NEAR(s->ViewAngles.azimuth, kRight, kAngleTol);
    EXPECT_EQ(s->ViewAngles.elevation, 0);
    // The origin lies on the line of sight, so it lands exactly on the centre.
    EXPECT_EQ(s->AxisMarkers[0].sx, 100);
    EXPECT_EQ(s->AxisMarkers[0].sy, 100);
    EXPECT_NEAR(s->AxisMarkers[1].sx, 200.0000008, kPixelTol);
    EXPECT_EQ(s->AxisMarkers[1].sy, 100);
}

TEST(Projection, PointAboveCameraWhateverTheSight)
{
    const struct {
        TVec3 camera, focus;
        double px, py;  // where the point 90 units above the camera lands
    } cases[] = {
        {{0, 0, 0}, {0, 0, 0}, 100, -100.0000017},             // sight (0, 0)
        {{7, 8, 9}, {17, 8, 9}, 100, -100.0000017},            // level along +X
        {{7, 8, 9}, {7, 8, 30}, 100, 100},                     // looking straight up
        {{0, -100, 0}, {0, 0, 0}, 300.0000017, -100.0000017},  // sight azimuth ~90
    };
    for (const auto& c : cases) {
        auto s = MakeScene(c.camera, c.focus);
        ProjectScene(*s, kPane, kPane);
        const TVec3 above{c.camera.x, c.camera.y, c.camera.z + 90};
        const TAngles a = DirectionAngles(VectorBetween(c.camera, above));
        EXPECT_EQ(a.azimuth, 0);
        EXPECT_NEAR(a.elevation, kRight, kAngleTol);
        const TPanePoint p = ProjectPoint(*s, above, kPane, kPane);
        EXPECT_NEAR(p.px, c.px, kPixelTol);
        EXPECT_NEAR(p.py, c.py, kPixelTol);
    }
}

TEST(Projection, PaneSizeUsesLongerSideAndTruncatedHalf)
{
    const struct {
        int w, h;
        double half, size;
    } cases[] = {{300, 200, 150, 300}, {200, 300, 150, 300}, {201, 200, 100, 201}, {200, 200, 100, 200}};
    for (const auto& c : cases) {
        auto s = MakeScene({}, {});
        ProjectScene(*s, c.w, c.h);
        const auto& m = s->AxisMarkers;
        EXPECT_EQ(m[0].sx, c.half) << c.w << "x" << c.h;
        EXPECT_EQ(m[0].sy, c.half) << c.w << "x" << c.h;
        // A right angle to the side or up moves the point one full size S (a hair more).
        EXPECT_NEAR(m[2].sx, c.half - c.size * kRight / 90, 1e-6) << c.w << "x" << c.h;
        EXPECT_NEAR(m[3].sy, c.half - c.size * kRight / 90, 1e-6) << c.w << "x" << c.h;
        EXPECT_LT(m[2].sx, c.half - c.size);
    }
}

TEST(Projection, AzimuthSeamStaysBesideTheSight)
{
    const struct {
        TVec3 camera, focus, point;
        double px;
    } cases[] = {
        // Sight at azimuth 0; the point a little clockwise (azimuth ~350.5) lands right of centre.
        {{-100, 0, 0}, {0, 0, 0}, {20, -20, 0}, 121.0273829},
        {{-100, 0, 0}, {0, 0, 0}, {20, 20, 0}, 78.9726171},
        // Sight at azimuth ~348.7, the point at ~11.3: left of centre, not four panes away.
        {{-100, 20, 0}, {0, 0, 0}, {0, 40, 0}, 49.7336330},
    };
    for (const auto& c : cases) {
        auto s = MakeScene(c.camera, c.focus);
        ProjectScene(*s, kPane, kPane);
        const TPanePoint p = ProjectPoint(*s, c.point, kPane, kPane);
        EXPECT_NEAR(p.px, c.px, 1e-6);
        EXPECT_NEAR(p.py, 100, 1e-9);
    }
}

TEST(Projection, SceneWritesLiveCornersOnly)
{
    constexpr int kLive = 300;  // more than 8 bits can count
    constexpr double kUntouched = -12345;
    auto s = MakeScene({-50, -60, 30}, {10, 20, 0});
    for (TPrism& p : s->PrismTable)
        for (TVertex& v : p.c)
            v.sx = v.sy = kUntouched;
    s->PrismCount = kLive;
    for (int k = 1; k <= kLive; ++k)
        for (int i = 0; i < 8; ++i)
            s->Prism(k).c[i] = {double(k % 17) * 10, double(i) * 10, double(k / 17) * 10, kUntouched, kUntouched};
    ProjectScene(*s, kPane, kPane);
    for (int k = 1; k <= kPrismSlots; ++k)
        for (const TVertex& v : s->Prism(k).c) {
            if (k > kLive) {
                ASSERT_EQ(v.sx, kUntouched) << k;
                ASSERT_EQ(v.sy, kUntouched) << k;
                continue;
            }
            const TPanePoint p = ProjectPoint(*s, {v.x, v.y, v.z}, kPane, kPane);
            ASSERT_EQ(v.sx, p.px) << k;
            ASSERT_EQ(v.sy, p.py) << k;
        }
}

// Random corners, a third of them special (signed zeros, subnormals, huge, infinite, NaN) so vectors
// mix plain and special lanes: every path's ProjectScene gives ProjectPoint's bits.
TEST(Projection, EveryPathGivesProjectPointsBitsOnRandomCorners)
{
    using Limits = std::numeric_limits<double>;
    const double special[] = {0.0,
                              -0.0,
                              Limits::denorm_min(),
                              -Limits::denorm_min(),
                              0x1.8p-1030,
                              Limits::min(),
                              1e-300,
                              0x1p-500,
                              0x1p500,
                              1e300,
                              Limits::max(),
                              -Limits::max(),
                              Limits::infinity(),
                              -Limits::infinity(),
                              Limits::quiet_NaN(),
                              -Limits::quiet_NaN(),
                              1e17,
                              0x1p60};
    std::mt19937_64 rng(22);
    const auto value = [&]() -> double {
        switch (rng() % 6) {
        case 0: return special[rng() % std::size(special)];
        case 1: return std::bit_cast<double>(rng());  // any bits at all
        case 2: return std::ldexp(double(std::int64_t(rng() >> 11)) - 0x1p52, int(rng() % 200) - 140);
        default: return double(std::int64_t(rng() % 2001) - 1000);  // the grid's own range
        }
    };
    for (int n = 0; n < 24; ++n) {
        auto scene = n % 2 == 0 ? MakeScene({-400, -300, 200}, {0, 0, 0})
                                : MakeScene({value(), value(), value()}, {value(), value(), value()});
        for (int k = 0; k < 512; ++k)
            for (TVertex& corner : AppendPrism(*scene)->c)
                corner = {value(), value(), value(), 0, 0};
        const int width = n % 3 == 0 ? 640 : kPane;
        ForEachProjectionPath([&] {
            ProjectScene(*scene, width, kPane);
            for (int k = 1; k <= scene->PrismCount; ++k)
                for (const TVertex& c : scene->Prism(k).c) {
                    const TPanePoint p = ProjectPoint(*scene, {c.x, c.y, c.z}, width, kPane);
                    ASSERT_EQ(std::bit_cast<std::uint64_t>(c.sx), std::bit_cast<std::uint64_t>(p.px))
                        << "scene " << n << ", corner (" << c.x << ", " << c.y << ", " << c.z << ")";
                    ASSERT_EQ(std::bit_cast<std::uint64_t>(c.sy), std::bit_cast<std::uint64_t>(p.py))
                        << "scene " << n << ", corner (" << c.x << ", " << c.y << ", " << c.z << ")";
                }
        });
    }
}
