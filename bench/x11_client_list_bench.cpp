// Whole-process measurement: a second client replaces the root's _NET_CLIENT_LIST with many
// made-up ids (as any client may), on a private Xvfb + Openbox with three real clients, and the
// window, running-application and screen backends take the change in. For each list size:
//   - first change: every id is new; later: the same list with one id more (a further change),
//     then the window manager's own list back (every made-up id leaves);
//   - the longest single stall of the main thread (the event handling, then each slice the
//     backends left on the main queue), the total until the queue is idle, and the slices;
//   - screens() (struts of every listed client) right after the first change and once more;
//   - the same ids set as _NET_CLIENT_LIST_STACKING, then a real application's AXWindows and
//     the window list.
// Also the start-up of the backends while a long list is set.
// Usage: x11_client_list_bench [sizes...]   (default 10000 262144)
#include "StepQueue.h"
#include "platform/linux/windows/LinuxAccessibility.h"
#include "platform/linux/apps/LinuxAppCatalog.h"
#include "platform/linux/apps/LinuxRunningApplications.h"
#include "platform/linux/x11/LinuxScreens.h"
#include "platform/linux/windows/LinuxWindowList.h"
#include "x11/support/X11TestServer.h"

#include <X11/Xatom.h>
#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <string>
#include <vector>

using namespace tessane;
using namespace std::chrono;

namespace {

double clockSeconds() { return duration<double>(steady_clock::now().time_since_epoch()).count(); }

using bench::StepQueue;

struct Figure {
    double total = 0, longest = 0;
    int slices = 0;
};

// Every slice left on the queue, after what took `first` seconds.
Figure drain(StepQueue& queue, double start, double first) {
    Figure f;
    f.longest = first;
    for (;;) {
        const double t0 = clockSeconds();
        if (!queue.runOne()) break;
        f.longest = std::max(f.longest, clockSeconds() - t0);
        ++f.slices;
    }
    f.total = clockSeconds() - start;
    return f;
}

// The event that tells of the change, then every slice left on the queue.
Figure takeIn(linux_backend::X11Connection& x, StepQueue& queue) {
    x.sync();  // the other client's change was made before: its event is here now
    const double start = clockSeconds();
    x.processEvents();
    return drain(queue, start, clockSeconds() - start);
}

// The second client: sets the list as any client may.
struct Hostile {
    Display* display = nullptr;
    Atom clientList = 0, stackingList = 0;
    std::vector<long> managed;  // the window manager's own list

    void set(const std::vector<long>& ids) { set(clientList, ids); }
    void set(Atom list, const std::vector<long>& ids) {
        XChangeProperty(display, DefaultRootWindow(display), list, XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(ids.data()), static_cast<int>(ids.size()));
        XSync(display, False);
    }
    // Made-up ids, half in this client's own (unused) range, half of clients not connected;
    // the managed windows spread among them.
    std::vector<long> madeUp(long count) const {
        const xcb_setup_t* setup = xcb_get_setup(XGetXCBConnection(display));
        const long base = setup->resource_id_base, mask = setup->resource_id_mask;
        const long lastClient = 0x1FFFFFFFL & ~mask;
        std::vector<long> ids;
        const long step = count / static_cast<long>(managed.size() + 1);
        for (long i = 0; i < count; ++i) {
            ids.push_back(i % 2 ? (base | (mask - i / 2)) : ((lastClient - (i / 2 % 64) * (mask + 1)) | (i + 1)));
            if (step > 0 && (i + 1) % step == 0 && static_cast<size_t>((i + 1) / step) <= managed.size())
                ids.push_back(managed[(i + 1) / step - 1]);
        }
        return ids;
    }
};

void print(const char* what, const Figure& f) {
    std::printf("  %-34s total %9.1f ms   longest stall %7.1f ms   slices %d\n", what, f.total * 1e3,
                f.longest * 1e3, f.slices);
}

// Start-up while the longest list is set: the backends take it in before they answer.
void measureStartUp(linux_backend::X11Connection& x, StepQueue& queue, const LinuxAppCatalog& catalog,
                    Hostile& hostile, long size) {
    hostile.set(hostile.madeUp(size));
    x.sync();
    const double t0 = clockSeconds();
    linux_backend::LinuxScreens screens(x, queue);
    linux_backend::LinuxAccessibility ax(x, screens, queue);
    linux_backend::LinuxRunningApplications apps(x, ax, catalog, queue);
    const size_t atOnce = apps.runningApplications().size();
    const auto f = drain(queue, t0, clockSeconds() - t0);
    print(("start-up, " + std::to_string(size) + " ids listed").c_str(), f);
    std::printf("  (applications known at once: %zu, after the slices: %zu)\n", atOnce,
                apps.runningApplications().size());
    hostile.set(hostile.managed);
    takeIn(x, queue);
}

// The backends over the real clients, taking in what the hostile client sets.
struct Backends {
    linux_backend::X11Connection& x;
    StepQueue& queue;
    linux_backend::LinuxScreens& screens;
    linux_backend::LinuxAccessibility& ax;
    linux_backend::LinuxRunningApplications& apps;
    const std::vector<std::unique_ptr<x11test::ChildProcess>>& clients;
};

// `ids` set as the client list, one more, then the managed list back; how many checks failed.
int measureClientList(Backends& b, Hostile& hostile, std::vector<long>& ids) {
    hostile.set(ids);
    print("first change", takeIn(b.x, b.queue));
    for (int i = 0; i < 2; ++i) {
        const double t0 = clockSeconds();
        auto list = b.screens.screens();
        std::printf("  screens() %-24s total %9.1f ms\n", i == 0 ? "after it" : "once more", (clockSeconds() - t0) * 1e3);
    }
    ids.push_back(ids.back() + 1);
    hostile.set(ids);
    print("further change (one id more)", takeIn(b.x, b.queue));
    hostile.set(hostile.managed);
    print("back to the managed list", takeIn(b.x, b.queue));
    return b.apps.runningApplications().size() != b.clients.size() ? 1 : 0;  // the real ones stay
}

// `ids` set as the stacking list, then a real application's AXWindows and the window list read;
// how many checks failed.
int measureStackingList(Backends& b, Hostile& hostile, const std::vector<long>& ids) {
    int failures = 0;
    const auto stacking = b.x.windowList(b.x.root(), "_NET_CLIENT_LIST_STACKING");
    hostile.set(hostile.stackingList, ids);
    print("stacking list change", takeIn(b.x, b.queue));
    const AXElement app = b.ax.applicationElement(b.clients.front()->pid());
    for (int i = 0; i < 2; ++i) {
        const double t0 = clockSeconds();
        auto windows = b.ax.copyAttribute(app, ax::kWindows);
        std::printf("  AXWindows %-24s total %9.1f ms\n", i == 0 ? "after it" : "once more",
                    (clockSeconds() - t0) * 1e3);
        if (!windows.ok() || !windows.value.asArray() || windows.value.asArray()->size() != 1) ++failures;
    }
    const linux_backend::LinuxWindowList windowList(b.x, b.ax);
    for (int i = 0; i < 2; ++i) {
        const double t0 = clockSeconds();
        const auto entries = windowList.windows(WindowList::Option::allWindows);
        std::printf("  window list %-22s total %9.1f ms\n", i == 0 ? "after it" : "once more",
                    (clockSeconds() - t0) * 1e3);
        if (!entries || entries->size() > b.clients.size() + 8) ++failures;
    }
    if (stacking) hostile.set(hostile.stackingList, std::vector<long>(stacking->begin(), stacking->end()));
    takeIn(b.x, b.queue);
    return failures;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<long> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::max(1L, std::atol(argv[i])));
    if (sizes.empty()) sizes = {10000, 262144};

    std::string error;
    auto server = x11test::X11TestServer::start(&error);
    if (!server) {
        std::fprintf(stderr, "x11_client_list_bench: %s\n", error.c_str());
        return 1;
    }
    std::vector<std::unique_ptr<x11test::ChildProcess>> clients;
    for (int i = 0; i < 3; ++i) {
        clients.push_back(x11test::ChildProcess::start({TESSANE_X11_CLIENT, "--class", "real" + std::to_string(i) + ".Real"},
                                                       server->display(), {}, true));
        if (!clients.back()->waitForLine("ready", milliseconds(10000))) {
            std::fprintf(stderr, "x11_client_list_bench: test client did not come up\n");
            return 1;
        }
    }

    Hostile hostile;
    hostile.display = XOpenDisplay(server->display().c_str());
    hostile.clientList = XInternAtom(hostile.display, "_NET_CLIENT_LIST", False);
    hostile.stackingList = XInternAtom(hostile.display, "_NET_CLIENT_LIST_STACKING", False);
    auto x = linux_backend::X11Connection::open(server->display().c_str());
    if (!hostile.display || !x) {
        std::fprintf(stderr, "x11_client_list_bench: cannot connect\n");
        return 1;
    }
    if (auto list = x->windowList(x->root(), "_NET_CLIENT_LIST"))
        for (auto w : *list) hostile.managed.push_back(static_cast<long>(w));

    StepQueue queue;
    LinuxAppCatalog::Folders folders;
    folders.dataHome = "/nonexistent/tessane-bench";
    LinuxAppCatalog catalog(folders, nullptr);

    std::printf("x11_client_list_bench: a second client sets _NET_CLIENT_LIST (Xvfb + Openbox, 3 real clients)\n");
    measureStartUp(*x, queue, catalog, hostile, sizes.back());

    linux_backend::LinuxScreens screens(*x, queue);
    linux_backend::LinuxAccessibility ax(*x, screens, queue);
    linux_backend::LinuxRunningApplications apps(*x, ax, catalog, queue);
    Backends backends{*x, queue, screens, ax, apps, clients};
    int failures = 0;
    for (long n : sizes) {
        std::printf(" %ld made-up ids:\n", n);
        auto ids = hostile.madeUp(n);
        failures += measureClientList(backends, hostile, ids);
        failures += measureStackingList(backends, hostile, ids);
    }
    XCloseDisplay(hostile.display);
    return failures == 0 ? 0 : 2;
}
