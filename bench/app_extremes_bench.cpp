// Whole-process measurement of the running program's hot keys with outside input made to be
// slow, on a private Xvfb + window manager (Openbox, or TESSANE_TEST_WM). Keys are typed through
// XTEST on this program's own connection; what they do is confirmed from the root's events.
//   E1  one application of 1,000 windows beside one of a single window, in a left / right split:
//       the show after a hide (the hot key until both panes' windows are in place, then until
//       every one of the thousand is restored; and the show as the program logged it), the hide
//       (until all 1,001 are iconic; the window manager animates each, so it is given two
//       minutes), whether the program logged that windows stayed minimized, and how many of the
//       thousand the window manager stacks over a pane after a show. The application of 1,000
//       comes first in the workspace, so the other one is hidden after it. Then rounds of the show
//       a second after the hide's key, while the manager still works through the hide: until
//       both panes are in place, until all 1,001 are back, whether the single window was left
//       minimized, and the "keeps moving" lines the program logged.
//   E2  a 2 x 2 workspace while the recently-used list is 4 MiB of '&' in one attribute (the
//       size read at most): the hide (until all four are iconic) and the show (until all four are
//       in their quadrants). The list is written again before each key, so every key parses it.
//   E3  the same with a list of 40,000 uses of one file name, each in a folder of its own, by
//       the applications of the workspace, whose windows' titles name that file.
// Usage: app_extremes_bench [rounds] [many|lists]   (default 5 rounds, both parts)
#include "BenchStats.h"
#include "e2e/support/PrivateHome.h"
#include "platform/linux/x11/X11Connection.h"
#include "platform/linux/x11/X11ManagerWatch.h"
#include "x11/support/X11TestServer.h"

#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

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
#include <set>
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

constexpr int kWidth = 1920, kHeight = 1080;
constexpr size_t kRecentListLimit = size_t{4} << 20;  // what the program reads of the list at most

// How many of `windows` are iconic (WM_STATE), every request sent before the first answer.
size_t iconicCount(xcb_connection_t* c, const std::vector<unsigned long>& windows) {
    static xcb_atom_t wmState = 0;
    if (!wmState)
        if (auto* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 8, "WM_STATE"), nullptr)) {
            wmState = r->atom;
            free(r);
        }
    std::vector<xcb_get_property_cookie_t> cookies;
    for (auto w : windows) cookies.push_back(xcb_get_property(c, 0, xcb_window_t(w), wmState, wmState, 0, 2));
    size_t iconic = 0;
    for (auto cookie : cookies)
        if (auto* r = xcb_get_property_reply(c, cookie, nullptr)) {
            if (xcb_get_property_value_length(r) >= 4 && *static_cast<uint32_t*>(xcb_get_property_value(r)) == IconicState)
                ++iconic;
            free(r);
        }
    return iconic;
}

// Every window shown and each a good part of the screen, in a column (two windows) or a quadrant
// (four) of its own. (A hidden window keeps its frame where it was.)
bool tiled(Display* d, const std::vector<unsigned long>& windows) {
    std::set<int> places;
    for (auto w : windows) {
        XWindowAttributes a{};
        if (!XGetWindowAttributes(d, w, &a) || a.map_state != IsViewable) return false;
        const auto f = x11test::outerFrame(d, w);
        if (!f || f->width < kWidth / 4 || f->height < kHeight / 3 + (windows.size() > 2 ? -kHeight / 6 : 0))
            return false;
        const int slack = 24, col = f->x + f->width <= kWidth / 2 + slack ? 0 : (f->x >= kWidth / 2 - slack ? 1 : -1);
        int row = 0;
        if (windows.size() > 2) row = f->y + f->height <= kHeight / 2 + slack ? 0 : (f->y >= kHeight / 2 - slack ? 1 : -1);
        if (col < 0 || row < 0) return false;
        places.insert(row * 2 + col);
    }
    return places.size() == windows.size();
}

// Looks at the desktop each time a child of the root (a frame) is configured, mapped or unmapped,
// on a connection of its own: no sleeping between a change and its confirmation, and no reads
// while nothing changes (but at most one look per few milliseconds, so that the bench does not
// crowd the server while a thousand windows change).
class DesktopWatch {
public:
    explicit DesktopWatch(const std::string& display) : d_(XOpenDisplay(display.c_str())) {
        if (!d_) return;
        XSelectInput(d_, DefaultRootWindow(d_), SubstructureNotifyMask);
        XSync(d_, False);
    }
    ~DesktopWatch() {
        if (d_) XCloseDisplay(d_);
    }
    DesktopWatch(const DesktopWatch&) = delete;
    DesktopWatch& operator=(const DesktopWatch&) = delete;
    Display* display() const { return d_; }
    xcb_connection_t* xcb() const { return XGetXCBConnection(d_); }
    void forget() { drain(); }

    // The seconds from `start` until `done` held (looked at after each change heard); none when
    // `timeout` passed first.
    std::optional<double> until(double start, const std::function<bool()>& done, milliseconds timeout) {
        const double end = start + double(timeout.count()) / 1e3;
        for (;;) {
            drain();
            if (done()) return clockSeconds() - start;
            const double left = end - clockSeconds();
            if (left <= 0) return std::nullopt;
            if (XQLength(d_) > 0) continue;
            pollfd p{ConnectionNumber(d_), POLLIN, 0};
            ::poll(&p, 1, std::max(1, std::min(50, int(left * 1e3))));
            std::this_thread::sleep_for(milliseconds(2));  // let a burst of changes come in
        }
    }

private:
    void drain() {
        for (XEvent e; XPending(d_);) XNextEvent(d_, &e);
    }
    Display* d_;
};

// Types a chord through XTEST on `d`: its keys pressed in order, then released in reverse.
void typeChord(Display* d, const std::vector<KeySym>& keys) {
    for (KeySym k : keys) XTestFakeKeyEvent(d, XKeysymToKeycode(d, k), True, CurrentTime);
    for (auto k = keys.rbegin(); k != keys.rend(); ++k) XTestFakeKeyEvent(d, XKeysymToKeycode(d, *k), False, CurrentTime);
    XFlush(d);
}

size_t logCount(const std::string& file, const std::string& text) {
    std::ifstream in(file);
    std::string all((std::istreambuf_iterator<char>(in)), {});
    size_t n = 0;
    for (size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1)) ++n;
    return n;
}

// The numbers logged right after each `text` (milliseconds), as seconds.
std::vector<double> loggedMilliseconds(const std::string& file, const std::string& text) {
    std::ifstream in(file);
    std::string all((std::istreambuf_iterator<char>(in)), {});
    std::vector<double> out;
    for (size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1))
        out.push_back(std::strtod(all.c_str() + at + text.size(), nullptr) / 1e3);
    return out;
}

void writeFile(const std::string& path, const std::string& text) {
    const std::string part = path + ".part";
    std::ofstream(part, std::ios::binary) << text;
    std::rename(part.c_str(), path.c_str());
}

// As short as a bookmark goes, so that forty thousand fit in the size that is read.
std::string bookmark(const std::string& path, const std::string& app, size_t time) {
    return "<bookmark href=\"file://" + path + "\"><bookmark:application name=\"" + app + "\" timestamp=\"" +
           std::to_string(time) + "\"/></bookmark>\n";
}

std::string ampersands(const std::string& app) {
    const std::string head = "<xbel><bookmark href=\"file:///d/",
                      tail = "\"><bookmark:application name=\"" + app + "\"/></bookmark></xbel>";
    return head + std::string(kRecentListLimit - head.size() - tail.size(), '&') + tail;
}

std::string oneName(const std::vector<std::string>& apps, size_t uses) {
    std::string xbel = "<xbel>\n";
    for (size_t i = 0; i < uses; ++i) xbel += bookmark("/" + std::to_string(i) + "/notes.txt", apps[i % apps.size()], 1 + i % 4);
    return xbel + "</xbel>\n";
}

// How many of `others` the window manager stacks above the lower of `panes` (its stacking list).
size_t stackedAbove(Display* d, const std::vector<unsigned long>& panes, const std::vector<unsigned long>& others) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_CLIENT_LIST_STACKING", False), 0, 1 << 16,
                           False, XA_WINDOW, &type, &format, &count, &after, &data) != Success || !data)
        return 0;
    const std::vector<unsigned long> order(reinterpret_cast<unsigned long*>(data), reinterpret_cast<unsigned long*>(data) + count);
    XFree(data);
    size_t lowest = order.size();
    for (auto p : panes) lowest = std::min<size_t>(lowest, std::find(order.begin(), order.end(), p) - order.begin());
    const std::set<unsigned long> set(others.begin(), others.end());
    size_t above = 0;
    for (size_t i = lowest + 1; i < order.size(); ++i) above += set.count(order[i]);
    return above;
}

int fail(const std::string& why) {
    std::fprintf(stderr, "app_extremes_bench: %s\n", why.c_str());
    return 1;
}

struct Session {
    x11test::X11TestServer& server;
    e2e::PrivateHome& home;
    DesktopWatch& watch;
    Display* keys;
    std::string logFile;
    std::unique_ptr<x11test::ChildProcess> tessane;

    bool start() {
        std::remove(logFile.c_str());
        tessane = x11test::ChildProcess::start({TESSANE_APP}, server.display(), logFile);
        return tessane && waitFor([&] { return logCount(logFile, "[Tessane][AX] launch:") > 0; },
                Bound{"Tessane's start", seconds(60)});
    }
    // Until the window manager has handled everything asked of it so far (a thousand new windows).
    // (A manager still busy when first asked is taken for one that never answers: asked afresh.)
    void settleWindowManager() {
        for (int attempt = 0; attempt < 120; ++attempt) {
            auto x = linux_backend::X11Connection::open(server.display().c_str());
            if (!x) return;
            x->windowManagerRoundTrip(60);
            if (!x->manager().declinesPings()) return;
            std::this_thread::sleep_for(milliseconds(500));
        }
    }
    void stop() {
        if (!tessane) return;
        ::kill(tessane->pid(), SIGTERM);
        tessane->wait(seconds(60));
        tessane.reset();
    }
    // The seconds from the chord until `done`; none on time-out.
    std::optional<double> timed(const std::vector<KeySym>& chord, const std::function<bool()>& done,
                                const std::function<void()>& before = nullptr, milliseconds timeout = seconds(30)) {
        if (before) before();
        watch.forget();
        const double t0 = clockSeconds();
        typeChord(keys, chord);
        return watch.until(t0, done, timeout);
    }
};

const std::vector<KeySym> kShowKey = {XK_Alt_L, XK_Super_L, XK_1}, kHideKey = {XK_Alt_L, XK_Super_L, XK_h};

struct HideShow {
    std::vector<double> hides, shows;
    int timeouts = 0;
};

// Rounds of hide and show of a workspace whose windows are `windows` (the panes' windows),
// `before` run ahead of each key.
HideShow hideShowRounds(Session& s, int rounds, const std::vector<unsigned long>& windows,
                        const std::function<void()>& before) {
    HideShow out;
    Display* d = s.watch.display();
    for (int r = 0; r < rounds; ++r) {
        const auto hid = s.timed(kHideKey, [&] { return iconicCount(s.watch.xcb(), windows) == windows.size(); }, before);
        if (hid) out.hides.push_back(*hid);
        else ++out.timeouts;
        std::this_thread::sleep_for(milliseconds(300));
        const auto shown = s.timed(kShowKey, [&] { return tiled(d, windows); }, before);
        if (shown) out.shows.push_back(*shown);
        else ++out.timeouts;
        std::this_thread::sleep_for(milliseconds(300));
    }
    return out;
}

// Test clients started as applications of the private home, each one's windows read from what it
// prints; they end with the bench.
struct Clients {
    x11test::X11TestServer& server;
    e2e::PrivateHome& home;
    std::vector<std::unique_ptr<x11test::ChildProcess>> running;

    // Application `name` with `extra` arguments: its windows, once all are mapped; none when it
    // did not come up.
    std::optional<std::vector<unsigned long>> start(const std::string& name, const std::vector<std::string>& extra) {
        home.installApp(name);
        auto args = e2e::PrivateHome::clientArguments(name);
        args.insert(args.begin(), TESSANE_X11_CLIENT);
        args.insert(args.end(), extra.begin(), extra.end());
        running.push_back(x11test::ChildProcess::start(args, server.display(), {}, true));
        std::vector<unsigned long> windows;
        while (auto line = running.back()->readLine(milliseconds(120000))) {
            if (line->starts_with("window ")) windows.push_back(std::strtoul(line->c_str() + 7, nullptr, 16));
            else if (*line == "ready") return windows;
        }
        return std::nullopt;
    }
};

std::nullopt_t none(const std::string& why) {
    std::fprintf(stderr, "app_extremes_bench: %s\n", why.c_str());
    return std::nullopt;
}

struct ManyWindows {
    std::vector<double> hides, shows, restored;
    int timeouts = 0;
    size_t stayedLines = 0;
    size_t covering = 0;  // the most windows of the thousand stacked over a pane after a show
    std::vector<double> frameUp;  // what the program logged for each show
    // The show a second after the hide's key, while the manager still iconifies the thousand.
    std::vector<double> earlyShows, earlyRestored;
    int earlyTimeouts = 0;
    int singleLeftMinimized = 0;  // rounds whose single window stayed minimized
    size_t keepsMovingLines = 0;
};

// E1: a left / right split of one window and one application of 1,000.
std::optional<ManyWindows> measureManyWindows(Session& s, Clients& clients, int rounds) {
    const auto alpha = clients.start("Alpha", {"--pos", "100,100"});
    const auto many = clients.start("Many", {"--windows", "1000", "--size", "120x80"});
    if (!alpha || alpha->size() != 1 || !many || many->size() != 1000) return none("the test clients did not come up");
    DesktopWatch& watch = s.watch;
    waitFor([&] { return iconicCount(watch.xcb(), *many) == 0; }, Bound{"an unhide", seconds(60)});
    s.settleWindowManager();
    s.home.storeWorkspaces({s.home.workspace("Pair", {"Many", "Alpha"})});
    if (!s.start()) return none("Tessane did not start");
    std::this_thread::sleep_for(seconds(2));
    // The first show picks one of the thousand for its pane: found once, then timed.
    const unsigned long single = alpha->front();
    std::optional<unsigned long> pane;
    const auto findPane = [&] {
        for (auto w : *many)
            if (!pane && tiled(watch.display(), {single, w})) pane = w;
        return pane.has_value();
    };
    for (int attempt = 0; attempt < 3 && !pane; ++attempt) {
        s.timed(kShowKey, [&] { return tiled(watch.display(), {single}); });
        waitFor(findPane, Bound{"a window in its pane", seconds(10)});
    }
    if (!pane) {
        std::ifstream log(s.logFile);
        std::fprintf(stderr, "%s", std::string((std::istreambuf_iterator<char>(log)), {}).c_str());
        return none("no window of the thousand was tiled");
    }
    std::vector<unsigned long> everything = *many;
    everything.push_back(single);
    ManyWindows out;
    for (int r = 0; r < rounds; ++r) {
        const auto hid = s.timed(kHideKey, [&] { return iconicCount(watch.xcb(), everything) == everything.size(); },
                                 nullptr, seconds(120));
        if (hid) out.hides.push_back(*hid);
        else ++out.timeouts;
        std::this_thread::sleep_for(milliseconds(300));
        watch.forget();
        const double t0 = clockSeconds();
        typeChord(s.keys, kShowKey);
        const auto shown = watch.until(t0, [&] { return tiled(watch.display(), {single, *pane}); }, seconds(30));
        const auto restored = watch.until(t0, [&] { return iconicCount(watch.xcb(), *many) == 0; }, seconds(30));
        if (shown) out.shows.push_back(*shown);
        else ++out.timeouts;
        if (restored) out.restored.push_back(*restored);
        std::this_thread::sleep_for(milliseconds(500));
        out.covering = std::max(out.covering, stackedAbove(watch.display(), {single, *pane}, *many));
    }
    // A user who shows the workspace again right after hiding it: the manager is still working
    // through the thousand iconify requests (Openbox animates each).
    for (int r = 0; r < rounds; ++r) {
        watch.forget();
        typeChord(s.keys, kHideKey);
        std::this_thread::sleep_for(seconds(1));
        watch.forget();
        const double t0 = clockSeconds();
        typeChord(s.keys, kShowKey);
        const auto shown = watch.until(t0, [&] { return tiled(watch.display(), {single, *pane}); }, seconds(30));
        const auto restored = watch.until(t0, [&] { return iconicCount(watch.xcb(), everything) == 0; }, seconds(90));
        if (shown) out.earlyShows.push_back(*shown);
        else ++out.earlyTimeouts;
        if (restored) out.earlyRestored.push_back(*restored);
        if (iconicCount(watch.xcb(), {single}) != 0) ++out.singleLeftMinimized;
        s.settleWindowManager();
        std::this_thread::sleep_for(milliseconds(500));
    }
    out.keepsMovingLines = logCount(s.logFile, "keeps moving");
    out.stayedLines = logCount(s.logFile, "stayed minimized");
    out.frameUp = loggedMilliseconds(s.logFile, "frame up in ");
    if (!out.frameUp.empty()) out.frameUp.erase(out.frameUp.begin());  // the first show, apart
    if (std::getenv("APP_EXTREMES_LOG")) {  // the program's own account, to see where a slow show went
        std::ifstream log(s.logFile);
        std::fprintf(stderr, "%s", std::string((std::istreambuf_iterator<char>(log)), {}).c_str());
    }
    s.stop();
    return out;
}

struct Lists {
    HideShow ampersands, oneName, empty;
};

// E2 and E3: a 2 x 2 workspace whose windows' titles name notes.txt, under each list.
std::optional<Lists> measureLists(Session& s, Clients& clients, int rounds) {
    const std::vector<std::string> names = {"Beta", "Gamma", "Delta", "Epsilon"};
    std::vector<unsigned long> grid;
    for (size_t i = 0; i < names.size(); ++i) {
        const auto w = clients.start(names[i], {"--title", "notes.txt - " + names[i], "--pos",
                                                std::to_string(100 + 60 * i) + ",100"});
        if (!w || w->size() != 1) return std::nullopt;
        grid.push_back(w->front());
    }
    s.home.storeWorkspaces({s.home.workspace("Grid", names)});
    const std::string recent = (s.home.root() / "data/recently-used.xbel").string();
    const auto withList = [&](const std::string& list) {
        writeFile(recent, list);
        if (!s.start()) return HideShow{{}, {}, 1};
        std::this_thread::sleep_for(seconds(2));
        s.timed(kShowKey, [&] { return tiled(s.watch.display(), grid); });  // the first tiling, apart
        std::this_thread::sleep_for(milliseconds(300));
        // Written afresh before each key: every key parses it.
        auto out = hideShowRounds(s, rounds, grid, [&] { writeFile(recent, list); });
        s.stop();
        return out;
    };
    Lists out;
    out.ampersands = withList(ampersands(names[0]));
    const std::string oneNameList = oneName(names, 40000);
    if (oneNameList.size() > kRecentListLimit) return std::nullopt;
    out.oneName = withList(oneNameList);
    out.empty = withList("<xbel></xbel>\n");
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::string part = argc > 2 ? argv[2] : "";
    std::string error;
    auto server = x11test::X11TestServer::start(&error);
    if (!server) return fail(error);
    e2e::PrivateHome home(TESSANE_X11_CLIENT);
    DesktopWatch watch(server->display());
    Display* keys = XOpenDisplay(server->display().c_str());
    if (!watch.display() || !keys) return fail("no connection");
    Session s{*server, home, watch, keys, (home.root() / "tessane.log").string(), nullptr};
    Clients clients{*server, home, {}};

    std::printf("app_extremes_bench: %d rounds (Xvfb + %s), medians and ranges\n", rounds,
                server->windowManagerName().c_str());
    int timeouts = 0;
    if (part != "lists") {
        const auto many = measureManyWindows(s, clients, rounds);
        if (!many) return fail("the workspace of 1,000 windows was not shown");
        std::printf("  E1 one app of 1,000 windows beside one of one window\n");
        std::printf("     show, hot key to both panes in place   %9.3f ms   (%s; goal: within 1 s)\n",
                    median(many->shows) * 1e3, range(many->shows).c_str());
        std::printf("     show, as the program logged it         %9.3f ms   (%s; key seen until windows and chrome up)\n",
                    median(many->frameUp) * 1e3, range(many->frameUp).c_str());
        std::printf("     show, hot key to all 1,000 restored    %9.3f ms   (%s)\n", median(many->restored) * 1e3,
                    range(many->restored).c_str());
        std::printf("     windows of the thousand over a pane    %9zu      (after a show, the most of any round)\n",
                    many->covering);
        std::printf("     hide, hot key to all 1,001 iconic      %9.3f ms   (%s)\n", median(many->hides) * 1e3,
                    range(many->hides).c_str());
        std::printf("     \"stayed minimized\" lines logged        %9zu      (%d timed out)\n", many->stayedLines,
                    many->timeouts);
        std::printf("     show 1 s after the hide's key          %9.3f ms   (%s; %d timed out)\n",
                    median(many->earlyShows) * 1e3, range(many->earlyShows).c_str(), many->earlyTimeouts);
        std::printf("     ... hot key to all 1,001 restored      %9.3f ms   (%s; %zu of %d rounds)\n",
                    median(many->earlyRestored) * 1e3, range(many->earlyRestored).c_str(), many->earlyRestored.size(),
                    rounds);
        std::printf("     ... single window left minimized       %9d      (rounds)\n", many->singleLeftMinimized);
        std::printf("     \"keeps moving\" lines logged           %9zu\n", many->keepsMovingLines);
        timeouts += many->timeouts + many->earlyTimeouts;
        clients.running.clear();
    }
    if (part != "many") {
        const auto lists = measureLists(s, clients, rounds);
        if (!lists) return fail("the 2 x 2 workspace was not shown");
        const auto print = [&](const char* what, const HideShow& h) {
            std::printf("  %s\n", what);
            std::printf("     hide, hot key to all four iconic       %9.3f ms   (%s; goal: within 200 ms)\n",
                        median(h.hides) * 1e3, range(h.hides).c_str());
            std::printf("     show, hot key to all four in place     %9.3f ms   (%s; goal: within 200 ms; %d timed out)\n",
                        median(h.shows) * 1e3, range(h.shows).c_str(), h.timeouts);
            timeouts += h.timeouts;
        };
        print("E2 recently-used list of 4 MiB of '&', written again before each key", lists->ampersands);
        print("E3 recently-used list of 40,000 uses of notes.txt, written again before each key", lists->oneName);
        print("   (the same 2 x 2 workspace with an empty list)", lists->empty);
    }
    XCloseDisplay(keys);
    return timeouts == 0 ? 0 : 2;
}
