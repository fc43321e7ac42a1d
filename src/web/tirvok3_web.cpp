// The browser shell's C ABI over the engine: the page's JS module calls these exports of the
// WebAssembly module. One scene, four panes, sixteen readouts; the page owns controls, timer and mouse.
#include "render/announce.h"
#include "render/frame.h"
#include "render/layout.h"
#include "render/raster.h"
#include "render/readout.h"
#include "scene/input.h"
#include "scene/scene.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>

// Exported by name from the WebAssembly module; elsewhere (a native build of this file) a plain C function.
#if defined(__wasm__) && defined(__clang__)
#define TIRVOK_EXPORT(name) extern "C" __attribute__((export_name(#name)))
#else
#define TIRVOK_EXPORT(name) extern "C"
#endif

namespace {

inline constexpr int kPanes = 4;  // by TPaneId: XY, XZ, YZ, 3D view
// Room for the browser's decimal separator in UTF-8, with its terminating zero.
inline constexpr int kSeparatorBytes = 16;

// A pane: the engine's raster, drawn straight in the canvas's byte order (R, G, B, 255), so the page puts
// it on its canvas as it is.
struct TWebPane {
    TPaneImage pixels{kPaneSize, kPaneSize, kWhite, TPixelOrder::CanvasRgba};
};

struct TWebShell {
    TScene scene;
    TInput input{scene, kPaneSize, kPaneSize};
    std::array<TWebPane, kPanes> panes;
    TTick tick;
    char separator[kSeparatorBytes] = ".";
    TEditAnnouncer announcer;
    std::string announcement;
};

TWebShell& Shell()
{
    static const std::unique_ptr<TWebShell> shell = [] {
        auto made = std::make_unique<TWebShell>();
        InitScene(made->scene);
        made->announcer.Reset(made->scene);
        return made;
    }();
    return *shell;
}

// The plan panes' ids are their views' numbers.
static_assert(int(TPaneId::XY) == int(TPlanView::XY) && int(TPaneId::XZ) == int(TPlanView::XZ) &&
              int(TPaneId::YZ) == int(TPlanView::YZ));
TTool ToolOf(int tool) { return tool >= int(TTool::None) && tool <= int(TTool::SonPrizma) ? TTool(tool) : TTool::None; }

// Pointer Events' button numbers: 0 main (left), 1 auxiliary (middle), 2 secondary (right), others beyond.
TMouseButton ButtonOf(int button)
{
    switch (button) {
    case 0: return TMouseButton::Left;
    case 1: return TMouseButton::Middle;
    case 2: return TMouseButton::Right;
    default: return TMouseButton::Other;
    }
}

// PointerEvent.buttons (1 left, 2 right, 4 middle, 8 and up the others) as the input model's button set.
unsigned ButtonsOf(int buttons)
{
    static_assert(ButtonBit(TMouseButton::Left) == 1 && ButtonBit(TMouseButton::Right) == 2 &&
                  ButtonBit(TMouseButton::Middle) == 4);
    const auto bits = unsigned(buttons);
    return (bits & 7u) | ((bits & ~7u) != 0 ? ButtonBit(TMouseButton::Other) : 0u);
}

const TControlSpec* ControlAt(int index)
{
    return index >= 0 && index < kControlCount ? &kForm1Controls[std::size_t(index)] : nullptr;
}

}  // namespace

// Number of child controls in the layout table.
TIRVOK_EXPORT(tv_control_count) int tv_control_count() { return kControlCount; }

// A whole-number field of control `index`: 0 kind, 1 left, 2 top, 3 width, 4 height (CSS pixels),
// 5 pane id, 6 tool, 7 readout index; -1 for anything else.
TIRVOK_EXPORT(tv_control_number) int tv_control_number(int index, int field)
{
    const TControlSpec* c = ControlAt(index);
    if (c == nullptr)
        return -1;
    const int fields[] = {int(c->kind), c->left, c->top, c->width, c->height, int(c->pane), int(c->tool), c->readout};
    return field >= 0 && field < int(std::size(fields)) ? fields[field] : -1;
}

// A text of control `index`, UTF-8 and zero-terminated: 0 name, 1 caption, 2 tooltip, 3 spoken name,
// 4 spoken description; empty for anything else.
TIRVOK_EXPORT(tv_control_text) const char* tv_control_text(int index, int field)
{
    const TControlSpec* c = ControlAt(index);
    if (c == nullptr)
        return "";
    const char* texts[] = {c->name, c->caption, c->tooltip, c->accessibleName, c->accessibleDescription};
    return field >= 0 && field < int(std::size(texts)) ? texts[field] : "";
}

// A number of the main window: 0 face colour, 1 font colour (both 0xRRGGBB), 2 font pixels,
// 3 frame interval in ms; -1 for anything else.
TIRVOK_EXPORT(tv_window_number) int tv_window_number(int field)
{
    const int fields[] = {int(PixelWord(kForm1.face)), int(PixelWord(kForm1.fontColour)), kForm1.fontPixels, kFrameMs};
    return field >= 0 && field < int(std::size(fields)) ? fields[field] : -1;
}

// A text of the main window: 0 caption, 1 font family, 2 the tool group's spoken name; empty for anything else.
TIRVOK_EXPORT(tv_window_text) const char* tv_window_text(int field)
{
    const char* texts[] = {kForm1.caption, kForm1.font, kToolGroupSpoken};
    return field >= 0 && field < int(std::size(texts)) ? texts[field] : "";
}

// What a screen reader says after an input event, asked after each: what the edit that just ended changed,
// else after a keyboard step the grid point under the pointer (UTF-8, zero-terminated; empty: nothing).
TIRVOK_EXPORT(tv_edit_announcement) const char* tv_edit_announcement()
{
    TWebShell& shell = Shell();
    shell.announcement = shell.announcer.AfterInput(shell.input, shell.scene, shell.separator);
    return shell.announcement.c_str();
}

// Where the page writes the browser's decimal separator, UTF-8 and zero-terminated (kSeparatorBytes).
TIRVOK_EXPORT(tv_separator) char* tv_separator() { return Shell().separator; }

// A pointer event (phase 0 down, 1 move, 2 up, 3 cancel; kind 0 mouse, 1 pen, 2 touch; Pointer Events'
// button and buttons; `over` the plan pane under the pointer or -1) with the pointer in each plan pane's
// pixels; returns the tool that is down afterwards.
TIRVOK_EXPORT(tv_pointer)
int tv_pointer(int phase, int id, int kind, int primary, int button, int buttons, int over, int xyX, int xyY, int xzX,
               int xzY, int yzX, int yzY)
{
    TInput& input = Shell().input;
    if (phase < 0 || phase > int(TPointerPhase::Cancel) || kind < 0 || kind > int(TPointerKind::Touch))
        return int(input.Tool());
    TPointerEvent e;
    e.phase = TPointerPhase(phase);
    e.id = id;
    e.kind = TPointerKind(kind);
    e.primary = primary != 0;
    e.button = ButtonOf(button);
    e.buttons = ButtonsOf(buttons);
    if (over >= 0 && over <= int(TPlanView::YZ))
        e.over = TPlanView(over);
    e.at = {TPointerAt{xyX, xyY}, TPointerAt{xzX, xzY}, TPointerAt{yzX, yzY}};
    input.Pointer(e);
    return int(input.Tool());
}

// The page lost the pointer (capture lost, the window blurred or hidden): every held button lets go;
// returns the tool that is down afterwards.
TIRVOK_EXPORT(tv_cancel) int tv_cancel()
{
    Shell().input.Cancel();
    return int(Shell().input.Tool());
}

// 1 while a button is held, so the page keeps the pointer captured; 0 otherwise.
TIRVOK_EXPORT(tv_holding) int tv_holding() { return Shell().input.Holding() ? 1 : 0; }

// A key (0 ArrowLeft, 1 ArrowRight, 2 ArrowUp, 3 ArrowDown, 4 Return, 5 Space, 6 Escape) went down or up
// while plan pane `pane` has the keyboard focus; returns the tool that is down afterwards.
TIRVOK_EXPORT(tv_key) int tv_key(int pane, int key, int down, int fine, int repeat)
{
    TInput& input = Shell().input;
    if (pane >= 0 && pane <= int(TPlanView::YZ) && key >= 0 && key <= int(TKey::Escape))
        input.Key(TPlanView(pane), TKey(key), down != 0, fine != 0, repeat != 0);
    return int(input.Tool());
}

// The focused plan pane lost the keyboard; returns the tool that is down afterwards.
TIRVOK_EXPORT(tv_keys_lost) int tv_keys_lost()
{
    Shell().input.KeysLost();
    return int(Shell().input.Tool());
}

// Where plan pane `pane`'s keyboard pointer stands: x + 65536 * y, in its pixels.
TIRVOK_EXPORT(tv_keyboard_pointer) int tv_keyboard_pointer(int pane)
{
    if (pane < 0 || pane > int(TPlanView::YZ))
        return 0;
    const TPointerAt at = Shell().input.KeyboardPointer(TPlanView(pane));
    return at.x + 65536 * at.y;
}

// A click on tool button `tool`; returns the tool that is down afterwards.
TIRVOK_EXPORT(tv_click_tool) int tv_click_tool(int tool)
{
    Shell().input.ClickTool(ToolOf(tool));
    return int(Shell().input.Tool());
}

// One frame: the four panes and the readouts; returns a bit (1 << pane id) for each pane whose
// pixels changed, so the page redraws only those.
TIRVOK_EXPORT(tv_frame) int tv_frame()
{
    TWebShell& shell = Shell();
    auto& p = shell.panes;
    shell.tick.SetDecimalPoint(shell.separator);
    const TFrameChanges changes = shell.tick.Run(
        shell.scene, {p[0].pixels.Raster(), p[1].pixels.Raster(), p[2].pixels.Raster(), p[3].pixels.Raster()});
    return int(changes.panes);
}

// The RGBA bytes of pane `pane` (kPaneSize x kPaneSize, top row first), as of the last frame.
TIRVOK_EXPORT(tv_pane_rgba) const std::uint32_t* tv_pane_rgba(int pane)
{
    return pane >= 0 && pane < kPanes ? Shell().panes[std::size_t(pane)].pixels.Data() : nullptr;
}

// Width and height of every pane, in pixels.
TIRVOK_EXPORT(tv_pane_size) int tv_pane_size() { return kPaneSize; }

// Readout `index` (0 for Label1) as of the last frame, UTF-8 and zero-terminated with the page's separator.
TIRVOK_EXPORT(tv_readout) const char* tv_readout(int index)
{
    return index >= 0 && index < kReadouts ? Shell().tick.Readout(index).c_str() : "";
}

// Replaces the scene with the frame benchmark's (bench/frame_bench.cpp), so a browser's frame time can be
// set beside the native one: `prisms` prisms in rows of 64, 10 apart, each stretched by (30, 20) in the
// top view, the camera up and to the side of the origin.
TIRVOK_EXPORT(tv_bench_scene) void tv_bench_scene(int prisms)
{
    constexpr int kRowLength = 64;
    TScene& scene = Shell().scene;
    scene.PrismTable.fill(TPrism{});  // in place: the scene is too big for the module's stack
    InitScene(scene);
    for (TPlanView view : {TPlanView::XY, TPlanView::XZ, TPlanView::YZ})
        LeftDragOf(scene, view) = RightDragOf(scene, view) = false;
    for (int k = 0; k < prisms; ++k) {
        const TGridPoint at{10.0 * (k % kRowLength) - 320, 10.0 * (k / kRowLength) - 160};
        if (AddPrismAt(scene, TPlanView::XY, at))
            StretchLastPrism(scene, at.h + 30, at.v + 20);
    }
    scene.Camera = {-400, -300, 200};
    scene.Focus = {0, 0, 0};
}

// Moves the benchmark scene's camera to one of two places by the parity of `step`, so every pane changes
// from one frame to the next, as it does during a drag: bench/web_bench.py times the page's whole tick so.
TIRVOK_EXPORT(tv_bench_step) void tv_bench_step(int step)
{
    Shell().scene.Camera = step % 2 == 0 ? TVec3{-400, -300, 200} : TVec3{-390, -290, 210};
}
