// The connection itself: opening, the process-wide error handler, its death, error traps and atoms.
#include "platform/linux/x11/X11Connection.h"

#include "platform/linux/x11/X11DesktopModel.h"
#include "platform/linux/x11/X11EventInterests.h"
#include "platform/linux/x11/X11ManagerWatch.h"

#include <X11/Xatom.h>
#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>
#include <X11/extensions/Xrandr.h>

#include <poll.h>

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <mutex>
#include <utility>

namespace tessane::linux_backend {

namespace {

// Which connection a Display belongs to, for the one process-wide error handler.
struct ErrorRouting {
    std::mutex mutex;
    std::vector<std::pair<Display*, X11Connection*>> connections;
    XErrorHandler previous = nullptr;
    bool installed = false;
    // Told when a display that is not one of ours breaks (the toolkit's).
    Signal<std::string> otherBroken;
};

ErrorRouting& routing() {
    static ErrorRouting r;
    return r;
}

int handleXError(Display* display, XErrorEvent* error) {
    X11Connection* owner = nullptr;
    XErrorHandler previous = nullptr;
    {
        auto& r = routing();
        std::lock_guard lock(r.mutex);
        for (auto& [d, c] : r.connections)
            if (d == display) owner = c;
        previous = r.previous;
    }
    if (owner) {
        owner->noteError(error->serial, error->error_code, error->request_code);
        return 0;
    }
    // Another component's display (a toolkit's own Xlib connection): keep its behaviour.
    return previous ? previous(display, error) : 0;
}

// A broken connection: ours are marked broken (their listeners hear it); another display of the
// process (the toolkit's) is reported. Xlib then calls the display's exit handler.
int handleXIOError(Display* display) {
    X11Connection* owner = nullptr;
    {
        auto& r = routing();
        std::lock_guard lock(r.mutex);
        for (auto& [d, c] : r.connections)
            if (d == display) owner = c;
    }
    if (owner) owner->broken();
    else routing().otherBroken.emit("the toolkit's X connection closed");
    return 0;
}

// Xlib ends the process after a broken connection's handler unless this says otherwise; our
// connections keep the process running, marked broken, so that the quit can finish.
void keepRunningAfterBreak(Display*, void*) {}

// Atoms nearly every port needs, interned in one round trip when the connection opens.
const char* const kCommonAtoms[] = {
    "_NET_SUPPORTING_WM_CHECK", "_NET_WM_NAME", "UTF8_STRING", "_NET_CLIENT_LIST",
    "_NET_CLIENT_LIST_STACKING", "_NET_ACTIVE_WINDOW", "_NET_WM_PID", "_NET_WM_STATE",
    "_NET_WM_STATE_HIDDEN", "_NET_WM_STATE_FULLSCREEN", "_NET_WM_STATE_MAXIMIZED_VERT",
    "_NET_WM_STATE_MAXIMIZED_HORZ", "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_NORMAL",
    "_NET_WM_WINDOW_TYPE_DIALOG", "_NET_MOVERESIZE_WINDOW", "_NET_CLOSE_WINDOW", "WM_STATE",
    "_NET_WORKAREA", "_NET_WM_STRUT", "_NET_WM_STRUT_PARTIAL", "_NET_CURRENT_DESKTOP",
    "_NET_WM_DESKTOP", "_NET_FRAME_EXTENTS", "EDID",
};

}  // namespace

std::unique_ptr<X11Connection> X11Connection::open(const char* displayName, LogSink log) {
    Display* display = XOpenDisplay(displayName);
    if (!display) {
        if (log) log("[Tessane][X11] cannot open the X display " +
                     std::string(displayName ? displayName : "($DISPLAY)") + ".");
        return nullptr;
    }
    return std::unique_ptr<X11Connection>(new X11Connection(display, std::move(log)));
}

X11Connection::X11Connection(Display* display, LogSink log)
    : display_(display), root_(DefaultRootWindow(display)), log_(std::move(log)) {
    {
        auto& r = routing();
        std::lock_guard lock(r.mutex);
        if (!r.installed) {
            r.previous = XSetErrorHandler(handleXError);
            XSetIOErrorHandler(handleXIOError);
            r.installed = true;
        }
        r.connections.emplace_back(display, this);
    }
    XSetIOErrorExitHandler(display, keepRunningAfterBreak, nullptr);

    constexpr int count = sizeof(kCommonAtoms) / sizeof(kCommonAtoms[0]);
    Atom interned[count];
    const auto waited = trip(replies::kStart, 5);
    if (XInternAtoms(display, const_cast<char**>(kCommonAtoms), count, False, interned)) {
        for (int i = 0; i < count; ++i) atoms_.emplace(kCommonAtoms[i], interned[i]);
    }

    int eventBase = 0, errorBase = 0;
    // 4 more round trips above: the two extensions and their versions.
    if (XRRQueryExtension(display, &eventBase, &errorBase)) {
        int major = 0, minor = 0;
        if (XRRQueryVersion(display, &major, &minor) && (major > 1 || (major == 1 && minor >= 2))) {
            randrEventBase_ = eventBase;
            randrErrorBase_ = errorBase;
        }
    }
    if (XResQueryExtension(display, &eventBase, &errorBase)) {
        int major = 0, minor = 0;
        hasXRes_ = XResQueryVersion(display, &major, &minor) &&
                   (major > 1 || (major == 1 && minor >= 2));
    }
    const auto* setup = xcb_get_setup(XGetXCBConnection(display));
    idMask_ = setup->resource_id_mask;
    ownClients_.push_back(setup->resource_id_base);
    interests_ = std::make_unique<X11EventInterests>(*this);
    desktop_ = std::make_unique<X11DesktopModel>(*this);
    manager_ = std::make_unique<X11ManagerWatch>(*this);
    boundEvents();
}

bool X11Connection::madeByThisProcess(XWindowId window) const {
    const uint32_t client = clientOf(window);
    return client != 0 && std::find(ownClients_.begin(), ownClients_.end(), client) != ownClients_.end();
}

X11Connection::~X11Connection() {
    // Interests still held anywhere end with nothing asked; the read model's go with it.
    interests_.reset();
    desktop_.reset();
    {
        auto& r = routing();
        std::lock_guard lock(r.mutex);
        std::erase_if(r.connections, [this](auto& p) { return p.second == this; });
    }
    unboundEvents();
    // A broken display is left as it is: closing it would flush into the dead socket. Its memory
    // and descriptor go with the process, which is ending.
    if (probeBroken()) return;
    backlog_.drain([this](const X11EventBacklog::Raw& stored) {
        XEvent event;
        std::memcpy(&event, stored.data(), sizeof event);
        if (event.type == GenericEvent && event.xcookie.data) XFreeEventData(display_, &event.xcookie);
    });
    manager_.reset();  // its windows go before the display
    XCloseDisplay(display_);
}

void X11Connection::routeBrokenConnections() { XSetIOErrorHandler(handleXIOError); }

Subscription X11Connection::onOtherConnectionBroken(std::function<void(const std::string&)> listener) {
    return routing().otherBroken.subscribe(std::move(listener));
}

Subscription X11Connection::onBroken(std::function<void()> listener) {
    return brokenSignal_.subscribe(std::move(listener));
}

bool X11Connection::usable() {
    if (broken_) return false;
    if (xcb_connection_has_error(XGetXCBConnection(display_)) == 0) return true;
    markBroken("its socket failed");
    return false;
}

bool X11Connection::probeBroken() {
    if (!usable()) return true;
    // Nothing read or written since the server went: its end of the socket tells.
    pollfd p{fd(), POLLIN, 0};
    if (poll(&p, 1, 0) == 1 && (p.revents & (POLLHUP | POLLERR))) markBroken("the server closed it");
    return broken_;
}

void X11Connection::markBroken(const std::string& why) {
    if (broken_) return;
    broken_ = true;
    backlog_.drain([](const X11EventBacklog::Raw&) {});  // their extension data lives in Xlib, which is not asked again
    log("[Tessane][X11] The X connection broke (" + why + "): nothing more is asked of the X server.");
    brokenSignal_.emit();
}

void X11Connection::log(const std::string& line) const {
    if (log_) log_(line);
    else std::fprintf(stderr, "%s\n", line.c_str());
}

void X11Connection::noteError(unsigned long serial, int errorCode, int requestCode) {
    if (trapDepth_ > 0) {
        trapped_.push_back({serial, errorCode});
        return;
    }
    // A fire-and-forget request about a window that has gone in the meantime: expected.
    if (errorCode == BadWindow || errorCode == BadDrawable) return;
    log("[Tessane][X11] ignored X error " + std::to_string(errorCode) + " of request " +
        std::to_string(requestCode) + ".");
}

X11Connection::ErrorTrap::ErrorTrap(X11Connection& connection)
    : connection_(connection), firstSerial_(NextRequest(connection.display_)) {
    ++connection_.trapDepth_;
}

X11Connection::ErrorTrap::~ErrorTrap() {
    if (--connection_.trapDepth_ == 0) connection_.trapped_.clear();
}

X11Status X11Connection::ErrorTrap::received() const {
    for (auto& e : connection_.trapped_)
        if (e.serial >= firstSerial_) return {e.code};
    return {};
}

X11Status X11Connection::ErrorTrap::check() {
    if (!connection_.usable()) return {X11Status::noConnection};
    const auto waited = connection_.trip(replies::kRoundTrip);
    XSync(connection_.display_, False);
    return received();
}

int X11Connection::fd() const { return ConnectionNumber(display_); }

Size X11Connection::rootSize() { return desktop_->rootSize(); }

Size X11Connection::readRootSize() {
    if (!usable()) return {};
    const auto waited = trip(replies::kGeometry);
    Window rootReturn;
    int x, y;
    unsigned int width = 0, height = 0, border, depth;
    XGetGeometry(display_, root_, &rootReturn, &x, &y, &width, &height, &border, &depth);
    return {static_cast<double>(width), static_cast<double>(height)};
}

void X11Connection::flush() {
    if (usable()) XFlush(display_);
}
void X11Connection::sync() {
    if (!usable()) return;
    const auto waited = trip(replies::kRoundTrip);
    XSync(display_, False);
}

bool X11Connection::windowManagerRoundTrip(double timeoutSeconds) { return manager_->roundTrip(timeoutSeconds); }

XAtomId X11Connection::atom(std::string_view name) {
    if (auto it = atoms_.find(name); it != atoms_.end()) return it->second;
    if (!usable()) return 0;  // not kept: a name asked again later is asked of the server
    std::string key(name);
    const auto waited = trip(replies::kAtoms);
    Atom a = XInternAtom(display_, key.c_str(), False);
    atoms_.emplace(std::move(key), a);
    return a;
}

std::string X11Connection::atomName(XAtomId atom) {
    if (atom == 0 || !usable()) return {};
    ErrorTrap trap(*this);
    const auto waited = trip(replies::kAtoms);
    char* name = XGetAtomName(display_, atom);
    if (!name) return {};
    std::string result(name);
    XFree(name);
    return result;
}

}  // namespace tessane::linux_backend
