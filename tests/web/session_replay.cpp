// Replays a browser test's session through the engine natively, as the desktop shells hand their input on,
// and writes what the page must show at each `check`: web_session_replay SESSION OUT_DIR writes
// OUT_DIR/check-N.rgba (the four panes' canvas bytes R, G, B, 255, in pane id order) and OUT_DIR/check-N.txt
// (the tool that is down, then the sixteen readouts with '.' as separator).
//
// Session lines: `tool NAME` (click a tool button), `press PANE BUTTON X Y` (the pointer goes to pane pixel
// (X, Y) and BUTTON goes down), `move PANE X Y`, `release BUTTON`, `lose` (the pane loses the pointer capture
// mid-drag), `check`; `#` starts a comment. Pane pixels are turned into window pixels at 100 % through the
// layout table, and every event goes through the engine's input model, as every shell's does.
#include "render/frame.h"
#include "render/layout.h"
#include "render/readout.h"
#include "scene/input.h"

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
    TInput input{scene, kPaneSize, kPaneSize};
    TPointerEvent pointer;  // where the pointer is and the buttons down, as the platform reports them
};

TMouseButton ButtonNamed(const std::string& name)
{
    return name == "left" ? TMouseButton::Left : name == "right" ? TMouseButton::Right : TMouseButton::Middle;
}

// The pointer at pixel (x, y) of the named pane.
void PlacePointer(TPointerEvent& e, const std::string& pane, int x, int y)
{
    const TControlSpec& c = ControlNamed(pane.c_str());
    PlacePointer(e, c.left + x, c.top + y);
}

// Sends the pointer as it stands with `phase` for `button`.
void Send(TReplay& r, TPointerPhase phase, TMouseButton button)
{
    r.pointer.phase = phase;
    r.pointer.button = button;
    r.input.Pointer(r.pointer);
}

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
    text << ToolName(r.input.Tool()) << '\n';
    for (double value : ReadoutValues(r.scene))
        text << ReadoutText(value) << '\n';
    return bool(rgba) && bool(text);
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
        r.input.ClickTool(ControlNamed(name.c_str()).tool);
        return true;
    }
    if (verb == "lose") {  // the capture taken away
        r.input.Cancel();
        r.pointer.buttons = 0;
        return true;
    }
    if (verb == "release" && in >> button) {
        const unsigned bit = ButtonBit(ButtonNamed(button));
        if ((r.pointer.buttons & bit) == 0)
            return false;
        r.pointer.buttons &= ~bit;
        Send(r, TPointerPhase::Up, ButtonNamed(button));
        return true;
    }
    if (verb == "press" && in >> name >> button >> x >> y) {
        if (ControlNamed(name.c_str()).pane == TPaneId::View3B)
            return false;
        PlacePointer(r.pointer, name, x, y);
        r.pointer.buttons |= ButtonBit(ButtonNamed(button));
        Send(r, TPointerPhase::Down, ButtonNamed(button));
        return true;
    }
    if (verb == "move" && in >> name >> x >> y) {
        PlacePointer(r.pointer, name, x, y);
        Send(r, TPointerPhase::Move, TMouseButton::Left);
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
