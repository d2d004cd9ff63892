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

long wmState(Display* d, Window w) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const Atom state = XInternAtom(d, "WM_STATE", False);
    long out = 0;
    if (XGetWindowProperty(d, w, state, 0, 2, False, state, &type, &format, &count, &after, &data) == Success && data &&
        count > 0)
        out = reinterpret_cast<long*>(data)[0];
    if (data) XFree(data);
    return out;
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

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const double stormSeconds = argc > 2 ? std::max(1.0, std::atof(argv[2])) : 20;
    const std::string part = argc > 3 ? argv[3] : "";
    std::string error;
    auto server = x11test::X11TestServer::start(&error);
    if (!server) return fail(error);
    e2e::PrivateHome home(TESSANE_X11_CLIENT);
    Display* keys = XOpenDisplay(server->display().c_str());
    Display* watch = XOpenDisplay(server->display().c_str());
    if (!keys || !watch) return fail("no connection");
    XSelectInput(watch, DefaultRootWindow(watch), SubstructureNotifyMask);

    const auto client = [&](const std::vector<std::string>& args) {
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
    };
    std::vector<std::unique_ptr<x11test::ChildProcess>> apps;
    std::vector<Window> pair;
    for (const char* name : {"Alpha", "Beta"}) {
        home.installApp(name);
        auto [process, windows] = client(e2e::PrivateHome::clientArguments(name));
        if (!process || windows.size() != 1) return fail(std::string(name) + " did not come up");
        apps.push_back(std::move(process));
        pair.push_back(windows[0]);
    }
    home.storeWorkspaces({home.workspace("Pair", {"Alpha", "Beta"})});
    const std::string logFile = (home.root() / "tessane.log").string();
    const char* other = std::getenv("APP_STORMS_TESSANE");
    // With its stall log: how long the main thread was held, and by which waits for the server.
    auto tessane = x11test::ChildProcess::start({other ? other : TESSANE_APP}, server->display(), logFile, false,
                                                {"TESSANE_STALL_LOG_MS=10"});
    if (!tessane || !waitFor([&] { return readAll(logFile).find("[Tessane][AX] launch:") != std::string::npos; },
            Bound{"Tessane's start", seconds(60)}))
        return fail("Tessane did not start");
    std::this_thread::sleep_for(seconds(2));
    const std::vector<KeySym> show = {XK_Alt_L, XK_Super_L, XK_1}, hide = {XK_Alt_L, XK_Super_L, XK_h};
    const auto isTiled = [&] { return tiled(watch, pair[0], pair[1]); };
    const auto isHidden = [&] { return wmState(watch, pair[0]) == IconicState && wmState(watch, pair[1]) == IconicState; };
    // The pair minimized by a plain client, as a taskbar does.
    const auto minimizeBoth = [&] {
        for (Window w : pair) XIconifyWindow(keys, w, DefaultScreen(keys));
        XFlush(keys);
    };
    if (!timedKey(keys, watch, show, isTiled)) return fail("the first show did not tile the pair");

    std::printf("app_storms_bench: %d rounds, %.0f s storms (Xvfb + %s), medians and ranges\n", rounds, stormSeconds,
                server->windowManagerName().c_str());
    int timeouts = 0;
    const auto measure = [&](const char* title, const std::vector<std::string>& storm) {
        const double before = residentMegabytes(tessane->pid());
        std::unique_ptr<x11test::ChildProcess> stormer;
        if (!storm.empty()) stormer = client(storm).first;
        const double stormStart = clockSeconds();
        const size_t loggedBefore = loggedMilliseconds(logFile, "frame up in ").size();
        std::vector<double> hides, shows;
        for (int r = 0; r < rounds; ++r) {
            std::this_thread::sleep_for(milliseconds(300));
            if (const auto t = timedKey(keys, watch, hide, isHidden)) hides.push_back(*t);
            else ++timeouts;
            std::this_thread::sleep_for(milliseconds(300));
            if (const auto t = timedKey(keys, watch, show, isTiled)) shows.push_back(*t);
            else ++timeouts;
        }
        auto frameUp = loggedMilliseconds(logFile, "frame up in ");
        frameUp.erase(frameUp.begin(), frameUp.begin() + std::min(loggedBefore, frameUp.size()));
        double during = 0;
        if (stormer) {
            const double left = stormStart + stormSeconds - clockSeconds();
            if (left > 0) std::this_thread::sleep_for(duration<double>(left));
            during = residentMegabytes(tessane->pid());
            stormer.reset();
            std::this_thread::sleep_for(seconds(3));
        }
        const double after = residentMegabytes(tessane->pid()), stormEnd = clockSeconds();
        // What the manager still owes the storm: the pair minimized by a plain client as a taskbar
        // does, 3 s after the storm ended; then shown again by the hot key for what follows.
        std::optional<double> owed;
        if (!storm.empty()) {
            for (XEvent e; XPending(watch);) XNextEvent(watch, &e);
            const double start = clockSeconds();
            minimizeBoth();
            if (waitFor([&] {
                    for (XEvent e; XPending(watch);) XNextEvent(watch, &e);
                    return isHidden();
                }, Bound{"a hide", seconds(30)}))
                owed = clockSeconds() - start;
            std::this_thread::sleep_for(milliseconds(300));
            if (!timedKey(keys, watch, show, isTiled)) ++timeouts;
        }
        std::printf("  %s\n", title);
        std::printf("     hide, hot key to both iconic         %9.3f ms   (%s; goal: within 100 ms)\n",
                    median(hides) * 1e3, range(hides).c_str());
        std::printf("     show, hot key to both in place       %9.3f ms   (%s; goal: within 100 ms)\n",
                    median(shows) * 1e3, range(shows).c_str());
        std::printf("     show, as the program logged it       %9.3f ms   (%s)\n", median(frameUp) * 1e3,
                    range(frameUp).c_str());
        if (stormer || !storm.empty())
            std::printf("     resident memory before / at the storm's end / 3 s after   %.1f / %.1f / %.1f MB"
                        " (goal: back within 5 MB)\n", before, during, after);
        if (!storm.empty())
            std::printf("     3 s after the storm, a taskbar's minimize of both   %.1f ms   (the manager's backlog)\n",
                        owed.value_or(-1) * 1e3);
        // The main thread's longest stall from the storm's start until 3 s after its end, and the
        // longest wait for the server's replies within one (the line with APP_STORMS_LOG).
        const auto [held, heldOwn] = bench::longestStall(logFile, stormStart, stormEnd);
        const auto reply = bench::longestReplyWait(logFile, stormStart, stormEnd);
        std::printf("     main thread's longest stall %.0f ms (%.0f ms without waiting for a processor); longest reply"
                    " wait %.1f ms in %d wait%s\n", held * 1e3, heldOwn * 1e3, reply.ms, reply.waits,
                    reply.waits == 1 ? "" : "s");
        if (std::getenv("APP_STORMS_LOG") && !reply.line.empty()) std::printf("       %s\n", reply.line.c_str());
        // The program's counts as of the last backlog it worked off (events about windows).
        const std::string all = readAll(logFile), counted = "events so far: ";
        if (const size_t at = all.rfind(counted); !storm.empty() && at != std::string::npos)
            std::printf("     events %s\n", all.substr(at + counted.size(), all.find('\n', at) - at - counted.size()).c_str());
    };
    measure("S0 no storm", {});
    if (part != "restack")
        measure("S1 a client putting window after window into one of its own and destroying each",
                {"--windows", "0", "--reparent-storm"});
    if (part != "reparent")
        measure("S2 a client raising 200 override-redirect windows in turn",
                {"--windows", "0", "--restack-storm", "200"});
    if (std::getenv("APP_STORMS_LOG")) std::fprintf(stderr, "%s", readAll(logFile).c_str());
    ::kill(tessane->pid(), SIGTERM);
    tessane->wait(seconds(30));

    // The floor of a show under each storm, with the program ended: the pair, where the program
    // left it, minimized and brought back by a plain client as a taskbar does, until both are in
    // their halves again: what the manager itself takes to restore two windows meanwhile.
    const auto floor = [&](const char* title, const std::vector<std::string>& storm) {
        std::unique_ptr<x11test::ChildProcess> stormer;
        if (!storm.empty()) stormer = client(storm).first;
        std::vector<double> restores;
        for (int r = 0; r < rounds; ++r) {
            minimizeBoth();
            // Iconic and off the screen: a restore asked while the manager still animates the
            // iconify would find them in place.
            const auto offScreen = [&] {
                XWindowAttributes a{};
                return std::none_of(pair.begin(), pair.end(), [&](Window w) {
                    return XGetWindowAttributes(watch, w, &a) && a.map_state == IsViewable;
                });
            };
            if (!waitFor([&] { return isHidden() && offScreen(); }, Bound{"a hide", seconds(30)})) continue;
            std::this_thread::sleep_for(milliseconds(300));
            for (XEvent e; XPending(watch);) XNextEvent(watch, &e);
            const double start = clockSeconds();
            for (Window w : pair) bench::activateAsTaskbar(keys, w);
            XFlush(keys);
            if (waitFor([&] {
                    for (XEvent e; XPending(watch);) XNextEvent(watch, &e);
                    return isTiled();
                }, Bound{"a show", seconds(30)}))
                restores.push_back(clockSeconds() - start);
        }
        std::printf("  floor, %s: a taskbar's restore of both %9.3f ms   (%s)\n", title, median(restores) * 1e3,
                    range(restores).c_str());
    };
    floor("S0", {});
    if (part != "restack") floor("S1", {"--windows", "0", "--reparent-storm"});
    if (part != "reparent") floor("S2", {"--windows", "0", "--restack-storm", "200"});
    XCloseDisplay(watch);
    XCloseDisplay(keys);
    return timeouts == 0 ? 0 : 2;
}
