// The real program in a real X server: pointer events from xdotool, pixels from screenshots.

#include "xwindow_fixture.h"

#include <algorithm>
#include <cstdlib>

namespace xwindow {
namespace {

constexpr Pane kPanes[] = {Pane::View3B, Pane::XY, Pane::XZ, Pane::YZ};
// Movements in the edge margin while the button is held; each scrolls one pixel.
constexpr int kScrollMoves = 6;

TEST_F(XWindowTest, StartShowsArrowsGridCameraMarkAndAxes)
{
    const WindowShot& shot = start_;
    EXPECT_EQ(AtClient(shot, kBareSpot), kSilver);
    EXPECT_EQ(AtClient(shot, {210, 100}), kSilver) << "between the top panes";

    struct PlanCase {
        Pane pane;
        const char* name;
        std::string horizontal;
        std::string vertical;
    };
    const Grid grid;
    const QRect circle(97, 97, 6, 6);
    for (const PlanCase& c : {PlanCase{Pane::XY, "XY", kBlue, kGreen}, PlanCase{Pane::XZ, "XZ", kBlue, kRed},
                              PlanCase{Pane::YZ, "YZ", kGreen, kRed}}) {
        SCOPED_TRACE(c.name);
        // Arrows from the origin (100, 100), the grid dots drawn over them, the camera circle over both.
        ExpectRun(shot, c.pane, {103, 100}, {199, 100}, c.horizontal, grid);
        ExpectRun(shot, c.pane, {195, 95}, {199, 99}, c.horizontal);
        ExpectRun(shot, c.pane, {199, 101}, {196, 104}, c.horizontal);
        ExpectRun(shot, c.pane, {100, 96}, {100, 1}, c.vertical, grid);
        ExpectRun(shot, c.pane, {95, 5}, {99, 1}, c.vertical);
        ExpectRun(shot, c.pane, {101, 1}, {104, 4}, c.vertical);
        ExpectGrid(shot, c.pane, grid, circle);
        for (QPoint empty : {QPoint(155, 155), QPoint(45, 45), QPoint(45, 155), QPoint(5, 195)})
            EXPECT_EQ(At(shot, c.pane, empty), kWhite);
        ExpectCameraMark(shot, c.pane, {100, 100});
        EXPECT_EQ(At(shot, c.pane, {100, 100}), kWhite) << "the circle is filled with the background";
    }
    // Camera and focus at the origin: Z straight up, Y straight left, X of no length.
    ExpectPane(shot, Pane::View3B, ExpectedAxes3B(*ProjectedScene({0, 0, 0})));
    ExpectRun(shot, Pane::View3B, {100, 0}, {100, 99}, kRed);
}

TEST_F(XWindowTest, CameraClickInTopViewMovesEveryView)
{
    ClickTool(kBKamera);
    // Pane pixel (60, 140) snaps to world (-40, -40).
    window_->Click(InPane(Pane::XY, {60, 140}));
    const WindowShot shot = window_->ShotWhen([&](const WindowShot& s) {
        return At(s, Pane::XY, {60, 137}) == kLightBlue;
    });

    ExpectCameraMark(shot, Pane::XY, {60, 140});
    ExpectRun(shot, Pane::XY, {60, 140}, {99, 101}, kRed);
    EXPECT_EQ(At(shot, Pane::XY, {100, 100}), kBlack) << "the line of sight leaves out the focus pixel";
    for (Pane side : {Pane::XZ, Pane::YZ}) {
        SCOPED_TRACE(side == Pane::XZ ? "XZ" : "YZ");
        // Camera x (XZ) or y (YZ) is -40 and z is 0.
        ExpectCameraMark(shot, side, {60, 100});
        ExpectRun(shot, side, {60, 100}, {99, 100}, kRed);
        EXPECT_EQ(At(shot, side, {100, 100}), kBlack);
        ExpectRun(shot, side, {101, 100}, {199, 100}, side == Pane::XZ ? kBlue : kGreen, Grid{});
    }
    EXPECT_FALSE(PaneImage(shot, Pane::View3B) == PaneImage(start_, Pane::View3B));
    ExpectPane(shot, Pane::View3B, ExpectedAxes3B(*ProjectedScene({-40, -40, 0})));
}

TEST_F(XWindowTest, PrismDragOutlinesFootprintAndNextDragRestretchesIt)
{
    ClickTool(kBKamera);
    window_->Click(InPane(Pane::XZ, {60, 40}));   // camera x, z = -40, 60
    window_->Click(InPane(Pane::XY, {60, 140}));  // camera x, y = -40, -40
    const auto scene = ProjectedScene({-40, -40, 60});

    ClickTool(kBPrizma);
    // From world (20, -20) to world (60, 10).
    Drag(Pane::XY, {120, 120}, {160, 90});
    WindowShot shot = window_->ShotWhen([&](const WindowShot& s) {
        return At(s, Pane::XY, {160, 105}) == kLightBlue && Sunken(s, kBSonPrizma);
    });
    ExpectOutline(shot, Pane::XY, QRect(QPoint(120, 90), QPoint(160, 120)), kLightBlue);
    EXPECT_EQ(At(shot, Pane::XY, {140, 105}), kWhite) << "the footprint is an outline";
    EXPECT_TRUE(Sunken(shot, kBSonPrizma)) << "the release puts BSonPrizma down";
    EXPECT_TRUE(LooksAsAtStart(shot, kBPrizma)) << "and BPrizma up";
    EXPECT_TRUE(LooksAsAtStart(shot, kBKamera));
    ExpectFootprintCorners3B(shot, *scene, {20, -20}, {60, 10});

    // BSonPrizma is down: a drag re-stretches the same prism to world (40, 40).
    const WindowShot before = shot;
    Drag(Pane::XY, {150, 150}, {140, 60});
    shot = window_->ShotWhen([&](const WindowShot& s) { return At(s, Pane::XY, {130, 60}) == kLightBlue; });
    ExpectOutline(shot, Pane::XY, QRect(QPoint(120, 60), QPoint(140, 120)), kLightBlue);
    EXPECT_EQ(At(shot, Pane::XY, {160, 105}), kWhite) << "the old right edge is gone";
    EXPECT_EQ(At(shot, Pane::XY, {155, 90}), kWhite) << "the old top edge is gone";
    EXPECT_TRUE(Sunken(shot, kBSonPrizma)) << "BSonPrizma stays down";
    ExpectFootprintCorners3B(shot, *scene, {20, -20}, {40, 40});
    EXPECT_FALSE(PaneImage(shot, Pane::View3B) == PaneImage(before, Pane::View3B));

    // The README picture: every view shows something.
    if (const char* out = std::getenv("TIRVOK_SCREENSHOT")) {
        EXPECT_TRUE(shot.WindowPart().save(out)) << out;
    }
}

TEST_F(XWindowTest, RightClickInTopViewRaisesEveryTool)
{
    struct ToolCase {
        const char* name;
        QRect button;
        QPoint camera;  // where the camera goes afterwards, a pane pixel of the top view
    };
    const ToolCase tools[] = {{"BKamera", kBKamera, {60, 140}},
                              {"BOdak", kBOdak, {140, 140}},
                              {"BPrizma", kBPrizma, {60, 60}},
                              {"BSonPrizma", kBSonPrizma, {140, 60}}};
    for (const auto& [name, button, camera] : tools) {
        SCOPED_TRACE(name);
        ClickTool(button);
        const WindowShot down = window_->ShotWhen([&](const WindowShot& s) { return Sunken(s, button); });
        ASSERT_TRUE(Sunken(down, button)) << "the click puts the tool down";

        window_->Click(InPane(Pane::XY, {50, 50}), 3);
        const WindowShot up = window_->ShotWhen([&](const WindowShot& s) { return LooksAsAtStart(s, button); });
        for (QRect any : kTools)
            EXPECT_TRUE(LooksAsAtStart(up, any)) << "every tool is up";

        // With no tool down a left drag, even into the edge margin, changes nothing. The camera then goes
        // somewhere new: once it shows there, the drag before it has been handled and drawn, and the views
        // show the start scene with only the camera moved, no prism and no view scrolled.
        Drag(Pane::XY, {80, 80}, {10, 10}, 7);
        ClickTool(kBKamera);
        window_->Click(InPane(Pane::XY, camera));
        const WindowShot shot = window_->ShotWhen(
            [&](const WindowShot& s) { return At(s, Pane::XY, camera - QPoint(0, 3)) == kLightBlue; });
        ExpectCameraMark(shot, Pane::XY, camera);
        ExpectGrid(shot, Pane::XY, Grid{}, QRect(camera, QPoint(100, 100)).normalized().adjusted(-3, -3, 3, 3));
        ExpectPane(shot, Pane::View3B, ExpectedAxes3B(*ProjectedScene({camera.x() - 100.0, 100.0 - camera.y(), 0})));
        window_->Click(InPane(Pane::XY, {50, 50}), 3);  // Kamera up again
    }
}

TEST_F(XWindowTest, HeldDragInSideViewMarginScrollsOnePixelPerMove)
{
    ClickTool(kBKamera);
    window_->MoveTo(InPane(Pane::YZ, {100, 150}));
    window_->Press(1);  // camera y, z = 0, -50
    for (int n = 1; n <= kScrollMoves; ++n) {
        // Alternate between two pixels left of the margin, so every step is a real movement.
        const int x = n % 2 == 1 ? 10 : 11;
        window_->MoveTo(InPane(Pane::YZ, {x, 150}));
        const WindowShot step = window_->ShotWhen([&](const WindowShot& s) {
            return At(s, Pane::YZ, {10 + n, 190}) == kBlack;
        });
        ASSERT_EQ(At(step, Pane::YZ, {10 + n, 190}), kBlack)
            << "after move " << n << " the grid is " << n << " pixels right";
    }
    window_->Release(1);
    const int ox = 100 + kScrollMoves;
    const Grid moved{ox, 100};
    // The camera followed the pointer, snapped with the origin as it was before the last nudge.
    const int lastX = kScrollMoves % 2 == 1 ? 10 : 11;
    const int cameraY = int(std::floor((lastX - (ox - 1) + 5) / 10.0)) * kGridStep;
    const WindowShot shot = window_->ShotWhen([&](const WindowShot& s) {
        return At(s, Pane::YZ, {ox + cameraY, 147}) == kLightBlue;
    });

    // Grid rows clear of the camera circle (y 147..152) and the line of sight (y 100..150).
    for (int y : {0, 10, 20, 30, 40, 50, 60, 70, 80, 160, 170, 180, 190}) {
        SCOPED_TRACE(y);
        for (int x = 0; x < kPaneSize; x += kGridStep) {
            EXPECT_EQ(At(shot, Pane::YZ, {x + kScrollMoves, y}), kBlack);
            EXPECT_EQ(At(shot, Pane::YZ, {x, y}), kWhite);
        }
    }
    // The arrows moved with the origin.
    ExpectRun(shot, Pane::YZ, {ox + 1, 100}, {199, 100}, kGreen, moved);
    ExpectRun(shot, Pane::YZ, {ox, 99}, {ox, 1}, kRed, moved);
    ExpectCameraMark(shot, Pane::YZ, {ox + cameraY, 150});
    // The other views stay where they were.
    for (Pane other : {Pane::XY, Pane::XZ}) {
        EXPECT_EQ(At(shot, other, {10, 190}), kBlack);
        EXPECT_EQ(At(shot, other, {10 + kScrollMoves, 190}), kWhite);
    }
}

// The Windows program only, through its probe (wine_probe.cpp): what Wine and Windows hand the shell.
// A chord begun on the window's face reaches no view: with Prizma Ekle down, the left press over the top
// view adds no prism and the hovering after it scrolls nothing. A camera click then shows that all before
// it was handled: the views show the start scene with only the camera moved.
TEST_F(XWindowTest, ChordBegunOnTheFaceReachesNoView)
{
    ClickTool(kBPrizma);
    ASSERT_TRUE(Sunken(window_->ShotWhen([&](const WindowShot& s) { return Sunken(s, kBPrizma); }), kBPrizma));
    window_->MoveTo(kBareSpot);
    window_->Press(2);
    window_->MoveTo(InPane(Pane::XY, {60, 60}));
    window_->Press(1);
    window_->MoveTo(InPane(Pane::XY, {80, 80}));
    window_->MoveTo(kBareSpot);
    window_->Release(1);
    window_->Release(2);
    for (int x : {5, 4, 3})
        window_->MoveTo(InPane(Pane::XY, {x, 100}));
    ClickTool(kBKamera);
    window_->Click(InPane(Pane::XY, {140, 140}));
    const WindowShot shot = window_->ShotWhen([&](const WindowShot& s) {
        return At(s, Pane::XY, {140, 137}) == kLightBlue;
    });
    ExpectCameraMark(shot, Pane::XY, {140, 140});
    ExpectGrid(shot, Pane::XY, Grid{}, QRect(QPoint(97, 97), QPoint(143, 143)));
    ExpectPane(shot, Pane::View3B, ExpectedAxes3B(*ProjectedScene({40, -40, 0})));
    EXPECT_TRUE(Sunken(shot, kBKamera));
}

// The keyboard alone: Space puts the focused first tool (Kamera) down, Tab goes on through the tools to
// the top view, the arrows step its keyboard pointer and Return clicks there. In the front view, which has
// the keyboard next, the pointer shows as an inverted cross over the view's own pixels.
TEST_F(XWindowTest, KeysPlaceTheCameraAndShowTheKeyboardPointer)
{
    window_->MoveTo(kBareSpot);
    for (const char* key : {"space", "Tab", "Tab", "Tab", "Tab", "Right", "Right", "Up", "Return", "Tab"})
        ASSERT_TRUE(display_->Run({"xdotool", "key", key})) << key;
    const WindowShot shot = window_->ShotWhen([&](const WindowShot& s) {
        return At(s, Pane::XY, {120, 87}) == kLightBlue && At(s, Pane::XZ, {100, 97}) == "#00ffff";
    });
    ExpectCameraMark(shot, Pane::XY, {120, 90});  // world (20, 10)
    // The front view's origin, where its pointer starts: the Z arrow's red inverted within the cross's arm.
    EXPECT_EQ(At(shot, Pane::XZ, {100, 97}), "#00ffff");
    EXPECT_EQ(At(shot, Pane::XZ, {100, 95}), kRed) << "the arm reaches four pixels";
    EXPECT_EQ(At(shot, Pane::XY, {100, 95}), kGreen) << "no pointer in the view without the keyboard";
}

class WindowsShellTest : public XWindowTest {
protected:
    void SetUp() override
    {
        if (ProbeCommand().empty())
            GTEST_SKIP() << "only the Windows program has a probe";
        XWindowTest::SetUp();
    }
};

// The captions' font is a TrueType face with the Turkish letters at the laid-out 11 pixels, read from the
// font the window's own "Kamera" tool holds.
TEST_F(WindowsShellTest, CaptionFontIsTrueTypeWithDotlessIAtElevenPixels)
{
    auto font = Probe({"load", "font"});
    ASSERT_EQ(font["font"], "1") << "the tool holds a font of the program's; " << font["error"];
    // Windows draws its TrueType "Microsoft Sans Serif"; Wine, which has none, the message font's Tahoma.
    EXPECT_TRUE(font["face"] == "Microsoft Sans Serif" || font["face"] == "Tahoma") << font["face"];
    EXPECT_EQ(font["truetype"], "1");
    EXPECT_EQ(font["dotless_i"], "1") << "\"Odak Noktası\" needs it";
    EXPECT_EQ(font["character"], "11") << "cell " << font["cell"];
}

// Restored from minimised as the taskbar does it, the tool that had the keyboard has it again: Space
// raises the tool the click put down.
TEST_F(WindowsShellTest, RestoredFromMinimisedSpaceReachesTheFocusedTool)
{
    ClickTool(kBKamera);
    ASSERT_TRUE(Sunken(window_->ShotWhen([&](const WindowShot& s) { return Sunken(s, kBKamera); }), kBKamera))
        << "the click puts the tool down";
    auto minimised = Probe({"minimise"});
    ASSERT_EQ(minimised["minimised"], "1") << minimised["error"];
    // As a user would, it is restored once it has gone from the screen: on the X side, Wine asks the window
    // manager, which iconifies the window some time later; a restore before that finds it still shown.
    ASSERT_TRUE(WaitFor([&] { return window_->Minimised(); })) << "the window manager iconified the window";
    auto restored = Probe({"restore"});
    ASSERT_EQ(restored["restored"], "1") << restored["error"];
    // Shown again, where it now stands, and given the keyboard.
    window_->ShotWhen([&](const WindowShot& s) { return window_->Placed() && Drawn(s) && window_->Active(); });
    ASSERT_TRUE(window_->Active()) << "the restored window is the active one";
    window_->MoveTo(kBareSpot);
    EXPECT_TRUE(display_->Run({"xdotool", "key", "space"}));
    EXPECT_TRUE(
        LooksAsAtStart(window_->ShotWhen([&](const WindowShot& s) { return LooksAsAtStart(s, kBKamera); }), kBKamera))
        << "Space reached the focused tool";
}

// The system cancelling the mode mid-drag (another program takes over) ends the drag as a release would:
// the stretch stops where it was and the tool passes on, though the button is still down on the X side.
TEST_F(WindowsShellTest, CancelModeMidDragEndsTheDrag)
{
    ClickTool(kBPrizma);
    ASSERT_TRUE(Sunken(window_->ShotWhen([&](const WindowShot& s) { return Sunken(s, kBPrizma); }), kBPrizma));
    window_->MoveTo(InPane(Pane::XY, {60, 60}));
    window_->Press(1);
    window_->MoveTo(InPane(Pane::XY, {80, 80}));
    window_->ShotWhen([&](const WindowShot& s) { return At(s, Pane::XY, {70, 80}) == kLightBlue; });
    auto cancelled = Probe({"cancel-mode"});
    ASSERT_EQ(cancelled["cancelled"], "1") << cancelled["error"];
    window_->MoveTo(InPane(Pane::XY, {140, 140}));
    window_->Release(1);
    const WindowShot shot = window_->ShotWhen([&](const WindowShot& s) { return Sunken(s, kBSonPrizma); });
    EXPECT_TRUE(Sunken(shot, kBSonPrizma)) << "the release handed Prizma Ekle over";
    ExpectOutline(shot, Pane::XY, QRect(QPoint(60, 60), QPoint(80, 80)), kLightBlue);
    EXPECT_EQ(At(shot, Pane::XY, {140, 125}), kWhite) << "the stretch stopped at the cancel";
}

// With high contrast on, the face, the captions and the tools take the system's colours, the moment
// the system's colours change; the panes keep the scene's.
TEST_F(WindowsShellTest, HighContrastDrawsFaceCaptionsAndToolsInSystemColours)
{
    auto contrast = Probe({"load", "contrast"});
    ASSERT_NE(contrast["redirected"], "") << contrast["error"];
    ASSERT_NE(contrast["redirected"], "0") << "the program asks for the high-contrast setting";
    EXPECT_EQ(contrast["face"], "000000");
    // Waits for the whole window redrawn: the panes too, which the new face covers for a moment under Wine.
    const auto panesAsAtStart = [&](const WindowShot& s) {
        return std::all_of(std::begin(kPanes), std::end(kPanes),
                           [&](Pane pane) { return PaneImage(s, pane) == PaneImage(start_, pane); });
    };
    const WindowShot shot = window_->ShotWhen([&](const WindowShot& s) {
        return AtClient(s, kBareSpot) == kBlack && AtClient(s, kBOdak.topLeft() + QPoint(6, 11)) == kBlack &&
               panesAsAtStart(s);
    });

    EXPECT_EQ(AtClient(shot, kBareSpot), kBlack) << "the face is the system's button face";
    EXPECT_EQ(AtClient(shot, kBOdak.topLeft() + QPoint(6, 11)), kBlack) << "and so is a tool's";
    // Caption pixels: the system's button text (yellow in this scheme), none of the window's own blue.
    int yellow = 0;
    int blue = 0;
    for (QRect caption : {QRect(224, 0, 42, 13), kBKamera, kBOdak}) {
        const QImage part = Part(shot, caption);
        for (int y = 0; y < part.height(); ++y)
            for (int x = 0; x < part.width(); ++x) {
                yellow += part.pixel(x, y) == qRgb(255, 255, 0);
                blue += part.pixel(x, y) == qRgb(0, 0, 255);
            }
    }
    EXPECT_GT(yellow, 20);
    EXPECT_EQ(blue, 0);
    for (Pane pane : kPanes)
        EXPECT_TRUE(PaneImage(shot, pane) == PaneImage(start_, pane)) << "the panes keep the scene's colours";
}

}  // namespace
}  // namespace xwindow
