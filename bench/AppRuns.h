#pragma once
// The desktop app_runs_bench measures on (see app_runs_bench.cpp's header) and the figures its
// parts hand to the report: a private server with a tray, a Qt tray hello world and four test
// clients of one stored 2 x 2 workspace; the program started and stopped on it; the timed hot
// keys and moves each part is made of.

#include "AppRunsX11.h"
#include "e2e/support/PrivateHome.h"

#include <X11/keysym.h>
#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessane::bench {

struct ProcessCost {
    double cpuSeconds = 0;
    long contextSwitches = 0;
    long residentKB = 0;
    long anonymousKB = 0;  // of residentKB: not backed by a file (heap, stacks, anonymous maps)
};
ProcessCost cost(pid_t pid);
// Over `seconds` of quiet: CPU time and context switches used, and the memory at the end.
ProcessCost idle(pid_t pid, int seconds);
// With TESSANE_BENCH_SMAPS_DIR set, a copy of /proc/<pid>/smaps as `name`.smaps in that folder:
// the memory per mapping, to see where a figure of P3 goes.
void keepSmaps(pid_t pid, const std::string& name);

// Says why the bench stops; its exit status.
int fail(const std::string& why);

// Members in the order they come up (and go down in reverse).
struct AppRunsDesktop {
    // The server, tray, hello world and clients, each up; why not otherwise.
    std::optional<std::string> setUp();

    // Every timed placement starts from a desktop left alone for a while, as a user's hot key
    // does: the same four moves take the window manager and the clients longer then than right
    // after other work, when every process involved is awake (P4 prints both).
    void settle() const;
    // The stall log only where it is read (P7): its 5 ms timer would be all that P3 counts.
    bool startTessane(const std::vector<std::string>& environment = {});
    // From SIGTERM until it ended, in seconds; -1 when it did not.
    double stopTessane();
    // Until the windows are tiled (a time-out counted in `timeouts`), from the chord.
    double timedChord(const std::vector<KeySym>& keys);
    // The hide key, and every window iconic.
    void hide();
    // The windows out of their panes, each at a corner of its own, and every move landed.
    void spread();
    // P4: the four moves of a show sent by one connected client, confirmed; from a settled
    // desktop or right after the spread.
    double floorMoves(bool settled);
    // The program started afresh and settled, then the windows spread and the key typed at
    // once (the show starts from a desktop just woken by the spread, as the floor it is measured
    // against does: a floor after quiet swings several-fold with the machine's load); and when
    // the last of the chrome's windows was mapped. None when the program did not start.
    struct FirstShow {
        double tiled = 0;
        double chromeUp = 0;
    };
    std::optional<FirstShow> firstShow();

    const std::vector<KeySym> showKey = {XK_Super_L, XK_Alt_L, XK_1}, hideKey = {XK_Super_L, XK_Alt_L, XK_h};
    std::unique_ptr<x11test::X11TestServer> server;
    std::unique_ptr<e2e::PrivateHome> home;
    std::unique_ptr<x11test::ChildProcess> tray, hello;
    const std::vector<std::string> names = {"Alpha", "Beta", "Gamma", "Delta"};
    std::vector<std::unique_ptr<x11test::ChildProcess>> clients;
    std::vector<unsigned long> windows;
    std::unique_ptr<linux_backend::X11Connection> x;
    Display* d = nullptr;
    std::unique_ptr<TileWatch> watch;
    std::string logFile;
    std::unique_ptr<x11test::ChildProcess> tessane;
    int timeouts = 0;
    // Where the shows put each window: its frame's corner and its client's size (see P1).
    std::vector<x11test::RootRect> placed;
};

// P3: the program idle, and the hello world read at the same moments.
struct IdleFigures {
    ProcessCost none, shown, noCard, helloNone, helloShown, helloNoCard;
};
// P1's shows after a hide, against the window manager's round trips.
struct ShowFigures {
    std::vector<double> wmTrips, shows;
    double firstTiling = 0;
};
// The rounds of P4, P2 and P1's first shows, and the key's floor.
struct RoundFigures {
    std::vector<double> floors, hotFloors, tool, firstShows, chromeUps, keyFloors;
    int toolTimeouts = 0;
};
// A first show with 10,000 stored workspaces.
struct LongListFigures {
    int rounds = 0;
    std::vector<double> floors, firstShows;
};
// P6.
struct ReplyFigures {
    long all = 0, qt = 0;
    size_t connections = 0;
};
// P7: what a first show among the crowd of P5 sets off.
struct Census {
    double tiled = 0, managerLastAfter = 0, longestWait = 0, ownWait = 0, onX = 0;
    long managerConfigures = 0, ownPropertyReads = 0, ownReplies = 0;
};
// P5, and P7 after it.
struct CrowdFigures {
    int rounds = 0;
    std::vector<double> floors, firstShows, floorsRunning;
    double quitTime = 0;
    bool allEnded = true;
    std::vector<Census> censuses;
};

// The crowd of P5 and P7: another client of 1,000 windows, taken in by the window manager.
std::unique_ptr<x11test::ChildProcess> startCrowd(AppRunsDesktop& desk);
// P5's rounds and P7's censuses, among the crowd; none when it did not come up or the
// program did not start (`why` says which).
std::optional<CrowdFigures> measureCrowd(AppRunsDesktop& desk, int rounds, std::string* why);
// `app_runs_bench <rounds> <idle> crowd`: P7 alone; the exit status.
int runCensusAlone(AppRunsDesktop& desk, int rounds);
// `app_runs_bench <rounds> <idle> cycles [count]`: P8 alone; the exit status.
int runCycles(AppRunsDesktop& desk, int count);

void printCensus(const std::vector<Census>& all);
// The report of `app_runs_bench <rounds> <idle> first`.
void printFirstShows(const AppRunsDesktop& desk, int rounds, const RoundFigures& r);
// The report of a whole run.
void printAll(const AppRunsDesktop& desk, int rounds, int quiet, const ShowFigures& s, const IdleFigures& idle,
              const RoundFigures& r, const LongListFigures& l, const ReplyFigures& p, const CrowdFigures& c);

}  // namespace tessane::bench
