#include "scene/editing.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

namespace {

constexpr int kPane = 200;
constexpr TPlanView kViews[] = {TPlanView::XY, TPlanView::XZ, TPlanView::YZ};
constexpr TTool kTools[] = {TTool::None, TTool::Kamera, TTool::Odak, TTool::Prizma, TTool::SonPrizma};
using B = TMouseButton;

std::unique_ptr<TScene> NewScene()
{
    auto s = std::make_unique<TScene>();
    InitScene(*s);
    return s;
}

// The view's (horizontal, vertical) world coordinates of a point.
TGridPoint InView(TPlanView view, const TVec3& p)
{
    switch (view) {
    case TPlanView::XY: return {p.x, p.y};
    case TPlanView::XZ: return {p.x, p.z};
    case TPlanView::YZ: return {p.y, p.z};
    }
    return {};
}

// The world coordinate a view leaves alone.
double Untouched(TPlanView view, const TVec3& p)
{
    return view == TPlanView::XY ? p.z : view == TPlanView::XZ ? p.y : p.x;
}

TVec3 At(const TVertex& v) { return {v.x, v.y, v.z}; }

bool Same(const TVec3& a, const TVec3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

// Neither the camera nor the focus point has left the origin.
bool CameraAndFocusUnmoved(const TScene& s) { return Same(s.Camera, {}) && Same(s.Focus, {}); }

void Move(TScene& s, TPlanView view, int x, int y, TTool tool) { PlanMouseMove(s, view, x, y, kPane, kPane, tool); }

void ExpectCorner(const TVertex& c, double x, double y, double z, int i)
{
    EXPECT_EQ(c.x, x) << "c" << i;
    EXPECT_EQ(c.y, y) << "c" << i;
    EXPECT_EQ(c.z, z) << "c" << i;
}

}  // namespace

TEST(Editing, SnapToNearestGridLineHalvesUp)
{
    const struct {
        int ox, oy, x, y;
        double h, v;
    } cases[] = {
        {100, 100, 114, 86, 10, 10},  {100, 100, 115, 85, 20, 20}, {100, 100, 85, 100, -10, 0},
        {100, 100, 84, 100, -20, 0},  {100, 100, 100, 100, 0, 0},  {100, 100, 95, 105, 0, 0},
        {-13, 57, -20, 70, -10, -10},  // floor, not truncation towards zero
        {-13, 100, 7, 100, 20, 0},
    };
    for (TPlanView view : kViews)
        for (const auto& c : cases) {
            auto s = NewScene();
            OriginOf(*s, view) = {c.ox, c.oy};
            const TGridPoint g = SnapToGrid(*s, view, c.x, c.y);
            EXPECT_EQ(g.h, c.h) << c.x << "," << c.y;
            EXPECT_EQ(g.v, c.v) << c.x << "," << c.y;
            // A press with a placing tool writes the view's two world axes and no other.
            for (TTool tool : {TTool::Kamera, TTool::Odak}) {
                s->Camera = s->Focus = {7, 7, 7};
                PlanMouseDown(*s, view, B::Left, c.x, c.y, tool);
                const TVec3& p = tool == TTool::Kamera ? s->Camera : s->Focus;
                const TVec3& other = tool == TTool::Kamera ? s->Focus : s->Camera;
                EXPECT_EQ(InView(view, p).h, c.h);
                EXPECT_EQ(InView(view, p).v, c.v);
                EXPECT_EQ(Untouched(view, p), 7);
                EXPECT_TRUE(Same(other, {7, 7, 7}));
                EXPECT_EQ(OriginOf(*s, view).ox, c.ox);  // a press never scrolls
            }
        }
}

TEST(Editing, EdgeScrollMargins)
{
    const struct {
        int at, delta;  // pointer coordinate along one axis, origin change on that axis
    } cases[] = {{19, 1}, {20, 0}, {180, 0}, {181, -1}, {0, 1}, {-500, 1}, {200, -1}, {INT_MAX, -1}, {100, 0}};
    for (TPlanView view : kViews)
        for (const auto& c : cases) {
            auto s = NewScene();
            EdgeScroll(*s, view, c.at, 100, kPane, kPane);
            EXPECT_EQ(OriginOf(*s, view).ox, 100 + c.delta) << "x=" << c.at;
            EXPECT_EQ(OriginOf(*s, view).oy, 100);
            EdgeScroll(*s, view, 100, c.at, kPane, kPane);
            EXPECT_EQ(OriginOf(*s, view).ox, 100 + c.delta);
            EXPECT_EQ(OriginOf(*s, view).oy, 100 + c.delta) << "y=" << c.at;
        }
    // One pixel per axis per call, and each axis measured against its own pane side.
    auto s = NewScene();
    EdgeScroll(*s, TPlanView::XY, 5, 5, kPane, kPane);
    EXPECT_EQ(s->ViewOriginXY.ox, 101);
    EXPECT_EQ(s->ViewOriginXY.oy, 101);
    EdgeScroll(*s, TPlanView::XY, 250, 181, 300, 200);
    EXPECT_EQ(s->ViewOriginXY.ox, 101);
    EXPECT_EQ(s->ViewOriginXY.oy, 100);
    EXPECT_EQ(s->ViewOriginXZ.ox, 100);
}

TEST(Editing, DragSnapsBeforeTheSameEventScrolls)
{
    // At (15, 6) the old origin snaps to (-80, 90); an origin nudged first would give (-90, 100).
    for (TPlanView view : kViews)
        for (TTool tool : {TTool::Kamera, TTool::Odak}) {
            auto s = NewScene();
            PlanMouseDown(*s, view, B::Left, 100, 100, tool);
            Move(*s, view, 15, 6, tool);
            const TGridPoint g = InView(view, tool == TTool::Kamera ? s->Camera : s->Focus);
            EXPECT_EQ(g.h, -80);
            EXPECT_EQ(g.v, 90);
            EXPECT_EQ(OriginOf(*s, view).ox, 101);
            EXPECT_EQ(OriginOf(*s, view).oy, 101);
        }
    auto s = NewScene();
    PlanMouseDown(*s, TPlanView::XY, B::Left, 100, 100, TTool::Prizma);
    Move(*s, TPlanView::XY, 15, 6, TTool::Prizma);
    EXPECT_EQ(s->Prism(1).c[6].x, -80);
    EXPECT_EQ(s->Prism(1).c[6].y, 90);
    EXPECT_EQ(s->ViewOriginXY.ox, 101);
}

TEST(Editing, PrismPressMakesPointPrismInEachView)
{
    const struct {
        TPlanView view;
        TVec3 corner;  // (114, 86) snaps to (10, 10) in the view's axes
        TTool afterLeft;
    } cases[] = {
        {TPlanView::XY, {10, 10, 0}, TTool::SonPrizma},
        {TPlanView::XZ, {10, 0, 10}, TTool::None},
        {TPlanView::YZ, {0, 10, 10}, TTool::None},
    };
    for (const auto& c : cases) {
        auto s = NewScene();
        PlanMouseDown(*s, c.view, B::Left, 114, 86, TTool::Prizma);
        EXPECT_TRUE(LeftDragOf(*s, c.view));
        ASSERT_EQ(s->PrismCount, 1);
        for (int i = 0; i < 8; ++i)
            ExpectCorner(s->Prism(1).c[i], c.corner.x, c.corner.y, c.corner.z, i);
        EXPECT_EQ(s->Prism(1).colour, kBlack);
        EXPECT_EQ(PlanMouseUp(*s, c.view, B::Left, TTool::Prizma), c.afterLeft);
        EXPECT_FALSE(LeftDragOf(*s, c.view));
        EXPECT_EQ(s->PrismCount, 1);
    }
}

TEST(Editing, ReleaseClearsFlagsAndHandsOverTools)
{
    const struct {
        TPlanView view;
        B button;
        TTool before, after;
    } cases[] = {
        {TPlanView::XY, B::Left, TTool::Prizma, TTool::SonPrizma},
        {TPlanView::XY, B::Middle, TTool::Prizma, TTool::SonPrizma},
        {TPlanView::XY, B::Right, TTool::Prizma, TTool::None},
        {TPlanView::XY, B::Left, TTool::Kamera, TTool::Kamera},
        {TPlanView::XY, B::Right, TTool::Kamera, TTool::None},
        {TPlanView::XY, B::Right, TTool::Odak, TTool::None},
        {TPlanView::XY, B::Right, TTool::SonPrizma, TTool::None},
        {TPlanView::XY, B::Left, TTool::SonPrizma, TTool::SonPrizma},
    };
    for (const auto& c : cases) {
        auto s = NewScene();
        LeftDragOf(*s, c.view) = RightDragOf(*s, c.view) = true;
        EXPECT_EQ(PlanMouseUp(*s, c.view, c.button, c.before), c.after) << int(c.before);
        EXPECT_FALSE(LeftDragOf(*s, c.view));
        EXPECT_FALSE(RightDragOf(*s, c.view));
    }
    const struct {
        B button;
        TTool before, after;
    } side[] = {
        {B::Left, TTool::Prizma, TTool::None},         {B::Middle, TTool::Prizma, TTool::None},
        {B::Right, TTool::Prizma, TTool::None},        {B::Left, TTool::Kamera, TTool::Kamera},
        {B::Right, TTool::Kamera, TTool::None},        {B::Right, TTool::Odak, TTool::None},
        {B::Left, TTool::Odak, TTool::Odak},           {B::Right, TTool::SonPrizma, TTool::SonPrizma},
        {B::Left, TTool::SonPrizma, TTool::SonPrizma},
    };
    for (TPlanView view : {TPlanView::XZ, TPlanView::YZ})
        for (const auto& c : side) {
            auto s = NewScene();
            LeftDragOf(*s, view) = RightDragOf(*s, view) = s->LeftDragXY = true;
            EXPECT_EQ(PlanMouseUp(*s, view, c.button, c.before), c.after) << int(c.before);
            EXPECT_FALSE(LeftDragOf(*s, view));
            EXPECT_FALSE(RightDragOf(*s, view));
            EXPECT_TRUE(s->LeftDragXY);  // other views keep their flags
        }
}

TEST(Editing, StretchSpansRectangleKeepingZAndColour)
{
    auto s = NewScene();
    TPrism* p = AppendPrism(*s);
    for (int i = 0; i < 8; ++i)
        p->c[i] = {10, 20, double(i), 0, 0};
    p->colour = 0x123456;
    StretchLastPrism(*s, 50, -30);
    const double expected[8][2] = {{10, 20}, {50, 20}, {50, -30}, {10, -30}, {10, 20}, {50, 20}, {50, -30}, {10, -30}};
    for (int i = 0; i < 8; ++i)
        ExpectCorner(p->c[i], expected[i][0], expected[i][1], i, i);
    EXPECT_EQ(p->colour, 0x123456u);
}

TEST(Editing, DragStretchesLastPrismAndSonPrizmaRestretchesIt)
{
    auto s = NewScene();
    PlanMouseDown(*s, TPlanView::XY, B::Left, 114, 86, TTool::Prizma);  // (10, 10)
    Move(*s, TPlanView::XY, 145, 55, TTool::Prizma);                    // (50, 50)
    const TTool tool = PlanMouseUp(*s, TPlanView::XY, B::Left, TTool::Prizma);
    ASSERT_EQ(tool, TTool::SonPrizma);
    const double first[4][2] = {{10, 10}, {50, 10}, {50, 50}, {10, 50}};
    for (int i = 0; i < 8; ++i)
        ExpectCorner(s->Prism(1).c[i], first[i % 4][0], first[i % 4][1], 0, i);
    // A second drag works on the same prism instead of adding one.
    PlanMouseDown(*s, TPlanView::XY, B::Left, 100, 100, tool);
    Move(*s, TPlanView::XY, 75, 125, tool);  // (-20, -20)
    ASSERT_EQ(s->PrismCount, 1);
    const double second[4][2] = {{10, 10}, {-20, 10}, {-20, -20}, {10, -20}};
    for (int i = 0; i < 8; ++i)
        ExpectCorner(s->Prism(1).c[i], second[i % 4][0], second[i % 4][1], 0, i);
}

TEST(Editing, SideViewDragWithPrizmaNeitherStretchesNorScrolls)
{
    for (TPlanView view : {TPlanView::XZ, TPlanView::YZ}) {
        auto s = NewScene();
        PlanMouseDown(*s, view, B::Left, 114, 86, TTool::Prizma);
        const TVec3 corner = At(s->Prism(1).c[0]);
        Move(*s, view, 5, 195, TTool::Prizma);
        for (const TVertex& c : s->Prism(1).c)
            EXPECT_TRUE(Same(At(c), corner));
        EXPECT_EQ(OriginOf(*s, view).ox, 100);
        EXPECT_EQ(OriginOf(*s, view).oy, 100);
    }
}

TEST(Editing, SonPrizmaWithoutPrismOnlyScrolls)
{
    auto s = NewScene();
    PlanMouseDown(*s, TPlanView::XY, B::Left, 100, 100, TTool::SonPrizma);
    Move(*s, TPlanView::XY, 5, 100, TTool::SonPrizma);
    EXPECT_EQ(s->PrismCount, 0);
    for (const TVertex& c : s->Prism(1).c)
        EXPECT_TRUE(Same(At(c), {}));
    EXPECT_EQ(s->ViewOriginXY.ox, 101);
    EXPECT_EQ(s->ViewOriginXY.oy, 100);
}

TEST(Editing, LeftDragWithoutToolChangesNothingButTheFlag)
{
    for (TPlanView view : kViews) {
        auto s = NewScene();
        PlanMouseDown(*s, view, B::Left, 5, 5, TTool::None);
        EXPECT_TRUE(LeftDragOf(*s, view));
        EXPECT_FALSE(RightDragOf(*s, view));
        for (int at : {5, 195}) {
            Move(*s, view, at, at, TTool::None);
            EXPECT_EQ(OriginOf(*s, view).ox, 100);
            EXPECT_EQ(OriginOf(*s, view).oy, 100);
        }
        EXPECT_TRUE(CameraAndFocusUnmoved(*s));
    }
}

TEST(Editing, RightDragScrollsWhateverTheTool)
{
    for (TPlanView view : kViews)
        for (TTool tool : kTools) {
            auto s = NewScene();
            PlanMouseDown(*s, view, B::Right, 5, 5, tool);
            EXPECT_TRUE(RightDragOf(*s, view));
            EXPECT_FALSE(LeftDragOf(*s, view));
            Move(*s, view, 5, 5, tool);
            Move(*s, view, 5, 5, tool);
            EXPECT_EQ(OriginOf(*s, view).ox, 102) << int(tool);
            EXPECT_EQ(OriginOf(*s, view).oy, 102) << int(tool);
            EXPECT_EQ(s->PrismCount, 0);
            EXPECT_TRUE(CameraAndFocusUnmoved(*s));
        }
}

TEST(Editing, MiddlePressDoesNothing)
{
    for (TPlanView view : kViews)
        for (TTool tool : kTools) {
            auto s = NewScene();
            PlanMouseDown(*s, view, B::Middle, 5, 5, tool);
            Move(*s, view, 5, 5, tool);
            EXPECT_FALSE(LeftDragOf(*s, view));
            EXPECT_FALSE(RightDragOf(*s, view));
            EXPECT_EQ(s->PrismCount, 0);
            EXPECT_EQ(OriginOf(*s, view).ox, 100);
            EXPECT_TRUE(CameraAndFocusUnmoved(*s));
        }
}

TEST(Editing, FullTableIgnoresPrismPress)
{
    for (TPlanView view : kViews) {
        auto s = NewScene();
        while (AppendPrism(*s) != nullptr) {
        }
        ASSERT_EQ(s->PrismCount, kPrismSlots);
        PlanMouseDown(*s, view, B::Left, 114, 86, TTool::Prizma);
        EXPECT_FALSE(LeftDragOf(*s, view));
        EXPECT_EQ(s->PrismCount, kPrismSlots);
        Move(*s, view, 5, 5, TTool::Prizma);
        for (const TVertex& c : s->Prism(kPrismSlots).c)
            EXPECT_TRUE(Same(At(c), {}));
        EXPECT_EQ(OriginOf(*s, view).ox, 100);
        EXPECT_TRUE(CameraAndFocusUnmoved(*s));  // the fields right after the table
    }
}

TEST(Editing, ExtremePointersDoNotOverflow)
{
    const struct {
        int x, y;
        double h, v;  // nearest multiples of 10 to x - 100 and 100 - y
    } cases[] = {
        {1'000'000, 1'000'000, 999'900, -999'900},
        {-1'000'000, -1'000'000, -1'000'100, 1'000'100},
        {INT_MAX, INT_MAX, 2147483550, -2147483550},
        {INT_MIN, INT_MIN, -2147483750, 2147483750},
    };
    for (TPlanView view : kViews)
        for (const auto& c : cases) {
            auto s = NewScene();
            const TGridPoint g = SnapToGrid(*s, view, c.x, c.y);
            EXPECT_EQ(g.h, c.h);
            EXPECT_EQ(g.v, c.v);
            for (TTool tool : kTools) {
                PlanMouseDown(*s, view, B::Left, c.x, c.y, tool);
                Move(*s, view, c.x, c.y, tool);
                PlanMouseUp(*s, view, B::Left, tool);
            }
            EXPECT_EQ(InView(view, s->Camera).h, c.h);
        }
}

TEST(Editing, OriginSaturatesAtLimit)
{
    auto s = NewScene();
    s->ViewOriginXY = {kOriginLimit - 1, -kOriginLimit + 1};
    for (int i = 0; i < 3; ++i)
        EdgeScroll(*s, TPlanView::XY, 0, kPane, kPane, kPane);
    EXPECT_EQ(s->ViewOriginXY.ox, kOriginLimit);
    EXPECT_EQ(s->ViewOriginXY.oy, -kOriginLimit);
    s->ViewOriginXZ = {INT_MIN, INT_MAX};
    EdgeScroll(*s, TPlanView::XZ, kPane, 0, kPane, kPane);
    EXPECT_EQ(s->ViewOriginXZ.ox, INT_MIN);
    EXPECT_EQ(s->ViewOriginXZ.oy, INT_MAX);
    // Snapping against the farthest origins stays exact.
    const TGridPoint g = SnapToGrid(*s, TPlanView::XZ, INT_MAX, INT_MIN);
    EXPECT_EQ(g.h, 4294967300.0);  // 2^32 - 1 rounded to 10
    EXPECT_EQ(g.v, 4294967300.0);
}
