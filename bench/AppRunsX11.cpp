#include "AppRunsX11.h"

#include "BenchStats.h"
#include "XReplyRecorder.h"
#include "platform/linux/x11/X11Connection.h"

#include <X11/Xlib-xcb.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>

namespace tessane::bench {

using namespace std::chrono;
using x11test::RootRect;

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

std::set<unsigned long> clientsOf(Display* d, pid_t pid) {
    const std::vector<unsigned long> bases = clientsOfProcess(d, pid);
    return {bases.begin(), bases.end()};
}

void typeChord(Display* d, const std::vector<KeySym>& keys) {
    for (KeySym k : keys) XTestFakeKeyEvent(d, XKeysymToKeycode(d, k), True, CurrentTime);
    for (auto k = keys.rbegin(); k != keys.rend(); ++k) XTestFakeKeyEvent(d, XKeysymToKeycode(d, *k), False, CurrentTime);
    XFlush(d);
}

void askMoves(linux_backend::X11Connection& x, const std::vector<unsigned long>& windows,
              const std::vector<RootRect>& placed) {
    for (size_t i = 0; i < windows.size(); ++i)
        x.requestMoveResize(windows[i], Point{double(placed[i].x), double(placed[i].y)},
                            Size{double(placed[i].width), double(placed[i].height)});
}

TileWatch::TileWatch(const std::string& display) : d_(XOpenDisplay(display.c_str())) {
    if (!d_) return;
    XSelectInput(d_, DefaultRootWindow(d_), SubstructureNotifyMask);
    XSync(d_, False);
}

TileWatch::~TileWatch() {
    if (d_) XCloseDisplay(d_);
}

void TileWatch::forget() {
    drain();
    lastMap_ = 0;
}

void TileWatch::listen(milliseconds period) {
    const double end = clockSeconds() + double(period.count()) / 1e3;
    for (double left = period.count() / 1e3; left > 0; left = end - clockSeconds()) {
        pollfd p{ConnectionNumber(d_), POLLIN, 0};
        ::poll(&p, 1, std::max(1, int(left * 1e3)));
        drain();
    }
}

bool TileWatch::waitTiled(const std::vector<unsigned long>& windows, milliseconds timeout) {
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

void TileWatch::drain() {
    const unsigned long idMask = xcb_get_setup(XGetXCBConnection(d_))->resource_id_mask;
    for (XEvent e; XPending(d_);) {
        XNextEvent(d_, &e);
        if (e.type == MapNotify && clients_.count(e.xmap.window & ~idMask)) lastMap_ = clockSeconds();
    }
}

KeyFloor::KeyFloor(const std::string& display, std::vector<unsigned long> windows, std::vector<RootRect> placed)
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

KeyFloor::~KeyFloor() {
    if (stop_[1] >= 0 && ::write(stop_[1], "x", 1) != 1) std::perror("app_runs_bench");
    if (thread_.joinable()) thread_.join();
    for (int fd : stop_)
        if (fd >= 0) ::close(fd);
}

}  // namespace tessane::bench
