// Speed of one frame and of each of its rooms, on a canonical scene of N prisms.
#include "render/canvas.h"
#include "render/frame.h"
#include "render/plan_views.h"
#include "render/raster.h"
#include "render/readout.h"
#include "render/view3b.h"
#include "scene/editing.h"
#include "scene/projection.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

inline constexpr int kPaneSize = 200;
inline constexpr int kRowLength = 64;    // prisms per row of the canonical scene
inline constexpr double kLeft = -320;    // world x of the first prism in a row
inline constexpr double kBottom = -160;  // world y of the first row
inline constexpr double kSpacing = 10;
inline constexpr double kStretchX = 30;
inline constexpr double kStretchY = 20;

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

int Prisms(const benchmark::State& state) { return static_cast<int>(state.range(0)); }

// The timer's whole frame: four panes drawn and the sixteen readout texts formatted.
void FrameOf(benchmark::State& state, TPlanView view)
{
    auto scene = CanonicalScene(Prisms(state), view);
    TPaneImage xy = Pane(), xz = Pane(), yz = Pane(), b3 = Pane();
    for (auto _ : state) {
        DrawFrame(*scene, {xy.Raster(), xz.Raster(), yz.Raster(), b3.Raster()});
        for (double value : ReadoutValues(*scene)) {
            std::string text = ReadoutText(value);
            benchmark::DoNotOptimize(text);
        }
        benchmark::ClobberMemory();
    }
}

void BM_Frame(benchmark::State& state) { FrameOf(state, TPlanView::XY); }
void BM_FrameFront(benchmark::State& state) { FrameOf(state, TPlanView::XZ); }
void BM_FrameSide(benchmark::State& state) { FrameOf(state, TPlanView::YZ); }

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

BENCHMARK_MAIN();
