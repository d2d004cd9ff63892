// Whole-process measurement of the running program on a private Xvfb + Openbox (another of the
// eight managers with TESSANE_TEST_WM, as for the x11 tests), one run. The hot key (Super+Alt+1)
// is typed through XTEST on this program's own connection, and windows are confirmed in their
// panes by reading their frames back each time the root hears a frame move.
//   P1  first shows: each round the program is started afresh and, once it has settled, the
//       windows are spread out and the hot key typed at once; until all four windows of a 2 x 2
//       workspace are confirmed in their panes. Against the floor below right after the spread (both
//       hot), in the same rounds; the ratios round by round. Beside them the key's own floor: a
//       client that grabbed the key sends the four moves the moment it hears it. Also a show after
//       a hide, against four window-manager round trips. `app_runs_bench N IDLE first` runs the
//       first shows and their floors alone.
//   P2  the same four placements made by a wmctrl script (one shell running a process per window),
//       confirmed the same way; against P1.
//   P3  the idle cost of the program, with no workspace shown and with one shown: CPU time and
//       context switches over a quiet period, and resident memory (and of it, the anonymous
//       part: heap and stacks, the rest being mapped files); against a Qt tray hello world
//       (bench/tray_hello.cpp) docked in the same tray on the same server, read at the same
//       moments (it has drawn text once); and with one shown again, the tips card never up.
//   P4  the floor of the same four moves: one already-connected client sends the four
//       _NET_MOVERESIZE_WINDOW messages wmctrl sends, confirmed the same way; from a settled
//       desktop, as a show, and (as before) right after the windows were spread.
//   P6  the X replies of a first show (the program started afresh), counted by the server for
//       every connection of the program, its own and Qt's: from the hot key until 0.5 s after
//       the windows are in place.
//   P5  with 1,000 other windows of another client on the server: the program started afresh,
//       its first show; the P4 floor again (what the window manager's own moves cost then), and
//       the milliseconds the crowd adds to the show over those it adds to the floor; and how long
//       the program takes to end after SIGTERM.
//   P7  a first show among the crowd of P5, counted by the server: the window manager's
//       ConfigureWindow requests and when its last came, the program's property reads and replies,
//       and the main thread's longest wait (its stall log). `app_runs_bench N IDLE crowd` runs P7 alone.
//   P8  the heap in use (bench/heap_probe.cpp preloaded into the program) and resident memory over
//       many hides and shows with the tray icon up: `app_runs_bench N IDLE cycles [count]` (1,000).
//   Also: the chrome up (the hot key until the last window of the program's connections is
//   mapped) in P1's first shows, and a first show with 10,000 stored workspaces.
// Usage: [TESSANE_TEST_WM=xfwm4] app_runs_bench [rounds] [idle seconds]   (defaults 15 and 30); with
// TESSANE_BENCH_SMAPS_DIR set, each P3 reading also leaves /proc/<pid>/smaps of both processes there.
// The bench's desktop and the X pieces it is measured with are in AppRuns.h and AppRunsX11.h;
// P5 and P7 in app_runs_crowd.cpp, P8 in app_runs_cycles.cpp, the report in app_runs_report.cpp.
#include "AppRuns.h"
#include "BenchStats.h"
#include "XReplyRecorder.h"
#include "platform/linux/x11/X11Connection.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace tessane;
using namespace tessane::bench;
using namespace std::chrono;
using x11test::RootRect;

namespace {

// Where the show put each window: its frame's corner and its client's size, which is what
// _NET_MOVERESIZE_WINDOW and wmctrl's -e take. The frame's size given as the client's grew
// each frame by its decorations: Openbox's thin ones stayed inside a quadrant's slack, xfwm4's
// title bar and borders did not, and no floor was ever confirmed there.
std::vector<RootRect> placedWindows(const AppRunsDesktop& desk) {
    std::vector<RootRect> placed;
    for (auto w : desk.windows) {
        RootRect p = x11test::outerFrame(desk.d, w).value_or(RootRect{});
        Window root = 0;
        int x = 0, y = 0;
        unsigned width = 0, height = 0, border = 0, depth = 0;
        if (XGetGeometry(desk.d, w, &root, &x, &y, &width, &height, &border, &depth)) {
            p.width = int(width);
            p.height = int(height);
        }
        placed.push_back(p);
    }
    return placed;
}

// With the program started once: P3 with nothing shown, the window manager's round trips, the
// windows' first tiling, P1's shows after a hide and where they put the windows, then P3 with
// one shown. None when the program did not start.
std::optional<ShowFigures> measureShows(AppRunsDesktop& desk, int rounds, int quiet, IdleFigures& idleFigures) {
    if (!desk.startTessane()) return std::nullopt;
    desk.settle();
    // P3, nothing shown.
    idleFigures.none = idle(desk.tessane->pid(), quiet);
    idleFigures.helloNone = cost(desk.hello->pid());
    keepSmaps(desk.tessane->pid(), "tessane-none");
    keepSmaps(desk.hello->pid(), "hello-none");

    ShowFigures s;
    for (int i = 0; i < 50; ++i) {
        const double t0 = clockSeconds();
        desk.x->windowManagerRoundTrip(1.0);
        s.wmTrips.push_back(clockSeconds() - t0);
    }
    // The windows' first tiling ever, apart: a window's first resize to a size it never had
    // costs its client and the server far more than any later one, and would fall on whichever
    // placer came first.
    s.firstTiling = desk.timedChord(desk.showKey);
    // P1, a show after a hide, each round.
    for (int r = 0; r < rounds; ++r) {
        desk.hide();
        std::this_thread::sleep_for(milliseconds(300));
        s.shows.push_back(desk.timedChord(desk.showKey));
    }
    desk.placed = placedWindows(desk);

    // P3, one workspace shown.
    desk.settle();
    idleFigures.shown = idle(desk.tessane->pid(), quiet);
    idleFigures.helloShown = cost(desk.hello->pid());
    keepSmaps(desk.tessane->pid(), "tessane-shown");
    keepSmaps(desk.hello->pid(), "hello-shown");
    desk.stopTessane();
    return s;
}

// P3 again without the tips card (the tips seen before), which the first show put up: its text
// is what most of the program's fonts and shaping are there for. False when the program did not
// start.
bool measureWithoutCard(AppRunsDesktop& desk, int quiet, IdleFigures& idleFigures) {
    std::ifstream was(desk.home->preferencesFile());
    const std::string kept((std::istreambuf_iterator<char>(was)), {});
    std::ofstream(desk.home->preferencesFile())
        << R"({"TessaneHasSeenOnboarding": true, "TessaneHasSeenWorkspaceTips.v1": true})" << "\n";
    if (!desk.startTessane()) return false;
    desk.settle();
    desk.timedChord(desk.showKey);
    desk.settle();
    idleFigures.noCard = idle(desk.tessane->pid(), quiet);
    idleFigures.helloNoCard = cost(desk.hello->pid());
    keepSmaps(desk.tessane->pid(), "tessane-shown-no-card");
    desk.stopTessane();
    std::ofstream(desk.home->preferencesFile()) << kept;
    return true;
}

// P2: one shell script of four wmctrl processes, one after another, confirmed by the frames'
// events like everything else (nothing on the clock waits for a process to end).
double wmctrlScript(AppRunsDesktop& desk, int& toolTimeouts) {
    desk.spread();
    desk.settle();
    std::string script;
    for (size_t i = 0; i < desk.windows.size(); ++i) {
        const RootRect& p = desk.placed[i];
        script += "wmctrl -i -r " + std::to_string(desk.windows[i]) + " -e 0," + std::to_string(p.x) + "," +
                  std::to_string(p.y) + "," + std::to_string(p.width) + "," + std::to_string(p.height) + "\n";
    }
    desk.watch->forget();
    const double t0 = clockSeconds();
    auto shell = x11test::ChildProcess::start({"/bin/sh", "-c", script}, desk.server->display(), {});
    if (!shell || !desk.watch->waitTiled(desk.windows, seconds(5))) ++toolTimeouts;
    const double took = clockSeconds() - t0;
    if (shell) shell->wait(seconds(10));
    return took;
}

// The key's floor, set up and left alone as the program is before its first show.
std::optional<double> keyFloor(AppRunsDesktop& desk) {
    KeyFloor client(desk.server->display(), desk.windows, desk.placed);
    if (!client.connected()) return std::nullopt;
    desk.settle();
    desk.spread();
    return desk.timedChord(desk.showKey);
}

// P4 and P2, each from a settled desktop (P4 also right after the spread), and P1's first
// show, the program started afresh each round: all in the same rounds. None when the program
// did not start again.
std::optional<RoundFigures> measureRounds(AppRunsDesktop& desk, int rounds, bool firstOnly) {
    RoundFigures f;
    for (int r = 0; r < rounds; ++r) {
        f.floors.push_back(desk.floorMoves(true));
        f.hotFloors.push_back(desk.floorMoves(false));
        if (!firstOnly) f.tool.push_back(wmctrlScript(desk, f.toolTimeouts));
        const auto shown = desk.firstShow();
        if (!shown) return std::nullopt;
        f.firstShows.push_back(shown->tiled);
        f.chromeUps.push_back(shown->chromeUp);
        if (const auto k = keyFloor(desk)) f.keyFloors.push_back(*k);
    }
    return f;
}

// A first show with 10,000 stored workspaces (the shown one first in the list), against the
// floor of the same rounds; then the list of one again. None when the program did not start.
std::optional<LongListFigures> measureLongList(AppRunsDesktop& desk, int rounds) {
    const auto& home = *desk.home;
    home.storeWorkspaces(home.longList(home.workspace("Grid", desk.names), 10000));
    LongListFigures f;
    f.rounds = rounds;
    for (int r = 0; r < f.rounds; ++r) {
        f.floors.push_back(desk.floorMoves(false));
        const auto shown = desk.firstShow();
        if (!shown) return std::nullopt;
        f.firstShows.push_back(shown->tiled);
    }
    home.storeWorkspaces({home.workspace("Grid", desk.names)});
    return f;
}

// P6: the replies of a first show, for each connection of the program. None (and `why`) when
// the program did not start or the server does not record.
std::optional<ReplyFigures> measureReplies(AppRunsDesktop& desk, std::string* why) {
    desk.spread();
    if (!desk.startTessane()) {
        *why = "Tessane did not start again";
        return std::nullopt;
    }
    desk.settle();
    std::map<unsigned long, long> replies;
    {
        XReplyRecorder recorder(desk.server->display());
        if (!recorder.running()) {
            *why = "the X server does not record (RECORD extension)";
            return std::nullopt;
        }
        desk.watch->forget();
        typeChord(desk.d, desk.showKey);
        desk.watch->waitTiled(desk.windows, seconds(30));
        std::this_thread::sleep_for(milliseconds(500));
        recorder.stop();
        replies = recorder.repliesOf(desk.tessane->pid());
    }
    const std::optional<unsigned long> qtBase = chromeClientBase(desk.d);
    ReplyFigures f;
    for (const auto& [base, count] : replies) f.all += count;
    f.qt = qtBase && replies.count(*qtBase) ? replies[*qtBase] : 0;
    f.connections = replies.size();
    desk.stopTessane();
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const int quiet = argc > 2 ? std::max(1, std::atoi(argv[2])) : 30;
    const std::string part = argc > 3 ? argv[3] : "";
    AppRunsDesktop desk;
    if (const auto why = desk.setUp()) return fail(*why);
    if (part == "crowd") return runCensusAlone(desk, rounds);
    if (part == "cycles") return runCycles(desk, argc > 4 ? std::max(10, std::atoi(argv[4])) : 1000);

    IdleFigures idleFigures;
    const auto shows = measureShows(desk, rounds, quiet, idleFigures);
    if (!shows) return fail("Tessane did not start");
    if (!measureWithoutCard(desk, quiet, idleFigures)) return fail("Tessane did not start again");
    // `app_runs_bench <rounds> <idle> first`: P1's first shows and their floors alone.
    const bool firstOnly = part == "first";
    const auto roundFigures = measureRounds(desk, rounds, firstOnly);
    if (!roundFigures) return fail("Tessane did not start again");
    if (firstOnly) {
        printFirstShows(desk, rounds, *roundFigures);
        return desk.timeouts == 0 ? 0 : 2;
    }
    const auto longList = measureLongList(desk, rounds);
    if (!longList) return fail("Tessane did not start with 10,000 workspaces");
    std::string why;
    const auto replies = measureReplies(desk, &why);
    if (!replies) return fail(why);
    const auto crowd = measureCrowd(desk, rounds, &why);
    if (!crowd) return fail(why);
    printAll(desk, rounds, quiet, *shows, idleFigures, *roundFigures, *longList, *replies, *crowd);
    return desk.timeouts == 0 ? 0 : 2;
}
