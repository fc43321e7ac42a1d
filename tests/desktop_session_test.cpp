// The real program on real desktops: under a window manager, on a Wayland compositor, and at twice
// the pixel density. Every server here is started by the test and stopped with it.

#include "xsession.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#ifndef TIRVOK3_BINARY
#error "TIRVOK3_BINARY must name the built program"
#endif

namespace {

inline constexpr int kPaneSize = 200;

// The client area of the restored window: 870 x 640 for the Qt program; Windows counts those with the
// frame, so the Windows program's client area is smaller (TIRVOK3_NORMAL_CLIENT=WIDTHxHEIGHT says how much).
QSize NormalSize()
{
    int w = 870, h = 640;
    if (const char* size = std::getenv("TIRVOK3_NORMAL_CLIENT"))
        std::sscanf(size, "%dx%d", &w, &h);
    return {w, h};
}
inline constexpr QPoint kPaneOrigins[] = {{2, 18}, {220, 18}, {2, 238}, {220, 238}};  // 3B, XY, XZ, YZ

// The four panes cut out of a screenshot at `scale` device pixels per window pixel.
std::vector<QImage> Panes(const WindowShot& shot, double scale = 1)
{
    std::vector<QImage> panes;
    for (QPoint at : kPaneOrigins)
        panes.push_back(shot.Part(QRect((QPointF(at) * scale).toPoint(), QSize(kPaneSize, kPaneSize) * scale)));
    return panes;
}

// Whether the three plan views show their first frame, shown at `scale` device pixels per pane pixel:
// a grid dot at pane pixel (10, 10) of each and white beside it (the black screen around is no frame).
bool FrameDrawn(const std::vector<QImage>& panes, double scale = 1)
{
    const auto at = [&](const QImage& p, int x, int y) { return p.pixel(int(x * scale), int(y * scale)); };
    return std::all_of(panes.begin() + 1, panes.end(), [&](const QImage& p) {
        return at(p, 10, 10) == qRgb(0, 0, 0) && at(p, 15, 15) == qRgb(255, 255, 255);
    });
}

class DesktopSessionTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scratch_.isValid());
        // Room for the window at twice its size where it asks to stand, (141, 139).
        ASSERT_TRUE(display_.Start(scratch_.path().toStdString(), "2048x1600x24")) << "could not start Xvfb";
    }

    std::string Scratch(const char* name) const { return scratch_.filePath(name).toStdString(); }

    // Starts openbox, then the program under it.
    void StartUnderOpenbox(ProgramWindow& window)
    {
        ASSERT_TRUE(display_.StartWindowManager(wm_, {"openbox", "--sm-disable"}, Scratch("openbox.log")))
            << "openbox did not start";
        ASSERT_TRUE(window.Start(ProgramCommand(TIRVOK3_BINARY)))
            << "the program's output:\n"
            << window.Log() << "windows:\n"
            << display_.Run({"xwininfo", "-root", "-tree"}).value_or("(none)") << "\nwm:\n"
            << display_.Run({"wmctrl", "-m"}).value_or("(none)") << display_.Run({"wmctrl", "-l"}).value_or("(none)");
    }

    QTemporaryDir scratch_;
    VirtualDisplay display_;
    ChildProcess wm_;  // stopped before the display: members go in reverse order
};

// Openbox maximises the window as it asks and restores it to its normal size with the panes where
// they were.
TEST_F(DesktopSessionTest, OpenboxMaximisesAndRestores)
{
    ProgramWindow window(display_);
    ASSERT_NO_FATAL_FAILURE(StartUnderOpenbox(window));
    auto state = [&] { return display_.Run({"xprop", "-id", window.Id(), "_NET_WM_STATE"}).value_or(""); };
    EXPECT_TRUE(WaitFor([&] { return state().find("_NET_WM_STATE_MAXIMIZED_HORZ") != std::string::npos; })) << state();
    EXPECT_NE(state().find("_NET_WM_STATE_MAXIMIZED_VERT"), std::string::npos);

    const auto before = Panes(window.ShotWhen([&](const WindowShot& s) { return FrameDrawn(Panes(s)); }));
    ASSERT_TRUE(display_.Run({"wmctrl", "-i", "-r", window.Id(), "-b", "remove,maximized_vert,maximized_horz"}));
    EXPECT_TRUE(WaitFor([&] { return window.Locate() && window.Size() == NormalSize(); }))
        << window.Size().width() << " x " << window.Size().height();
    // Same scene, same frame: each pane shows the same pixels at the same place in the window.
    const auto after = Panes(window.ShotWhen([&](const WindowShot& s) { return FrameDrawn(Panes(s)); }));
    for (std::size_t i = 0; i < after.size(); ++i)
        EXPECT_TRUE(after[i] == before[i]) << "pane " << i << " moved or changed";
}

// The window manager finds the program's own icon and class on the window.
TEST_F(DesktopSessionTest, OpenboxShowsTheIconAndClass)
{
    ProgramWindow window(display_);
    ASSERT_NO_FATAL_FAILURE(StartUnderOpenbox(window));
    const auto icon = display_.Run({"xprop", "-id", window.Id(), "-notype", "_NET_WM_ICON"}).value_or("");
    // Qt hands the window manager the renditions up to 128 pixels; the 256 one serves docks through the theme.
    for (const char* size : {"16 x 16", "32 x 32", "48 x 48", "128 x 128"})
        EXPECT_NE(icon.find(std::string("Icon (") + size + ")"), std::string::npos)
            << size << " in " << icon.substr(0, 80);
    const auto wmClass = display_.Run({"xprop", "-id", window.Id(), "WM_CLASS"}).value_or("");
    EXPECT_NE(wmClass.find("\"Tirvok3\""), std::string::npos) << wmClass << " (StartupWMClass of the desktop entry)";
}

// Scaled up, the panes stay crisp: device pixel (x, y) shows pane pixel (floor(x / s), floor(y / s)),
// so at QT_SCALE_FACTOR=2 each pane pixel is an exact 2 x 2 block, and at 1.5 no colour is blended.
TEST_F(DesktopSessionTest, ScaledPanesShowEveryPixelCrisply)
{
    std::vector<QImage> plain;
    {
        ProgramWindow window(display_);
        ASSERT_TRUE(window.Start(ProgramCommand(TIRVOK3_BINARY)));
        // Each shot carries the window's place: a window may move once after it shows (Wine, with no window
        // manager, places a maximised window once more).
        plain = Panes(window.ShotWhen([&](const WindowShot& s) { return FrameDrawn(Panes(s)); }));
    }
    for (const char* factor : {"2", "1.5"}) {
        SCOPED_TRACE(factor);
        const double scale = std::atof(factor);
        ProgramWindow window(display_);
        ASSERT_TRUE(window.Start(ProgramCommand(TIRVOK3_BINARY), {std::string("QT_SCALE_FACTOR=") + factor}));
        const auto panes =
            Panes(window.ShotWhen([&](const WindowShot& s) { return FrameDrawn(Panes(s, scale), scale); }), scale);
        for (std::size_t i = 0; i < panes.size(); ++i) {
            int wrong = 0;
            for (int y = 0; y < panes[i].height(); ++y)
                for (int x = 0; x < panes[i].width(); ++x)
                    wrong += panes[i].pixel(x, y) != plain[i].pixel(int(x / scale), int(y / scale));
            EXPECT_EQ(wrong, 0) << "pane " << i << ": device pixels off their pane pixel";
        }
    }
}

// On a Wayland compositor (weston, headless) with no X server at all, the program starts natively and
// names its window "Tirvok 3" with the desktop entry's app_id.
TEST(WaylandSession, StartsNativelyWithTitleAndAppId)
{
    QTemporaryDir runtime;  // made 0700, as XDG_RUNTIME_DIR must be
    ASSERT_TRUE(runtime.isValid());
    QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const std::string dir = runtime.path().toStdString();
    const std::vector<std::string> drop{"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"};
    ChildProcess weston;
    ASSERT_TRUE(weston.Start({"weston", "--backend=headless-backend.so", "--socket=tirvok-test", "--idle-time=0"},
                             EnvironmentWith(drop, {"XDG_RUNTIME_DIR=" + dir}), dir + "/weston.log"));
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(runtime.filePath("tirvok-test")); })) << "weston did not start";

    ChildProcess program;
    const std::string log = dir + "/program.log";
    ASSERT_TRUE(program.Start({TIRVOK3_BINARY},
                              EnvironmentWith(drop, {"XDG_RUNTIME_DIR=" + dir, "WAYLAND_DISPLAY=tirvok-test",
                                                     "XDG_SESSION_TYPE=wayland", "WAYLAND_DEBUG=1"}),
                              log));
    // Requests as WAYLAND_DEBUG logs them; the object id is written xdg_toplevel@14 or, from
    // libwayland 1.22 on, xdg_toplevel#14, so only the part after it is matched.
    auto said = [&](const char* request) {
        QFile file(QString::fromStdString(log));
        return file.open(QIODevice::ReadOnly) && file.readAll().contains(request);
    };
    EXPECT_TRUE(WaitFor([&] { return said("xdg_toplevel") && said(".set_app_id(\"org.tirvok3.Tirvok3\")"); }))
        << "no app_id request in " << log;
    EXPECT_TRUE(said(".set_title(\"Tirvok 3\")"));
    EXPECT_TRUE(said(".set_maximized()"));
    EXPECT_TRUE(program.Running()) << "the program ended";
}

}  // namespace
