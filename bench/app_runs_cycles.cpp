// app_runs_bench's P8 (see app_runs_bench.cpp's header): the heap in use and resident memory
// over many hides and shows, read by bench/heap_probe.cpp preloaded into the program.
#include "AppRuns.h"

#include "BenchStats.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <utility>

namespace tessane::bench {

using namespace std::chrono;
using tessane::testing::Bound;
using tessane::testing::waitFor;

namespace {

struct Reading {
    int cycles;
    double inUse, held;
    long residentKB;
};

// The heap in use and held (bytes), as the probe in the program answers on `fifo` into `log`;
// nothing when it did not. `asked` counts the questions, one answer line each.
std::optional<std::pair<double, double>> heap(const std::string& fifo, const std::string& log, int& asked) {
    const int out = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (out < 0 || ::write(out, "?", 1) != 1) return std::nullopt;
    ::close(out);
    ++asked;
    std::string last;
    if (!waitFor([&] {
            std::ifstream in(log);
            int lines = 0;
            for (std::string line; std::getline(in, line); ++lines) last = line;
            return lines >= asked;
        }, Bound{"the heap's reading", seconds(10)}))
        return std::nullopt;
    long pid = 0;
    double inUse = 0, held = 0;
    if (std::sscanf(last.c_str(), "%ld %lf %lf", &pid, &inUse, &held) != 3) return std::nullopt;
    return std::pair{inUse, held};
}

void printReadings(const AppRunsDesktop& desk, int count, const std::vector<double>& reshows,
                   const std::vector<Reading>& readings) {
    std::printf("app_runs_bench: P8 (Xvfb + %s), %d hides and shows with the tray icon up: re-show median %.1f ms, "
                "%d not tiled in 30 s\n",
                desk.server->windowManagerName().c_str(), count, median(reshows) * 1e3, desk.timeouts);
    std::printf("  %8s %14s %14s %12s\n", "cycles", "heap in use", "heap held", "resident");
    for (const auto& r : readings)
        std::printf("  %8d %11.2f MB %11.2f MB %9.1f MB\n", r.cycles, r.inUse / 1e6, r.held / 1e6, r.residentKB / 1e3);
    // Against the reading after ten cycles: what the first shows make once is not growth.
    const auto after10 = std::find_if(readings.begin(), readings.end(), [](const Reading& r) { return r.cycles == 10; });
    if (after10 != readings.end() && readings.back().inUse >= 0 && after10->inUse >= 0)
        std::printf("  heap in use from 10 to %d cycles: %+.2f MB (goal: within 0.5 MB); resident %+.1f MB\n",
                    readings.back().cycles, (readings.back().inUse - after10->inUse) / 1e6,
                    (readings.back().residentKB - after10->residentKB) / 1e3);
}

}  // namespace

int runCycles(AppRunsDesktop& desk, int count) {
    const std::string fifo = (desk.home->root() / "heap-probe").string();
    const std::string heapLog = (desk.home->root() / "heap.log").string();
    if (::mkfifo(fifo.c_str(), 0600) != 0) return fail("no FIFO for the heap probe");
    if (!desk.startTessane({std::string("LD_PRELOAD=") + HEAP_PROBE, "HEAP_PROBE_FIFO=" + fifo,
                            "HEAP_PROBE_LOG=" + heapLog}))
        return fail("Tessane did not start");
    desk.settle();
    int asked = 0;
    std::vector<Reading> readings;
    const auto read = [&](int cycles) {
        const auto h = heap(fifo, heapLog, asked);
        readings.push_back({cycles, h ? h->first : -1, h ? h->second : -1, cost(desk.tessane->pid()).residentKB});
    };
    desk.timedChord(desk.showKey);
    desk.settle();
    read(0);
    std::vector<double> reshows;
    const int step = std::max(1, count / 10);
    for (int c = 1; c <= count; ++c) {
        desk.hide();
        reshows.push_back(desk.timedChord(desk.showKey));
        if (c == 10 || c % step == 0) {
            desk.settle();
            read(c);
        }
    }
    desk.stopTessane();
    printReadings(desk, count, reshows, readings);
    return desk.timeouts == 0 ? 0 : 2;
}

}  // namespace tessane::bench
