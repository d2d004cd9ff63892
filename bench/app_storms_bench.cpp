// Whole-process measurement of the running program's hot keys while other programs storm the X
// server with their own windows, on a private Xvfb + window manager (Openbox, or TESSANE_TEST_WM).
// A left / right split of two test clients; the keys are typed through XTEST on this program's
// own connection and what they do is confirmed from the root's events.
//   S0  no storm: the hide (hot key until both windows are iconic) and the show (until both are
//       in their halves), and the show as the program logged it ("frame up in N ms").
//   S1  the same while a client puts window after window into an unmapped window of its own and
//       destroys each there, without pause.
//   S2  the same while a client raises 200 override-redirect windows of its own in turn, without
//       pause.
// For each storm, the program's resident memory before it, at its end and a few seconds after;
// 3 s after each storm, a plain client's minimize of the pair (what the manager still owes it);
// then, with the program ended, each show's floor: the pair minimized and restored by a plain
// client as a taskbar does, under the same storm.
// Usage: app_storms_bench [rounds] [storm seconds] [reparent|restack]   (defaults 5 rounds, 20 s
// of storm, both storms; APP_STORMS_LOG=1 prints the program's log at the end)
// APP_STORMS_TESSANE names another build of the program to measure (the one before a change).
#include "BenchStats.h"
#include "StallLog.h"
#include "TaskbarRestore.h"
#include "WindowState.h"
#include "e2e/support/PrivateHome.h"
#include "x11/support/X11TestServer.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <poll.h>
#include <string>
#include <thread>
#include <vector>

using namespace tessane;
using namespace std::chrono;
using tessane::testing::Bound;
using tessane::testing::waitFor;
using tessane::bench::clockSeconds;
using tessane::bench::wmState;
using tessane::bench::median;
using tessane::bench::range;

namespace {

constexpr int kWidth = 1920;

std::string readAll(const std::string& file) {
    std::ifstream in(file);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

// The numbers logged right after each `text` (milliseconds), as seconds.
std::vector<double> loggedMilliseconds(const std::string& file, const std::string& text) {
    const std::string all = readAll(file);
    std::vector<double> out;
    for (size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1))
        out.push_back(std::strtod(all.c_str() + at + text.size(), nullptr) / 1e3);
    return out;
}

// Resident memory of a process, in MB.
double residentMegabytes(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.starts_with("VmRSS:")) return std::strtod(line.c_str() + 6, nullptr) / 1024;
    return 0;
}

// Both windows shown, the first in the left half of the screen and the second in the right.
bool tiled(Display* d, Window left, Window right) {
    const auto l = x11test::outerFrame(d, left), r = x11test::outerFrame(d, right);
    const auto shown = [&](Window w) {
        XWindowAttributes a{};
        return XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable;
    };
    return l && r && shown(left) && shown(right) && l->width > kWidth / 4 && r->width > kWidth / 4 &&
           l->x + l->width <= kWidth / 2 + 24 && r->x >= kWidth / 2 - 24;
}

// The seconds from a chord typed on `keys` until `done` holds, looked at after each change the
// root hears on `watch`; none after 30 s.
std::optional<double> timedKey(Display* keys, Display* watch, const std::vector<KeySym>& chord,
                               const std::function<bool()>& done) {
    for (XEvent e; XPending(watch);) XNextEvent(watch, &e);
    const double start = clockSeconds();
    for (KeySym k : chord) XTestFakeKeyEvent(keys, XKeysymToKeycode(keys, k), True, CurrentTime);
    for (auto k = chord.rbegin(); k != chord.rend(); ++k) XTestFakeKeyEvent(keys, XKeysymToKeycode(keys, *k), False, CurrentTime);
    XFlush(keys);
    for (;;) {
        for (XEvent e; XPending(watch);) XNextEvent(watch, &e);
        if (done()) return clockSeconds() - start;
        const double left = start + 30 - clockSeconds();
        if (left <= 0) return std::nullopt;
        pollfd p{ConnectionNumber(watch), POLLIN, 0};
        ::poll(&p, 1, std::max(1, std::min(20, int(left * 1e3))));
    }
}

int fail(const std::string& why) {
    std::fprintf(stderr, "app_storms_bench: %s\n", why.c_str());
    return 1;
}

// The server, two clients of a stored left / right workspace and the program, with a connection
// that types the keys and one that watches the root.
struct StormDesktop {
    int rounds = 0;
    double stormSeconds = 0;
    std::unique_ptr<x11test::X11TestServer> server;
    std::unique_ptr<e2e::PrivateHome> home;
    Display* keys = nullptr;
    Display* watch = nullptr;
    std::vector<std::unique_ptr<x11test::ChildProcess>> apps;
    std::vector<Window> pair;
    std::string logFile;
    std::unique_ptr<x11test::ChildProcess> tessane;
    int timeouts = 0;
    const std::vector<KeySym> show = {XK_Alt_L, XK_Super_L, XK_1}, hide = {XK_Alt_L, XK_Super_L, XK_h};

    ~StormDesktop() {
        if (watch) XCloseDisplay(watch);
        if (keys) XCloseDisplay(keys);
    }
    // A test client with `args`, once ready, and its windows; no process when it did not come up.
    std::pair<std::unique_ptr<x11test::ChildProcess>, std::vector<Window>> client(const std::vector<std::string>& args) {
        std::vector<std::string> argv{TESSANE_X11_CLIENT};
        argv.insert(argv.end(), args.begin(), args.end());
        auto process = x11test::ChildProcess::start(argv, server->display(), {}, true);
        std::vector<Window> windows;
        while (process) {
            const auto line = process->readLine(seconds(60));
            if (!line) break;
            if (line->starts_with("window ")) windows.push_back(std::strtoul(line->c_str() + 7, nullptr, 16));
            if (*line == "ready") return std::pair{std::move(process), windows};
        }
        return std::pair{std::unique_ptr<x11test::ChildProcess>{}, windows};
    }
    bool isTiled() const { return tiled(watch, pair[0], pair[1]); }
    bool isHidden() const { return wmState(watch, pair[0]) == IconicState && wmState(watch, pair[1]) == IconicState; }
    // The pair minimized by a plain client, as a taskbar does.
    void minimizeBoth() const {
        for (Window w : pair) XIconifyWindow(keys, w, DefaultScreen(keys));
        XFlush(keys);
    }
    std::optional<double> timedShow() { return timedKey(keys, watch, show, [&] { return isTiled(); }); }
    std::optional<double> timedHide() { return timedKey(keys, watch, hide, [&] { return isHidden(); }); }
    // Until `done` holds, each change the root hears looked at; whether it did in 30 s.
    bool waitWatching(const std::function<bool()>& done, const char* what) const {
        return waitFor([&] {
                for (XEvent e; XPending(watch);) XNextEvent(watch, &e);
                return done();
            }, Bound{what, seconds(30)});
    }
    void forgetHeard() const {
        for (XEvent e; XPending(watch);) XNextEvent(watch, &e);
    }
};

// The desktop up and the program started and settled; why not otherwise.
std::optional<std::string> setUp(StormDesktop& desk) {
    std::string error;
    desk.server = x11test::X11TestServer::start(&error);
    if (!desk.server) return error;
    desk.home = std::make_unique<e2e::PrivateHome>(TESSANE_X11_CLIENT);
    desk.keys = XOpenDisplay(desk.server->display().c_str());
    desk.watch = XOpenDisplay(desk.server->display().c_str());
    if (!desk.keys || !desk.watch) return "no connection";
    XSelectInput(desk.watch, DefaultRootWindow(desk.watch), SubstructureNotifyMask);
    for (const char* name : {"Alpha", "Beta"}) {
        desk.home->installApp(name);
        auto [process, windows] = desk.client(e2e::PrivateHome::clientArguments(name));
        if (!process || windows.size() != 1) return std::string(name) + " did not come up";
        desk.apps.push_back(std::move(process));
        desk.pair.push_back(windows[0]);
    }
    desk.home->storeWorkspaces({desk.home->workspace("Pair", {"Alpha", "Beta"})});
    desk.logFile = (desk.home->root() / "tessane.log").string();
    const char* other = std::getenv("APP_STORMS_TESSANE");
    // With its stall log: how long the main thread was held, and by which waits for the server.
    desk.tessane = x11test::ChildProcess::start({other ? other : TESSANE_APP}, desk.server->display(), desk.logFile,
                                                false, {"TESSANE_STALL_LOG_MS=10"});
    if (!desk.tessane || !waitFor([&] { return readAll(desk.logFile).find("[Tessane][AX] launch:") != std::string::npos; },
            Bound{"Tessane's start", seconds(60)}))
        return "Tessane did not start";
    std::this_thread::sleep_for(seconds(2));
    return std::nullopt;
}

// What one storm (none: `storm` empty) costs the program's keys, and its memory.
struct StormFigures {
    std::vector<double> hides, shows, frameUp;
    double before = 0, during = 0, after = 0;
    std::optional<double> owed;
    double stormStart = 0, stormEnd = 0;
};

// What the manager still owes the storm: the pair minimized by a plain client as a taskbar
// does, 3 s after the storm ended; then shown again by the hot key for what follows.
std::optional<double> owedAfterStorm(StormDesktop& desk) {
    std::optional<double> owed;
    desk.forgetHeard();
    const double start = clockSeconds();
    desk.minimizeBoth();
    if (desk.waitWatching([&] { return desk.isHidden(); }, "a hide")) owed = clockSeconds() - start;
    std::this_thread::sleep_for(milliseconds(300));
    if (!desk.timedShow()) ++desk.timeouts;
    return owed;
}

void printStorm(const StormDesktop& desk, const char* title, bool stormed, const StormFigures& f) {
    std::printf("  %s\n", title);
    std::printf("     hide, hot key to both iconic         %9.3f ms   (%s; goal: within 100 ms)\n",
                median(f.hides) * 1e3, range(f.hides).c_str());
    std::printf("     show, hot key to both in place       %9.3f ms   (%s; goal: within 100 ms)\n",
                median(f.shows) * 1e3, range(f.shows).c_str());
    std::printf("     show, as the program logged it       %9.3f ms   (%s)\n", median(f.frameUp) * 1e3,
                range(f.frameUp).c_str());
    if (stormed)
        std::printf("     resident memory before / at the storm's end / 3 s after   %.1f / %.1f / %.1f MB"
                    " (goal: back within 5 MB)\n", f.before, f.during, f.after);
    if (stormed)
        std::printf("     3 s after the storm, a taskbar's minimize of both   %.1f ms   (the manager's backlog)\n",
                    f.owed.value_or(-1) * 1e3);
    // The main thread's longest stall from the storm's start until 3 s after its end, and the
    // longest wait for the server's replies within one (the line with APP_STORMS_LOG).
    const auto [held, heldOwn] = bench::longestStall(desk.logFile, f.stormStart, f.stormEnd);
    const auto reply = bench::longestReplyWait(desk.logFile, f.stormStart, f.stormEnd);
    std::printf("     main thread's longest stall %.0f ms (%.0f ms without waiting for a processor); longest reply"
                " wait %.1f ms in %d wait%s\n", held * 1e3, heldOwn * 1e3, reply.ms, reply.waits,
                reply.waits == 1 ? "" : "s");
    if (std::getenv("APP_STORMS_LOG") && !reply.line.empty()) std::printf("       %s\n", reply.line.c_str());
    // The program's counts as of the last backlog it worked off (events about windows).
    const std::string all = readAll(desk.logFile), counted = "events so far: ";
    if (const size_t at = all.rfind(counted); stormed && at != std::string::npos)
        std::printf("     events %s\n", all.substr(at + counted.size(), all.find('\n', at) - at - counted.size()).c_str());
}

// The hide and the show under a storm (none when `storm` is empty), each round.
void measure(StormDesktop& desk, const char* title, const std::vector<std::string>& storm) {
    StormFigures f;
    f.before = residentMegabytes(desk.tessane->pid());
    std::unique_ptr<x11test::ChildProcess> stormer;
    if (!storm.empty()) stormer = desk.client(storm).first;
    const double stormStart = f.stormStart = clockSeconds();
    const size_t loggedBefore = loggedMilliseconds(desk.logFile, "frame up in ").size();
    for (int r = 0; r < desk.rounds; ++r) {
        std::this_thread::sleep_for(milliseconds(300));
        if (const auto t = desk.timedHide()) f.hides.push_back(*t);
        else ++desk.timeouts;
        std::this_thread::sleep_for(milliseconds(300));
        if (const auto t = desk.timedShow()) f.shows.push_back(*t);
        else ++desk.timeouts;
    }
    f.frameUp = loggedMilliseconds(desk.logFile, "frame up in ");
    f.frameUp.erase(f.frameUp.begin(), f.frameUp.begin() + std::min(loggedBefore, f.frameUp.size()));
    if (stormer) {
        const double left = stormStart + desk.stormSeconds - clockSeconds();
        if (left > 0) std::this_thread::sleep_for(duration<double>(left));
        f.during = residentMegabytes(desk.tessane->pid());
        stormer.reset();
        std::this_thread::sleep_for(seconds(3));
    }
    f.after = residentMegabytes(desk.tessane->pid());
    f.stormEnd = clockSeconds();
    if (!storm.empty()) f.owed = owedAfterStorm(desk);
    printStorm(desk, title, !storm.empty(), f);
}

// The floor of a show under a storm, with the program ended: the pair, where the program left
// it, minimized and brought back by a plain client as a taskbar does, until both are in their
// halves again: what the manager itself takes to restore two windows meanwhile.
void floor(StormDesktop& desk, const char* title, const std::vector<std::string>& storm) {
    std::unique_ptr<x11test::ChildProcess> stormer;
    if (!storm.empty()) stormer = desk.client(storm).first;
    std::vector<double> restores;
    for (int r = 0; r < desk.rounds; ++r) {
        desk.minimizeBoth();
        // Iconic and off the screen: a restore asked while the manager still animates the
        // iconify would find them in place.
        const auto offScreen = [&] {
            XWindowAttributes a{};
            return std::none_of(desk.pair.begin(), desk.pair.end(), [&](Window w) {
                return XGetWindowAttributes(desk.watch, w, &a) && a.map_state == IsViewable;
            });
        };
        if (!waitFor([&] { return desk.isHidden() && offScreen(); }, Bound{"a hide", seconds(30)})) continue;
        std::this_thread::sleep_for(milliseconds(300));
        desk.forgetHeard();
        const double start = clockSeconds();
        for (Window w : desk.pair) bench::activateAsTaskbar(desk.keys, w);
        XFlush(desk.keys);
        if (desk.waitWatching([&] { return desk.isTiled(); }, "a show")) restores.push_back(clockSeconds() - start);
    }
    std::printf("  floor, %s: a taskbar's restore of both %9.3f ms   (%s)\n", title, median(restores) * 1e3,
                range(restores).c_str());
}

}  // namespace

int main(int argc, char** argv) {
    StormDesktop desk;
    desk.rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    desk.stormSeconds = argc > 2 ? std::max(1.0, std::atof(argv[2])) : 20;
    const std::string part = argc > 3 ? argv[3] : "";
    if (const auto why = setUp(desk)) return fail(*why);
    if (!desk.timedShow()) return fail("the first show did not tile the pair");

    std::printf("app_storms_bench: %d rounds, %.0f s storms (Xvfb + %s), medians and ranges\n", desk.rounds,
                desk.stormSeconds, desk.server->windowManagerName().c_str());
    const std::vector<std::string> reparentStorm = {"--windows", "0", "--reparent-storm"},
                                   restackStorm = {"--windows", "0", "--restack-storm", "200"};
    measure(desk, "S0 no storm", {});
    if (part != "restack")
        measure(desk, "S1 a client putting window after window into one of its own and destroying each", reparentStorm);
    if (part != "reparent") measure(desk, "S2 a client raising 200 override-redirect windows in turn", restackStorm);
    if (std::getenv("APP_STORMS_LOG")) std::fprintf(stderr, "%s", readAll(desk.logFile).c_str());
    ::kill(desk.tessane->pid(), SIGTERM);
    desk.tessane->wait(seconds(30));

    floor(desk, "S0", {});
    if (part != "restack") floor(desk, "S1", reparentStorm);
    if (part != "reparent") floor(desk, "S2", restackStorm);
    return desk.timeouts == 0 ? 0 : 2;
}
