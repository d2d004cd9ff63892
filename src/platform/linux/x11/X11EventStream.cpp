// The event stream: events taken from the server ahead for the read model, handed to the
// listeners in order, converted from Xlib's, and the waits that process them.
#include "platform/linux/x11/X11Connection.h"

#include "platform/linux/x11/X11ManagerWatch.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/Xrandr.h>

#include <poll.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <utility>

namespace tessane::linux_backend {

Subscription X11Connection::onEvent(std::function<void(const X11Event&)> listener) {
    return events_.subscribe(std::move(listener));
}

Subscription X11Connection::onArrival(std::function<void(const X11Event&)> listener) {
    return arrivals_.subscribe(std::move(listener));
}

Subscription X11Connection::onPropertyWritten(std::function<void(XWindowId, XAtomId)> listener) {
    return written_.subscribe(std::move(listener));
}

void X11Connection::arrived(const X11Event& e) {
    // Heard on the window itself, or on the root of one of its children: it is gone, and an id
    // made again names another window, whose mask is asked afresh. Interests in it that end
    // while it is told of ask nothing of the server.
    if (e.kind == X11Event::Kind::destroy && (e.window == e.eventWindow || e.eventWindow == root_))
        forgetEventMask(e.window);
    arrivals_.emit(e);
}

bool X11Connection::hasQueuedEvents() const {
    if (broken_) return false;
    return !backlog_.empty() || backlog_.resyncOwed() || XEventsQueued(display_, QueuedAlready) > 0;
}

void X11Connection::processEvents() {
    // The events the read model took ahead come first: they are older than anything Xlib holds.
    // Every event in hand is handed out (listeners' requests queue further ones, handed out too),
    // but the socket is read once at most: read again each time the queue ran dry, a client
    // flooding the server with events about its own windows would keep this loop, and every wait
    // that looks at its condition between two calls, going for as long as it floods. What comes
    // meanwhile is the next call's: the socket is readable again.
    bool read = false;
    size_t handedOut = 0;
    noteBacklog();
    while (usable()) {
        XEvent event;
        bool noted = false;
        if (!backlog_.empty()) {
            const auto held = backlog_.pop();
            std::memcpy(&event, held.data(), sizeof event);
            noted = true;
        } else if (XEventsQueued(display_, QueuedAlready) > 0) {
            XNextEvent(display_, &event);
            if (event.type == GenericEvent) XGetEventData(display_, &event.xcookie);
        } else if (!std::exchange(read, true) && XPending(display_) > 0) {
            settleDrops();
            noteBacklog();
            continue;
        } else {
            break;
        }
        dispatch(&event, noted);
        ++handedOut;
    }
    settleDrops();
    // Told after every event kept from before the drop; what they read is read afresh.
    if (backlog_.takeResync() && usable()) {
        X11Event resync;
        resync.kind = X11Event::Kind::resync;
        resync.window = resync.eventWindow = root_;
        events_.emit(resync);
    }
    releaseBacklog(handedOut);
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
    if (!noted) arrived(out);
    noteKept(event.type);
    manager_->heard(out);
    events_.emit(out);
}

void X11Connection::peekQueuedEvents() {
    // Takes every event the server has sent (without blocking) out of Xlib's queue into ours,
    // telling the arrival listeners (the read model) of each; processEvents hands them out later,
    // in order. Leaving them in Xlib's queue would stop Xlib from reading the newer ones until
    // they were taken.
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
    // What Xlib holds, then what one read of the socket brings: not a read again each time the
    // queue runs dry, which under a client's flood of events would go on for as long as the
    // flood and pile everything up here.
    const auto take = [this](int count) {
        for (; count > 0 && usable(); --count) {
            XEvent event;
            XNextEvent(display_, &event);
            // An extension's event carries data that is freed at the next XNextEvent unless claimed.
            if (event.type == GenericEvent) XGetEventData(display_, &event.xcookie);
            arrived(convert(&event));
            hold(&event);
        }
    };
    if (!usable()) return;
    take(XEventsQueued(display_, QueuedAlready));
    if (readSocket && usable()) take(XEventsQueued(display_, QueuedAfterReading));
    settleDrops();
    noteBacklog();
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

namespace {

// The events about a window's structure (a configure, a map, a destroy, ...); false for others.
bool windowEvent(const XEvent& ev, Window root, X11Event& out) {
    switch (ev.type) {
    case ConfigureNotify:
        // The root itself: the server tells of monitors a client sets up or removes by hand
        // (RandR's virtual monitors) only this way, as it does of a new screen size.
        out.kind = ev.xconfigure.window == root ? X11Event::Kind::screensChanged : X11Event::Kind::configure;
        out.window = ev.xconfigure.window;
        out.eventWindow = ev.xconfigure.event;
        out.rect = Rect(ev.xconfigure.x, ev.xconfigure.y, ev.xconfigure.width, ev.xconfigure.height);
        out.borderWidth = ev.xconfigure.border_width;
        out.overrideRedirect = ev.xconfigure.override_redirect;
        out.aboveSibling = ev.xconfigure.above;
        return true;
    case CirculateNotify:
        out.kind = X11Event::Kind::circulate;
        out.window = ev.xcirculate.window;
        out.eventWindow = ev.xcirculate.event;
        return true;
    case DestroyNotify:
        out.kind = X11Event::Kind::destroy;
        out.window = ev.xdestroywindow.window;
        out.eventWindow = ev.xdestroywindow.event;
        return true;
    case MapNotify:
        out.kind = X11Event::Kind::map;
        out.window = ev.xmap.window;
        out.eventWindow = ev.xmap.event;
        out.overrideRedirect = ev.xmap.override_redirect;
        return true;
    case UnmapNotify:
        out.kind = X11Event::Kind::unmap;
        out.window = ev.xunmap.window;
        out.eventWindow = ev.xunmap.event;
        return true;
    case CreateNotify:
        out.kind = X11Event::Kind::create;
        out.window = ev.xcreatewindow.window;
        out.eventWindow = ev.xcreatewindow.parent;
        return true;
    case ReparentNotify:
        out.kind = X11Event::Kind::reparent;
        out.window = ev.xreparent.window;
        out.eventWindow = ev.xreparent.event;
        out.parent = ev.xreparent.parent;
        return true;
    default: return false;
    }
}

}  // namespace

X11Event X11Connection::convert(const void* raw) const {
    const XEvent& ev = *static_cast<const XEvent*>(raw);
    X11Event out;
    out.serial = ev.xany.serial;
    out.synthetic = ev.xany.send_event;
    out.window = ev.xany.window;
    out.eventWindow = ev.xany.window;
    if (windowEvent(ev, static_cast<Window>(root_), out)) return out;
    switch (ev.type) {
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


unsigned long X11Connection::lastRequestSerial() const { return NextRequest(display_) - 1; }

}  // namespace tessane::linux_backend
