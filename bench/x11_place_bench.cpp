// Whole-process measurement: placing four real windows into the panes of a 2 x 2 grid through
// the window-control backend (AXWindowController::place over LinuxAccessibility, each placement
// confirmed by reading the frame back), on a private Xvfb + Openbox. Compared with
//   - the bare X round trip (XSync) measured in the same run: the floor of any request that
//     waits for an answer;
//   - `wmctrl -i -r <id> -e 0,x,y,w,h` doing the same moves (one process per move), confirmed by
//     polling the frames until all four are where they were sent.
// Then the time of one placement (median), for each kind of window the backend must convert:
// decorated by the window manager, with an X border (as xterm, xclock and xcalc have), drawing
// its own frame with a shadow margin, and a terminal-like one with resize increments.
// Then the X round trips (answers waited for, counted by the connection) of a show's window work:
// each of the four applications' main window read (AXWindowController::mainWindow) and placed,
// alone and with 1,000 other windows of another client on the server.
// Usage: x11_place_bench [rounds]   (default 30)
#include "BenchStats.h"
#include "platform/linux/windows/LinuxAccessibility.h"
#include "platform/linux/x11/LinuxScreens.h"
#include "platform/sim/SimMainQueue.h"
#include "system/AXWindowController.h"
#include "x11/support/X11TestServer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace tessane;
using namespace std::chrono;
using tessane::testing::Bound;
using tessane::testing::waitFor;
using tessane::bench::clockSeconds;
using tessane::bench::median;

namespace {

// The panes of a 2 x 2 grid over the screen, 6 px gutters, in Accessibility coordinates.
std::vector<Rect> gridPanes(const Rect& area) {
    const double gutter = 6, w = (area.width() - gutter) / 2, h = (area.height() - gutter) / 2;
    return {Rect(area.minX(), area.minY(), w, h), Rect(area.minX() + w + gutter, area.minY(), w, h),
            Rect(area.minX(), area.minY() + h + gutter, w, h),
            Rect(area.minX() + w + gutter, area.minY() + h + gutter, w, h)};
}

}  // namespace

// Four windows of one kind, each rotated through the panes for `rounds` rounds; every placement
// timed on its own.
struct KindResult {
    std::vector<double> perWindow;
    int notPlaced = 0;
};

KindResult placeKind(x11test::X11TestServer& server, AXWindowController& controller,
                     linux_backend::X11Connection& x, const std::vector<std::string>& options,
                     const std::vector<Rect>& panes, int rounds) {
    KindResult result;
    std::vector<std::unique_ptr<x11test::ChildProcess>> clients;
    std::vector<linux_backend::XWindowId> windows;
    for (int i = 0; i < 4; ++i) {
        std::vector<std::string> args = {TESSANE_X11_CLIENT, "--pos", std::to_string(100 + 40 * i) + ",100"};
        args.insert(args.end(), options.begin(), options.end());
        clients.push_back(x11test::ChildProcess::start(args, server.display(), {}, true));
        auto line = clients.back()->waitForLine("window ", milliseconds(10000));
        if (!line) return result;
        windows.push_back(std::strtoul(line->c_str() + 7, nullptr, 16));
    }
    x.sync();
    for (int r = 0; r < rounds; ++r) {
        for (int i = 0; i < 4; ++i) {
            const auto t0 = steady_clock::now();
            auto outcome = controller.place(AXElement::fromHandle(windows[i]), panes[(i + r) % 4]);
            result.perWindow.push_back(duration<double>(steady_clock::now() - t0).count());
            if (outcome.kind != AXWindowController::PlacementOutcome::Kind::placed) ++result.notPlaced;
        }
    }
    return result;
}

namespace {

// What every part of the bench works with: the server, the four clients' windows and processes,
// the backend on a connection of its own, and the grid's panes.
struct Desk {
    x11test::X11TestServer& server;
    linux_backend::X11Connection& x;
    AXWindowController& controller;
    const std::vector<linux_backend::XWindowId>& windows;
    const std::vector<Pid>& pids;
    const std::vector<Rect>& panes;
    int rounds;
};

// `count` timings of `work`.
std::vector<double> timings(int count, const std::function<void()>& work) {
    std::vector<double> out;
    for (int i = 0; i < count; ++i) {
        const double t0 = clockSeconds();
        work();
        out.push_back(clockSeconds() - t0);
    }
    return out;
}

// Four test clients, their windows and processes; false when one did not come up.
bool startClients(x11test::X11TestServer& server, std::vector<std::unique_ptr<x11test::ChildProcess>>& clients,
                  std::vector<linux_backend::XWindowId>& windows, std::vector<Pid>& pids) {
    for (int i = 0; i < 4; ++i) {
        clients.push_back(x11test::ChildProcess::start(
            {TESSANE_X11_CLIENT, "--class", "bench" + std::to_string(i) + ".Bench", "--pos",
             std::to_string(100 + 40 * i) + ",100"},
            server.display(), {}, true));
        auto line = clients.back()->waitForLine("window ", milliseconds(10000));
        if (!line) return false;
        windows.push_back(std::strtoul(line->c_str() + 7, nullptr, 16));
        pids.push_back(clients.back()->pid());
    }
    return true;
}

// Ours: each round rotates the windows one pane on, so every placement is a real move.
std::vector<double> placeRounds(const Desk& desk, int& notPlaced) {
    std::vector<double> ours;
    for (int r = 0; r < desk.rounds; ++r) {
        const double t0 = clockSeconds();
        for (int i = 0; i < 4; ++i) {
            auto outcome = desk.controller.place(AXElement::fromHandle(desk.windows[i]), desk.panes[(i + r) % 4]);
            if (outcome.kind != AXWindowController::PlacementOutcome::Kind::placed) ++notPlaced;
        }
        ours.push_back(clockSeconds() - t0);
    }
    return ours;
}

// wmctrl: the same moves, then wait until all four frames are where they were sent.
std::vector<double> wmctrlRounds(const Desk& desk, int& toolTimeouts) {
    std::vector<double> tool;
    for (int r = 0; r < desk.rounds; ++r) {
        const double t0 = clockSeconds();
        for (int i = 0; i < 4; ++i) {
            const Rect& p = desk.panes[(i + r + 1) % 4];
            desk.server.run({"wmctrl", "-i", "-r", std::to_string(desk.windows[i]), "-e",
                             "0," + std::to_string(int(p.minX())) + "," + std::to_string(int(p.minY())) + "," +
                                 std::to_string(int(p.width())) + "," + std::to_string(int(p.height()))});
        }
        bool done = waitFor(
            [&] {
                for (int i = 0; i < 4; ++i) {
                    auto g = desk.x.geometry(desk.windows[i]);
                    // wmctrl's gravity 0 places the frame: compare sizes, and that the frame moved.
                    if (!g || g->rootRect.size != desk.panes[(i + r + 1) % 4].size) return false;
                }
                return true;
            }, Bound{"the clients' moves", milliseconds(5000)});
        if (!done) ++toolTimeouts;
        tool.push_back(clockSeconds() - t0);
    }
    return tool;
}

// A show's window work, in X round trips: every application's main window read, then placed;
// alone and among 1,000 other windows of another client.
struct ShowWork {
    std::vector<double> trips, tripsCrowded, timesCrowded;
    int notPlaced = 0;
};

double showWork(const Desk& desk, int round, int& notPlaced) {
    const uint64_t before = desk.x.roundTrips();
    for (int i = 0; i < 4; ++i) {
        const auto main = desk.controller.mainWindow(desk.pids[i]);
        if (!main || desk.controller.place(main->element, desk.panes[(i + round) % 4]).kind !=
                         AXWindowController::PlacementOutcome::Kind::placed)
            ++notPlaced;
    }
    return static_cast<double>(desk.x.roundTrips() - before);
}

// None when the client of 1,000 windows did not come up.
std::optional<ShowWork> measureShowWork(const Desk& desk) {
    ShowWork work;
    for (int r = 0; r < desk.rounds; ++r) work.trips.push_back(showWork(desk, r, work.notPlaced));
    auto crowd = x11test::ChildProcess::start({TESSANE_X11_CLIENT, "--class", "crowd.Crowd", "--windows", "1000",
                                               "--size", "120x80"},
                                              desk.server.display(), {}, true);
    if (!crowd || !crowd->waitForLine("ready", milliseconds(120000))) return std::nullopt;
    // The window manager takes its time over a thousand new windows; measured once it is done.
    desk.x.windowManagerRoundTrip(60);
    for (int r = 0; r < desk.rounds; ++r) {
        const double t0 = clockSeconds();
        work.tripsCrowded.push_back(showWork(desk, r, work.notPlaced));
        work.timesCrowded.push_back(clockSeconds() - t0);
    }
    return work;
}

// One placement, by kind of window (each kind in its own four windows).
struct Kind {
    const char* name;
    std::vector<std::string> options;
};
const Kind kKinds[] = {
    {"decorated", {}},
    {"bordered (X border 1)", {"--border", "1"}},
    {"own frame, shadow 26,26,23,29", {"--shadow", "26,26,23,29"}},
    {"terminal-like, cells 6x13", {"--increments", "6x13", "--base", "4x4", "--size", "484x316"}},
};

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    std::string error;
    auto server = x11test::X11TestServer::start(&error);
    if (!server) {
        std::fprintf(stderr, "x11_place_bench: %s\n", error.c_str());
        return 1;
    }
    std::vector<std::unique_ptr<x11test::ChildProcess>> clients;
    std::vector<linux_backend::XWindowId> windows;
    std::vector<Pid> pids;
    if (!startClients(*server, clients, windows, pids)) {
        std::fprintf(stderr, "x11_place_bench: test client did not come up\n");
        return 1;
    }
    auto x = linux_backend::X11Connection::open(server->display().c_str());
    sim::SimMainQueue queue;  // observers are not used here
    linux_backend::LinuxScreens screens(*x, queue);
    linux_backend::LinuxAccessibility ax(*x, screens, queue);
    AXWindowController controller(ax);
    const auto panes = gridPanes(Rect(0, 0, 1920, 1080));
    const Desk desk{*server, *x, controller, windows, pids, panes, rounds};

    // The floor: one request that waits for the server's answer.
    const std::vector<double> roundTrips = timings(200, [&] { x->sync(); });
    const std::vector<double> wmRoundTrips = timings(50, [&] { x->windowManagerRoundTrip(1.0); });
    int notPlaced = 0, toolTimeouts = 0;
    const std::vector<double> ours = placeRounds(desk, notPlaced);
    const std::vector<double> tool = wmctrlRounds(desk, toolTimeouts);
    const auto work = measureShowWork(desk);
    if (!work) {
        std::fprintf(stderr, "x11_place_bench: the client of 1,000 windows did not come up\n");
        return 1;
    }
    std::vector<std::pair<const Kind*, KindResult>> byKind;
    for (const auto& kind : kKinds)
        byKind.emplace_back(&kind, placeKind(*server, controller, *x, kind.options, panes, rounds));

    const double rt = median(roundTrips), wm = median(wmRoundTrips), our = median(ours), wmc = median(tool);
    std::printf("x11_place_bench: %d rounds of 4 windows into a 2x2 grid (Xvfb + Openbox), medians\n", rounds);
    std::printf("  bare X round trip (XSync)          %9.3f ms\n", rt * 1e3);
    std::printf("  window-manager round trip          %9.3f ms\n", wm * 1e3);
    std::printf("  place 4 windows, confirmed (ours)  %9.3f ms   (%d not placed)\n", our * 1e3, notPlaced);
    std::printf("  same moves with wmctrl, confirmed  %9.3f ms   (%d timed out)\n", wmc * 1e3, toolTimeouts);
    std::printf("  ours / bare round trip             %9.1f x\n", our / rt);
    std::printf("  ours / (4 window-manager trips)    %9.1f x\n", our / (4 * wm));
    std::printf("  wmctrl / ours                      %9.1f x\n", wmc / our);
    std::printf("  a show's window work (4 main windows read and placed), X round trips: %.0f; "
                "with 1,000 other windows: %.0f (%.3f ms)   (%d not placed)\n",
                median(work->trips), median(work->tripsCrowded), median(work->timesCrowded) * 1e3, work->notPlaced);
    std::printf("  one window placed, confirmed, by kind of window:\n");
    for (auto& [kind, result] : byKind) {
        std::printf("    %-32s %9.3f ms   (%d of %zu not placed)\n", kind->name, median(result.perWindow) * 1e3,
                    result.notPlaced, result.perWindow.size());
        notPlaced += result.notPlaced;
    }
    return notPlaced == 0 ? 0 : 2;
}
