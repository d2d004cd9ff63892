// The connection itself: opening, the process-wide error handler, atoms and events.
#include "platform/linux/X11Connection.h"

#include "platform/linux/X11DesktopModel.h"

#include <X11/Xatom.h>
#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XRes.h>
#include <X11/extensions/Xrandr.h>

#include <poll.h>

#include <algorithm>
#include <chrono>
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

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

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
    trip();
    if (XInternAtoms(display, const_cast<char**>(kCommonAtoms), count, False, interned)) {
        for (int i = 0; i < count; ++i) atoms_.emplace(kCommonAtoms[i], interned[i]);
    }

    int eventBase = 0, errorBase = 0;
    trip(4);  // the two extensions and their versions
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
    desktop_ = std::make_unique<X11DesktopModel>(*this);
}

bool X11Connection::madeByThisProcess(XWindowId window) const {
    const uint32_t client = clientOf(window);
    return client != 0 && std::find(ownClients_.begin(), ownClients_.end(), client) != ownClients_.end();
}

X11Connection::~X11Connection() {
    {
        auto& r = routing();
        std::lock_guard lock(r.mutex);
        std::erase_if(r.connections, [this](auto& p) { return p.second == this; });
    }
    // A broken display is left as it is: closing it would flush into the dead socket. Its memory
    // and descriptor go with the process, which is ending.
    if (probeBroken()) return;
    for (auto& stored : drained_) {
        XEvent event;
        std::memcpy(&event, stored.data(), sizeof event);
        if (event.type == GenericEvent && event.xcookie.data) XFreeEventData(display_, &event.xcookie);
    }
    if (pingWindow_) XDestroyWindow(display_, pingWindow_);
    if (echoWindow_) XDestroyWindow(display_, echoWindow_);
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
    drained_.clear();  // their extension data lives in Xlib, which is not asked again
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
    connection_.trip();
    XSync(connection_.display_, False);
    return received();
}

int X11Connection::fd() const { return ConnectionNumber(display_); }

Size X11Connection::rootSize() { return desktop_->rootSize(); }

Size X11Connection::readRootSize() {
    if (!usable()) return {};
    trip();
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
    trip();
    XSync(display_, False);
}

XAtomId X11Connection::atom(std::string_view name) {
    if (auto it = atoms_.find(name); it != atoms_.end()) return it->second;
    if (!usable()) return 0;  // not kept: a name asked again later is asked of the server
    std::string key(name);
    trip();
    Atom a = XInternAtom(display_, key.c_str(), False);
    atoms_.emplace(std::move(key), a);
    return a;
}

std::string X11Connection::atomName(XAtomId atom) {
    if (atom == 0 || !usable()) return {};
    ErrorTrap trap(*this);
    trip();
    char* name = XGetAtomName(display_, atom);
    if (!name) return {};
    std::string result(name);
    XFree(name);
    return result;
}

Subscription X11Connection::onEvent(std::function<void(const X11Event&)> listener) {
    return events_.subscribe(std::move(listener));
}

bool X11Connection::hasQueuedEvents() const {
    if (broken_) return false;
    return !drained_.empty() || XEventsQueued(display_, QueuedAlready) > 0;
}

void X11Connection::processEvents() {
    // The events the read model took ahead come first: they are older than anything Xlib holds.
    // Listeners may make requests that queue further events, which this loop then hands out too.
    while (usable()) {
        XEvent event;
        bool noted = false;
        if (!drained_.empty()) {
            std::memcpy(&event, drained_.front().data(), sizeof event);
            drained_.pop_front();
            noted = true;
        } else if (XPending(display_) > 0) {
            XNextEvent(display_, &event);
            if (event.type == GenericEvent) XGetEventData(display_, &event.xcookie);
        } else {
            break;
        }
        dispatch(&event, noted);
    }
}

void X11Connection::dispatch(void* raw, bool noted) {
    XEvent& event = *static_cast<XEvent*>(raw);
    if (randrEventBase_ >= 0) XRRUpdateConfiguration(&event);
    // Xlib keeps its own copy of the keyboard and modifier maps; until it is refreshed,
    // keysym lookups answer the old layout. Pointer button mappings are not ours.
    if (event.type == MappingNotify && event.xmapping.request != MappingPointer)
        XRefreshKeyboardMapping(&event.xmapping);
    if (event.type == GenericEvent && event.xcookie.data) {
        X11Event out = convert(&event);
        out.kind = X11Event::Kind::generic;
        out.extension = event.xcookie.extension;
        out.evtype = event.xcookie.evtype;
        if (out.evtype >= XI_RawKeyPress && out.evtype <= XI_RawMotion)
            out.detail = static_cast<uint32_t>(static_cast<const XIRawEvent*>(event.xcookie.data)->detail);
        XFreeEventData(display_, &event.xcookie);
        events_.emit(out);
        return;
    }
    const X11Event out = convert(&event);
    if (!noted) desktop_->note(out);
    if (out.kind == X11Event::Kind::property && pingWindow_ && out.window == pingWindow_ &&
        out.atom == atom("_NET_FRAME_EXTENTS")) {
        // The manager's answer to a round trip, maybe one given up on: it does answer after all.
        ++pingAnswersHeard_;
        if (pingAnswers_ == PingAnswers::unanswered) pingAnswers_ = PingAnswers::answered;
    }
    events_.emit(out);
}

void X11Connection::peekQueuedEvents() {
    // Takes every event the server has sent (without blocking) out of Xlib's queue into ours,
    // telling the read model of each; processEvents hands them out later, in order. Leaving them
    // in Xlib's queue would stop Xlib from reading the newer ones until they were taken.
    // What Xlib already holds is looked at every time (no system call). The socket is read once
    // a turn and once after each answer waited for: the events that came before that answer are
    // then in hand, so a read after a change never leaves the model behind it; what arrives
    // later in the turn is news for the next one, as if the turn had run a moment earlier.
    const bool readSocket = !readsByTurn_ || socketReadDue_ || tripsAtSocketRead_ != roundTrips_;
    if (readSocket) {
        socketReadDue_ = false;
        tripsAtSocketRead_ = roundTrips_;
        ++socketReads_;
    }
    const int mode = readSocket ? QueuedAfterReading : QueuedAlready;
    while (usable() && XEventsQueued(display_, mode) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        // An extension's event carries data that is freed at the next XNextEvent unless claimed.
        if (event.type == GenericEvent) XGetEventData(display_, &event.xcookie);
        desktop_->note(convert(&event));
        static_assert(sizeof(XEvent) == sizeof(std::array<long, 24>));
        std::memcpy(drained_.emplace_back().data(), &event, sizeof event);
    }
}

bool X11Connection::waitAndProcess(int timeoutMs) {
    if (!usable()) return false;
    if (!hasQueuedEvents()) {
        XFlush(display_);
        pollfd p{fd(), POLLIN, 0};
        if (poll(&p, 1, timeoutMs) <= 0) return false;
    }
    bool any = false;
    auto counting = events_.subscribe([&any](const X11Event&) { any = true; });
    processEvents();
    return any;
}

X11Event X11Connection::convert(const void* raw) const {
    const XEvent& ev = *static_cast<const XEvent*>(raw);
    X11Event out;
    out.serial = ev.xany.serial;
    out.synthetic = ev.xany.send_event;
    out.window = ev.xany.window;
    out.eventWindow = ev.xany.window;
    switch (ev.type) {
    case ConfigureNotify:
        // The root itself: the server tells of monitors a client sets up or removes by hand
        // (RandR's virtual monitors) only this way, as it does of a new screen size.
        out.kind = ev.xconfigure.window == static_cast<Window>(root_) ? X11Event::Kind::screensChanged
                                                                       : X11Event::Kind::configure;
        out.window = ev.xconfigure.window;
        out.eventWindow = ev.xconfigure.event;
        out.rect = Rect(ev.xconfigure.x, ev.xconfigure.y, ev.xconfigure.width, ev.xconfigure.height);
        out.borderWidth = ev.xconfigure.border_width;
        out.overrideRedirect = ev.xconfigure.override_redirect;
        out.aboveSibling = ev.xconfigure.above;
        break;
    case CirculateNotify:
        out.kind = X11Event::Kind::circulate;
        out.window = ev.xcirculate.window;
        out.eventWindow = ev.xcirculate.event;
        break;
    case DestroyNotify:
        out.kind = X11Event::Kind::destroy;
        out.window = ev.xdestroywindow.window;
        out.eventWindow = ev.xdestroywindow.event;
        break;
    case MapNotify:
        out.kind = X11Event::Kind::map;
        out.window = ev.xmap.window;
        out.eventWindow = ev.xmap.event;
        out.overrideRedirect = ev.xmap.override_redirect;
        break;
    case UnmapNotify:
        out.kind = X11Event::Kind::unmap;
        out.window = ev.xunmap.window;
        out.eventWindow = ev.xunmap.event;
        break;
    case CreateNotify:
        out.kind = X11Event::Kind::create;
        out.window = ev.xcreatewindow.window;
        out.eventWindow = ev.xcreatewindow.parent;
        break;
    case ReparentNotify:
        out.kind = X11Event::Kind::reparent;
        out.window = ev.xreparent.window;
        out.eventWindow = ev.xreparent.event;
        out.parent = ev.xreparent.parent;
        break;
    case PropertyNotify:
        out.kind = X11Event::Kind::property;
        out.atom = ev.xproperty.atom;
        out.deleted = ev.xproperty.state == PropertyDelete;
        break;
    case KeyPress:
    case KeyRelease:
        out.kind = ev.type == KeyPress ? X11Event::Kind::keyPress : X11Event::Kind::keyRelease;
        out.keycode = ev.xkey.keycode;
        out.modifiers = ev.xkey.state;
        break;
    case MappingNotify:
        if (ev.xmapping.request != MappingPointer) {
            out.kind = X11Event::Kind::keyboardMapping;
            out.window = root_;
            out.eventWindow = root_;
        }
        break;
    default:
        if (randrEventBase_ >= 0 && (ev.type == randrEventBase_ + RRScreenChangeNotify ||
                                     ev.type == randrEventBase_ + RRNotify)) {
            out.kind = X11Event::Kind::screensChanged;
            out.window = root_;
        }
        break;
    }
    return out;
}

bool X11Connection::waitFor(const std::function<bool()>& condition, double timeoutSeconds) {
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + std::chrono::duration<double>(timeoutSeconds);
    for (;;) {
        processEvents();
        if (condition()) return true;
        if (probeBroken()) return false;  // nothing more will come
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock::now());
        if (left.count() <= 0) return false;
        if (hasQueuedEvents()) continue;  // taken ahead by the read model while the condition read
        XFlush(display_);
        pollfd p{fd(), POLLIN, 0};
        poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 50)));
    }
}

bool X11Connection::windowManagerRoundTrip(double timeoutSeconds) {
    // A manager that does not list the message would never answer it (KWin), and one that lists
    // it and did not answer (Fluxbox) is not asked again: a round trip of our own then has the
    // server hand everything sent so far to the manager, and its moves are confirmed by their
    // configure events (see LinuxAccessibility::setFrames).
    if (!usable()) return false;
    if (windowManagerDeclinesPings()) {
        sync();
        processEvents();
        return true;
    }
    if (pingAnswers_ == PingAnswers::unknown && probeSentAt_ >= 0) {
        // The question asked ahead: answered by now, or left unanswered long enough to tell.
        processEvents();
        if (pingAnswersHeard_ > probeBaseline_) {
            pingAnswers_ = PingAnswers::answered;
        } else if (steadySeconds() - probeSentAt_ >= kPingLearningSeconds) {
            learnPingsUnanswered();
            sync();
            processEvents();
            return true;
        }
    }
    trip();
    // Answers come in the order asked: one to a question asked ahead and still open comes first.
    const bool probeOpen = pingAnswers_ == PingAnswers::unknown && probeSentAt_ >= 0;
    const uint64_t first = pingAnswersHeard_ + 1;
    const uint64_t needed = pingAnswersHeard_ + (probeOpen ? 2 : 1);
    sendPing();
    if (pingAnswers_ == PingAnswers::unknown && timeoutSeconds >= kPingLearningSeconds) {
        // A manager not yet heard answering gets a short while, from its first question, to show
        // that it does: one that never will would otherwise cost every caller its whole time-out,
        // every time.
        const double left = probeOpen ? std::max(0.0, kPingLearningSeconds - (steadySeconds() - probeSentAt_))
                                      : kPingLearningSeconds;
        if (!waitFor([&] { return pingAnswersHeard_ >= first; }, left)) {
            learnPingsUnanswered();
            sync();
            processEvents();
            return true;
        }
        pingAnswers_ = PingAnswers::answered;
    }
    return waitFor([&] { return pingAnswersHeard_ >= needed; }, timeoutSeconds);
}

void X11Connection::probeWindowManager() {
    if (windowManagerDeclinesPings() || pingAnswers_ != PingAnswers::unknown || probeSentAt_ >= 0) return;
    probeBaseline_ = pingAnswersHeard_;
    probeSentAt_ = steadySeconds();
    sendPing();
}

void X11Connection::sendPing() {
    if (!usable()) return;
    if (!pingWindow_) {
        XSetWindowAttributes attributes{};
        attributes.event_mask = PropertyChangeMask;
        pingWindow_ = XCreateWindow(display_, root_, -10, -10, 1, 1, 0, 0, InputOnly, CopyFromParent,
                                    CWEventMask, &attributes);
    }
    sendToWindowManager(pingWindow_, "_NET_REQUEST_FRAME_EXTENTS", {0, 0, 0, 0, 0});
}

void X11Connection::learnPingsUnanswered() {
    pingAnswers_ = PingAnswers::unanswered;
    // The name is any client's to set: a short, printable part of it goes to the log.
    std::string name = windowManagerName().value_or("The window manager").substr(0, 64);
    std::replace_if(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }, '?');
    log("[Tessane][X11] " + name +
        " lists _NET_REQUEST_FRAME_EXTENTS but does not answer it: its moves are confirmed by their configure "
        "events from now on.");
}

bool X11Connection::windowManagerDeclinesPings() {
    const auto supported = atomList(root_, "_NET_SUPPORTED");
    if (!supported) return false;
    const XAtomId ping = atom("_NET_REQUEST_FRAME_EXTENTS");
    if (std::find(supported->begin(), supported->end(), ping) == supported->end()) return true;
    return pingsUnreliable();
}

XWindowId X11Connection::currentManagerCheck() {
    const auto check = windowList(root_, "_NET_SUPPORTING_WM_CHECK");
    return check && !check->empty() ? (*check)[0] : 0;
}

bool X11Connection::pingsUnreliable() {
    // What one manager did says nothing of the next one.
    if (const XWindowId manager = currentManagerCheck(); manager != pingManager_) {
        pingManager_ = manager;
        pingAnswers_ = PingAnswers::unknown;
        probeSentAt_ = -1;
    }
    return pingAnswers_ == PingAnswers::unanswered;
}

unsigned long X11Connection::lastRequestSerial() const { return NextRequest(display_) - 1; }

std::optional<X11Connection::WindowManager> X11Connection::windowManager() {
    // A window manager that died leaves the root property behind; the check window itself must
    // still exist and point at itself.
    if (auto check = windowList(root_, "_NET_SUPPORTING_WM_CHECK"); check && !check->empty() && (*check)[0] != 0) {
        const XWindowId child = (*check)[0];
        auto self = windowList(child, "_NET_SUPPORTING_WM_CHECK");
        if (self && !self->empty() && (*self)[0] == child)
            return WindowManager{text(child, "_NET_WM_NAME").value_or(std::string()), child};
    }
    if (!usable()) return std::nullopt;
    const Window owner =
        XGetSelectionOwner(display_, static_cast<Atom>(atom("WM_S" + std::to_string(DefaultScreen(display_)))));
    const auto supported = atomList(root_, "_NET_SUPPORTED");
    if (owner == None || !supported || supported->empty()) return std::nullopt;
    return WindowManager{std::string(), static_cast<XWindowId>(owner)};
}

std::optional<std::string> X11Connection::windowManagerName() {
    auto manager = windowManager();
    if (!manager) return std::nullopt;
    return std::move(manager->name);
}

}  // namespace tessane::linux_backend
