#pragma once

// The fixture of the real-window test: one Xvfb per test program, a fresh tirvok3 per test,
// and pixel checks on screenshots in pane coordinates.

#include "scene/projection.h"
#include "xsession.h"

#include <gtest/gtest.h>

#include <QColor>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>

#ifndef TIRVOK3_BINARY
#error "TIRVOK3_BINARY must name the built program"
#endif

namespace xwindow {

enum class Pane { View3B, XY, XZ, YZ };

inline constexpr int kPaneSize = 200;
inline constexpr int kGridStep = 10;

// Tool buttons, relative to the client area.
inline constexpr QRect kBKamera{424, 16, 137, 22};
inline constexpr QRect kBOdak{424, 40, 137, 22};
inline constexpr QRect kBPrizma{424, 64, 137, 22};
inline constexpr QRect kBSonPrizma{424, 88, 137, 22};
inline constexpr QRect kTools[] = {kBKamera, kBOdak, kBPrizma, kBSonPrizma};
// How much bluer than red and green a pixel of a tool's caption is at least.
inline constexpr int kCaptionBlue = 100;
// A spot of bare window background, where the pointer rests when it should touch nothing.
inline constexpr QPoint kBareSpot{700, 500};
// How far inside a tool's edge the Windows program draws its focus rectangle.
inline constexpr int kFocusInset = 3;

// Colours as "#rrggbb", so a failed check prints something readable.
inline const std::string kSilver = "#c0c0c0";
inline const std::string kWhite = "#ffffff";
inline const std::string kBlack = "#000000";
inline const std::string kBlue = "#0000ff";
inline const std::string kGreen = "#00ff00";
inline const std::string kRed = "#ff0000";
inline const std::string kLightBlue = "#7878ff";

inline QPoint PaneOrigin(Pane pane)
{
    switch (pane) {
    case Pane::View3B: return {2, 18};
    case Pane::XY: return {220, 18};
    case Pane::XZ: return {2, 238};
    case Pane::YZ: break;
    }
    return {220, 238};
}

inline QPoint InPane(Pane pane, QPoint at) { return PaneOrigin(pane) + at; }

inline int Sign(int v) { return (v > 0) - (v < 0); }

inline int Mod(int v) { return (v % kGridStep + kGridStep) % kGridStep; }

// The dots of a plan view whose world origin sits at pane pixel (ox, oy).
struct Grid {
    int ox = 100;
    int oy = 100;
    bool Has(QPoint p) const { return Mod(p.x() - ox) == 0 && Mod(p.y() - oy) == 0; }
};

// Pane pixel of a 3D-view position.
inline QPoint Floor(double sx, double sy) { return {int(std::floor(sx)), int(std::floor(sy))}; }

// A scene at its start values with the camera moved, projected for the 200 x 200 3D view.
inline std::unique_ptr<TScene> ProjectedScene(TVec3 camera)
{
    auto scene = std::make_unique<TScene>();
    InitScene(*scene);
    scene->Camera = camera;
    ProjectScene(*scene, kPaneSize, kPaneSize);
    return scene;
}

// The 3D view of a prism-free scene whose axis lines run along pixel rows and columns: white,
// then the Z (red), Y (green) and X (blue) lines, each from the origin up to, not onto, its end.
inline QImage ExpectedAxes3B(const TScene& scene)
{
    QImage image(kPaneSize, kPaneSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    const auto& m = scene.AxisMarkers;
    const QPoint origin = Floor(m[0].sx, m[0].sy);
    const std::pair<int, QRgb> axes[] = {{3, qRgb(255, 0, 0)}, {2, qRgb(0, 255, 0)}, {1, qRgb(0, 0, 255)}};
    for (const auto& [end, colour] : axes) {
        const QPoint to = Floor(m[std::size_t(end)].sx, m[std::size_t(end)].sy);
        EXPECT_TRUE(to.x() == origin.x() || to.y() == origin.y()) << "this check needs straight axis lines";
        const QPoint step(Sign(to.x() - origin.x()), Sign(to.y() - origin.y()));
        for (QPoint p = origin; p != to && step != QPoint(); p += step)
            if (image.rect().contains(p))
                image.setPixel(p, colour);
    }
    return image;
}

// Starts the X server once for all tests and the program afresh for each; stops both afterwards.
class XWindowTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        scratch_ = std::make_unique<QTemporaryDir>();
        display_ = std::make_unique<VirtualDisplay>();
        displayUp_ = scratch_->isValid() && display_->Start(scratch_->path().toStdString());
        // A program that needs a window manager to get the pointer's clicks (Wine's windows do) names one.
        const std::vector<std::string> wm = WindowManagerCommand();
        if (displayUp_ && !wm.empty()) {
            windowManager_ = std::make_unique<ChildProcess>();
            displayUp_ = display_->StartWindowManager(*windowManager_, wm, scratch_->filePath("wm.log").toStdString());
        }
    }

    static void TearDownTestSuite()
    {
        windowManager_.reset();
        display_.reset();
        scratch_.reset();
    }

    void SetUp() override
    {
        ASSERT_TRUE(displayUp_) << "could not start Xvfb (or the window manager)";
        window_ = std::make_unique<ProgramWindow>(*display_);
        ASSERT_TRUE(window_->Start(ProgramCommand(TIRVOK3_BINARY))) << "no window titled \"Tirvok 3\" showed up";
        // The window stands where it will stay: a window manager has maximised it (Wine then places it once
        // more itself), and it did not move while the shot was taken. And it is drawn: the face, every tool
        // with its caption, and a frame in the top view, a grid dot with white beside it. A window the
        // program has not painted yet shows black where it is not filled (Wine's under openbox, for a second
        // or more on a loaded machine), which is no grid dot.
        start_ = window_->ShotWhen([&](const WindowShot& s) { return window_->Placed() && Drawn(s); });
        ASSERT_TRUE(window_->Placed()) << "the window manager did not maximise the window";
        ASSERT_TRUE(Drawn(start_)) << "the window was not drawn: XY (10, 10) " << At(start_, Pane::XY, {10, 10})
                                   << ", XY (15, 15) " << At(start_, Pane::XY, {15, 15}) << ", face "
                                   << AtClient(start_, kBareSpot);
    }

    void TearDown() override
    {
        if (window_) {
            EXPECT_TRUE(window_->Running()) << "the program ended during the test";
            // Under Wine this holds its "fixme" lines: calls the program made that Wine only pretends to do.
            if (HasFailure())
                std::cout << "The program's output:\n" << window_->Log() << std::flush;
        }
        window_.reset();
    }

    // Runs the Windows program's probe with `args` and returns its NAME=value lines, an "error" among them
    // when it failed; empty when it did not run to its end.
    std::map<std::string, std::string> Probe(const std::vector<std::string>& args) const
    {
        std::vector<std::string> command = ProbeCommand();
        command.insert(command.end(), args.begin(), args.end());
        std::map<std::string, std::string> values;
        std::istringstream lines(display_->Run(command, true).value_or(""));
        for (std::string line; std::getline(lines, line);)
            if (const auto equals = line.find('='); equals != std::string::npos)
                values[line.substr(0, equals)] = line.substr(equals + 1, line.find_last_not_of("\r") - equals);
        return values;
    }

    // Colour of a client-area pixel in a screenshot, where the window stood when it was taken.
    static std::string AtClient(const WindowShot& shot, QPoint client)
    {
        const QPoint p = shot.ToScreen(client);
        return shot.screen.rect().contains(p) ? QColor(shot.screen.pixel(p)).name().toStdString() : "off screen";
    }

    // Colour of pane pixel `at` in a screenshot.
    static std::string At(const WindowShot& shot, Pane pane, QPoint at) { return AtClient(shot, InPane(pane, at)); }

    // A client-area rectangle cut out of a screenshot.
    static QImage Part(const WindowShot& shot, QRect client) { return shot.Part(client); }

    // One whole pane cut out of a screenshot.
    static QImage PaneImage(const WindowShot& shot, Pane pane)
    {
        return Part(shot, QRect(PaneOrigin(pane), QSize(kPaneSize, kPaneSize)));
    }

    // True when the window shows its face, every tool's caption (bluish pixels) and a whole frame: each
    // plan view's grid dot with white beside it, the 3D view's Z axis (Wine shows each pane on its own).
    static bool Drawn(const WindowShot& shot)
    {
        const auto captioned = [&](QRect button) {
            const QImage part = Part(shot, button);
            for (int y = 0; y < part.height(); ++y)
                for (int x = 0; x < part.width(); ++x)
                    if (const QRgb p = part.pixel(x, y); qBlue(p) - std::max(qRed(p), qGreen(p)) > kCaptionBlue)
                        return true;
            return false;
        };
        const auto gridDrawn = [&](Pane pane) {
            return At(shot, pane, {10, 10}) == kBlack && At(shot, pane, {15, 15}) == kWhite;
        };
        return AtClient(shot, kBareSpot) == kSilver && gridDrawn(Pane::XY) && gridDrawn(Pane::XZ) &&
               gridDrawn(Pane::YZ) && At(shot, Pane::View3B, {100, 50}) == kRed &&
               std::all_of(std::begin(kTools), std::end(kTools), captioned);
    }

    // True when a tool is drawn down: along the middle of its top edge the two outermost rows are in
    // shadow, darker than the window's face, where a raised tool's bevel (or a flat style's face) is lit.
    static bool Sunken(const WindowShot& shot, QRect button)
    {
        const QImage top = Part(shot, QRect(button.topLeft(), QSize(button.width(), 2)));
        const int face = qGray(QColor(QString::fromStdString(AtClient(shot, kBareSpot))).rgb());
        for (int y = 0; y < top.height(); ++y)
            for (int x = top.width() / 3; x < top.width() * 2 / 3; ++x)
                if (qGray(top.pixel(x, y)) >= face)
                    return false;
        return !top.isNull();
    }

    // True when a button looks as in the first frame, where every tool is up: every pixel but the ring
    // 3 pixels inside its edge, where a focus rectangle comes and goes with the keyboard focus (Wine has no
    // keyboard-cue state to hide it for mouse users).
    bool LooksAsAtStart(const WindowShot& shot, QRect button) const
    {
        const QImage now = Part(shot, button);
        const QImage then = Part(start_, button);
        const QRect ring =
            QRect(QPoint(), button.size()).adjusted(kFocusInset, kFocusInset, -kFocusInset, -kFocusInset);
        for (int y = 0; y < now.height(); ++y)
            for (int x = 0; x < now.width(); ++x) {
                const bool onRing = ring.contains(x, y) && !ring.adjusted(1, 1, -1, -1).contains(x, y);
                if (!onRing && now.pixel(x, y) != then.pixel(x, y))
                    return false;
            }
        return true;
    }

    // Puts a tool button down (or up) with a click, then rests the pointer where it hovers nothing.
    void ClickTool(QRect button) const
    {
        window_->Click(button.center());
        window_->MoveTo(kBareSpot);
    }

    // A left-button drag inside a pane, in `steps` movements.
    void Drag(Pane pane, QPoint from, QPoint to, int steps = 4) const
    {
        window_->MoveTo(InPane(pane, from));
        window_->Press(1);
        for (int i = 1; i <= steps; ++i)
            window_->MoveTo(InPane(pane, from + (to - from) * i / steps));
        window_->Release(1);
    }

    // Every pixel from `first` to `last` (both included; straight or at 45 degrees) has `colour`,
    // leaving out the dots of `skip`.
    void ExpectRun(const WindowShot& shot, Pane pane, QPoint first, QPoint last, const std::string& colour,
                   std::optional<Grid> skip = std::nullopt) const
    {
        const QPoint d = last - first;
        ASSERT_TRUE(d.x() == 0 || d.y() == 0 || std::abs(d.x()) == std::abs(d.y()));
        const QPoint step(Sign(d.x()), Sign(d.y()));
        int wrong = 0;
        QPoint firstWrong;
        for (QPoint p = first;; p += step) {
            if (!(skip && skip->Has(p)) && At(shot, pane, p) != colour && wrong++ == 0)
                firstWrong = p;
            if (p == last)
                break;
        }
        EXPECT_EQ(wrong, 0) << "pixels (" << first.x() << "," << first.y() << ")..(" << last.x() << "," << last.y()
                            << ") should be " << colour << "; (" << firstWrong.x() << "," << firstWrong.y() << ") is "
                            << At(shot, pane, firstWrong);
    }

    // The outline of `box` (edges included) has `colour` all round.
    void ExpectOutline(const WindowShot& shot, Pane pane, QRect box, const std::string& colour) const
    {
        ExpectRun(shot, pane, box.topLeft(), box.topRight(), colour);
        ExpectRun(shot, pane, box.topRight(), box.bottomRight(), colour);
        ExpectRun(shot, pane, box.bottomRight(), box.bottomLeft(), colour);
        ExpectRun(shot, pane, box.bottomLeft(), box.topLeft(), colour);
    }

    // Every dot of `grid` outside `except` is black.
    void ExpectGrid(const WindowShot& shot, Pane pane, Grid grid, QRect except) const
    {
        int dots = 0;
        int wrong = 0;
        for (int y = 0; y < kPaneSize; ++y)
            for (int x = 0; x < kPaneSize; ++x)
                if (grid.Has({x, y}) && !except.contains(x, y)) {
                    ++dots;
                    wrong += At(shot, pane, {x, y}) != kBlack;
                }
        EXPECT_GT(dots, 0);
        EXPECT_EQ(wrong, 0) << "of " << dots << " grid dots";
    }

    // The camera circle around pane pixel c: its box is (c - 3) .. (c + 2); the middle of each side is
    // light blue (or red where the line of sight runs over it), and no light blue lies outside the box.
    void ExpectCameraMark(const WindowShot& shot, Pane pane, QPoint c) const
    {
        int blue = 0;
        for (QPoint side : {QPoint(0, -3), QPoint(-3, 0), QPoint(2, 0), QPoint(0, 2)}) {
            const std::string colour = At(shot, pane, c + side);
            EXPECT_TRUE(colour == kLightBlue || colour == kRed) << "circle side at " << side.x() << "," << side.y();
            blue += colour == kLightBlue;
        }
        EXPECT_GE(blue, 2);
        const QRect box(c - QPoint(3, 3), QSize(6, 6));
        int outside = 0;
        for (int y = 0; y < kPaneSize; ++y)
            for (int x = 0; x < kPaneSize; ++x)
                outside += !box.contains(x, y) && At(shot, pane, {x, y}) == kLightBlue;
        EXPECT_EQ(outside, 0) << "light blue pixels outside the camera circle";
    }

    // The whole pane equals `expected`.
    void ExpectPane(const WindowShot& shot, Pane pane, const QImage& expected) const
    {
        const QImage actual = PaneImage(shot, pane);
        int wrong = 0;
        QPoint firstWrong;
        for (int y = 0; y < kPaneSize; ++y)
            for (int x = 0; x < kPaneSize; ++x)
                if (actual.pixel(x, y) != expected.pixel(x, y) && wrong++ == 0)
                    firstWrong = {x, y};
        EXPECT_EQ(wrong, 0) << "first differing pixel (" << firstWrong.x() << "," << firstWrong.y() << ") is "
                            << At(shot, pane, firstWrong) << ", expected "
                            << QColor(expected.pixel(firstWrong)).name().toStdString();
    }

    // Each corner of a z = 0 footprint with opposite corners a and c shows black where the camera sees it.
    void ExpectFootprintCorners3B(const WindowShot& shot, const TScene& scene, QPointF a, QPointF c) const
    {
        for (const QPointF& w : {a, QPointF(c.x(), a.y()), c, QPointF(a.x(), c.y())}) {
            const TPanePoint p = ProjectPoint(scene, TVec3{w.x(), w.y(), 0}, kPaneSize, kPaneSize);
            const QPoint at = Floor(p.px, p.py);
            ASSERT_TRUE(QRect(0, 0, kPaneSize, kPaneSize).contains(at)) << "corner chosen to be in view";
            EXPECT_EQ(At(shot, Pane::View3B, at), kBlack)
                << "corner (" << w.x() << "," << w.y() << ") at pixel (" << at.x() << "," << at.y() << ")";
        }
    }

    static inline std::unique_ptr<QTemporaryDir> scratch_;
    static inline std::unique_ptr<VirtualDisplay> display_;
    static inline std::unique_ptr<ChildProcess> windowManager_;
    static inline bool displayUp_ = false;
    std::unique_ptr<ProgramWindow> window_;
    WindowShot start_;  // the first frame, the window in its place
};

}  // namespace xwindow
