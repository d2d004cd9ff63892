#include "layout/LayoutEngine.h"

#include <benchmark/benchmark.h>

using namespace tessane;

// One pane-geometry call, as the controller makes on every tiling pass and the chrome on every
// step of a divider drag. Arguments: layout type (case order) and app count.
static void BM_PaneLayout(benchmark::State& state) {
    const auto type = static_cast<LayoutType>(state.range(0));
    const int count = static_cast<int>(state.range(1));
    const Rect container(0, 25, 2560, 1415);
    const std::optional<std::vector<double>> ratios = std::vector<double>{0.55, 0.45};
    for (auto _ : state) {
        auto layout = LayoutEngine::paneLayout(type, container, count, ratios, 6, 3, true, 16);
        benchmark::DoNotOptimize(layout);
    }
    state.SetLabel(toString(type));
}
BENCHMARK(BM_PaneLayout)->ArgsProduct({benchmark::CreateDenseRange(0, 8, 1), {0, 1, 2, 3, 4, 5}});

// The click-shield strips the chrome recomputes with the panes.
static void BM_MatStripRects(benchmark::State& state) {
    const Rect container(0, 25, 2560, 1415);
    const auto layout = LayoutEngine::paneLayout(LayoutType::grid2x2, container, 4, std::nullopt,
                                                 6, 0, true);
    for (auto _ : state) {
        auto strips = LayoutEngine::matStripRects(container, layout.paneFrames);
        benchmark::DoNotOptimize(strips);
    }
}
BENCHMARK(BM_MatStripRects);
