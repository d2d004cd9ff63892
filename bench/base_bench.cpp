#include "base/Base64.h"
#include "model/Log.h"

#include <benchmark/benchmark.h>

#include <random>

using namespace tessane;

// Icons are stored as Base64 in the workspace file: a 128 px PNG is around 20 KB.
static void BM_Base64RoundTrip(benchmark::State& state) {
    Bytes data(static_cast<size_t>(state.range(0)));
    std::mt19937 rng(1);
    for (auto& b : data) b = static_cast<uint8_t>(rng());
    for (auto _ : state) {
        auto decoded = base64Decode(base64Encode(data));
        benchmark::DoNotOptimize(decoded);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Base64RoundTrip)->Arg(20 * 1024);

// A log line into the ring (no file, no system log): the cost every caller pays.
static void BM_LogLineToRing(benchmark::State& state) {
    Log::resetForTesting();
    for (auto _ : state) Log::line("[Tessane] show workspace \u201cDeep Work\u201d: 4 apps");
}
BENCHMARK(BM_LogLineToRing);
