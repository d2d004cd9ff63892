// The chrome core's layout work on the simulated panels: what one container move or resize
// costs before any window system is involved.
#include "GridChrome.h"
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

}  // namespace
