// Replays a browser test's session through the engine natively, as the desktop shells hand their input on,
// and writes what the page must show at each `check`: web_session_replay SESSION OUT_DIR writes
// OUT_DIR/check-N.rgba (the four panes' canvas bytes R, G, B, 255, in pane id order) and OUT_DIR/check-N.txt
// (the tool that is down, then the sixteen readouts with '.' as separator).
//
// Session lines: `tool NAME` (click a tool button), `press PANE BUTTON X Y` (the pointer goes to pane pixel
// (X, Y) and BUTTON goes down), `move PANE X Y`, `release BUTTON`, `lose` (the pane loses the pointer capture
// mid-drag), `check`; `#` starts a comment. Moves and presses during a drag name the pane that holds the pointer.
#include "render/frame.h"
#include "render/layout.h"
#include "render/readout.h"
#include "scene/editing.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace {

struct TReplay {
    TScene scene;
    std::array<TPaneImage, 4> panes{TPaneImage(kPaneSize, kPaneSize), TPaneImage(kPaneSize, kPaneSize),
                                    TPaneImage(kPaneSize, kPaneSize), TPaneImage(kPaneSize, kPaneSize)};
    TTool tool = TTool::None;
    int capture = -1;   // the pane id holding the pointer, -1 when no button is down
    unsigned held = 0;  // bits by TMouseButton
};

TMouseButton ButtonNamed(const std::string& name)
{
    return name == "left" ? TMouseButton::Left : name == "right" ? TMouseButton::Right : TMouseButton::Middle;
}

unsigned Bit(TMouseButton b) { return 1u << unsigned(b); }

// The plan panes' ids are their views' numbers.
static_assert(int(TPaneId::XY) == int(TPlanView::XY) && int(TPaneId::XZ) == int(TPlanView::XZ) &&
              int(TPaneId::YZ) == int(TPlanView::YZ));
TPlanView ViewOf(int pane) { return TPlanView(pane); }

const char* ToolName(TTool tool)
{
    for (const TControlSpec& c : kForm1Controls)
        if (c.kind == TControlKind::Tool && c.tool == tool)
            return c.name;
    return "none";
}

bool WriteCheck(TReplay& r, const std::string& dir, int check)
{
    DrawFrame(r.scene, {r.panes[0].Raster(), r.panes[1].Raster(), r.panes[2].Raster(), r.panes[3].Raster()});
    const std::string base = dir + "/check-" + std::to_string(check);
    std::ofstream rgba(base + ".rgba", std::ios::binary);
    for (const TPaneImage& pane : r.panes)
        for (std::uint32_t word : pane.Words()) {
            const char bytes[4] = {char(word >> 16), char(word >> 8), char(word), char(255)};
            rgba.write(bytes, 4);
        }
    std::ofstream text(base + ".txt");
    text << ToolName(r.tool) << '\n';
    for (double value : ReadoutValues(r.scene))
        text << ReadoutText(value) << '\n';
    return bool(rgba) && bool(text);
}

// A held button let go, in the pane that holds the pointer; false when it is not held.
bool Release(TReplay& r, TMouseButton b)
{
    if ((r.held & Bit(b)) == 0)
        return false;
    r.held &= ~Bit(b);
    r.tool = PlanMouseUp(r.scene, ViewOf(r.capture), b, r.tool);
    if (r.held == 0)
        r.capture = -1;
    return true;
}

// One session line; false on a line that is not understood or breaks the rules above.
bool Step(TReplay& r, const std::string& line, const std::string& dir, int& checks)
{
    std::istringstream in(line);
    std::string verb, name, button;
    int x = 0, y = 0;
    if (!(in >> verb) || verb[0] == '#')
        return true;
    if (verb == "check")
        return WriteCheck(r, dir, checks++);
    if (verb == "tool" && in >> name) {
        const TTool tool = ControlNamed(name.c_str()).tool;
        r.tool = r.tool == tool ? TTool::None : tool;  // pressing the tool that is down raises it
        return true;
    }
    if (verb == "lose") {  // the capture taken away: every held button let go, as the shells do
        for (TMouseButton b : {TMouseButton::Left, TMouseButton::Right, TMouseButton::Middle})
            Release(r, b);
        return true;
    }
    if (verb == "release" && in >> button)
        return Release(r, ButtonNamed(button));
    if (verb == "press" && in >> name >> button >> x >> y) {
        const int pane = int(ControlNamed(name.c_str()).pane);
        if (pane == int(TPaneId::View3B) || (r.capture != -1 && r.capture != pane))
            return false;
        r.capture = pane;
        r.held |= Bit(ButtonNamed(button));
        PlanMouseDown(r.scene, ViewOf(pane), ButtonNamed(button), x, y, r.tool);
        return true;
    }
    if (verb == "move" && in >> name >> x >> y) {
        const int pane = int(ControlNamed(name.c_str()).pane);
        if (r.capture == -1)
            return true;  // hovering: no button held, nothing to hand on
        if (r.capture != pane)
            return false;
        PlanMouseMove(r.scene, ViewOf(pane), x, y, kPaneSize, kPaneSize, r.tool);
        return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: web_session_replay SESSION OUT_DIR\n");
        return 2;
    }
    std::ifstream session(argv[1]);
    auto replay = std::make_unique<TReplay>();
    InitScene(replay->scene);
    int checks = 0;
    int number = 0;
    for (std::string line; std::getline(session, line);) {
        ++number;
        if (!Step(*replay, line, argv[2], checks)) {
            std::fprintf(stderr, "%s:%d: cannot replay: %s\n", argv[1], number, line.c_str());
            return 1;
        }
    }
    std::printf("%d checks\n", checks);
    return session.eof() && checks > 0 ? 0 : 1;
}
