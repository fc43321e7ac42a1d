// Speed of one frame and of each of its rooms, on a canonical scene of N prisms.
#include "render/canvas.h"
#include "render/frame.h"
#include "render/plan_views.h"
#include "render/raster.h"
#include "render/readout.h"
#include "render/view3b.h"
#include "scene/editing.h"
#include "scene/projection.h"
#include "scene/projection_path.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

namespace {

inline constexpr int kPaneSize = 200;
inline constexpr int kRowLength = 64;    // prisms per row of the canonical scene
inline constexpr double kLeft = -320;    // world x of the first prism in a row
inline constexpr double kBottom = -160;  // world y of the first row
inline constexpr double kSpacing = 10;
inline constexpr double kStretchX = 30;
inline constexpr double kStretchY = 20;
inline constexpr int kFrameMs = 40;     // the program's redraw period
inline constexpr int kColdFrames = 20;  // cold frames per repetition: 20 sleeps make under a second

// The scene the benchmarks draw: N prisms pressed in one view on a 64-wide raster, through the
// functions the mouse handlers use; in the top view each is stretched by (30, 20), in the front and
// side views it stays a press (all corners at one point). Camera up and to the side of the origin.
std::unique_ptr<TScene> CanonicalScene(int prisms, TPlanView view = TPlanView::XY)
{
    auto scene = std::make_unique<TScene>();
    InitScene(*scene);
    for (int k = 0; k < prisms; ++k) {
        const TGridPoint at{kSpacing * (k % kRowLength) + kLeft, kSpacing * (k / kRowLength) + kBottom};
        AddPrismAt(*scene, view, at);
        if (view == TPlanView::XY)
            StretchLastPrism(*scene, at.h + kStretchX, at.v + kStretchY);
    }
    scene->Camera = {-400, -300, 200};
    scene->Focus = {0, 0, 0};
    return scene;
}

TPaneImage Pane() { return TPaneImage(kPaneSize, kPaneSize); }

// The scene bench/live-cpu.sh builds through real input, here through the mouse handlers it reaches:
// N times "Prizma Ekle", a press in the top view on an 11 x 11 raster (so 121 distinct boxes, each
// about N / 121 times), a drag by (30, -20) pixels and the release; then "Kamera" and a press at (40, 40)
// in the front view.
std::unique_ptr<TScene> LiveScene(int prisms)
{
    auto scene = std::make_unique<TScene>();
    InitScene(*scene);
    for (int k = 0; k < prisms; ++k) {
        const int x = 30 + 10 * (k % 11);
        const int y = 60 + 10 * ((k / 11) % 11);
        PlanMouseDown(*scene, TPlanView::XY, TMouseButton::Left, x, y, TTool::Prizma);
        PlanMouseMove(*scene, TPlanView::XY, x + 30, y - 20, kPaneSize, kPaneSize, TTool::Prizma);
        PlanMouseUp(*scene, TPlanView::XY, TMouseButton::Left, TTool::Prizma);
    }
    PlanMouseDown(*scene, TPlanView::XZ, TMouseButton::Left, 40, 40, TTool::Kamera);
    PlanMouseUp(*scene, TPlanView::XZ, TMouseButton::Left, TTool::Kamera);
    return scene;
}

// Runs a benchmark on one projection path and puts the path back after it.
class TPathScope {
public:
    explicit TPathScope(TProjectionPath path) : before_(ProjectionPath()) { UseProjectionPath(path); }
    ~TPathScope() { UseProjectionPath(before_); }

private:
    TProjectionPath before_;
};

int Prisms(const benchmark::State& state) { return static_cast<int>(state.range(0)); }

struct TFramePanes {
    TPaneImage xy = Pane(), xz = Pane(), yz = Pane(), b3 = Pane();
};

// The timer's whole frame: four panes drawn and the sixteen readout texts formatted.
void DrawWholeFrame(TScene& scene, TFramePanes& panes)
{
    DrawFrame(scene, {panes.xy.Raster(), panes.xz.Raster(), panes.yz.Raster(), panes.b3.Raster()});
    for (double value : ReadoutValues(scene)) {
        std::string text = ReadoutText(value);
        benchmark::DoNotOptimize(text);
    }
    benchmark::ClobberMemory();
}

// FNV-1a over the four panes' 0x00RRGGBB words in pane id order (XY, XZ, YZ, 3D view): what the frame
// drew, for bench/web_bench.py to set beside the page's frame of the same scene.
double FrameDigest(const TFramePanes& panes)
{
    std::uint32_t digest = 2166136261u;
    for (const TPaneImage* pane : {&panes.xy, &panes.xz, &panes.yz, &panes.b3})
        for (std::uint32_t word : pane->Words())
            digest = (digest ^ word) * 16777619u;
    return double(digest);
}

void FrameOf(benchmark::State& state, TPlanView view)
{
    auto scene = CanonicalScene(Prisms(state), view);
    TFramePanes panes;
    for (auto _ : state)
        DrawWholeFrame(*scene, panes);
    state.counters["digest"] = FrameDigest(panes);
}

void BM_Frame(benchmark::State& state) { FrameOf(state, TPlanView::XY); }
void BM_FrameFront(benchmark::State& state) { FrameOf(state, TPlanView::XZ); }
void BM_FrameSide(benchmark::State& state) { FrameOf(state, TPlanView::YZ); }

// BM_Frame and BM_ProjectScene/N on the portable path, whatever the CPU has.
void BM_FramePortable(benchmark::State& state)
{
    TPathScope path(TProjectionPath::Portable);
    FrameOf(state, TPlanView::XY);
}

// The live script's scene of N prisms, hot: frame after frame.
void BM_LiveFrame(benchmark::State& state, TProjectionPath path)
{
    TPathScope scope(path);
    auto scene = LiveScene(Prisms(state));
    TFramePanes panes;
    for (auto _ : state)
        DrawWholeFrame(*scene, panes);
}

// The same frame as the program draws it, one per 40 ms timer slot: each after a 40 ms sleep, which
// leaves the caches to other work; only the frame itself is timed.
void BM_LiveFrameCold(benchmark::State& state, TProjectionPath path)
{
    TPathScope scope(path);
    auto scene = LiveScene(Prisms(state));
    TFramePanes panes;
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kFrameMs));
        const auto start = std::chrono::steady_clock::now();
        DrawWholeFrame(*scene, panes);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}

// The sixteen readout texts alone, as the timer formats them each frame.
void BM_Readouts(benchmark::State& state)
{
    auto scene = CanonicalScene(0);
    ProjectScene(*scene, kPaneSize, kPaneSize);
    for (auto _ : state) {
        for (double value : ReadoutValues(*scene)) {
            std::string text = ReadoutText(value);
            benchmark::DoNotOptimize(text);
        }
    }
}

void BM_ProjectScene(benchmark::State& state)
{
    auto scene = CanonicalScene(Prisms(state));
    for (auto _ : state) {
        ProjectScene(*scene, kPaneSize, kPaneSize);
        benchmark::ClobberMemory();
    }
}

void BM_ProjectScenePortable(benchmark::State& state)
{
    TPathScope path(TProjectionPath::Portable);
    BM_ProjectScene(state);
}

void BM_Draw3B(benchmark::State& state)
{
    auto scene = CanonicalScene(Prisms(state));
    ProjectScene(*scene, kPaneSize, kPaneSize);
    TPaneImage image = Pane();
    Canvas pane(image.Raster());
    for (auto _ : state) {
        Draw3B(*scene, pane);
        benchmark::ClobberMemory();
    }
}

void BM_DrawPlanXY(benchmark::State& state)
{
    auto scene = CanonicalScene(Prisms(state));
    TPaneImage image = Pane();
    Canvas pane(image.Raster());
    for (auto _ : state) {
        DrawPlanXY(*scene, pane);
        benchmark::ClobberMemory();
    }
}

// The projection right after a view's background fill, a run of wide stores, to catch the scalar maths
// slowing down behind a dirty upper vector state (AVX); compare with ProjectScene.
void BM_ProjectAfterFill(benchmark::State& state)
{
    auto scene = CanonicalScene(Prisms(state));
    TPaneImage image = Pane();
    Canvas pane(image.Raster());
    for (auto _ : state) {
        state.PauseTiming();
        pane.Rectangle(-1, -1, kPaneSize + 1, kPaneSize + 1);
        state.ResumeTiming();
        ProjectScene(*scene, kPaneSize, kPaneSize);
        benchmark::ClobberMemory();
    }
}

double Fastest(const std::vector<double>& runs) { return *std::min_element(runs.begin(), runs.end()); }
double Slowest(const std::vector<double>& runs) { return *std::max_element(runs.begin(), runs.end()); }

// Times in microseconds; with repetitions, min and max are reported next to mean, median and stddev.
void Timed(benchmark::internal::Benchmark* b)
{
    b->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Fastest)->ComputeStatistics("max", Slowest);
}

// The canonical scene sizes: empty, a quarter of a screenful, half and all of the prism table.
void Sizes(benchmark::internal::Benchmark* b)
{
    Timed(b);
    b->Arg(0)->Arg(256)->Arg(1024)->Arg(2048);
}

}  // namespace

BENCHMARK(BM_Frame)->Apply(Sizes);
BENCHMARK(BM_FrameFront)->Apply(Sizes);
BENCHMARK(BM_FrameSide)->Apply(Sizes);
BENCHMARK(BM_Readouts)->Apply(Timed);
BENCHMARK(BM_ProjectScene)->Apply(Sizes);
BENCHMARK(BM_Draw3B)->Apply(Sizes);
BENCHMARK(BM_DrawPlanXY)->Apply(Sizes);
BENCHMARK(BM_ProjectAfterFill)->Apply(Timed)->Arg(2048);
BENCHMARK(BM_FramePortable)->Apply(Timed)->Arg(2048);
BENCHMARK(BM_ProjectScenePortable)->Apply(Timed)->Arg(2048);
BENCHMARK_CAPTURE(BM_LiveFrame, fastest, ProjectionPath())->Apply(Timed)->Arg(2048);
BENCHMARK_CAPTURE(BM_LiveFrame, portable, TProjectionPath::Portable)->Apply(Timed)->Arg(2048);
BENCHMARK_CAPTURE(BM_LiveFrameCold, fastest, ProjectionPath())
    ->Apply(Timed)
    ->Arg(2048)
    ->UseManualTime()
    ->Iterations(kColdFrames);
BENCHMARK_CAPTURE(BM_LiveFrameCold, portable, TProjectionPath::Portable)
    ->Apply(Timed)
    ->Arg(2048)
    ->UseManualTime()
    ->Iterations(kColdFrames);

BENCHMARK_MAIN();
