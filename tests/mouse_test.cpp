// Editing in the plan views through real mouse input sent to the window: Qt picks the pane under
// the pointer, keeps sending to the pressed pane while a button is held, and maps the buttons.
#include "form_fixture.h"

#include <QImage>

namespace {

inline constexpr QPoint kCentre{100, 100};
inline constexpr QRgb kMarkBlue = qRgb(120, 120, 255);
inline constexpr QRgb kSightRed = qRgb(255, 0, 0);

struct TViewPane {
    TPlanView view;
    const char* pane;
};

constexpr TViewPane kPlanPanes[] = {{TPlanView::XY, "EkranXY"}, {TPlanView::XZ, "EkranXZ"}, {TPlanView::YZ, "EkranYZ"}};

// The camera's two coordinates that a view shows, as (horizontal, vertical).
QPointF PlanCoords(const TVec3& p, TPlanView view)
{
    switch (view) {
    case TPlanView::XY: return {p.x, p.y};
    case TPlanView::XZ: return {p.x, p.z};
    case TPlanView::YZ: return {p.y, p.z};
    }
    return {};
}

bool SameOrigins(const TScene& a, const TScene& b)
{
    for (const TViewPane& v : kPlanPanes)
        if (OriginOf(a, v.view).ox != OriginOf(b, v.view).ox || OriginOf(a, v.view).oy != OriginOf(b, v.view).oy)
            return false;
    return true;
}

void ExpectCorner(const TVertex& c, double x, double y, double z, int i)
{
    EXPECT_EQ(c.x, x) << "corner " << i;
    EXPECT_EQ(c.y, y) << "corner " << i;
    EXPECT_EQ(c.z, z) << "corner " << i;
}

// What the pane shows on screen, through its own paint event.
QRgb Shown(QWidget* pane, QPoint p) { return pane->grab().toImage().pixel(p) | 0xFF000000u; }

}  // namespace

class MouseTest : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        // Frames are driven by hand here, so the pictures checked are the ones asked for.
        Saat()->stop();
    }
};

TEST_F(MouseTest, CameraPressSnapsToTheGridInEveryView)
{
    struct TSnap {
        QPoint pixel;
        QPointF world;
    };
    const TSnap cases[] = {
        {{114, 86}, {10, 10}},
        {{115, 85}, {20, 20}},
        {{85, 100}, {-10, 0}},
        {{84, 100}, {-20, 0}},
    };
    QTest::mouseClick(Button("BKamera"), Qt::LeftButton);
    for (const TViewPane& v : kPlanPanes)
        for (const TSnap& c : cases) {
            Click(Pane(v.pane), Qt::LeftButton, c.pixel);
            EXPECT_EQ(PlanCoords(Scene().Camera, v.view), c.world)
                << v.pane << " pixel " << c.pixel.x() << "," << c.pixel.y();
        }
    EXPECT_EQ(Form().CurrentTool(), TTool::Kamera);
}

TEST_F(MouseTest, CameraDragScrollsInsideTheEdgeMargins)
{
    struct TEdge {
        QPoint pointer;
        int dox;
        int doy;
    };
    const TEdge cases[] = {
        {{19, 100}, 1, 0}, {{20, 100}, 0, 0},  {{180, 100}, 0, 0},  {{181, 100}, -1, 0}, {{100, 19}, 0, 1},
        {{100, 20}, 0, 0}, {{100, 180}, 0, 0}, {{100, 181}, 0, -1}, {{19, 181}, 1, -1},
    };
    Form().SetTool(TTool::Kamera);
    for (const TViewPane& v : kPlanPanes)
        for (const TEdge& c : cases) {
            QWidget* pane = Pane(v.pane);
            Press(pane, Qt::LeftButton, kCentre);
            const TViewOrigin before = OriginOf(Scene(), v.view);
            Move(pane, c.pointer);
            const TViewOrigin after = OriginOf(Scene(), v.view);
            Release(pane, Qt::LeftButton, c.pointer);
            EXPECT_EQ(after.ox - before.ox, c.dox) << v.pane << " at " << c.pointer.x() << "," << c.pointer.y();
            EXPECT_EQ(after.oy - before.oy, c.doy) << v.pane << " at " << c.pointer.x() << "," << c.pointer.y();
        }
}

TEST_F(MouseTest, PrismClickMakesAPointPrismAndHandsOverToSonPrizma)
{
    QWidget* xy = Pane("EkranXY");
    QTest::mouseClick(Button("BPrizma"), Qt::LeftButton);
    Click(xy, Qt::LeftButton, {114, 86});
    ASSERT_EQ(Scene().PrismCount, 1);
    for (int i = 0; i < 8; ++i)
        ExpectCorner(Scene().Prism(1).c[i], 10, 10, 0, i);
    EXPECT_TRUE(Button("BSonPrizma")->isChecked());
    EXPECT_FALSE(Button("BPrizma")->isChecked());

    // The next drag re-stretches the same prism instead of adding one.
    Press(xy, Qt::LeftButton, {160, 160});
    Move(xy, {150, 150});
    Move(xy, {135, 65});
    Release(xy, Qt::LeftButton, {135, 65});
    ASSERT_EQ(Scene().PrismCount, 1);
    const TVertex* c = Scene().Prism(1).c;
    const double expected[8][2] = {{10, 10}, {40, 10}, {40, 40}, {10, 40}, {10, 10}, {40, 10}, {40, 40}, {10, 40}};
    for (int i = 0; i < 8; ++i)
        ExpectCorner(c[i], expected[i][0], expected[i][1], 0, i);
    EXPECT_EQ(Form().CurrentTool(), TTool::SonPrizma);
}

TEST_F(MouseTest, SonPrizmaWithoutPrismsChangesNothing)
{
    QWidget* xy = Pane("EkranXY");
    Form().SetTool(TTool::SonPrizma);
    Press(xy, Qt::LeftButton, {114, 86});
    Move(xy, {150, 50});
    Release(xy, Qt::LeftButton, {150, 50});
    EXPECT_EQ(Scene().PrismCount, 0);
    for (int i = 0; i < 8; ++i)
        ExpectCorner(Scene().Prism(1).c[i], 0, 0, 0, i);
    EXPECT_EQ(Scene().Camera.x + Scene().Camera.y + Scene().Focus.x + Scene().Focus.y, 0);
    EXPECT_EQ(Form().CurrentTool(), TTool::SonPrizma);
}

TEST_F(MouseTest, PrismPressInSideViewsLeavesTheThirdAxisAtZero)
{
    struct TSide {
        const char* pane;
        double x, y, z;
    };
    const TSide cases[] = {{"EkranXZ", 10, 0, 10}, {"EkranYZ", 0, 10, 10}};
    for (const TSide& s : cases) {
        const int before = Scene().PrismCount;
        QTest::mouseClick(Button("BPrizma"), Qt::LeftButton);
        Press(Pane(s.pane), Qt::LeftButton, {114, 86});
        ASSERT_EQ(Scene().PrismCount, before + 1) << s.pane;
        EXPECT_TRUE(Button("BPrizma")->isChecked()) << s.pane;
        Move(Pane(s.pane), {150, 50});  // no stretching outside the top view
        Release(Pane(s.pane), Qt::LeftButton, {150, 50});
        for (int i = 0; i < 8; ++i)
            ExpectCorner(Scene().Prism(Scene().PrismCount).c[i], s.x, s.y, s.z, i);
        EXPECT_EQ(Form().CurrentTool(), TTool::None) << s.pane;
    }
}

TEST_F(MouseTest, LeftDragWithoutToolOnlySetsTheFlag)
{
    auto before = std::make_unique<TScene>(Scene());
    QWidget* xy = Pane("EkranXY");
    Press(xy, Qt::LeftButton, kCentre);
    EXPECT_TRUE(Scene().LeftDragXY);
    for (QPoint p : {QPoint(5, 5), QPoint(195, 195), QPoint(-30, 100)})
        Move(xy, p);
    EXPECT_TRUE(SameOrigins(Scene(), *before));
    Release(xy, Qt::LeftButton, {-30, 100});
    EXPECT_FALSE(Scene().LeftDragXY);
    EXPECT_EQ(Scene().PrismCount, 0);
    EXPECT_EQ(PlanCoords(Scene().Camera, TPlanView::XY), QPointF(0, 0));
    EXPECT_EQ(PlanCoords(Scene().Focus, TPlanView::XY), QPointF(0, 0));
    EXPECT_TRUE(SameOrigins(Scene(), *before));
}

TEST_F(MouseTest, CameraDragLeavingThePaneKeepsScrollingAndFollowing)
{
    QWidget* xy = Pane("EkranXY");
    Form().SetTool(TTool::Kamera);
    Press(xy, Qt::LeftButton, kCentre);
    // Out to the left, across the gap and over the 3D view; the pressed pane keeps getting the moves.
    const int xs[] = {10, -5, -20, -60, -150, -210};
    int ox = OriginOf(Scene(), TPlanView::XY).ox;
    for (int x : xs) {
        Move(xy, {x, 100});
        // The pointer snaps against the origin as it stood before this move's nudge.
        const double expectedX = std::floor((x - ox + 5) / 10.0) * 10;
        ++ox;
        EXPECT_EQ(OriginOf(Scene(), TPlanView::XY).ox, ox) << "x " << x;
        EXPECT_EQ(OriginOf(Scene(), TPlanView::XY).oy, 100) << "x " << x;
        EXPECT_EQ(Scene().Camera.x, expectedX) << "x " << x;
        EXPECT_EQ(Scene().Camera.y, 0) << "x " << x;
    }
    EXPECT_TRUE(Scene().LeftDragXY);
    Release(xy, Qt::LeftButton, {-210, 100});
    EXPECT_FALSE(Scene().LeftDragXY);
    EXPECT_EQ(OriginOf(Scene(), TPlanView::XZ).ox, 100);  // the 3D view and XZ were never told
}

TEST_F(MouseTest, RightReleaseOverAnotherPaneReachesThePressedOne)
{
    QWidget* xy = Pane("EkranXY");
    QWidget* xz = Pane("EkranXZ");
    Form().SetTool(TTool::SonPrizma);
    Press(xy, Qt::RightButton, kCentre);
    EXPECT_TRUE(Scene().RightDragXY);
    Release(xz, Qt::RightButton, kCentre);
    EXPECT_FALSE(Scene().RightDragXY);
    EXPECT_FALSE(Scene().RightDragXZ);
    // A right release in XZ would have kept BSonPrizma; the top view's raises every tool.
    EXPECT_EQ(Form().CurrentTool(), TTool::None);

    const TViewOrigin settled = OriginOf(Scene(), TPlanView::XY);
    for (QPoint p : {QPoint(5, 5), QPoint(10, 190), QPoint(195, 100)})
        Move(xy, p);
    EXPECT_EQ(OriginOf(Scene(), TPlanView::XY).ox, settled.ox);
    EXPECT_EQ(OriginOf(Scene(), TPlanView::XY).oy, settled.oy);
    EXPECT_EQ(OriginOf(Scene(), TPlanView::XZ).ox, 100);
    EXPECT_EQ(OriginOf(Scene(), TPlanView::XZ).oy, 100);
}

// Qt's delivery off the well-trodden path: a release that never came, and a chord begun off every pane.
TEST_F(MouseTest, MoveWithoutTheButtonEndsADragWhoseReleaseWentAstray)
{
    QWidget* xy = Pane("EkranXY");
    Form().SetTool(TTool::Kamera);
    Press(xy, Qt::LeftButton, {120, 100});
    ASSERT_EQ(Scene().Camera.x, 20);
    QTestPrivate::qtestMouseButtons = Qt::NoButton;  // another window took the release
    Move(xy, {140, 100});
    EXPECT_FALSE(Scene().LeftDragXY);
    // A right drag in the edge margin now scrolls the view and leaves the camera where it was.
    Press(xy, Qt::RightButton, {10, 100});
    Move(xy, {9, 100});
    Release(xy, Qt::RightButton, {9, 100});
    EXPECT_EQ(Scene().Camera.x, 20);
    EXPECT_EQ(Scene().Camera.y, 0);
    EXPECT_EQ(OriginOf(Scene(), TPlanView::XY).ox, 101);
}

TEST_F(MouseTest, ChordBegunOnTheFaceReachesNoPane)
{
    QWidget* xy = Pane("EkranXY");
    Form().SetTool(TTool::Kamera);
    const QPoint face = At(Pane("EkranYZ"), {240, 100});  // right of the side view, below the tools
    QTest::mousePress(Window(), Qt::MiddleButton, {}, face);
    Press(xy, Qt::LeftButton, {20, 20});
    Move(xy, {10, 10});
    QTest::mouseRelease(Window(), Qt::LeftButton, {}, face);
    QTest::mouseRelease(Window(), Qt::MiddleButton, {}, face);
    Move(xy, {0, 100});
    EXPECT_EQ(Scene().Camera.x, 0);
    EXPECT_EQ(Scene().Camera.y, 0);
    EXPECT_EQ(OriginOf(Scene(), TPlanView::XY).ox, 100);
    EXPECT_EQ(Form().CurrentTool(), TTool::Kamera);
}

TEST_F(MouseTest, RightClickRaisesTools)
{
    struct TCase {
        const char* pane;
        TTool before;
        TTool after;
    };
    const TCase cases[] = {
        {"EkranXY", TTool::Kamera, TTool::None}, {"EkranXY", TTool::Odak, TTool::None},
        {"EkranXY", TTool::Prizma, TTool::None}, {"EkranXY", TTool::SonPrizma, TTool::None},
        {"EkranXZ", TTool::Kamera, TTool::None}, {"EkranXZ", TTool::Odak, TTool::None},
        {"EkranXZ", TTool::Prizma, TTool::None}, {"EkranXZ", TTool::SonPrizma, TTool::SonPrizma},
        {"EkranYZ", TTool::Kamera, TTool::None}, {"EkranYZ", TTool::Odak, TTool::None},
        {"EkranYZ", TTool::Prizma, TTool::None}, {"EkranYZ", TTool::SonPrizma, TTool::SonPrizma},
    };
    for (const TCase& c : cases) {
        Form().SetTool(c.before);
        Click(Pane(c.pane), Qt::RightButton, {114, 86});
        EXPECT_EQ(Form().CurrentTool(), c.after) << c.pane << " tool " << int(c.before);
    }
    // The right button places nothing.
    EXPECT_EQ(Scene().PrismCount, 0);
    EXPECT_EQ(PlanCoords(Scene().Camera, TPlanView::XY), QPointF(0, 0));
    EXPECT_EQ(Scene().Camera.z, 0);
}

TEST_F(MouseTest, MiddleButtonOnlyReleases)
{
    struct TCase {
        TPlanView view;
        const char* pane;
        TTool after;
    };
    const TCase cases[] = {
        {TPlanView::XY, "EkranXY", TTool::SonPrizma},
        {TPlanView::XZ, "EkranXZ", TTool::None},
        {TPlanView::YZ, "EkranYZ", TTool::None},
    };
    for (const TCase& c : cases) {
        QWidget* pane = Pane(c.pane);
        Form().SetTool(TTool::Prizma);
        Press(pane, Qt::RightButton, kCentre);
        Press(pane, Qt::MiddleButton, {114, 86});
        EXPECT_EQ(Scene().PrismCount, 0) << c.pane;
        EXPECT_FALSE(LeftDragOf(Scene(), c.view)) << c.pane;
        EXPECT_TRUE(RightDragOf(Scene(), c.view)) << c.pane;
        Release(pane, Qt::MiddleButton, {114, 86});
        EXPECT_FALSE(RightDragOf(Scene(), c.view)) << c.pane;
        EXPECT_EQ(Form().CurrentTool(), c.after) << c.pane;
        Form().SetTool(TTool::None);
        Release(pane, Qt::RightButton, {114, 86});
    }
}

TEST_F(MouseTest, DoubleClickSecondPressIsAnOrdinaryPress)
{
    QWidget* xy = Pane("EkranXY");
    const QPoint at = At(xy, {114, 86});
    const QPointF global = xy->mapToGlobal(QPointF(114, 86));
    // Four events within the double-click interval, the tool chosen between the two clicks.
    int t = QTest::lastMouseTimestamp + 10 * QTest::mouseDoubleClickInterval;
    qt_handleMouseEvent(Window(), at, global, Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress, {}, ++t);
    qt_handleMouseEvent(Window(), at, global, Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease, {}, ++t);
    QCoreApplication::processEvents();
    ASSERT_EQ(Scene().PrismCount, 0);
    Form().SetTool(TTool::Prizma);
    qt_handleMouseEvent(Window(), at, global, Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress, {}, ++t);
    QCoreApplication::processEvents();
    EXPECT_EQ(Scene().PrismCount, 1);  // one press, neither lost nor doubled
    EXPECT_TRUE(Scene().LeftDragXY);
    qt_handleMouseEvent(Window(), at, global, Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease, {}, ++t);
    QCoreApplication::processEvents();
    QTest::lastMouseTimestamp = t + 10 * QTest::mouseDoubleClickInterval;
    EXPECT_FALSE(Scene().LeftDragXY);
    EXPECT_EQ(Form().CurrentTool(), TTool::SonPrizma);
}

TEST_F(MouseTest, PressOnAFullPrismTableIsIgnored)
{
    QWidget* xy = Pane("EkranXY");
    // All but the last slot through the scene, the last one by a real click.
    while (Scene().PrismCount < kPrismSlots - 1)
        AppendPrism(Scene());
    QTest::mouseClick(Button("BPrizma"), Qt::LeftButton);
    Click(xy, Qt::LeftButton, {114, 86});
    ASSERT_EQ(Scene().PrismCount, kPrismSlots);
    ExpectCorner(Scene().Prism(kPrismSlots).c[6], 10, 10, 0, 6);

    QTest::mouseClick(Button("BPrizma"), Qt::LeftButton);
    ASSERT_EQ(Form().CurrentTool(), TTool::Prizma);
    Press(xy, Qt::LeftButton, {150, 50});
    EXPECT_EQ(Scene().PrismCount, kPrismSlots);
    EXPECT_FALSE(Scene().LeftDragXY);
    Move(xy, {160, 40});
    for (int i = 0; i < 8; ++i)
        ExpectCorner(Scene().Prism(kPrismSlots).c[i], 10, 10, 0, i);
    Release(xy, Qt::LeftButton, {160, 40});
    EXPECT_EQ(Form().CurrentTool(), TTool::SonPrizma);
}

TEST_F(MouseTest, NextFrameShowsTheEdits)
{
    QWidget* xy = Pane("EkranXY");
    Form().SaatTimer();
    EXPECT_NE(Shown(xy, {150, 50}), kSightRed);
    EXPECT_NE(Shown(xy, {125, 60}), kMarkBlue);

    Form().SetTool(TTool::Kamera);
    Click(xy, Qt::LeftButton, {145, 55});  // camera to (50, 50), focus stays at the origin
    Form().SetTool(TTool::Prizma);
    Press(xy, Qt::LeftButton, {114, 86});
    Move(xy, {135, 65});  // prism (10, 10)..(40, 40)
    Release(xy, Qt::LeftButton, {135, 65});
    // Nothing is drawn until the frame.
    EXPECT_NE(Shown(xy, {150, 50}), kSightRed);
    Form().SaatTimer();

    // The sight line starts on the camera's pixel; the marker ring is light blue around it.
    EXPECT_EQ(Shown(xy, {150, 50}), kSightRed);
    int ring = 0;
    const QImage shot = xy->grab().toImage();
    for (int y = 46; y <= 54; ++y)
        for (int x = 146; x <= 154; ++x)
            ring += (shot.pixel(x, y) | 0xFF000000u) == kMarkBlue;
    EXPECT_GT(ring, 8);
    // The footprint's four sides.
    for (QPoint p : {QPoint(125, 90), QPoint(140, 75), QPoint(125, 60), QPoint(110, 75)})
        EXPECT_EQ(Shown(xy, p), kMarkBlue) << p.x() << "," << p.y();
    // The XZ view shows the camera at x 50, z 0.
    EXPECT_EQ(Shown(Pane("EkranXZ"), {150, 100}), kSightRed);
}
