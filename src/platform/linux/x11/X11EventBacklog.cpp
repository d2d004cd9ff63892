// The backlog of events: what is held of it bounded, and the memory it took given back once it is
// worked off. Another client flooding the server (windows made and destroyed without pause) can
// leave hundreds of thousands of events in hand at once, the price of reading up to the answer of
// one request; on a busy machine that falls behind the flood, millions.
// - Held for the listeners, a window's later configure or property change takes the place of the
//   one before it (X11EventBacklog).
// - Over X11EventBacklog::kBound events in hand, what the root hears of other programs' windows (made,
//   moved, mapped, reparented, gone) is dropped as Xlib takes it from the server. The read model
//   then lets go of everything it derived from such events and reads again what it is asked, and
//   the listeners are told (Kind::resync) to read again what they follow. Property changes and
//   what is heard on a window itself (the windows the program watches, ours) are never dropped:
//   a window's own news comes once per window and property, after coalescing.
// - Xlib keeps every element its queue ever held on a free list of its own for reuse, and the
//   allocator keeps what was freed: without giving it back the process stays at its largest
//   backlog for as long as it runs.
#include "platform/linux/x11/X11Connection.h"

#include "platform/linux/x11/X11DesktopModel.h"

#include <X11/Xlib.h>
#include <X11/Xlibint.h>
// Xlibint's own.
#undef min
#undef max

#include <malloc.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace tessane::linux_backend {

void X11EventBacklog::push(const Raw& event, unsigned long window, const Key& key, bool coalescing) {
    const uint64_t next = first_ + held_.size();
    auto [last, fresh] = lastAbout_.try_emplace(Heard{window, key.eventWindow}, next);
    if (!fresh && coalescing) {
        Held& before = held_[last->second - first_];
        if (before.coalescing && before.key == key) {
            before.event = event;
            ++counts.coalesced;
            return;
        }
    }
    last->second = next;
    held_.push_back(Held{event, window, key, coalescing});
}

X11EventBacklog::Raw X11EventBacklog::pop() {
    Held& front = held_.front();
    if (const auto it = lastAbout_.find(Heard{front.window, front.key.eventWindow});
        it != lastAbout_.end() && it->second == first_)
        lastAbout_.erase(it);
    const Raw event = front.event;
    held_.pop_front();
    ++first_;
    return event;
}

void X11EventBacklog::release() {
    if (!held_.empty()) return;
    std::deque<Held>().swap(held_);
    std::unordered_map<Heard, uint64_t, HeardHash>().swap(lastAbout_);
}

namespace {

using WireToEvent = Bool (*)(Display*, XEvent*, xEvent*);

// The events a flood is made of, which Xlib hands to us (ConfigureNotify, CreateNotify, ...).
constexpr int kFloodTypes[] = {CreateNotify, DestroyNotify, UnmapNotify, MapNotify, ReparentNotify,
                               ConfigureNotify, GravityNotify, CirculateNotify, PropertyNotify};

// Which connection a display's events are converted for, and Xlib's own conversions they wrap.
struct Converters {
    std::mutex mutex;
    std::vector<std::pair<Display*, X11Connection*>> connections;
    WireToEvent original[LASTEvent] = {};
};

Converters& converters() {
    static Converters c;
    return c;
}

Bool convertWire(Display* display, XEvent* out, xEvent* wire) {
    auto& c = converters();
    X11Connection* owner = nullptr;
    WireToEvent original = nullptr;
    {
        std::lock_guard lock(c.mutex);
        for (auto& [d, connection] : c.connections)
            if (d == display) owner = connection;
        original = c.original[wire->u.u.type & 0x7f];
    }
    if (!original || !original(display, out, wire)) return False;
    return !owner || owner->admits(out) ? True : False;
}

// The window an event of kFloodTypes is about (its xany.window is the one it was heard on).
unsigned long subjectOf(const XEvent& e) {
    switch (e.type) {
    case CreateNotify: return e.xcreatewindow.window;
    case DestroyNotify: return e.xdestroywindow.window;
    case UnmapNotify: return e.xunmap.window;
    case MapNotify: return e.xmap.window;
    case ReparentNotify: return e.xreparent.window;
    case ConfigureNotify: return e.xconfigure.window;
    case GravityNotify: return e.xgravity.window;
    case CirculateNotify: return e.xcirculate.window;
    default: return e.xany.window;
    }
}

bool floodType(int type) {
    return std::find(std::begin(kFloodTypes), std::end(kFloodTypes), type) != std::end(kFloodTypes);
}

}  // namespace

void X11Connection::boundEvents() {
    auto& c = converters();
    std::lock_guard lock(c.mutex);
    c.connections.emplace_back(display_, this);
    for (int type : kFloodTypes) {
        const WireToEvent before = XESetWireToEvent(display_, type, convertWire);
        if (before != convertWire) c.original[type] = before;
    }
}

void X11Connection::unboundEvents() {
    auto& c = converters();
    std::lock_guard lock(c.mutex);
    std::erase_if(c.connections, [this](auto& p) { return p.second == this; });
}

bool X11Connection::admits(const void* raw) {
    // Called by Xlib as it takes an event from the server, with the display locked: nothing here
    // may ask Xlib for anything.
    const XEvent& e = *static_cast<const XEvent*>(raw);
    ++backlog_.counts.read;
    const unsigned long window = subjectOf(e);
    if (e.type == PropertyNotify || e.xany.window != root_ || window == root_ || madeByThisProcess(window))
        return true;
    if (static_cast<size_t>(display_->qlen) + backlog_.size() < X11EventBacklog::kBound) return true;
    backlog_.dropped();
    return false;
}

void X11Connection::settleDrops() {
    if (backlog_.settle()) desktop_->resynchronise();
}

void X11Connection::hold(const void* raw) {
    const XEvent& e = *static_cast<const XEvent*>(raw);
    X11EventBacklog::Raw copy;
    static_assert(sizeof(XEvent) == sizeof(X11EventBacklog::Raw));
    std::memcpy(copy.data(), &e, sizeof e);
    const unsigned long window = floodType(e.type) ? subjectOf(e) : 0;
    const X11EventBacklog::Key key{e.type, e.xany.window, e.type == PropertyNotify ? e.xproperty.atom : 0,
                                   e.xany.send_event != 0};
    // Events about our own windows all count (the window manager's answers are told apart by
    // them); a window's configure and property changes tell of the state it is in.
    const bool coalescing = window && window != root_ && !madeByThisProcess(window) &&
                            (e.type == ConfigureNotify || e.type == PropertyNotify);
    backlog_.push(copy, window, key, coalescing);
}

void X11Connection::noteKept(int type) {
    if (floodType(type)) ++backlog_.counts.kept;
}

void X11Connection::noteBacklog() {
    if (!usable()) return;
    backlog_.peak = std::max(backlog_.peak, backlog_.size() + static_cast<size_t>(XEventsQueued(display_, QueuedAlready)));
}

void X11Connection::releaseBacklog(size_t handedOut) {
    // Worked off: a call that found little in hand after one that found a backlog. While a flood
    // goes on each call finds about as much, and what was freed is taken again at once.
    if (backlog_.peak < X11EventBacklog::kWorthReleasing || handedOut > backlog_.peak / 16 || !usable()) return;
    // What the flood cost so far, for whoever measures it.
    const auto& c = backlog_.counts;
    log("[Tessane][X11] A backlog of " + std::to_string(backlog_.peak) + " events worked off; events so far: " +
        std::to_string(c.read) + " read, " + std::to_string(c.kept) + " handed out, " + std::to_string(c.coalesced) +
        " folded, " + std::to_string(c.dropped) + " dropped (read again " + std::to_string(c.resyncs) + " times).");
    backlog_.peak = 0;
    ++backlog_.releases;
    backlog_.release();
    LockDisplay(display_);
    for (_XQEvent* element = display_->qfree; element;) {
        _XQEvent* next = element->next;
        Xfree(element);
        element = next;
    }
    display_->qfree = nullptr;
    UnlockDisplay(display_);
    malloc_trim(0);
}

}  // namespace tessane::linux_backend
