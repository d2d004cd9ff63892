// Whole-process measurement of shows under each window manager, on a private Xvfb each. Two
// workspaces: "Three" (two test clients and the real XTerm when it is installed; else two
// clients) and "Pair" (two more clients); the clients' entries name a theme icon, as real
// applications' do. Each round:
//   first   the program started afresh with every window spread out; Super+Alt+1 typed through
//           XTEST; until every window of "Three" is in its pane;
//   second  then Super+Alt+2: until every window of "Pair" is in its pane;
//   re-show then Super+Alt+H (Pair hidden) and Super+Alt+2 again: until Pair is back in its panes;
//           and once more (what the program learnt of the manager at the first one now known);
//   tray    the program started afresh again, windows spread, "Pair" from the tray menu (the
//           icon clicked, the menu's second workspace row chosen by keys, timed from the Return
//           that picks it); then Super+Alt+1, a second show too.
// A window is in its pane when it is shown (mapped, not iconic) and its frame is the frame it had
// once a show had settled (learnt in an untimed warm-up), to 2 px. Confirmations come from the
// root's structure events and the clients' property events; no reads while nothing happens.
//   floor   after the re-shows, the program ended, "Pair" minimized and brought back by a plain
//           client the way a taskbar does (_NET_ACTIVE_WINDOW from a pager): what the manager
//           itself takes to restore those windows into the same places; each re-show is also
//           given against the floor of its own round.
// The main thread's longest wait in each step comes from the program's own stall log
// (TESSANE_STALL_LOG_MS): from the key until 0.5 s after the windows were in place; "own" is the
// longest once the time the thread waited for a processor (a busy machine's share) is taken out.
// Usage: wm_shows_bench [rounds] [manager ...]   (defaults 3 and the eight managers)
// With WM_SHOWS_BENCH_OPENBOX_STILL=1, Openbox restores without its iconify animation (150 ms).
#include "BenchStats.h"
#include "StallLog.h"
#include "TaskbarRestore.h"
#include "WindowState.h"
#include "e2e/support/PrivateHome.h"
#include "platform/linux/x11/X11Connection.h"
#include "x11/support/X11TestServer.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
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
using tessane::bench::isIconic;
using tessane::bench::median;
using tessane::bench::longestStall;
using x11test::RootRect;
namespace fs = std::filesystem;

namespace {

constexpr const char* kXTermEntry = "/usr/share/applications/debian-xterm.desktop";

bool shown(Display* d, Window w) {
    XWindowAttributes a{};
    return XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable && !isIconic(d, w);
}

bool near(const RootRect& a, const RootRect& b) {
    return std::abs(a.x - b.x) <= 2 && std::abs(a.y - b.y) <= 2 && std::abs(a.width - b.width) <= 2 &&
           std::abs(a.height - b.height) <= 2;
}

bool overlap(const RootRect& a, const RootRect& b) {
    const int w = std::min(a.x + a.width, b.x + b.width) - std::max(a.x, b.x);
    const int h = std::min(a.y + a.height, b.y + b.height) - std::max(a.y, b.y);
    return w > 16 && h > 16;
}

// Every window shown, big, and apart from the others: a settled tiling, whatever the layout.
bool tiledApart(Display* d, const std::vector<Window>& windows) {
    std::vector<RootRect> frames;
    for (auto w : windows) {
        const auto f = x11test::visibleFrame(d, w);
        if (!shown(d, w) || !f || f->width < 300 || f->height < 300) return false;
        for (const auto& other : frames)
            if (overlap(*f, other)) return false;
        frames.push_back(*f);
    }
    return true;
}

void typeChord(Display* d, const std::vector<KeySym>& keys) {
    for (KeySym k : keys) XTestFakeKeyEvent(d, XKeysymToKeycode(d, k), True, CurrentTime);
    for (auto k = keys.rbegin(); k != keys.rend(); ++k) XTestFakeKeyEvent(d, XKeysymToKeycode(d, *k), False, CurrentTime);
    XFlush(d);
}

// Hears every frame move, map and unmap (the root's structure) and the clients' property changes
// (WM_STATE) on a connection of its own, and re-checks a condition only when something was heard.
class Watch {
public:
    explicit Watch(const std::string& display) : d_(XOpenDisplay(display.c_str())) {
        if (d_) XSelectInput(d_, DefaultRootWindow(d_), SubstructureNotifyMask);
    }
    ~Watch() {
        if (d_) XCloseDisplay(d_);
    }
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;
    Display* display() const { return d_; }
    void follow(Window client) {
        XSelectInput(d_, client, PropertyChangeMask);
        XSync(d_, False);
    }
    void forget() {
        for (XEvent e; XPending(d_);) XNextEvent(d_, &e);
    }
    bool waitFor(const std::function<bool()>& condition, double seconds) {
        const double end = clockSeconds() + seconds;
        for (;;) {
            forget();
            if (condition()) return true;
            if (XQLength(d_) > 0) continue;
            const double left = end - clockSeconds();
            if (left <= 0) return false;
            pollfd p{ConnectionNumber(d_), POLLIN, 0};
            ::poll(&p, 1, std::max(1, int(left * 1e3)));
        }
    }

private:
    Display* d_;
};

bool logHas(const std::string& file, const std::string& text) {
    std::ifstream in(file);
    const std::string all((std::istreambuf_iterator<char>(in)), {});
    return all.find(text) != std::string::npos;
}

struct Step {
    std::vector<double> times;  // -1: never confirmed within the bound
    std::vector<double> stalls;
    std::vector<double> ownStalls;  // the stalls less their wait for a processor
    void add(double t, std::pair<double, double> stall) {
        times.push_back(t);
        stalls.push_back(stall.first);
        ownStalls.push_back(stall.second);
    }
    double medianTime() const { return median(times); }
    double worstTime() const {
        if (std::find(times.begin(), times.end(), -1.0) != times.end()) return -1;
        return times.empty() ? 0 : *std::max_element(times.begin(), times.end());
    }
    double worstStall() const { return stalls.empty() ? 0 : *std::max_element(stalls.begin(), stalls.end()); }
    double worstOwnStall() const {
        return ownStalls.empty() ? 0 : *std::max_element(ownStalls.begin(), ownStalls.end());
    }
};

struct ManagerFigures {
    std::string manager;
    std::string error;
    int apps = 0;
    std::string trayNote;  // why the tray show was not measured
    Step first, second, reshow, reshowAgain, tray;
    Step floor;  // the same windows restored by a plain client, the program not running
};

std::string ms(double seconds) {
    if (seconds < 0) return "timeout";
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", seconds * 1e3);
    return text;
}

// Whether a menu of the program's is open: a viewable override-redirect window of its process
// that is none of its panels (those carry a window type of their own).
bool menuOpen(Display* d, long pid) {
    const Atom panelType = XInternAtom(d, "_KDE_NET_WM_WINDOW_TYPE_OVERRIDE", False);
    const Atom pidAtom = XInternAtom(d, "_NET_WM_PID", False), typeAtom = XInternAtom(d, "_NET_WM_WINDOW_TYPE", False);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    bool found = false;
    if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &n)) return false;
    for (unsigned i = 0; i < n && !found; ++i) {
        XWindowAttributes a{};
        if (!XGetWindowAttributes(d, children[i], &a) || a.map_state != IsViewable || !a.override_redirect) continue;
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        bool ours = false, panel = false;
        if (XGetWindowProperty(d, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                               &data) == Success &&
            data && count == 1)
            ours = reinterpret_cast<long*>(data)[0] == pid;
        if (data) XFree(data);
        data = nullptr;
        if (XGetWindowProperty(d, children[i], typeAtom, 0, 16, False, XA_ATOM, &type, &format, &count, &after,
                               &data) == Success &&
            data)
            for (unsigned long k = 0; k < count; ++k) panel = panel || reinterpret_cast<Atom*>(data)[k] == panelType;
        if (data) XFree(data);
        found = ours && !panel;
    }
    if (children) XFree(children);
    return found;
}

// One manager's private server, the clients of both workspaces (and the real XTerm), a tray, and
// the program started and ended on it, with the steps each round is made of.
class ManagerRun {
public:
    explicit ManagerRun(std::string manager) : manager_(std::move(manager)) {}
    ~ManagerRun() {
        stop();
        if (!xterm_) return;
        if (savedDataDirs_.empty())
            unsetenv("XDG_DATA_DIRS");
        else
            setenv("XDG_DATA_DIRS", savedDataDirs_.c_str(), 1);
    }
    ManagerRun(const ManagerRun&) = delete;
    ManagerRun& operator=(const ManagerRun&) = delete;

    // The server, the clients, their stored workspaces and the tray; empty when all came up,
    // else why not. `apps`: how many applications "Three" has.
    std::string setUp(int& apps) {
        std::string error;
        x11test::X11TestServer::Options options;
        options.windowManagerName = manager_;
        options.animateIconify = manager_ != "openbox" || !std::getenv("WM_SHOWS_BENCH_OPENBOX_STILL");
        server_ = x11test::X11TestServer::start(options, &error);
        if (!server_) return error;
        home_ = std::make_unique<e2e::PrivateHome>(TESSANE_X11_CLIENT);
        xterm_ = fs::exists(kXTermEntry) && fs::exists("/usr/bin/xterm");
        const char* dataDirs = std::getenv("XDG_DATA_DIRS");
        savedDataDirs_ = dataDirs ? dataDirs : "";
        if (xterm_) setenv("XDG_DATA_DIRS", ((home_->root() / "system").string() + ":/usr/share").c_str(), 1);
        x_ = linux_backend::X11Connection::open(server_->display().c_str());
        watch_ = std::make_unique<Watch>(server_->display());
        if (!x_ || !watch_->display()) return "no connection";
        d_ = x_->display();
        w_ = watch_->display();
        three_ = {client("Alpha"), client("Beta")};
        pair_ = {client("Gamma"), client("Delta")};
        if (xterm_) addXTerm();
        if (std::count(three_.begin(), three_.end(), 0ul) || std::count(pair_.begin(), pair_.end(), 0ul))
            return "a client did not come up";
        apps = int(three_.size());
        storeWorkspaces();
        for (auto c : three_) watch_->follow(c);
        for (auto c : pair_) watch_->follow(c);
        trayHost_ = x11test::ChildProcess::start({TESSANE_TRAY_HOST, "--at", "1600,0"}, server_->display());
        if (!trayHost_ || !trayHost_->waitForLine("ready", milliseconds(20000))) return "the tray host did not come up";
        logFile_ = (home_->root() / "tessane.log").string();
        return {};
    }

    // Warm-up: where a settled show puts each window. Empty when both shows tiled, else why not.
    std::string warmUp() {
        spread();
        if (!start()) return "Tessane did not start";
        quiet();
        for (const auto& [key, windows] : {std::pair{key1_, three_}, std::pair{key2_, pair_}}) {
            typeChord(d_, key);
            if (!watch_->waitFor([&] { return tiledApart(w_, windows); }, 20)) {
                std::string error = "a warm-up show did not tile:";
                for (auto c : windows) {
                    const auto f = x11test::outerFrame(w_, c).value_or(RootRect{});
                    error += " " + std::to_string(f.width) + "x" + std::to_string(f.height) + "+" +
                             std::to_string(f.x) + "+" + std::to_string(f.y) + (shown(w_, c) ? "" : " (not shown)");
                }
                stop();
                return error;
            }
            settleAndLearn(windows);
        }
        return {};
    }

    // A round: the program started afresh with the windows spread, the two first shows, the two
    // re-shows, their floor, and the tray's show. False when the program did not start.
    bool round(ManagerFigures& out) {
        stop();
        stop();
        spread();
        if (!start()) return false;
        quiet();
        timed([&] { typeChord(d_, key1_); }, three_, out.first);
        quiet();
        timed([&] { typeChord(d_, key2_); }, pair_, out.second);
        for (Step* step : {&out.reshow, &out.reshowAgain}) {
            quiet();
            typeChord(d_, hideKey_);
            waitIconic();
            quiet();
            timed([&] { typeChord(d_, key2_); }, pair_, *step);
        }
        reshowFloor(out.floor);
        return trayShow(out);
    }

    void stop() {
        if (!tessane_) return;
        tessane_.reset();
        // WM_SHOWS_BENCH_LOGS=<folder>: each run's log kept there, to see where the time went.
        if (const char* keep = std::getenv("WM_SHOWS_BENCH_LOGS"))
            fs::copy_file(logFile_, fs::path(keep) / (manager_ + "-" + std::to_string(starts_) + ".log"),
                          fs::copy_options::overwrite_existing);
    }

private:
    Window client(const std::string& name) {
        home_->installApp(name);
        // With an icon of the theme, as a real application has (an app without one costs its
        // chrome a lookup of the generic icon through every theme folder at each show).
        std::ofstream(home_->root() / "data/applications" / (e2e::PrivateHome::bundleID(name) + ".desktop"),
                      std::ios::app)
            << "Icon=l3afpad\n";
        auto args = e2e::PrivateHome::clientArguments(name);
        args.insert(args.begin(), TESSANE_X11_CLIENT);
        children_.push_back(x11test::ChildProcess::start(args, server_->display(), {}, true));
        const auto line = children_.back()->waitForLine("window ", milliseconds(20000));
        return line ? std::strtoul(line->c_str() + 7, nullptr, 16) : 0;
    }

    void addXTerm() {
        children_.push_back(x11test::ChildProcess::start({"/usr/bin/xterm"}, server_->display()));
        Window found = 0;
        waitFor([&] {
            for (auto c : x_->windowList(x_->root(), "_NET_CLIENT_LIST").value_or(std::vector<linux_backend::XWindowId>{}))
                if (auto cls = x_->wmClass(c); cls && cls->second == "XTerm") found = c;
            return found != 0;
        }, Bound{"xterm's window", seconds(20)});
        if (found) three_.push_back(found);
    }

    void storeWorkspaces() {
        Workspace threeWorkspace = home_->workspace("Three", {"Alpha", "Beta"});
        if (three_.size() == 3) {
            threeWorkspace = home_->workspace("Three", {"Alpha", "Beta", "XTerm"});
            threeWorkspace.apps[2].bundleIdentifier = "debian-xterm";
            threeWorkspace.apps[2].appPath = kXTermEntry;
            threeWorkspace.layout.type = LayoutType::threeLeftOneRightTwo;
        }
        home_->storeWorkspaces({threeWorkspace, home_->workspace("Pair", {"Gamma", "Delta"})});
    }

    bool start() {
        stop();
        ++starts_;
        std::remove(logFile_.c_str());
        tessane_ = x11test::ChildProcess::start({TESSANE_APP}, server_->display(), logFile_, false,
                                                {"TESSANE_STALL_LOG_MS=10"});
        if (!tessane_ || !waitFor([&] { return logHas(logFile_, "[Tessane][AX] launch:"); },
                Bound{"Tessane's start", seconds(60)}))
            return false;
        const auto line = trayHost_->waitForLine("docked ", milliseconds(20000));
        RootRect r;
        unsigned long iconWindow = 0;
        icon_.reset();
        if (line && std::sscanf(line->c_str(), "docked 0x%lx %d,%d %dx%d", &iconWindow, &r.x, &r.y, &r.width,
                                &r.height) == 5)
            icon_ = r;
        return true;
    }

    void spread() {
        int i = 0;
        for (const std::vector<Window>* list : std::vector<const std::vector<Window>*>{&three_, &pair_})
            for (auto c : *list) {
                x_->requestMoveResize(c, Point{double(80 + 50 * i), double(80 + 40 * i)}, Size{400, 300});
                ++i;
            }
        XFlush(d_);
        watch_->waitFor([&] { return !tiledApart(w_, three_) && !tiledApart(w_, pair_); }, 5);
    }

    static void quiet() { std::this_thread::sleep_for(milliseconds(1000)); }  // a user's pause

    // Settled: nothing moved for a second; then where each window is, is its pane.
    void settleAndLearn(const std::vector<Window>& windows) {
        for (bool moved = true; moved;) {
            std::map<Window, RootRect> before;
            for (auto c : windows) before[c] = x11test::outerFrame(w_, c).value_or(RootRect{});
            std::this_thread::sleep_for(milliseconds(1000));
            moved = false;
            for (auto c : windows) moved = moved || !near(before[c], x11test::outerFrame(w_, c).value_or(RootRect{}));
        }
        for (auto c : windows) target_[c] = x11test::outerFrame(w_, c).value_or(RootRect{});
    }

    bool inPanes(const std::vector<Window>& windows) {
        for (auto c : windows) {
            const auto f = x11test::outerFrame(w_, c);
            if (!shown(w_, c) || !f || !near(*f, target_[c])) return false;
        }
        return true;
    }

    void timed(const std::function<void()>& trigger, const std::vector<Window>& windows, Step& step) {
        watch_->forget();
        const double t0 = clockSeconds();
        trigger();
        const bool placed = watch_->waitFor([&] { return inPanes(windows); }, 10);
        const double t1 = clockSeconds();
        std::this_thread::sleep_for(milliseconds(500));
        step.add(placed ? t1 - t0 : -1, longestStall(logFile_, t0, t1 + 0.5));
    }

    void waitIconic() {
        watch_->waitFor([&] { return std::all_of(pair_.begin(), pair_.end(), [&](auto c) { return isIconic(w_, c); }); }, 10);
    }

    // The re-show's floor: what the manager itself takes to bring the same windows back into
    // the same places, asked by a plain client the way a taskbar asks, the program gone.
    void reshowFloor(Step& floor) {
        stop();
        for (auto c : pair_) XIconifyWindow(d_, c, DefaultScreen(d_));
        XFlush(d_);
        waitIconic();
        quiet();
        watch_->forget();
        const double t0 = clockSeconds();
        for (auto c : pair_) bench::activateAsTaskbar(d_, c);
        XFlush(d_);
        const bool restored = watch_->waitFor([&] { return inPanes(pair_); }, 10);
        floor.add(restored ? clockSeconds() - t0 : -1, {0, 0});
    }

    // The tray first, while no workspace's windows cover it (the tray host is no panel that
    // managers keep above windows), then a second show by the hot key. False when the program
    // did not start.
    bool trayShow(ManagerFigures& out) {
        stop();
        spread();
        if (!start()) return false;
        quiet();
        if (!icon_) {
            out.trayNote = "the tray docked no icon";
            return true;
        }
        server_->run({"xdotool", "mousemove", std::to_string(icon_->x + icon_->width / 2),
                      std::to_string(icon_->y + icon_->height / 2), "click", "1"});
        if (!watch_->waitFor([&] { return menuOpen(w_, tessane_->pid()); }, 10)) {
            out.trayNote = "no menu opened on a click at the icon";
            return true;
        }
        typeChord(d_, {XK_Down});
        typeChord(d_, {XK_Down});
        timed([&] { typeChord(d_, {XK_Return}); }, pair_, out.tray);
        quiet();
        timed([&] { typeChord(d_, key1_); }, three_, out.second);
        return true;
    }

    const std::string manager_;
    bool xterm_ = false;
    std::string savedDataDirs_;
    std::unique_ptr<x11test::X11TestServer> server_;
    std::unique_ptr<e2e::PrivateHome> home_;
    std::unique_ptr<linux_backend::X11Connection> x_;
    std::unique_ptr<Watch> watch_;
    Display* d_ = nullptr;
    Display* w_ = nullptr;
    std::vector<std::unique_ptr<x11test::ChildProcess>> children_;
    std::vector<Window> three_, pair_;
    std::unique_ptr<x11test::ChildProcess> trayHost_;
    std::string logFile_;
    std::unique_ptr<x11test::ChildProcess> tessane_;
    std::optional<RootRect> icon_;
    int starts_ = 0;
    std::map<Window, RootRect> target_;
    // Pressed as the labels write them, Super first: the order every manager lets through (IceWM
    // takes a Super pressed after Alt for itself).
    const std::vector<KeySym> key1_ = {XK_Super_L, XK_Alt_L, XK_1}, key2_ = {XK_Super_L, XK_Alt_L, XK_2},
                              hideKey_ = {XK_Super_L, XK_Alt_L, XK_h};
};

ManagerFigures measure(const std::string& manager, int rounds) {
    ManagerFigures out;
    out.manager = manager;
    ManagerRun run(manager);
    out.error = run.setUp(out.apps);
    if (out.error.empty()) out.error = run.warmUp();
    if (!out.error.empty()) return out;
    for (int r = 0; r < rounds; ++r)
        if (!run.round(out)) break;
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    std::vector<std::string> managers;
    for (int i = 2; i < argc; ++i) managers.emplace_back(argv[i]);
    if (managers.empty()) managers = {"openbox", "xfwm4", "icewm", "fluxbox", "metacity", "marco", "mutter", "kwin"};

    std::printf("wm_shows_bench: %d rounds per manager; time from the key to every window in its pane (median / "
                "worst), and the main thread's longest wait in any round\n",
                rounds);
    std::printf("%-9s %4s | %-37s | %-37s | %-37s | %-37s | %-37s | %-15s | goals\n", "manager", "apps", "first show",
                "second show", "tray show", "re-show", "re-show again", "re-show floor");
    int missed = 0;
    for (const auto& manager : managers) {
        const ManagerFigures f = measure(manager, rounds);
        if (!f.error.empty()) {
            std::printf("%-9s  not measured: %s\n", manager.c_str(), f.error.c_str());
            ++missed;
            continue;
        }
        std::string goals;
        // A re-show slower than the goal whose floor is too says so: the manager's own time.
        const bool floorOver = !f.floor.times.empty() && f.floor.medianTime() > 0.1;
        const auto check = [&](const char* name, const Step& s, double bound) {
            const double worst = s.worstTime();
            if (s.times.empty()) {
                goals += std::string(goals.empty() ? "" : ", ") + name + " not measured";
            } else if (worst < 0 || worst > bound) {
                goals += std::string(goals.empty() ? "" : ", ") + name + " slow" +
                         (bound < 0.5 && floorOver ? " (so is its floor)" : "");
            }
            if (s.worstStall() > 0.1)
                goals += std::string(goals.empty() ? "" : ", ") + name + (s.worstOwnStall() > 0.1 ? " wait" : " wait (the machine's)");
        };
        check("first", f.first, 0.5);
        check("second", f.second, 0.5);
        check("tray", f.tray, 0.5);
        check("re-show", f.reshow, 0.1);
        check("re-show again", f.reshowAgain, 0.1);
        const auto cell = [](const Step& s) {
            char text[96];
            std::snprintf(text, sizeof text, "%s / %s ms, wait %.0f (own %.0f) ms", ms(s.medianTime()).c_str(),
                          ms(s.worstTime()).c_str(), s.worstStall() * 1e3, s.worstOwnStall() * 1e3);
            return std::string(text);
        };
        const std::string floor = f.floor.times.empty()
                                      ? "not measured"
                                      : ms(f.floor.medianTime()) + " / " + ms(f.floor.worstTime()) + " ms";
        std::printf("%-9s %4d | %-37s | %-37s | %-37s | %-37s | %-37s | %-15s | %s\n", manager.c_str(), f.apps,
                    cell(f.first).c_str(), cell(f.second).c_str(), cell(f.tray).c_str(), cell(f.reshow).c_str(),
                    cell(f.reshowAgain).c_str(), floor.c_str(), goals.empty() ? "all met" : goals.c_str());
        // Each re-show against the floor of its own round: what the program adds to the manager.
        if (!f.floor.times.empty()) {
            std::vector<double> added;
            for (const Step* s : {&f.reshow, &f.reshowAgain})
                for (size_t i = 0; i < s->times.size() && i < f.floor.times.size(); ++i)
                    if (s->times[i] >= 0 && f.floor.times[i] >= 0) added.push_back(s->times[i] - f.floor.times[i]);
            if (!added.empty())
                std::printf("%-9s  re-shows over their round's floor: median %+.0f ms, worst %+.0f ms\n", "",
                            median(added) * 1e3, *std::max_element(added.begin(), added.end()) * 1e3);
        }
        if (!f.trayNote.empty()) std::printf("%-9s  tray: %s\n", "", f.trayNote.c_str());
        std::fflush(stdout);
        if (!goals.empty()) ++missed;
    }
    return missed == 0 ? 0 : 2;
}
