// app_runs_bench's report (see app_runs_bench.cpp's header): medians and ranges of each part's
// figures, and the goals they are held to.
#include "AppRuns.h"

#include "BenchStats.h"

#include <algorithm>
#include <cstdio>

namespace tessane::bench {

namespace {

// The goals' ratios are taken round by round (a show against the floor and the script of
// its own round) and their median given: the machine's load drifts between rounds.
double ratioOf(const std::vector<double>& over, const std::vector<double>& under) {
    std::vector<double> ratios;
    for (size_t i = 0; i < over.size() && i < under.size(); ++i) ratios.push_back(over[i] / under[i]);
    return median(ratios);
}

// Every round's ratio, lowest to highest: the goals hold sample by sample.
std::string ratioRange(const std::vector<double>& over, const std::vector<double>& under) {
    std::vector<double> ratios;
    for (size_t i = 0; i < over.size() && i < under.size(); ++i) ratios.push_back(over[i] / under[i]);
    std::sort(ratios.begin(), ratios.end());
    const auto within = std::count_if(ratios.begin(), ratios.end(), [](double r) { return r <= 1.3; });
    char text[96];
    std::snprintf(text, sizeof text, "rounds %.2f-%.2f, %ld of %zu at most 1.3", ratios.empty() ? 0 : ratios.front(),
                  ratios.empty() ? 0 : ratios.back(), long(within), ratios.size());
    return std::string(text);
}

void printKeyFloor(const RoundFigures& r) {
    std::printf("     the key's floor: a client that grabbed it sends the 4 moves  %.3f ms   (%s)\n",
                median(r.keyFloors) * 1e3, range(r.keyFloors).c_str());
    std::printf("     key's floor / P4 floor after the spread, by round %5.2f x   (%s); first show / key's floor %5.2f x\n",
                ratioOf(r.keyFloors, r.hotFloors), ratioRange(r.keyFloors, r.hotFloors).c_str(),
                ratioOf(r.firstShows, r.keyFloors));
}

// P1's first shows, P4 and P2.
void printShows(const ShowFigures& s, const RoundFigures& r) {
    const double wm = median(s.wmTrips), wmc = median(r.tool), floor = median(r.floors),
                 hotFloor = median(r.hotFloors), first = median(r.firstShows);
    std::printf("  window-manager round trip                 %9.3f ms\n", wm * 1e3);
    std::printf("  P1 first show, hot key to all confirmed   %9.3f ms   (%s; program started afresh each round)\n",
                first * 1e3, range(r.firstShows).c_str());
    std::printf("  P4 one connected client, same 4 moves     %9.3f ms   (%s; settled desktop)\n", floor * 1e3,
                range(r.floors).c_str());
    std::printf("     the same right after the spread        %9.3f ms   (%s; what the first shows are measured against)\n",
                hotFloor * 1e3, range(r.hotFloors).c_str());
    std::printf("  P2 wmctrl script, 4 windows, confirmed    %9.3f ms   (%s; %d timed out)\n", wmc * 1e3,
                range(r.tool).c_str(), r.toolTimeouts);
    std::printf("     first show / P4 floor after the spread, by round %5.2f x   (goal: at most 1.3; %s)\n",
                ratioOf(r.firstShows, r.hotFloors), ratioRange(r.firstShows, r.hotFloors).c_str());
    std::printf("     wmctrl / first show, by round          %9.1f x   (goal: at least 1.5)\n", ratioOf(r.tool, r.firstShows));
    printKeyFloor(r);
    std::printf("  the windows' first tiling ever (apart)    %9.3f ms\n", s.firstTiling * 1e3);
}

// P1 after a hide, P6, and the chrome up in P1's first shows.
void printShowAfterHide(const ShowFigures& s, const RoundFigures& r, const ReplyFigures& p, int timeouts) {
    const double wm = median(s.wmTrips), show = median(s.shows), wmc = median(r.tool);
    std::printf("  P1 show after hide, hot key to confirmed  %9.3f ms   (%d timed out in all)\n", show * 1e3, timeouts);
    std::printf("     / (4 window-manager round trips)       %9.1f x   (goal: at most 2)\n", show / (4 * wm));
    std::printf("     wmctrl / show after hide               %9.1f x   (goal: at least 5)\n", wmc / show);
    std::printf("  P6 X replies of a first show, hot key to 0.5 s after in place %ld   (goal: at most 150)\n", p.all);
    std::printf("     on Qt's connection %ld, on the program's own %ld, over %zu connections\n", p.qt, p.all - p.qt,
                p.connections);
    std::vector<double> chromeRatios;
    for (size_t i = 0; i < r.chromeUps.size() && i < r.floors.size(); ++i)
        if (r.chromeUps[i] > 0) chromeRatios.push_back(r.chromeUps[i] / r.hotFloors[i]);
    std::printf("  the chrome up, hot key to its last window mapped %9.3f ms   (%s)\n", median(r.chromeUps) * 1e3,
                range(r.chromeUps).c_str());
    std::printf("     chrome up / P4 floor after the spread  %9.1f x   (goal: at most 2.5)\n",
                chromeRatios.empty() ? 0.0 : median(chromeRatios));
}

// The long list, and P5 against P1 and P4 of the desktop without the crowd.
void printCrowd(const RoundFigures& r, const LongListFigures& l, const CrowdFigures& c) {
    const double first = median(r.firstShows), floor = median(r.floors);
    const double firstCrowded = median(c.firstShows), floorCrowded = median(c.floors);
    std::printf("  10,000 stored workspaces (%d rounds): first show %.3f ms (%s), floor %.3f ms\n", l.rounds,
                median(l.firstShows) * 1e3, range(l.firstShows).c_str(), median(l.floors) * 1e3);
    std::printf("     first show / P4 floor after the spread, by round %5.2f x   (goal: at most 1.3; %s)\n",
                ratioOf(l.firstShows, l.floors), ratioRange(l.firstShows, l.floors).c_str());
    std::printf("  P5 with 1,000 other windows (%d rounds): first show %.3f ms (%+.1f ms); floor %.3f ms (%+.1f ms)\n",
                c.rounds, firstCrowded * 1e3, (firstCrowded - first) * 1e3, floorCrowded * 1e3,
                (floorCrowded - floor) * 1e3);
    std::printf("     by round, show / floor / floor with the program running:");
    for (size_t i = 0; i < c.firstShows.size(); ++i)
        std::printf(" %.1f / %.1f / %.1f ms%s", c.firstShows[i] * 1e3, c.floors[i] * 1e3, c.floorsRunning[i] * 1e3,
                    i + 1 < c.firstShows.size() ? ";" : "\n");
    // What the crowd adds to the show against what it adds to the window manager's own moves:
    // a ratio of slowdowns would let the program's own part grow with the manager's.
    const double addedToFloor = floorCrowded - floor;
    if (addedToFloor > 0)
        std::printf("     ms added to the show / ms added to the floor %6.2f   (goal: at most 1.3; the rounds' medians)\n",
                    (firstCrowded - first) / addedToFloor);
    else
        std::printf("     ms added to the show %+.1f, to the floor %+.1f: no ratio (the floor gained nothing)\n",
                    (firstCrowded - first) * 1e3, addedToFloor * 1e3);
    std::printf("     SIGTERM to the process gone, longest   %9.3f ms%s\n", c.quitTime * 1e3,
                c.allEnded ? "" : "   (one did not end)");
    printCensus(c.censuses);
}

void printIdle(int quiet, const IdleFigures& i) {
    std::printf("  P3 idle %d s, nothing shown: CPU %.3f s, %ld context switches, RSS %.1f MB (anonymous %.1f)\n",
                quiet, i.none.cpuSeconds, i.none.contextSwitches, i.none.residentKB / 1024.0,
                i.none.anonymousKB / 1024.0);
    std::printf("  P3 idle %d s, one shown:     CPU %.3f s, %ld context switches, RSS %.1f MB (anonymous %.1f)\n",
                quiet, i.shown.cpuSeconds, i.shown.contextSwitches, i.shown.residentKB / 1024.0,
                i.shown.anonymousKB / 1024.0);
    std::printf("     Qt tray hello world, same moments      RSS %.1f / %.1f MB (anonymous %.1f)\n",
                i.helloNone.residentKB / 1024.0, i.helloShown.residentKB / 1024.0, i.helloShown.anonymousKB / 1024.0);
    std::printf("  P3 idle %d s, one shown, no tips card: CPU %.3f s, %ld context switches, RSS %.1f MB (anonymous %.1f)\n",
                quiet, i.noCard.cpuSeconds, i.noCard.contextSwitches, i.noCard.residentKB / 1024.0,
                i.noCard.anonymousKB / 1024.0);
    std::printf("     Qt tray hello world (text drawn once)  RSS %.1f MB then\n", i.helloNoCard.residentKB / 1024.0);
    if (i.helloShown.residentKB > 0 && i.helloNoCard.residentKB > 0)
        std::printf("     one shown / hello world: card up %.2f x, no card %.2f x   (goal: at most 1.25 each)\n",
                    double(i.shown.residentKB) / double(i.helloShown.residentKB),
                    double(i.noCard.residentKB) / double(i.helloNoCard.residentKB));
}

}  // namespace

void printFirstShows(const AppRunsDesktop& desk, int rounds, const RoundFigures& r) {
    std::printf("app_runs_bench: %d rounds of first shows (Xvfb + %s), medians\n", rounds,
                desk.server->windowManagerName().c_str());
    std::printf("  P1 first show, hot key to all confirmed   %9.3f ms   (%s)\n", median(r.firstShows) * 1e3,
                range(r.firstShows).c_str());
    std::printf("  P4 floor right after the spread           %9.3f ms   (%s)\n", median(r.hotFloors) * 1e3,
                range(r.hotFloors).c_str());
    std::printf("     first show / P4 floor after the spread, by round %5.2f x   (goal: at most 1.3; %s)\n",
                ratioOf(r.firstShows, r.hotFloors), ratioRange(r.firstShows, r.hotFloors).c_str());
    printKeyFloor(r);
}

void printAll(const AppRunsDesktop& desk, int rounds, int quiet, const ShowFigures& s, const IdleFigures& idle,
              const RoundFigures& r, const LongListFigures& l, const ReplyFigures& p, const CrowdFigures& c) {
    std::printf("app_runs_bench: %d rounds, four clients in a 2 x 2 workspace (Xvfb + %s), medians\n", rounds,
                desk.server->windowManagerName().c_str());
    printShows(s, r);
    printShowAfterHide(s, r, p, desk.timeouts);
    printCrowd(r, l, c);
    printIdle(quiet, idle);
}

}  // namespace tessane::bench
