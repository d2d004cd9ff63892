// app_runs_bench's P5 and P7 (see app_runs_bench.cpp's header): the program among 1,000 other
// windows of another client.
#include "AppRuns.h"

#include "BenchStats.h"
#include "StallLog.h"
#include "XReplyRecorder.h"
#include "e2e/support/RequestsToManager.h"
#include "platform/linux/x11/X11Connection.h"
#include "platform/linux/x11/X11ManagerWatch.h"

#include <X11/Xproto.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <thread>
#include <tuple>

namespace tessane::bench {

using namespace std::chrono;

namespace {

// The stall lines themselves, with APP_RUNS_BENCH_STALLS set: what each named, after the
// hot key's and the arrival's times on their clock.
void printStalls(const std::string& logFile, double hotKeyAt, double tiledAt) {
    if (!std::getenv("APP_RUNS_BENCH_STALLS")) return;
    std::printf("     hot key at %.6f, in place at %.6f\n", hotKeyAt, tiledAt);
    std::ifstream in(logFile);
    for (std::string line; std::getline(in, line);)
        if (line.find("[Tessane][stall]") != std::string::npos || line.find("[Tessane][X11]") != std::string::npos)
            std::printf("     %s\n", line.c_str());
}

// Which properties, with APP_RUNS_BENCH_ATOMS set: what the program read and the manager wrote.
void printAtoms(Display* d, const XReplyRecorder& recorder, pid_t program, std::optional<unsigned long> manager) {
    if (!std::getenv("APP_RUNS_BENCH_ATOMS")) return;
    const auto show = [&](const char* who, const std::map<uint32_t, long>& counts) {
        for (const auto& [atom, count] : counts)
            if (count >= 20) {
                char* name = XGetAtomName(d, atom);
                std::printf("     %s %s x %ld\n", who, name ? name : "?", count);
                if (name) XFree(name);
            }
    };
    for (unsigned long base : recorder.clientsOf(program))
        show("program reads", recorder.propertiesOf(base, X_GetProperty));
    if (manager) show("manager writes", recorder.propertiesOf(*manager, X_ChangeProperty));
}

// P7: what a first show among the crowd of P5 sets off, counted by the server from the hot key
// until 4 s after the windows are in place: the window manager's restacks and moves
// (ConfigureWindow), when its last one came against the windows' arrival, and the program's
// property reads; and the main thread's longest wait meanwhile (the program's stall log).
std::optional<Census> crowdCensus(AppRunsDesktop& desk) {
    desk.spread();
    if (!desk.startTessane({"TESSANE_STALL_LOG_MS=10"})) return std::nullopt;
    desk.settle();
    const std::optional<unsigned long> manager = windowManagerClient(desk.d);
    Census c;
    XReplyRecorder recorder(desk.server->display(), true);
    if (!recorder.running()) return std::nullopt;
    desk.watch->forget();
    const double t0 = clockSeconds();
    typeChord(desk.d, desk.showKey);
    if (!desk.watch->waitTiled(desk.windows, seconds(30))) ++desk.timeouts;
    const double tiledAt = clockSeconds();
    desk.watch->listen(milliseconds(4000));
    recorder.stop();
    c.tiled = tiledAt - t0;
    if (manager) {
        c.managerConfigures = recorder.requestsOf(*manager, X_ConfigureWindow);
        const double last = recorder.lastRequestOf(*manager, X_ConfigureWindow);
        c.managerLastAfter = last > 0 ? last - tiledAt : 0;
    }
    c.ownPropertyReads = recorder.requestsOf(desk.tessane->pid(), X_GetProperty);
    for (const auto& [base, count] : recorder.repliesOf(desk.tessane->pid())) c.ownReplies += count;
    std::tie(c.longestWait, c.ownWait) = longestStall(desk.logFile, t0, tiledAt + 4.0);
    c.onX = waitedOnX(desk.logFile, t0, tiledAt + 4.0);
    printStalls(desk.logFile, t0, tiledAt);
    printAtoms(desk.d, recorder, desk.tessane->pid(), manager);
    desk.stopTessane();
    return c;
}

// P7 also: the hide's hot key typed the moment the show's moves go out, while the program waits
// for the manager's answer to them; until the hide asks the manager for its first iconify. None
// when the program did not start or a request was not seen within its bound.
std::optional<double> hideMidShow(AppRunsDesktop& desk) {
    desk.spread();
    if (!desk.startTessane()) return std::nullopt;
    desk.settle();
    e2e::RequestsToManager moves(desk.server->display(), "_NET_MOVERESIZE_WINDOW");
    e2e::RequestsToManager iconifies(desk.server->display(), "WM_CHANGE_STATE");
    const auto seen = [](e2e::RequestsToManager& requests) {
        for (const auto end = steady_clock::now() + seconds(30); steady_clock::now() < end;) {
            if (requests.count() > 0) return true;
            std::this_thread::sleep_for(milliseconds(1));
        }
        return false;
    };
    typeChord(desk.d, desk.showKey);
    std::optional<double> served;
    if (seen(moves)) {
        const double t0 = clockSeconds();
        typeChord(desk.d, desk.hideKey);
        if (seen(iconifies)) served = clockSeconds() - t0;
    }
    desk.stopTessane();
    return served;
}

}  // namespace

std::unique_ptr<x11test::ChildProcess> startCrowd(AppRunsDesktop& desk) {
    auto crowd = x11test::ChildProcess::start({TESSANE_X11_CLIENT, "--class", "crowd.Crowd", "--windows", "1000",
                                               "--size", "120x80"},
                                              desk.server->display(), {}, true);
    if (!crowd || !crowd->waitForLine("ready", seconds(120))) return decltype(crowd){};
    // The window manager is done taking them in: an echo, which every manager passes on only
    // after the maps asked before it (Xfwm answers no frame-extents round trip, and a server
    // round trip would leave it framing the crowd through the first show).
    desk.x->manager().echo(120);
    return crowd;
}

void printCensus(const std::vector<Census>& all) {
    std::printf("  P7 a first show among 1,000 other windows, hot key to 4 s after in place (%zu rounds):\n",
                all.size());
    for (const auto& c : all)
        std::printf("     in place %.1f ms; manager's ConfigureWindow %ld, its last %+.0f ms after; program's"
                    " GetProperty %ld, replies %ld; main thread's longest wait %.0f (%.0f) ms, of its stalls"
                    " %.0f ms on X replies\n",
                    c.tiled * 1e3, c.managerConfigures, c.managerLastAfter * 1e3, c.ownPropertyReads,
                    c.ownReplies, c.longestWait * 1e3, c.ownWait * 1e3, c.onX * 1e3);
}

int runCensusAlone(AppRunsDesktop& desk, int rounds) {
    auto crowd = startCrowd(desk);
    if (!crowd) return fail("the client of 1,000 windows did not come up");
    std::vector<Census> all;
    for (int r = 0; r < rounds; ++r)
        if (auto c = crowdCensus(desk)) all.push_back(*c);
    std::vector<double> hides;
    for (int r = 0; r < rounds; ++r)
        if (const auto served = hideMidShow(desk)) hides.push_back(*served);
    std::printf("app_runs_bench: P7 (Xvfb + %s)\n", desk.server->windowManagerName().c_str());
    printCensus(all);
    std::printf("     the hide's hot key typed as the show's moves go out, until its first iconify (%zu of %d):",
                hides.size(), rounds);
    for (double h : hides) std::printf(" %.0f ms", h * 1e3);
    std::printf("\n");
    return desk.timeouts == 0 ? 0 : 2;
}

std::optional<CrowdFigures> measureCrowd(AppRunsDesktop& desk, int rounds, std::string* why) {
    // P5: a thousand other windows; the floor and first shows again, and the program's quit.
    auto crowd = startCrowd(desk);
    if (!crowd) {
        *why = "the client of 1,000 windows did not come up";
        return std::nullopt;
    }
    CrowdFigures f;
    f.rounds = std::min(rounds, 5);
    // Also the floor with the program started and settled, as before its show: whether the
    // manager takes longer over the same moves while the program runs.
    for (int r = 0; r < f.rounds; ++r) {
        f.floors.push_back(desk.floorMoves(true));
        desk.spread();
        if (!desk.startTessane()) {
            *why = "Tessane did not start again";
            return std::nullopt;
        }
        desk.settle();
        f.floorsRunning.push_back(desk.floorMoves(true));
        desk.spread();
        desk.settle();
        f.firstShows.push_back(desk.timedChord(desk.showKey));
        const double quit = desk.stopTessane();
        f.allEnded = f.allEnded && quit >= 0;
        f.quitTime = std::max(f.quitTime, quit);
    }
    for (int r = 0; r < std::min(rounds, 3); ++r)
        if (auto c = crowdCensus(desk)) f.censuses.push_back(*c);
    return f;
}

}  // namespace tessane::bench
