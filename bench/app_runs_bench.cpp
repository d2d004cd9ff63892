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
#include "BenchStats.h"
#include "StallLog.h"
#include "XReplyRecorder.h"
#include "e2e/support/PrivateHome.h"
#include "platform/linux/x11/X11Connection.h"
#include "x11/support/X11TestServer.h"

#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <poll.h>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace tessane;
using namespace std::chrono;
using tessane::testing::Bound;
using tessane::testing::waitFor;
using tessane::bench::clockSeconds;
using tessane::bench::median;
using x11test::RootRect;

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

struct ProcessCost {
    double cpuSeconds = 0;
    long contextSwitches = 0;
    long residentKB = 0;
    long anonymousKB = 0;  // of residentKB: not backed by a file (heap, stacks, anonymous maps)
};

ProcessCost cost(pid_t pid) {
    ProcessCost c;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    // The fields after the command's closing parenthesis; utime and stime are the 12th and 13th.
    std::istringstream rest(text.substr(text.rfind(')') + 2));
    std::vector<std::string> fields((std::istream_iterator<std::string>(rest)), {});
    if (fields.size() > 12)
        c.cpuSeconds = double(std::stol(fields[11]) + std::stol(fields[12])) / double(::sysconf(_SC_CLK_TCK));
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        const auto number = [&] { return std::atol(line.c_str() + line.find(':') + 1); };
        if (line.starts_with("voluntary_ctxt_switches") || line.starts_with("nonvoluntary_ctxt_switches"))
            c.contextSwitches += number();
        if (line.starts_with("VmRSS")) c.residentKB = number();
    }
    std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
    for (std::string line; std::getline(rollup, line);)
        if (line.starts_with("Anonymous:")) c.anonymousKB = std::atol(line.c_str() + line.find(':') + 1);
    return c;
}

// With TESSANE_BENCH_SMAPS_DIR set, a copy of /proc/<pid>/smaps as `name`.smaps in that folder:
// the memory per mapping, to see where a figure of P3 goes.
void keepSmaps(pid_t pid, const std::string& name) {
    const char* dir = std::getenv("TESSANE_BENCH_SMAPS_DIR");
    if (!dir || !*dir) return;
    std::ifstream in("/proc/" + std::to_string(pid) + "/smaps");
    std::ofstream(std::string(dir) + "/" + name + ".smaps") << in.rdbuf();
}

// Over `seconds` of quiet: CPU time and context switches used, and the memory at the end.
ProcessCost idle(pid_t pid, int seconds) {
    const ProcessCost before = cost(pid);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    ProcessCost after = cost(pid);
    after.cpuSeconds -= before.cpuSeconds;
    after.contextSwitches -= before.contextSwitches;
    return after;
}

bool isIconic(Display* d, Window w) {
    const Atom state = XInternAtom(d, "WM_STATE", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool iconic = false;
    if (XGetWindowProperty(d, w, state, 0, 2, False, state, &type, &format, &count, &after, &data) == Success && data &&
        count >= 1)
        iconic = reinterpret_cast<long*>(data)[0] == IconicState;
    if (data) XFree(data);
    return iconic;
}

// Every window shown, inside a quadrant of its own, and each a good part of it. (A hidden
// window keeps its frame where it was.)
bool tiled(Display* d, const std::vector<unsigned long>& windows) {
    std::set<int> quadrants;
    for (auto w : windows) {
        XWindowAttributes a{};
        if (!XGetWindowAttributes(d, w, &a) || a.map_state != IsViewable) return false;
        const auto f = x11test::outerFrame(d, w);
        if (!f || f->width < kWidth / 4 || f->height < kHeight / 5) return false;
        const int slack = 24, col = f->x + f->width <= kWidth / 2 + slack ? 0 : (f->x >= kWidth / 2 - slack ? 1 : -1);
        const int row = f->y + f->height <= kHeight / 2 + slack ? 0 : (f->y >= kHeight / 2 - slack ? 1 : -1);
        if (col < 0 || row < 0) return false;
        quadrants.insert(row * 2 + col);
    }
    return quadrants.size() == windows.size();
}

// The resource-id base of the client that made the top-level windows named "Tessane ...": the
// program's Qt connection, which makes its chrome.
std::optional<unsigned long> chromeClientBase(Display* d) {
    const unsigned long idMask = xcb_get_setup(XGetXCBConnection(d))->resource_id_mask;
    const Atom name = XInternAtom(d, "_NET_WM_NAME", False), utf8 = XInternAtom(d, "UTF8_STRING", False);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    std::optional<unsigned long> base;
    if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &n)) return base;
    for (unsigned i = 0; i < n && !base; ++i) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d, children[i], name, 0, 64, False, utf8, &type, &format, &count, &after, &data) ==
                Success &&
            data && std::string(reinterpret_cast<char*>(data), count).starts_with("Tessane "))
            base = children[i] & ~idMask;
        if (data) XFree(data);
    }
    if (children) XFree(children);
    return base;
}

// The resource-id base of the window manager's connection: the one that made the root's
// _NET_SUPPORTING_WM_CHECK window.
std::optional<unsigned long> windowManagerClient(Display* d) {
    const unsigned long idMask = xcb_get_setup(XGetXCBConnection(d))->resource_id_mask;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::optional<unsigned long> base;
    if (XGetWindowProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False), 0, 1, False,
                           XA_WINDOW, &type, &format, &count, &after, &data) == Success &&
        data && count == 1)
        base = reinterpret_cast<unsigned long*>(data)[0] & ~idMask;
    if (data) XFree(data);
    return base;
}

bool logHas(const std::string& file, const std::string& text) {
    std::ifstream in(file);
    std::string all((std::istreambuf_iterator<char>(in)), {});
    return all.find(text) != std::string::npos;
}

// Types a chord through XTEST on `d`: its keys pressed in order, then released in reverse.
void typeChord(Display* d, const std::vector<KeySym>& keys) {
    for (KeySym k : keys) XTestFakeKeyEvent(d, XKeysymToKeycode(d, k), True, CurrentTime);
    for (auto k = keys.rbegin(); k != keys.rend(); ++k) XTestFakeKeyEvent(d, XKeysymToKeycode(d, *k), False, CurrentTime);
    XFlush(d);
}

// Confirms the windows in their quadrants each time a child of the root (a frame) is configured,
// on a connection of its own: no sleeping between a move and its confirmation, and no reads
// while nothing moves.
class TileWatch {
public:
    explicit TileWatch(const std::string& display) : d_(XOpenDisplay(display.c_str())) {
        if (!d_) return;
        XSelectInput(d_, DefaultRootWindow(d_), SubstructureNotifyMask);
        XSync(d_, False);
    }
    ~TileWatch() {
        if (d_) XCloseDisplay(d_);
    }
    TileWatch(const TileWatch&) = delete;
    TileWatch& operator=(const TileWatch&) = delete;
    bool connected() const { return d_ != nullptr; }
    // Drops what was heard so far (before a timed start: thousands of windows made earlier are
    // not read on the clock).
    void forget() {
        drain();
        lastMap_ = 0;
    }
    // From now on the maps of windows made by these clients (resource-id bases: the program's
    // connections) are timed: its chrome coming up.
    void timeMapsOf(std::set<unsigned long> clients) { clients_ = std::move(clients); }
    // When the last of those windows was mapped (clock seconds; 0: none since forget()).
    double lastMap() const { return lastMap_; }
    // Goes on hearing for a while, for maps that come after the windows are in place.
    void listen(milliseconds period) {
        const double end = clockSeconds() + double(period.count()) / 1e3;
        for (double left = period.count() / 1e3; left > 0; left = end - clockSeconds()) {
            pollfd p{ConnectionNumber(d_), POLLIN, 0};
            ::poll(&p, 1, std::max(1, int(left * 1e3)));
            drain();
        }
    }

    // Whether the windows were tiled before `timeout` passed.
    bool waitTiled(const std::vector<unsigned long>& windows, milliseconds timeout) {
        const double end = clockSeconds() + double(timeout.count()) / 1e3;
        for (;;) {
            drain();
            if (tiled(d_, windows)) return true;
            if (XQLength(d_) > 0) continue;  // a frame moved while they were read
            const double left = end - clockSeconds();
            if (left <= 0) return false;
            pollfd p{ConnectionNumber(d_), POLLIN, 0};
            ::poll(&p, 1, std::max(1, std::min(50, int(left * 1e3))));
        }
    }

private:
    void drain() {
        const unsigned long idMask = xcb_get_setup(XGetXCBConnection(d_))->resource_id_mask;
        for (XEvent e; XPending(d_);) {
            XNextEvent(d_, &e);
            if (e.type == MapNotify && clients_.count(e.xmap.window & ~idMask)) lastMap_ = clockSeconds();
        }
    }
    Display* d_;
    std::set<unsigned long> clients_;
    double lastMap_ = 0;
};

// The four moves of the floors: each window's frame to its corner, its client to its size, as
// _NET_MOVERESIZE_WINDOW takes them (what wmctrl -e sends).
void askMoves(linux_backend::X11Connection& x, const std::vector<unsigned long>& windows,
              const std::vector<RootRect>& placed) {
    for (size_t i = 0; i < windows.size(); ++i)
        x.requestMoveResize(windows[i], Point{double(placed[i].x), double(placed[i].y)},
                            Size{double(placed[i].width), double(placed[i].height)});
}

// The hot key's own floor: a client that grabbed the key and, the moment it hears it, sends the
// four moves of P4 (no reading, no deciding): what answering a key costs any program before its
// own work (the key through the server, a sleeping process woken). On its own connection and
// thread, for as long as it lives; only while the program is not running (one grab per key).
class KeyFloor {
public:
    KeyFloor(const std::string& display, std::vector<unsigned long> windows, std::vector<RootRect> placed)
        : x_(linux_backend::X11Connection::open(display.c_str())) {
        if (!x_) return;
        Display* d = x_->display();
        XGrabKey(d, XKeysymToKeycode(d, XK_1), Mod4Mask | Mod1Mask, DefaultRootWindow(d), True, GrabModeAsync,
                 GrabModeAsync);
        XSync(d, False);
        if (::pipe(stop_) != 0) stop_[0] = stop_[1] = -1;
        // Asleep until the key or the end, as the program is between keys.
        thread_ = std::thread([this, d, windows = std::move(windows), placed = std::move(placed)] {
            for (;;) {
                pollfd p[2] = {{ConnectionNumber(d), POLLIN, 0}, {stop_[0], POLLIN, 0}};
                ::poll(p, 2, -1);
                if (p[1].revents) return;
                for (XEvent e; XPending(d);) {
                    XNextEvent(d, &e);
                    if (e.type != KeyPress) continue;
                    askMoves(*x_, windows, placed);
                    XFlush(d);
                }
            }
        });
    }
    ~KeyFloor() {
        if (stop_[1] >= 0 && ::write(stop_[1], "x", 1) != 1) std::perror("app_runs_bench");
        if (thread_.joinable()) thread_.join();
        for (int fd : stop_)
            if (fd >= 0) ::close(fd);
    }
    KeyFloor(const KeyFloor&) = delete;
    KeyFloor& operator=(const KeyFloor&) = delete;
    bool connected() const { return x_ != nullptr; }

private:
    std::unique_ptr<linux_backend::X11Connection> x_;
    int stop_[2] = {-1, -1};
    std::thread thread_;
};

// The resource-id bases of the X clients of process `pid` (its connections), as the server tells.
std::set<unsigned long> clientsOf(Display* d, pid_t pid) {
    std::set<unsigned long> out;
    XResClientIdSpec wanted{0, XRES_CLIENT_ID_PID_MASK};
    long count = 0;
    XResClientIdValue* ids = nullptr;
    if (XResQueryClientIds(d, 1, &wanted, &count, &ids) != Success) return out;
    for (long i = 0; i < count; ++i) {
        const auto& [owner, length, value] = ids[i];  // the client the answer is about, and its pid
        if (XResGetClientPid(&ids[i]) == pid) out.insert(owner.client);
    }
    XResClientIdsDestroy(count, ids);
    return out;
}

int fail(const std::string& why) {
    std::fprintf(stderr, "app_runs_bench: %s\n", why.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const int quiet = argc > 2 ? std::max(1, std::atoi(argv[2])) : 30;
    // `app_runs_bench <rounds> <idle> first`: P1's first shows and their floors alone.
    const bool firstOnly = argc > 3 && std::string(argv[3]) == "first";
    std::string error;
    auto server = x11test::X11TestServer::start(&error);
    if (!server) return fail(error);
    e2e::PrivateHome home(TESSANE_X11_CLIENT);
    // A tray, as on a desktop: the program's icon and the hello world's dock in it.
    auto tray = x11test::ChildProcess::start({TESSANE_TRAY_HOST, "--at", "1600,0"}, server->display(), {}, true);
    if (!tray || !tray->waitForLine("ready", milliseconds(10000))) return fail("the tray host did not come up");
    auto hello = x11test::ChildProcess::start({TRAY_HELLO}, server->display(), {}, true);
    if (!hello || !hello->waitForLine("ready", milliseconds(20000)) || !tray->waitForLine("docked ", milliseconds(20000)))
        return fail("the tray hello world did not come up");
    const std::vector<std::string> names = {"Alpha", "Beta", "Gamma", "Delta"};
    std::vector<std::unique_ptr<x11test::ChildProcess>> clients;
    std::vector<unsigned long> windows;
    for (size_t i = 0; i < names.size(); ++i) {
        home.installApp(names[i]);
        auto args = e2e::PrivateHome::clientArguments(names[i]);
        args.insert(args.begin(), TESSANE_X11_CLIENT);
        args.insert(args.end(), {"--pos", std::to_string(100 + 60 * i) + ",100"});
        clients.push_back(x11test::ChildProcess::start(args, server->display(), {}, true));
        auto line = clients.back()->waitForLine("window ", milliseconds(10000));
        if (!line) return fail("test client did not come up");
        windows.push_back(std::strtoul(line->c_str() + 7, nullptr, 16));
    }
    home.storeWorkspaces({home.workspace("Grid", names)});
    auto x = linux_backend::X11Connection::open(server->display().c_str());
    if (!x) return fail("no connection");
    Display* d = x->display();
    TileWatch watch(server->display());
    if (!watch.connected()) return fail("no second connection");
    const auto run = [&](std::vector<std::string> argv) { return server->run(argv); };

    // Every timed placement starts from a desktop left alone for a while, as a user's hot key
    // does: the same four moves take the window manager and the clients longer then than right
    // after other work, when every process involved is awake (P4 prints both).
    const auto settle = [] { std::this_thread::sleep_for(seconds(2)); };
    const std::string logFile = (home.root() / "tessane.log").string();
    std::unique_ptr<x11test::ChildProcess> tessane;
    // The stall log only where it is read (P7): its 5 ms timer would be all that P3 counts.
    const auto startTessane = [&](const std::vector<std::string>& environment = {}) {
        std::remove(logFile.c_str());  // this start's own lines
        tessane = x11test::ChildProcess::start({TESSANE_APP}, server->display(), logFile, false, environment);
        return tessane && waitFor([&] { return logHas(logFile, "[Tessane][AX] launch:"); },
                Bound{"Tessane's start", seconds(60)});
    };
    const auto stopTessane = [&] {
        const double t0 = clockSeconds();
        ::kill(tessane->pid(), SIGTERM);
        const bool ended = tessane->wait(seconds(60)).has_value();
        return ended ? clockSeconds() - t0 : -1.0;
    };
    int timeouts = 0;
    const auto timedChord = [&](const std::vector<KeySym>& keys) {
        watch.forget();
        const double t0 = clockSeconds();
        typeChord(d, keys);
        if (!watch.waitTiled(windows, seconds(30))) ++timeouts;
        return clockSeconds() - t0;
    };
    const std::vector<KeySym> showKey = {XK_Super_L, XK_Alt_L, XK_1}, hideKey = {XK_Super_L, XK_Alt_L, XK_h};
    const auto spread = [&] {
        for (size_t i = 0; i < windows.size(); ++i)
            run({"wmctrl", "-i", "-r", std::to_string(windows[i]), "-e",
                 "0," + std::to_string(100 + 60 * i) + ",100,400,300"});
        // Every spread move landed (each client back at 400 x 300): a late one would otherwise
        // undo a show's move that follows at once, and the show never be confirmed.
        waitFor(
            [&] {
                return std::all_of(windows.begin(), windows.end(), [&](unsigned long w) {
                    Window root = 0;
                    int x = 0, y = 0;
                    unsigned width = 0, height = 0, border = 0, depth = 0;
                    return XGetGeometry(d, w, &root, &x, &y, &width, &height, &border, &depth) && width == 400 &&
                           height == 300;
                });
            }, Bound{"the clients' moves", seconds(5)});
    };

    // P7: what a first show among the crowd of P5 sets off, counted by the server from the hot key
    // until 4 s after the windows are in place: the window manager's restacks and moves
    // (ConfigureWindow), when its last one came against the windows' arrival, and the program's
    // property reads; and the main thread's longest wait meanwhile (the program's stall log).
    struct Census {
        double tiled = 0, managerLastAfter = 0, longestWait = 0, ownWait = 0, onX = 0;
        long managerConfigures = 0, ownPropertyReads = 0, ownReplies = 0;
    };
    const auto crowdCensus = [&]() -> std::optional<Census> {
        spread();
        if (!startTessane({"TESSANE_STALL_LOG_MS=10"})) return std::nullopt;
        settle();
        const std::optional<unsigned long> manager = windowManagerClient(d);
        Census c;
        bench::XReplyRecorder recorder(server->display(), true);
        if (!recorder.running()) return std::nullopt;
        watch.forget();
        const double t0 = clockSeconds();
        typeChord(d, showKey);
        if (!watch.waitTiled(windows, seconds(30))) ++timeouts;
        const double tiledAt = clockSeconds();
        watch.listen(milliseconds(4000));
        recorder.stop();
        c.tiled = tiledAt - t0;
        if (manager) {
            c.managerConfigures = recorder.requestsOf(*manager, X_ConfigureWindow);
            const double last = recorder.lastRequestOf(*manager, X_ConfigureWindow);
            c.managerLastAfter = last > 0 ? last - tiledAt : 0;
        }
        c.ownPropertyReads = recorder.requestsOf(tessane->pid(), X_GetProperty);
        for (const auto& [base, count] : recorder.repliesOf(tessane->pid())) c.ownReplies += count;
        std::tie(c.longestWait, c.ownWait) = bench::longestStall(logFile, t0, tiledAt + 4.0);
        c.onX = bench::waitedOnX(logFile, t0, tiledAt + 4.0);
        // The stall lines themselves, with APP_RUNS_BENCH_STALLS set: what each named, after the
        // hot key's and the arrival's times on their clock.
        if (std::getenv("APP_RUNS_BENCH_STALLS")) {
            std::printf("     hot key at %.6f, in place at %.6f\n", t0, tiledAt);
            std::ifstream in(logFile);
            for (std::string line; std::getline(in, line);)
                if (line.find("[Tessane][stall]") != std::string::npos || line.find("[Tessane][X11]") != std::string::npos)
                    std::printf("     %s\n", line.c_str());
        }
        // Which properties, with APP_RUNS_BENCH_ATOMS set: what the program read and the manager wrote.
        if (std::getenv("APP_RUNS_BENCH_ATOMS")) {
            const auto show = [&](const char* who, const std::map<uint32_t, long>& counts) {
                for (const auto& [atom, count] : counts)
                    if (count >= 20) {
                        char* name = XGetAtomName(d, atom);
                        std::printf("     %s %s x %ld\n", who, name ? name : "?", count);
                        if (name) XFree(name);
                    }
            };
            for (unsigned long base : recorder.clientsOf(tessane->pid()))
                show("program reads", recorder.propertiesOf(base, X_GetProperty));
            if (manager) show("manager writes", recorder.propertiesOf(*manager, X_ChangeProperty));
        }
        stopTessane();
        return c;
    };
    const auto startCrowd = [&] {
        auto crowd = x11test::ChildProcess::start({TESSANE_X11_CLIENT, "--class", "crowd.Crowd", "--windows", "1000",
                                                   "--size", "120x80"},
                                                  server->display(), {}, true);
        if (!crowd || !crowd->waitForLine("ready", seconds(120))) return decltype(crowd){};
        // The window manager is done taking them in: an echo, which every manager passes on only
        // after the maps asked before it (Xfwm answers no frame-extents round trip, and a server
        // round trip would leave it framing the crowd through the first show).
        x->windowManagerEcho(120);
        return crowd;
    };
    const auto printCensus = [&](const std::vector<Census>& all) {
        std::printf("  P7 a first show among 1,000 other windows, hot key to 4 s after in place (%zu rounds):\n",
                    all.size());
        for (const auto& c : all)
            std::printf("     in place %.1f ms; manager's ConfigureWindow %ld, its last %+.0f ms after; program's"
                        " GetProperty %ld, replies %ld; main thread's longest wait %.0f (%.0f) ms, of its stalls"
                        " %.0f ms on X replies\n",
                        c.tiled * 1e3, c.managerConfigures, c.managerLastAfter * 1e3, c.ownPropertyReads,
                        c.ownReplies, c.longestWait * 1e3, c.ownWait * 1e3, c.onX * 1e3);
    };
    // `app_runs_bench <rounds> <idle> crowd`: P7 alone.
    if (argc > 3 && std::string(argv[3]) == "crowd") {
        auto crowd = startCrowd();
        if (!crowd) return fail("the client of 1,000 windows did not come up");
        std::vector<Census> all;
        for (int r = 0; r < rounds; ++r)
            if (auto c = crowdCensus()) all.push_back(*c);
        std::printf("app_runs_bench: P7 (Xvfb + %s)\n", server->windowManagerName().c_str());
        printCensus(all);
        return timeouts == 0 ? 0 : 2;
    }

    // `app_runs_bench <rounds> <idle> cycles [count]`: P8 alone.
    if (argc > 3 && std::string(argv[3]) == "cycles") {
        const int count = argc > 4 ? std::max(10, std::atoi(argv[4])) : 1000;
        const std::string fifo = (home.root() / "heap-probe").string(), heapLog = (home.root() / "heap.log").string();
        if (::mkfifo(fifo.c_str(), 0600) != 0) return fail("no FIFO for the heap probe");
        if (!startTessane({std::string("LD_PRELOAD=") + HEAP_PROBE, "HEAP_PROBE_FIFO=" + fifo, "HEAP_PROBE_LOG=" + heapLog}))
            return fail("Tessane did not start");
        settle();
        // The heap in use and held (bytes), as the probe in the program answers; nothing when it
        // did not.
        int asked = 0;
        const auto heap = [&]() -> std::optional<std::pair<double, double>> {
            const int out = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (out < 0 || ::write(out, "?", 1) != 1) return std::nullopt;
            ::close(out);
            ++asked;
            std::string last;
            if (!waitFor([&] {
                    std::ifstream in(heapLog);
                    int lines = 0;
                    for (std::string line; std::getline(in, line); ++lines) last = line;
                    return lines >= asked;
                }, Bound{"the heap's reading", seconds(10)}))
                return std::nullopt;
            long pid = 0;
            double inUse = 0, held = 0;
            if (std::sscanf(last.c_str(), "%ld %lf %lf", &pid, &inUse, &held) != 3) return std::nullopt;
            return std::pair{inUse, held};
        };
        struct Reading {
            int cycles;
            double inUse, held;
            long residentKB;
        };
        std::vector<Reading> readings;
        const auto read = [&](int cycles) {
            const auto h = heap();
            readings.push_back({cycles, h ? h->first : -1, h ? h->second : -1, cost(tessane->pid()).residentKB});
        };
        timedChord(showKey);
        settle();
        read(0);
        std::vector<double> reshows;
        const int step = std::max(1, count / 10);
        for (int c = 1; c <= count; ++c) {
            typeChord(d, hideKey);
            waitFor(
                [&] { return std::all_of(windows.begin(), windows.end(), [&](auto w) { return isIconic(d, w); }); },
                Bound{"a hide", seconds(30)});
            reshows.push_back(timedChord(showKey));
            if (c == 10 || c % step == 0) {
                settle();
                read(c);
            }
        }
        stopTessane();
        std::printf("app_runs_bench: P8 (Xvfb + %s), %d hides and shows with the tray icon up: re-show median %.1f ms, "
                    "%d not tiled in 30 s\n",
                    server->windowManagerName().c_str(), count, median(reshows) * 1e3, timeouts);
        std::printf("  %8s %14s %14s %12s\n", "cycles", "heap in use", "heap held", "resident");
        for (const auto& r : readings)
            std::printf("  %8d %11.2f MB %11.2f MB %9.1f MB\n", r.cycles, r.inUse / 1e6, r.held / 1e6, r.residentKB / 1e3);
        // Against the reading after ten cycles: what the first shows make once is not growth.
        const auto after10 = std::find_if(readings.begin(), readings.end(), [](const Reading& r) { return r.cycles == 10; });
        if (after10 != readings.end() && readings.back().inUse >= 0 && after10->inUse >= 0)
            std::printf("  heap in use from 10 to %d cycles: %+.2f MB (goal: within 0.5 MB); resident %+.1f MB\n",
                        readings.back().cycles, (readings.back().inUse - after10->inUse) / 1e6,
                        (readings.back().residentKB - after10->residentKB) / 1e3);
        return timeouts == 0 ? 0 : 2;
    }

    if (!startTessane()) return fail("Tessane did not start");
    settle();
    // P3, nothing shown.
    const ProcessCost idleNone = idle(tessane->pid(), quiet);
    const ProcessCost helloNone = cost(hello->pid());
    keepSmaps(tessane->pid(), "tessane-none");
    keepSmaps(hello->pid(), "hello-none");

    std::vector<double> wmTrips;
    for (int i = 0; i < 50; ++i) {
        const double t0 = clockSeconds();
        x->windowManagerRoundTrip(1.0);
        wmTrips.push_back(clockSeconds() - t0);
    }

    // The windows' first tiling ever, apart: a window's first resize to a size it never had
    // costs its client and the server far more than any later one, and would fall on whichever
    // placer came first.
    const double firstTiling = timedChord(showKey);
    // P1, a show after a hide, each round.
    std::vector<double> shows;
    for (int r = 0; r < rounds; ++r) {
        typeChord(d, hideKey);
        waitFor(
            [&] { return std::all_of(windows.begin(), windows.end(), [&](auto w) { return isIconic(d, w); }); },
            Bound{"a hide", seconds(30)});
        std::this_thread::sleep_for(milliseconds(300));
        shows.push_back(timedChord(showKey));
    }
    // Where the show put each window: its frame's corner and its client's size, which is what
    // _NET_MOVERESIZE_WINDOW and wmctrl's -e take. The frame's size given as the client's grew
    // each frame by its decorations: Openbox's thin ones stayed inside a quadrant's slack, xfwm4's
    // title bar and borders did not, and no floor was ever confirmed there.
    std::vector<RootRect> placed;
    for (auto w : windows) {
        RootRect p = x11test::outerFrame(d, w).value_or(RootRect{});
        Window root = 0;
        int x = 0, y = 0;
        unsigned width = 0, height = 0, border = 0, depth = 0;
        if (XGetGeometry(d, w, &root, &x, &y, &width, &height, &border, &depth)) {
            p.width = int(width);
            p.height = int(height);
        }
        placed.push_back(p);
    }

    // P3, one workspace shown.
    settle();
    const ProcessCost idleShown = idle(tessane->pid(), quiet);
    const ProcessCost helloShown = cost(hello->pid());
    keepSmaps(tessane->pid(), "tessane-shown");
    keepSmaps(hello->pid(), "hello-shown");
    stopTessane();
    // P3 again without the tips card (the tips seen before), which the first show above put up:
    // its text is what most of the program's fonts and shaping are there for.
    ProcessCost idleNoCard, helloNoCard;
    {
        std::ifstream was(home.preferencesFile());
        const std::string kept((std::istreambuf_iterator<char>(was)), {});
        std::ofstream(home.preferencesFile())
            << R"({"TessaneHasSeenOnboarding": true, "TessaneHasSeenWorkspaceTips.v1": true})" << "\n";
        if (!startTessane()) return fail("Tessane did not start again");
        settle();
        timedChord(showKey);
        settle();
        idleNoCard = idle(tessane->pid(), quiet);
        helloNoCard = cost(hello->pid());
        keepSmaps(tessane->pid(), "tessane-shown-no-card");
        stopTessane();
        std::ofstream(home.preferencesFile()) << kept;
    }

    // P4 and P2, each from a settled desktop (P4 also right after the spread), and P1's first
    // show, the program started afresh each round: all in the same rounds.
    const auto floorMoves = [&](bool settled) {
        spread();
        if (settled) settle();
        watch.forget();
        const double t0 = clockSeconds();
        askMoves(*x, windows, placed);
        XFlush(d);
        watch.waitTiled(windows, seconds(5));
        return clockSeconds() - t0;
    };
    int toolTimeouts = 0;
    // One shell script of four wmctrl processes, one after another, confirmed by the frames'
    // events like everything else (nothing on the clock waits for a process to end).
    const auto wmctrlScript = [&] {
        spread();
        settle();
        std::string script;
        for (size_t i = 0; i < windows.size(); ++i) {
            const RootRect& p = placed[i];
            script += "wmctrl -i -r " + std::to_string(windows[i]) + " -e 0," + std::to_string(p.x) + "," +
                      std::to_string(p.y) + "," + std::to_string(p.width) + "," + std::to_string(p.height) + "\n";
        }
        watch.forget();
        const double t0 = clockSeconds();
        auto shell = x11test::ChildProcess::start({"/bin/sh", "-c", script}, server->display(), {});
        if (!shell || !watch.waitTiled(windows, seconds(5))) ++toolTimeouts;
        const double took = clockSeconds() - t0;
        if (shell) shell->wait(seconds(10));
        return took;
    };
    // A first show, and when the last of the chrome's windows was mapped (both from the key).
    struct FirstShow {
        double tiled = 0;
        double chromeUp = 0;
    };
    // The program settles after its start, then the windows are spread and the key typed at once:
    // the show starts from a desktop just woken by the spread, as the floor it is measured against
    // does (a floor after quiet swings several-fold with the machine's load).
    const auto firstShow = [&]() -> std::optional<FirstShow> {
        if (!startTessane()) return std::nullopt;
        settle();
        spread();
        watch.timeMapsOf(clientsOf(d, tessane->pid()));
        watch.forget();
        const double t0 = clockSeconds();
        const double t = timedChord(showKey);
        watch.listen(milliseconds(500));
        const double chromeUp = watch.lastMap() > 0 ? watch.lastMap() - t0 : -1;
        watch.timeMapsOf({});
        stopTessane();
        return FirstShow{t, chromeUp};
    };
    // The goals' ratios are taken round by round (a show against the floor and the script of
    // its own round) and their median given: the machine's load drifts between rounds.
    const auto ratioOf = [&](const std::vector<double>& over, const std::vector<double>& under) {
        std::vector<double> ratios;
        for (size_t i = 0; i < over.size() && i < under.size(); ++i) ratios.push_back(over[i] / under[i]);
        return median(ratios);
    };
    // Every round's ratio, lowest to highest: the goals hold sample by sample.
    const auto ratioRange = [&](const std::vector<double>& over, const std::vector<double>& under) {
        std::vector<double> ratios;
        for (size_t i = 0; i < over.size() && i < under.size(); ++i) ratios.push_back(over[i] / under[i]);
        std::sort(ratios.begin(), ratios.end());
        const auto within = std::count_if(ratios.begin(), ratios.end(), [](double r) { return r <= 1.3; });
        char text[96];
        std::snprintf(text, sizeof text, "rounds %.2f-%.2f, %ld of %zu at most 1.3", ratios.empty() ? 0 : ratios.front(),
                      ratios.empty() ? 0 : ratios.back(), long(within), ratios.size());
        return std::string(text);
    };
    // The key's floor, set up and left alone as the program is before its first show.
    const auto keyFloor = [&]() -> std::optional<double> {
        KeyFloor client(server->display(), windows, placed);
        if (!client.connected()) return std::nullopt;
        settle();
        spread();
        return timedChord(showKey);
    };
    std::vector<double> floors, hotFloors, tool, firstShows, chromeUps, keyFloors;
    for (int r = 0; r < rounds; ++r) {
        floors.push_back(floorMoves(true));
        hotFloors.push_back(floorMoves(false));
        if (!firstOnly) tool.push_back(wmctrlScript());
        const auto shown = firstShow();
        if (!shown) return fail("Tessane did not start again");
        firstShows.push_back(shown->tiled);
        chromeUps.push_back(shown->chromeUp);
        if (const auto k = keyFloor()) keyFloors.push_back(*k);
    }

    const auto printKeyFloor = [&] {
        std::printf("     the key's floor: a client that grabbed it sends the 4 moves  %.3f ms   (%s)\n",
                    median(keyFloors) * 1e3, bench::range(keyFloors).c_str());
        std::printf("     key's floor / P4 floor after the spread, by round %5.2f x   (%s); first show / key's floor %5.2f x\n",
                    ratioOf(keyFloors, hotFloors), ratioRange(keyFloors, hotFloors).c_str(),
                    ratioOf(firstShows, keyFloors));
    };
    if (firstOnly) {
        std::printf("app_runs_bench: %d rounds of first shows (Xvfb + %s), medians\n", rounds,
                    server->windowManagerName().c_str());
        std::printf("  P1 first show, hot key to all confirmed   %9.3f ms   (%s)\n", median(firstShows) * 1e3,
                    bench::range(firstShows).c_str());
        std::printf("  P4 floor right after the spread           %9.3f ms   (%s)\n", median(hotFloors) * 1e3,
                    bench::range(hotFloors).c_str());
        std::printf("     first show / P4 floor after the spread, by round %5.2f x   (goal: at most 1.3; %s)\n",
                    ratioOf(firstShows, hotFloors), ratioRange(firstShows, hotFloors).c_str());
        printKeyFloor();
        return timeouts == 0 ? 0 : 2;
    }

    // A first show with 10,000 stored workspaces (the shown one first in the list), against the
    // floor of the same rounds; then the list of one again.
    home.storeWorkspaces(home.longList(home.workspace("Grid", names), 10000));
    const int longRounds = rounds;
    std::vector<double> floorsLong, firstShowsLong;
    for (int r = 0; r < longRounds; ++r) {
        floorsLong.push_back(floorMoves(false));
        const auto shown = firstShow();
        if (!shown) return fail("Tessane did not start with 10,000 workspaces");
        firstShowsLong.push_back(shown->tiled);
    }
    home.storeWorkspaces({home.workspace("Grid", names)});

    // P6: the replies of a first show, for each connection of the program.
    spread();
    if (!startTessane()) return fail("Tessane did not start again");
    settle();
    std::map<unsigned long, long> replies;
    {
        bench::XReplyRecorder recorder(server->display());
        if (!recorder.running()) return fail("the X server does not record (RECORD extension)");
        watch.forget();
        typeChord(d, showKey);
        watch.waitTiled(windows, seconds(30));
        std::this_thread::sleep_for(milliseconds(500));
        recorder.stop();
        replies = recorder.repliesOf(tessane->pid());
    }
    const std::optional<unsigned long> qtBase = chromeClientBase(d);
    long allReplies = 0;
    for (const auto& [base, count] : replies) allReplies += count;
    const long qtReplies = qtBase && replies.count(*qtBase) ? replies[*qtBase] : 0;
    stopTessane();

    // P5: a thousand other windows; the floor and first shows again, and the program's quit.
    auto crowd = startCrowd();
    if (!crowd) return fail("the client of 1,000 windows did not come up");
    const int crowdedRounds = std::min(rounds, 5);
    std::vector<double> floorsCrowded, firstShowsCrowded;
    double quitTime = 0;
    bool allEnded = true;
    // Also the floor with the program started and settled, as before its show: whether the
    // manager takes longer over the same moves while the program runs.
    std::vector<double> floorsCrowdedRunning;
    for (int r = 0; r < crowdedRounds; ++r) {
        floorsCrowded.push_back(floorMoves(true));
        spread();
        if (!startTessane()) return fail("Tessane did not start again");
        settle();
        floorsCrowdedRunning.push_back(floorMoves(true));
        spread();
        settle();
        firstShowsCrowded.push_back(timedChord(showKey));
        const double quit = stopTessane();
        allEnded = allEnded && quit >= 0;
        quitTime = std::max(quitTime, quit);
    }

    std::vector<Census> censuses;
    for (int r = 0; r < std::min(rounds, 3); ++r)
        if (auto c = crowdCensus()) censuses.push_back(*c);

    const double wm = median(wmTrips), show = median(shows), wmc = median(tool), floor = median(floors),
                 hotFloor = median(hotFloors), first = median(firstShows);
    const double firstCrowded = median(firstShowsCrowded), floorCrowded = median(floorsCrowded);
    using bench::range;
    std::printf("app_runs_bench: %d rounds, four clients in a 2 x 2 workspace (Xvfb + %s), medians\n", rounds,
                server->windowManagerName().c_str());
    std::printf("  window-manager round trip                 %9.3f ms\n", wm * 1e3);
    std::printf("  P1 first show, hot key to all confirmed   %9.3f ms   (%s; program started afresh each round)\n",
                first * 1e3, range(firstShows).c_str());
    std::printf("  P4 one connected client, same 4 moves     %9.3f ms   (%s; settled desktop)\n", floor * 1e3,
                range(floors).c_str());
    std::printf("     the same right after the spread        %9.3f ms   (%s; what the first shows are measured against)\n",
                hotFloor * 1e3, range(hotFloors).c_str());
    std::printf("  P2 wmctrl script, 4 windows, confirmed    %9.3f ms   (%s; %d timed out)\n", wmc * 1e3,
                range(tool).c_str(), toolTimeouts);
    std::printf("     first show / P4 floor after the spread, by round %5.2f x   (goal: at most 1.3; %s)\n",
                ratioOf(firstShows, hotFloors), ratioRange(firstShows, hotFloors).c_str());
    std::printf("     wmctrl / first show, by round          %9.1f x   (goal: at least 1.5)\n", ratioOf(tool, firstShows));
    printKeyFloor();
    std::printf("  the windows' first tiling ever (apart)    %9.3f ms\n", firstTiling * 1e3);
    std::printf("  P1 show after hide, hot key to confirmed  %9.3f ms   (%d timed out in all)\n", show * 1e3, timeouts);
    std::printf("     / (4 window-manager round trips)       %9.1f x   (goal: at most 2)\n", show / (4 * wm));
    std::printf("     wmctrl / show after hide               %9.1f x   (goal: at least 5)\n", wmc / show);
    std::printf("  P6 X replies of a first show, hot key to 0.5 s after in place %ld   (goal: at most 150)\n",
                allReplies);
    std::printf("     on Qt's connection %ld, on the program's own %ld, over %zu connections\n", qtReplies,
                allReplies - qtReplies, replies.size());
    std::vector<double> chromeRatios;
    for (size_t i = 0; i < chromeUps.size() && i < floors.size(); ++i)
        if (chromeUps[i] > 0) chromeRatios.push_back(chromeUps[i] / hotFloors[i]);
    std::printf("  the chrome up, hot key to its last window mapped %9.3f ms   (%s)\n", median(chromeUps) * 1e3,
                range(chromeUps).c_str());
    std::printf("     chrome up / P4 floor after the spread  %9.1f x   (goal: at most 2.5)\n",
                chromeRatios.empty() ? 0.0 : median(chromeRatios));
    std::printf("  10,000 stored workspaces (%d rounds): first show %.3f ms (%s), floor %.3f ms\n", longRounds,
                median(firstShowsLong) * 1e3, range(firstShowsLong).c_str(), median(floorsLong) * 1e3);
    std::printf("     first show / P4 floor after the spread, by round %5.2f x   (goal: at most 1.3; %s)\n",
                ratioOf(firstShowsLong, floorsLong), ratioRange(firstShowsLong, floorsLong).c_str());
    std::printf("  P5 with 1,000 other windows (%d rounds): first show %.3f ms (%+.1f ms); floor %.3f ms (%+.1f ms)\n",
                crowdedRounds, firstCrowded * 1e3, (firstCrowded - first) * 1e3, floorCrowded * 1e3,
                (floorCrowded - floor) * 1e3);
    std::printf("     by round, show / floor / floor with the program running:");
    for (size_t i = 0; i < firstShowsCrowded.size(); ++i)
        std::printf(" %.1f / %.1f / %.1f ms%s", firstShowsCrowded[i] * 1e3, floorsCrowded[i] * 1e3,
                    floorsCrowdedRunning[i] * 1e3, i + 1 < firstShowsCrowded.size() ? ";" : "\n");
    // What the crowd adds to the show against what it adds to the window manager's own moves:
    // a ratio of slowdowns would let the program's own part grow with the manager's.
    const double addedToFloor = floorCrowded - floor;
    if (addedToFloor > 0)
        std::printf("     ms added to the show / ms added to the floor %6.2f   (goal: at most 1.3; the rounds' medians)\n",
                    (firstCrowded - first) / addedToFloor);
    else
        std::printf("     ms added to the show %+.1f, to the floor %+.1f: no ratio (the floor gained nothing)\n",
                    (firstCrowded - first) * 1e3, addedToFloor * 1e3);
    std::printf("     SIGTERM to the process gone, longest   %9.3f ms%s\n", quitTime * 1e3,
                allEnded ? "" : "   (one did not end)");
    printCensus(censuses);
    std::printf("  P3 idle %d s, nothing shown: CPU %.3f s, %ld context switches, RSS %.1f MB (anonymous %.1f)\n",
                quiet, idleNone.cpuSeconds, idleNone.contextSwitches, idleNone.residentKB / 1024.0,
                idleNone.anonymousKB / 1024.0);
    std::printf("  P3 idle %d s, one shown:     CPU %.3f s, %ld context switches, RSS %.1f MB (anonymous %.1f)\n",
                quiet, idleShown.cpuSeconds, idleShown.contextSwitches, idleShown.residentKB / 1024.0,
                idleShown.anonymousKB / 1024.0);
    std::printf("     Qt tray hello world, same moments      RSS %.1f / %.1f MB (anonymous %.1f)\n",
                helloNone.residentKB / 1024.0, helloShown.residentKB / 1024.0, helloShown.anonymousKB / 1024.0);
    std::printf("  P3 idle %d s, one shown, no tips card: CPU %.3f s, %ld context switches, RSS %.1f MB (anonymous %.1f)\n",
                quiet, idleNoCard.cpuSeconds, idleNoCard.contextSwitches, idleNoCard.residentKB / 1024.0,
                idleNoCard.anonymousKB / 1024.0);
    std::printf("     Qt tray hello world (text drawn once)  RSS %.1f MB then\n", helloNoCard.residentKB / 1024.0);
    if (helloShown.residentKB > 0 && helloNoCard.residentKB > 0)
        std::printf("     one shown / hello world: card up %.2f x, no card %.2f x   (goal: at most 1.25 each)\n",
                    double(idleShown.residentKB) / double(helloShown.residentKB),
                    double(idleNoCard.residentKB) / double(helloNoCard.residentKB));
    return timeouts == 0 ? 0 : 2;
}
