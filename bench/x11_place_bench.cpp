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
#include <memory>
#include <string>
#include <vector>

using namespace tessane;
using namespace std::chrono;
using tessane::testing::Bound;
using tessane::testing::waitFor;
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
    for (int i = 0; i < 4; ++i) {
        clients.push_back(x11test::ChildProcess::start(
            {TESSANE_X11_CLIENT, "--class", "bench" + std::to_string(i) + ".Bench", "--pos",
             std::to_string(100 + 40 * i) + ",100"},
            server->display(), {}, true));
        auto line = clients.back()->waitForLine("window ", milliseconds(10000));
        if (!line) {
            std::fprintf(stderr, "x11_place_bench: test client did not come up\n");
            return 1;
        }
        windows.push_back(std::strtoul(line->c_str() + 7, nullptr, 16));
        pids.push_back(clients.back()->pid());
    }

    auto x = linux_backend::X11Connection::open(server->display().c_str());
    sim::SimMainQueue queue;  // observers are not used here
    linux_backend::LinuxScreens screens(*x, queue);
    linux_backend::LinuxAccessibility ax(*x, screens, queue);
    AXWindowController controller(ax);
    const auto panes = gridPanes(Rect(0, 0, 1920, 1080));
    const auto clock = [] { return duration<double>(steady_clock::now().time_since_epoch()).count(); };

    // The floor: one request that waits for the server's answer.
    std::vector<double> roundTrips;
    for (int i = 0; i < 200; ++i) {
        const double t0 = clock();
        x->sync();
        roundTrips.push_back(clock() - t0);
    }
    std::vector<double> wmRoundTrips;
    for (int i = 0; i < 50; ++i) {
        const double t0 = clock();
        x->windowManagerRoundTrip(1.0);
        wmRoundTrips.push_back(clock() - t0);
    }

    // Ours: each round rotates the windows one pane on, so every placement is a real move.
    std::vector<double> ours;
    int notPlaced = 0;
    for (int r = 0; r < rounds; ++r) {
        const double t0 = clock();
        for (int i = 0; i < 4; ++i) {
            auto outcome = controller.place(AXElement::fromHandle(windows[i]), panes[(i + r) % 4]);
            if (outcome.kind != AXWindowController::PlacementOutcome::Kind::placed) ++notPlaced;
        }
        ours.push_back(clock() - t0);
    }

    // wmctrl: the same moves, then wait until all four frames are where they were sent.
    std::vector<double> tool;
    int toolTimeouts = 0;
    for (int r = 0; r < rounds; ++r) {
        const double t0 = clock();
        for (int i = 0; i < 4; ++i) {
            const Rect& p = panes[(i + r + 1) % 4];
            server->run({"wmctrl", "-i", "-r", std::to_string(windows[i]), "-e",
                         "0," + std::to_string(int(p.minX())) + "," + std::to_string(int(p.minY())) + "," +
                             std::to_string(int(p.width())) + "," + std::to_string(int(p.height()))});
        }
        bool done = waitFor(
            [&] {
                for (int i = 0; i < 4; ++i) {
                    auto g = x->geometry(windows[i]);
                    // wmctrl's gravity 0 places the frame: compare sizes, and that the frame moved.
                    if (!g || g->rootRect.size != panes[(i + r + 1) % 4].size) return false;
                }
                return true;
            }, Bound{"the clients' moves", milliseconds(5000)});
        if (!done) ++toolTimeouts;
        tool.push_back(clock() - t0);
    }

    // A show's window work, in X round trips: every application's main window read, then placed.
    int showNotPlaced = 0;
    const auto showWork = [&](int round) {
        const uint64_t before = x->roundTrips();
        for (int i = 0; i < 4; ++i) {
            const auto main = controller.mainWindow(pids[i]);
            if (!main || controller.place(main->element, panes[(i + round) % 4]).kind !=
                             AXWindowController::PlacementOutcome::Kind::placed)
                ++showNotPlaced;
        }
        return static_cast<double>(x->roundTrips() - before);
    };
    std::vector<double> trips, tripsCrowded, timesCrowded;
    for (int r = 0; r < rounds; ++r) trips.push_back(showWork(r));
    auto crowd = x11test::ChildProcess::start({TESSANE_X11_CLIENT, "--class", "crowd.Crowd", "--windows", "1000",
                                               "--size", "120x80"},
                                              server->display(), {}, true);
    if (!crowd || !crowd->waitForLine("ready", milliseconds(120000))) {
        std::fprintf(stderr, "x11_place_bench: the client of 1,000 windows did not come up\n");
        return 1;
    }
    // The window manager takes its time over a thousand new windows; measured once it is done.
    x->windowManagerRoundTrip(60);
    for (int r = 0; r < rounds; ++r) {
        const double t0 = clock();
        tripsCrowded.push_back(showWork(r));
        timesCrowded.push_back(clock() - t0);
    }
    crowd.reset();

    // One placement, by kind of window (each kind in its own four windows).
    struct Kind {
        const char* name;
        std::vector<std::string> options;
    };
    const Kind kinds[] = {
        {"decorated", {}},
        {"bordered (X border 1)", {"--border", "1"}},
        {"own frame, shadow 26,26,23,29", {"--shadow", "26,26,23,29"}},
        {"terminal-like, cells 6x13", {"--increments", "6x13", "--base", "4x4", "--size", "484x316"}},
    };
    std::vector<std::pair<const Kind*, KindResult>> byKind;
    for (const auto& kind : kinds)
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
                median(trips), median(tripsCrowded), median(timesCrowded) * 1e3, showNotPlaced);
    std::printf("  one window placed, confirmed, by kind of window:\n");
    for (auto& [kind, result] : byKind) {
        std::printf("    %-32s %9.3f ms   (%d of %zu not placed)\n", kind->name, median(result.perWindow) * 1e3,
                    result.notPlaced, result.perWindow.size());
        notPlaced += result.notPlaced;
    }
    return notPlaced == 0 ? 0 : 2;
}
