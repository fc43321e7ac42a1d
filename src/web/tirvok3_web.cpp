// The browser shell's C ABI over the engine: the page's JS module calls these exports of the
// WebAssembly module. One scene, four panes, sixteen readouts; the page owns controls, timer and mouse.
#include "render/announce.h"
#include "render/frame.h"
#include "render/layout.h"
#include "render/raster.h"
#include "render/readout.h"
#include "scene/editing.h"
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

// A pane: the engine's raster, and the RGBA bytes the canvas last got (alpha 255).
struct TWebPane {
    TPaneImage pixels{kPaneSize, kPaneSize};
    std::vector<std::uint32_t> rgba = std::vector<std::uint32_t>(std::size_t(kPaneSize) * kPaneSize, 0);
};

struct TWebShell {
    TScene scene;
    std::array<TWebPane, kPanes> panes;
    std::array<std::string, kReadouts> readouts;
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

// 0x00RRGGBB as the bytes R, G, B, 255 in memory: one little-endian word, as wasm memory is.
constexpr std::uint32_t RgbaWord(std::uint32_t word)
{
    return 0xFF000000u | ((word & 0xFFu) << 16) | (word & 0xFF00u) | ((word >> 16) & 0xFFu);
}

// The plan panes' ids are their views' numbers.
static_assert(int(TPaneId::XY) == int(TPlanView::XY) && int(TPaneId::XZ) == int(TPlanView::XZ) &&
              int(TPaneId::YZ) == int(TPlanView::YZ));
bool IsPlanPane(int pane) { return pane >= int(TPaneId::XY) && pane <= int(TPaneId::YZ); }
TPlanView ViewOf(int pane) { return TPlanView(pane); }
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

// What the edit that just ended changed, for screen readers (UTF-8, zero-terminated; empty: nothing).
TIRVOK_EXPORT(tv_edit_announcement) const char* tv_edit_announcement()
{
    TWebShell& shell = Shell();
    shell.announcement = shell.announcer.Next(shell.scene, shell.separator);
    return shell.announcement.c_str();
}

// Where the page writes the browser's decimal separator, UTF-8 and zero-terminated (kSeparatorBytes).
TIRVOK_EXPORT(tv_separator) char* tv_separator() { return Shell().separator; }

// A button pressed at pane pixel (x, y) of plan pane `pane`, with `tool` down.
TIRVOK_EXPORT(tv_mouse_down) void tv_mouse_down(int pane, int button, int x, int y, int tool)
{
    if (IsPlanPane(pane))
        PlanMouseDown(Shell().scene, ViewOf(pane), ButtonOf(button), x, y, ToolOf(tool));
}

// The pointer moved to pane pixel (x, y) of plan pane `pane` while a button pressed there is held.
TIRVOK_EXPORT(tv_mouse_move) void tv_mouse_move(int pane, int x, int y, int tool)
{
    if (IsPlanPane(pane))
        PlanMouseMove(Shell().scene, ViewOf(pane), x, y, kPaneSize, kPaneSize, ToolOf(tool));
}

// A button released in plan pane `pane`; returns the tool that is down afterwards.
TIRVOK_EXPORT(tv_mouse_up) int tv_mouse_up(int pane, int button, int tool)
{
    if (!IsPlanPane(pane))
        return tool;
    return int(PlanMouseUp(Shell().scene, ViewOf(pane), ButtonOf(button), ToolOf(tool)));
}

// One frame: the four panes and the readouts; returns a bit (1 << pane id) for each pane whose
// RGBA bytes changed, so the page redraws only those.
TIRVOK_EXPORT(tv_frame) int tv_frame()
{
    TWebShell& shell = Shell();
    auto& p = shell.panes;
    DrawFrame(shell.scene, {p[0].pixels.Raster(), p[1].pixels.Raster(), p[2].pixels.Raster(), p[3].pixels.Raster()});
    int changed = 0;
    for (int i = 0; i < kPanes; ++i) {
        const auto& words = p[std::size_t(i)].pixels.Words();
        auto& rgba = p[std::size_t(i)].rgba;
        bool differs = false;
        for (std::size_t k = 0; k < words.size(); ++k) {
            const std::uint32_t word = RgbaWord(words[k]);
            differs |= rgba[k] != word;
            rgba[k] = word;
        }
        changed |= differs ? 1 << i : 0;
    }
    const auto values = ReadoutValues(shell.scene);
    for (std::size_t i = 0; i < values.size(); ++i)
        shell.readouts[i] = ReadoutText(values[i], shell.separator);
    return changed;
}

// The RGBA bytes of pane `pane` (kPaneSize x kPaneSize, top row first), as of the last frame.
TIRVOK_EXPORT(tv_pane_rgba) const std::uint32_t* tv_pane_rgba(int pane)
{
    return pane >= 0 && pane < kPanes ? Shell().panes[std::size_t(pane)].rgba.data() : nullptr;
}

// Width and height of every pane, in pixels.
TIRVOK_EXPORT(tv_pane_size) int tv_pane_size() { return kPaneSize; }

// Readout `index` (0 for Label1) as of the last frame, UTF-8 and zero-terminated with the page's separator.
TIRVOK_EXPORT(tv_readout) const char* tv_readout(int index)
{
    return index >= 0 && index < kReadouts ? Shell().readouts[std::size_t(index)].c_str() : "";
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
