// The chrome core's layout work on the simulated panels: what one container move or resize
// costs before any window system is involved.
#include "GridChrome.h"
#include "chrome/DividerRatios.h"
#include "platform/sim/SimPlatform.h"

#include <benchmark/benchmark.h>

namespace {

using namespace tessane;

struct Visible4PaneChrome {
    sim::SimPlatform sim;
    ContainerWindowController chrome{sim.platform()};
    Visible4PaneChrome() {
        sim.panels.setJournalEnabled(false);
        bench::showGridChrome(chrome, {100, 100, 1600, 900});
    }
};

// A container dragged along: every frame moves, no size changes (nothing is redrawn).
void BM_ApplyGeometryMove4Panes(benchmark::State& state) {
    Visible4PaneChrome f;
    double dx = 0;
    for (auto _ : state) {
        dx = dx > 100 ? 0 : dx + 1;
        f.chrome.containerCocoaRect = {100 + dx, 100, 1600, 900};
        f.chrome.applyGeometry(true);
        f.chrome.positionDividerPanels();
    }
}
BENCHMARK(BM_ApplyGeometryMove4Panes);

// A container resized: frames move and change size, so mat, shields and handles redraw.
void BM_ApplyGeometryResize4Panes(benchmark::State& state) {
    Visible4PaneChrome f;
    double dw = 0;
    for (auto _ : state) {
        dw = dw > 100 ? 0 : dw + 1;
        f.chrome.containerCocoaRect = {100, 100, 1600 + dw, 900 + dw};
        f.chrome.applyGeometry(true);
        f.chrome.positionDividerPanels();
    }
}
BENCHMARK(BM_ApplyGeometryResize4Panes);

// One pointer movement of a divider drag: the ratio solve, the overlay's cards re-laid and the
// handles moved to their new gutters.
void BM_DividerDragMove4Panes(benchmark::State& state) {
    Visible4PaneChrome f;
    f.chrome.beginDividerDrag();
    double x = 0;
    for (auto _ : state) {
        x = x > 400 ? 0 : x + 1;
        f.chrome.continueDividerDrag({600 + x, 500}, 0, LayoutEngine::SplitAxis::column);
    }
}
BENCHMARK(BM_DividerDragMove4Panes);

// The three-column joint solve alone.
void BM_ThreeColumnsSolve(benchmark::State& state) {
    const std::vector<double> ratios{1.0 / 3, 0.5};
    double x = 0;
    for (auto _ : state) {
        x = x > 800 ? 0 : x + 1;
        auto r = DividerRatios::afterDrag(LayoutType::threeColumns, {3, 3, 1600, 900}, ratios, 0,
                                          LayoutEngine::SplitAxis::column, {200 + x, 400});
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_ThreeColumnsSolve);

// One pointer movement of a rail drag, every one rendered (the clock moves a 60th each time):
// the clamp, the rail and the placement card moved.
void BM_RailDragMove(benchmark::State& state) {
    Visible4PaneChrome f;
    f.chrome.dragOriginCocoa = f.chrome.containerCocoaRect.origin;
    f.chrome.continueHeaderDrag(5, 0);
    double dx = 0;
    for (auto _ : state) {
        dx = dx > 100 ? 0 : dx + 1;
        f.sim.mainQueue.advance(1.0 / 59);
        f.chrome.continueHeaderDrag(dx, -dx);
    }
}
BENCHMARK(BM_RailDragMove);

}  // namespace
