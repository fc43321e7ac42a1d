// Pointer and tool-button events through the engine's input model as a window delivers them, with
// frames and readout texts in between; the scene's invariants are checked after every event. Besides
// one well-behaved mouse, the storm has chords, presses off every pane, releases that never arrive,
// several pointers of every kind, cancels and lost captures.

#include "fuzz_input.h"

#include "render/canvas.h"
#include "render/frame.h"
#include "render/layout.h"
#include "render/plan_views.h"
#include "render/readout.h"
#include "render/view3b.h"
#include "scene/editing.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

inline constexpr int kPane = 200;
inline constexpr double kFrameBudgetMs = 50;  // thread CPU time; a sanitized frame of 2048 prisms takes far less
inline constexpr int kHistory = 8;            // events a repeat can replay
inline constexpr int kFreeSlotsChecked = 4;   // free slots checked after each event; all of them at each frame
inline constexpr int kMostEvents = 20000;     // per input, repeats included: enough to fill the table
inline constexpr int kMostFrames = 8;         // per input, besides the last, to keep inputs fast

constexpr TPlanView kViews[3] = {TPlanView::XY, TPlanView::XZ, TPlanView::YZ};

enum class TOp { ToolClick, Press, Move, Release, Frame, Repeat, Cancel, Raw };

struct TEvent {
    TOp op = TOp::Frame;
    int which = 0;  // tool, button or pane, by op
    double x = 0;
    double y = 0;
};

struct TWindow {
    std::unique_ptr<TScene> scene = std::make_unique<TScene>();
    TInput input{*scene, kPane, kPane};
    TPointerEvent mouse;  // the mouse as the platform reports it: place and buttons down
    std::vector<TPaneImage> panes{4, TPaneImage(kPane, kPane)};
    int events = 0;
    int frames = 0;

    TWindow() { InitScene(*scene); }
};

double Position(TFuzzInput& in)
{
    const std::uint8_t mode = in.Byte();
    switch (mode % 8) {
    case 5: return double(in.Raw<std::int32_t>());
    case 6: return in.Raw<double>();
    case 7: return double(in.Raw<std::int16_t>()) + 0.5;
    default: return double(in.Byte()) - 28 + in.Byte() / 256.0;  // in and around the pane
    }
}

bool OnGrid(double v) { return std::isfinite(v) && std::fmod(v, kGrid) == 0; }

bool OnGrid(const TVec3& p) { return OnGrid(p.x) && OnGrid(p.y) && OnGrid(p.z); }

bool OnGrid(const TPrism& prism)
{
    return std::all_of(std::begin(prism.c), std::end(prism.c),
                       [](const TVertex& c) { return OnGrid(c.x) && OnGrid(c.y) && OnGrid(c.z); });
}

bool Zero(const TPrism& prism)
{
    return prism.colour == 0 && std::all_of(std::begin(prism.c), std::end(prism.c), [](const TVertex& c) {
               return c.x == 0 && c.y == 0 && c.z == 0 && c.sx == 0 && c.sy == 0;
           });
}

void CheckScene(const TWindow& w, bool everyPrism)
{
    const TScene& s = *w.scene;
    Check(s.PrismCount <= kPrismSlots, "prism count within the table");
    const int lastFree = everyPrism ? kPrismSlots : std::min(kPrismSlots, s.PrismCount + kFreeSlotsChecked);
    for (int k = s.PrismCount + 1; k <= lastFree; ++k)
        Check(Zero(s.Prism(k)), "free prism slots stay zero");
    Check(OnGrid(s.Camera) && OnGrid(s.Focus), "camera and focus on the grid");
    for (int k = everyPrism ? 1 : std::max(1, int(s.PrismCount)); k <= s.PrismCount; ++k)
        Check(OnGrid(s.Prism(k)), "prism corners on the grid");
    for (TPlanView v : kViews) {
        const TViewOrigin& o = OriginOf(s, v);
        Check(std::abs(o.ox) <= kOriginLimit && std::abs(o.oy) <= kOriginLimit, "origins within their limit");
    }
    if (!w.input.Holding())
        for (TPlanView v : kViews)
            Check(!LeftDragOf(*w.scene, v) && !RightDragOf(*w.scene, v), "no drag without a held button");
}

void Frame(TWindow& w)
{
    const double start = ThreadCpuMs();
    DrawFrame(*w.scene, {w.panes[0].Raster(), w.panes[1].Raster(), w.panes[2].Raster(), w.panes[3].Raster()});
    const auto values = ReadoutValues(*w.scene);
    for (double v : values)
        Check(!ReadoutText(v).empty(), "every readout has a text");
    Check(ThreadCpuMs() - start <= kFrameBudgetMs, "a frame within its CPU budget");

    // The same drawing once more on canvases of our own, to see every line's step count.
    Canvas xy(w.panes[0].Raster()), xz(w.panes[1].Raster()), yz(w.panes[2].Raster()), b3(w.panes[3].Raster());
    DrawPlanXY(*w.scene, xy);
    DrawPlanXZ(*w.scene, xz);
    DrawPlanYZ(*w.scene, yz);
    Draw3B(*w.scene, b3);
    for (const Canvas* c : {&xy, &xz, &yz, &b3})
        Check(c->MostLineSteps() <= std::max(c->Width(), c->Height()), "a line steps only through the pane");
    CheckScene(w, true);
}

// The mouse at (x, y) of plan pane `pane`, or of the window when `pane` is 3 (the face, a label, the 3D view).
void PlaceMouse(TWindow& w, int pane, double x, double y)
{
    const TControlSpec* c = nullptr;
    for (const TControlSpec& spec : kForm1Controls)
        if (spec.kind == TControlKind::Pane && int(spec.pane) == pane)
            c = &spec;
    PlacePointer(w.mouse, x + c->left, y + c->top);
}

void Apply(TWindow& w, const TEvent& e)
{
    const auto button = TMouseButton(e.which & 3);
    const unsigned bit = ButtonBit(button);
    switch (e.op) {
    case TOp::ToolClick: w.input.ClickTool(TTool(1 + e.which)); break;
    case TOp::Press:
        if (w.mouse.buttons & bit)
            break;
        PlaceMouse(w, (e.which >> 2) & 3, e.x, e.y);
        w.mouse.phase = TPointerPhase::Down;
        w.mouse.button = button;
        w.mouse.buttons |= bit;
        w.input.Pointer(w.mouse);
        break;
    case TOp::Move:
        PlaceMouse(w, (e.which >> 2) & 3, e.x, e.y);
        w.mouse.phase = TPointerPhase::Move;
        w.input.Pointer(w.mouse);
        break;
    case TOp::Release: {
        const bool held = w.input.Holding();
        w.mouse.phase = TPointerPhase::Up;
        w.mouse.button = button;
        w.mouse.buttons &= ~bit;
        w.input.Pointer(w.mouse);
        if (held && w.mouse.buttons == 0)
            Check(!w.input.Holding(), "the last button up ends the hold");
        break;
    }
    case TOp::Cancel:
        w.input.Cancel();
        w.mouse.buttons = 0;
        break;
    case TOp::Raw: {
        // Any pointer, in any state the platform might report, lost releases and other fingers included.
        TPointerEvent raw = w.mouse;
        raw.phase = TPointerPhase(e.which & 3);
        raw.kind = TPointerKind((e.which >> 2) % 3);
        raw.id = (e.which >> 4) & 3;
        raw.primary = (e.which & 64) == 0;
        raw.button = TMouseButton((e.which >> 7) & 3);
        raw.buttons = unsigned(e.which >> 9) & 15;
        PlacePointer(raw, e.x, e.y);
        w.input.Pointer(raw);
        break;
    }
    case TOp::Frame:
        if (++w.frames <= kMostFrames)
            Frame(w);
        break;
    case TOp::Repeat: break;
    }
    Check(w.input.Holding() ||
              std::all_of(std::begin(kViews), std::end(kViews),
                          [&](TPlanView v) { return !LeftDragOf(*w.scene, v) && !RightDragOf(*w.scene, v); }),
          "no drag flag outlives the hold");
    CheckScene(w, false);
    ++w.events;
}

TEvent Decode(TFuzzInput& in)
{
    TEvent e;
    const std::uint8_t op = in.Byte();
    e.op = TOp(op % 8);
    switch (e.op) {
    case TOp::ToolClick: e.which = in.Byte() % 4; break;
    case TOp::Press:
    case TOp::Move:
        e.which = in.Byte() % 4 << 2;  // pane (3: off every pane) in the high bits, button in the low two
        e.which |= in.Byte() % 4;
        e.x = Position(in);
        e.y = Position(in);
        break;
    case TOp::Release: e.which = in.Byte() % 4; break;
    case TOp::Raw:
        e.which = in.Byte() | in.Byte() << 8;
        e.x = Position(in);
        e.y = Position(in);
        break;
    case TOp::Frame:
    case TOp::Cancel: break;
    case TOp::Repeat:
        e.which = in.Byte();  // low three bits: events to repeat - 1; the rest: times - 1
        break;
    }
    return e;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TFuzzInput in(data, size);
    TWindow w;
    std::vector<TEvent> history;
    while (in.More() && w.events < kMostEvents) {
        const TEvent e = Decode(in);
        if (e.op != TOp::Repeat) {
            Apply(w, e);
            history.push_back(e);
            if (history.size() > kHistory)
                history.erase(history.begin());
            continue;
        }
        const std::size_t count = std::min<std::size_t>(history.size(), (e.which & 7) + 1);
        const int times = (e.which >> 3) + 1;
        for (int t = 0; t < times && w.events < kMostEvents; ++t)
            for (std::size_t i = history.size() - count; i < history.size(); ++i)
                Apply(w, history[i]);
    }
    Frame(w);
    return 0;
}
