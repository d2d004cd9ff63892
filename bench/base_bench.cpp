#include "base/Base64.h"
#include "base/Signal.h"
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

// One event told to the connection's listeners, as every X event is: under another client's flood
// of events this runs tens of thousands of times a second.
static void BM_SignalEmitToListeners(benchmark::State& state) {
    struct Event {
        long fields[12];
    };
    Signal<Event> signal;
    long sum = 0;
    std::vector<Subscription> listeners;
    for (int i = 0; i < state.range(0); ++i)
        listeners.push_back(signal.subscribe([&sum](const Event& e) { sum += e.fields[0]; }));
    const Event event{{1}};
    for (auto _ : state) signal.emit(event);
    benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_SignalEmitToListeners)->Arg(20);
