// Whole-process measurement of the program with a very long workspace list, on a private Xvfb +
// Openbox, once per list length (default 5,000 and 50,000 workspaces of two apps each, each app
// with a 4 KB icon as a plain theme icon stored at 128 px would be):
//   L1  start until the start-up line is logged (the hot keys are grabbed before it), and the
//       resident memory then;
//   M   the first open of the tray menu (a small XEmbed tray docks the icon): a click on the icon
//       until the menu is mapped; Escape closes it again;
//   L2  `tessane --settings` handed over until the settings window is mapped;
//   L3  with the settings window open, the Super+Alt+1 hot key until both windows of the first
//       workspace are read back side by side (its show stores the container frame: a save of the
//       whole list, written off the main thread);
//   L4  Super+Alt+H until both are iconic, and the resident memory then.
// Usage: app_load_bench [count ...]
#include "BenchStats.h"
#include "WindowState.h"
#include "e2e/support/PrivateHome.h"
#include "platform/linux/x11/X11Connection.h"
#include "x11/support/X11TestServer.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

using namespace tessane;
using namespace std::chrono;
using tessane::testing::Bound;
using tessane::testing::waitFor;
using tessane::bench::clockSeconds;
using tessane::bench::wmState;

namespace {

constexpr int kWidth = 1920;

bool logHas(const std::string& file, const std::string& text) {
    std::ifstream in(file);
    std::string all((std::istreambuf_iterator<char>(in)), {});
    return all.find(text) != std::string::npos;
}

long residentKB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmRSS")) return std::atol(line.c_str() + line.find(':') + 1);
    return 0;
}

bool sideBySide(Display* d, Window left, Window right) {
    const auto l = x11test::outerFrame(d, left), r = x11test::outerFrame(d, right);
    return l && r && l->x + l->width <= kWidth / 2 + 24 && r->x >= kWidth / 2 - 24 && l->width > kWidth / 4 &&
           r->width > kWidth / 4;
}

bool settingsMapped(linux_backend::X11Connection& x) {
    for (auto w : x.windowList(x.root(), "_NET_CLIENT_LIST").value_or(std::vector<unsigned long>{}))
        if (x.text(w, "_NET_WM_NAME") == "Tessane Settings" && wmState(x.display(), w) == NormalState) return true;
    return false;
}

// The open menu: a viewable override-redirect window of the program that is none of its panels
// (those carry a window type of their own); none when closed.
unsigned long openMenu(linux_backend::X11Connection& x, long pid) {
    Display* d = x.display();
    const Atom panelType = XInternAtom(d, "_KDE_NET_WM_WINDOW_TYPE_OVERRIDE", False);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    unsigned long found = 0;
    if (!XQueryTree(d, x.root(), &root, &parent, &children, &n)) return 0;
    for (unsigned i = 0; i < n; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(d, children[i], &attributes) || attributes.map_state != IsViewable ||
            !attributes.override_redirect)
            continue;
        const auto owner = x.cardinals(children[i], "_NET_WM_PID").value_or(std::vector<long>{});
        if (owner.empty() || owner[0] != pid) continue;
        const auto types = x.atomList(children[i], "_NET_WM_WINDOW_TYPE").value_or(std::vector<linux_backend::XAtomId>{});
        if (std::find(types.begin(), types.end(), panelType) == types.end()) found = children[i];
    }
    if (children) XFree(children);
    return found;
}

int fail(const std::string& why) {
    std::fprintf(stderr, "app_load_bench: %s\n", why.c_str());
    return 1;
}

// One row of the table: the program with a list of N workspaces.
struct Row {
    double megabytes = 0, started = 0, menu = 0, settings = 0, hotKey = 0, hide = 0;
    long startRss = 0, rss = 0;
    bool menuOpened = false, opened = false, shown = false, hidden = false;
};

// The two clients of the list's workspaces; false when one did not come up.
bool startClients(x11test::X11TestServer& server, const e2e::PrivateHome& home,
                  std::vector<std::unique_ptr<x11test::ChildProcess>>& clients, std::vector<unsigned long>& windows) {
    for (const std::string name : {"Alpha", "Beta"}) {
        home.installApp(name);
        auto args = e2e::PrivateHome::clientArguments(name);
        args.insert(args.begin(), TESSANE_X11_CLIENT);
        clients.push_back(x11test::ChildProcess::start(args, server.display(), {}, true));
        auto line = clients.back()->waitForLine("window ", milliseconds(10000));
        if (!line) return false;
        windows.push_back(std::strtoul(line->c_str() + 7, nullptr, 16));
    }
    return true;
}

// M: a click on the docked icon until the menu is mapped; Escape closes it again.
std::optional<std::string> timeMenu(x11test::X11TestServer& server, linux_backend::X11Connection& x,
                                    x11test::ChildProcess& tray, pid_t pid, Row& row) {
    int iconX = 0, iconY = 0, iconWidth = 0, iconHeight = 0;
    unsigned long iconWindow = 0;
    const auto docked = tray.waitForLine("docked ", milliseconds(10000));
    if (!docked || std::sscanf(docked->c_str(), "docked 0x%lx %d,%d %dx%d", &iconWindow, &iconX, &iconY, &iconWidth,
                               &iconHeight) != 5)
        return "the tray docked no icon";
    const double t0 = clockSeconds();
    server.run({"xdotool", "mousemove", std::to_string(iconX + iconWidth / 2), std::to_string(iconY + iconHeight / 2),
                "click", "1"});
    row.menuOpened = waitFor([&] { return openMenu(x, pid) != 0; }, Bound{"the tray's menu", seconds(600)});
    row.menu = clockSeconds() - t0;
    server.run({"xdotool", "key", "Escape"});
    waitFor([&] { return openMenu(x, pid) == 0; }, Bound{"the tray's menu", seconds(600)});
    return std::nullopt;
}

// L2, L3 and L4, and the resident memory after them.
void timeSettingsAndKeys(x11test::X11TestServer& server, linux_backend::X11Connection& x,
                         const std::vector<unsigned long>& windows, pid_t pid, Row& row) {
    Display* d = x.display();
    double t0 = clockSeconds();
    server.run({TESSANE_APP, "--settings"});
    row.opened = waitFor([&] { return settingsMapped(x); }, Bound{"the settings window", seconds(600)});
    row.settings = clockSeconds() - t0;

    t0 = clockSeconds();
    server.run({"xdotool", "key", "super+alt+1"});
    row.shown = waitFor([&] { return sideBySide(d, windows[0], windows[1]); }, Bound{"a show", seconds(600)});
    row.hotKey = clockSeconds() - t0;

    t0 = clockSeconds();
    server.run({"xdotool", "key", "super+alt+h"});
    row.hidden = waitFor(
        [&] { return wmState(d, windows[0]) == IconicState && wmState(d, windows[1]) == IconicState; },
        Bound{"a hide", seconds(600)});
    row.hide = clockSeconds() - t0;
    row.rss = residentKB(pid);
}

// A row for a list of `count` workspaces, each app with `icon`; none (and why) when a step
// could not be taken.
std::optional<std::string> measure(x11test::X11TestServer& server, linux_backend::X11Connection& x, const Bytes& icon,
                                   size_t count, Row& row) {
    e2e::PrivateHome home(TESSANE_X11_CLIENT);
    std::vector<std::unique_ptr<x11test::ChildProcess>> clients;
    std::vector<unsigned long> windows;
    if (!startClients(server, home, clients, windows)) return "test client did not come up";
    auto list = home.longList(home.workspace("Pair", {"Alpha", "Beta"}), count);
    for (auto& workspace : list)
        for (auto& app : workspace.apps) app.iconData = icon;
    home.storeWorkspaces(list);
    row.megabytes = double(std::filesystem::file_size(home.workspacesFile())) / (1 << 20);

    auto tray = x11test::ChildProcess::start({TESSANE_TRAY_HOST, "--at", "1600,0"}, server.display(), {}, true);
    if (!tray || !tray->waitForLine("ready", milliseconds(10000))) return "the tray host did not come up";

    const std::string logFile = (home.root() / "tessane.log").string();
    const double t0 = clockSeconds();
    auto tessane = x11test::ChildProcess::start({TESSANE_APP}, server.display(), logFile);
    if (!tessane || !waitFor([&] { return logHas(logFile, "[Tessane][AX] launch:"); },
            Bound{"Tessane's start", seconds(600)}))
        return "Tessane did not start";
    row.started = clockSeconds() - t0;
    row.startRss = residentKB(tessane->pid());
    if (auto why = timeMenu(server, x, *tray, tessane->pid(), row)) return why;
    timeSettingsAndKeys(server, x, windows, tessane->pid(), row);
    ::kill(tessane->pid(), SIGTERM);
    tessane->wait(seconds(600));
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<size_t> counts;
    for (int i = 1; i < argc; ++i) counts.push_back(std::strtoul(argv[i], nullptr, 10));
    if (counts.empty()) counts = {5'000, 50'000};
    std::string error;
    auto server = x11test::X11TestServer::start(&error);
    if (!server) return fail(error);
    auto x = linux_backend::X11Connection::open(server->display().c_str());
    if (!x) return fail("no connection");
    const tessane::testing::EachWaitTurn pump([&] { x->processEvents(); });
    // A PNG signature before bytes as incompressible as a PNG's deflate stream.
    Bytes icon{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::mt19937 rng(7);
    while (icon.size() < 4096) icon.push_back(static_cast<uint8_t>(rng()));
    std::printf("app_load_bench: two running clients, the first workspace of N shown (Xvfb + Openbox)\n");
    std::printf("  %8s %12s %12s %12s %12s %14s %12s %10s %10s\n", "N", "file MB", "L1 start", "L1 RSS MB", "M menu",
                "L2 settings", "L3 hot key", "L4 hide", "RSS MB");
    for (const size_t count : counts) {
        Row r;
        if (auto why = measure(*server, *x, icon, count, r)) return fail(*why);
        std::printf("  %8zu %12.1f %10.0f ms %12.1f %10.0f ms%s %12.0f ms%s %10.0f ms%s %8.0f ms%s %10.1f\n", count,
                    r.megabytes, r.started * 1e3, r.startRss / 1024.0, r.menu * 1e3, r.menuOpened ? "" : "!",
                    r.settings * 1e3, r.opened ? "" : "!", r.hotKey * 1e3, r.shown ? "" : "!", r.hide * 1e3,
                    r.hidden ? "" : "!", r.rss / 1024.0);
    }
    std::printf("  (! marks a step that did not finish within 600 s)\n");
    return 0;
}
