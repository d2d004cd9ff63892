#include "platform/linux/x11/X11EventMonitors.h"

#include "platform/MainQueue.h"
#include "platform/linux/x11/X11ScreenSpace.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <utility>

namespace tessane::linux_backend {

X11EventMonitors::X11EventMonitors(X11Connection& x, const X11ScreenSpace& space, MainQueue& queue, LogSink log)
    : x_(x), space_(space), queue_(queue), log_(std::move(log)) {
    int opcode = 0, event = 0, error = 0;
    if (XQueryExtension(x_.display(), "XInputExtension", &opcode, &event, &error)) {
        // Announcing 2.2 matters: a 2.0 client gets no raw events while someone holds a grab, and
        // the window manager holds one exactly while the user drags a window by its title bar.
        int major = 2, minor = 2;
        if (XIQueryVersion(x_.display(), &major, &minor) == Success && major >= 2) xiOpcode_ = opcode;
    }
    if (xiOpcode_ < 0 && log_) log_("[Tessane] XInput2 is unavailable: global pointer and key monitors are off.");
    events_ = x_.onEvent([this](const X11Event& e) { handle(e); });
}

X11EventMonitors::~X11EventMonitors() {
    *alive_ = false;
    events_.reset();
    if (selected_ && !x_.broken()) {
        XIEventMask mask{XIAllMasterDevices, 0, nullptr};
        XISelectEvents(x_.display(), x_.root(), &mask, 1);
        x_.flush();
    }
}

size_t X11EventMonitors::monitorTotal() const {
    size_t n = 0;
    for (auto& m : monitors_) n += m.observerCount();
    return n;
}

std::optional<Subscription> X11EventMonitors::addGlobalMonitor(GlobalEventKind kind,
                                                               std::function<void(const GlobalEvent&)> handler) {
    if (xiOpcode_ < 0) return std::nullopt;
    auto sub = monitors_[static_cast<size_t>(kind)].subscribe(std::move(handler));
    if (kind == GlobalEventKind::flagsChanged && monitors_[static_cast<size_t>(kind)].observerCount() == 1)
        lastFlags_ = modifierFlags();
    updateSelection();
    std::weak_ptr<bool> alive = alive_;
    auto inner = std::make_shared<Subscription>(std::move(sub));
    return Subscription([this, alive, inner] {
        inner->reset();
        if (auto a = alive.lock(); a && *a) updateSelection();
    });
}

void X11EventMonitors::updateSelection() {
    const bool want = monitorTotal() > 0;
    if (want == selected_ || x_.broken()) return;
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    if (want) {
        XISetMask(bits, XI_RawMotion);
        XISetMask(bits, XI_RawButtonRelease);
        XISetMask(bits, XI_RawKeyPress);
        XISetMask(bits, XI_RawKeyRelease);
    }
    XIEventMask mask{XIAllMasterDevices, want ? static_cast<int>(sizeof bits) : 0, want ? bits : nullptr};
    XISelectEvents(x_.display(), x_.root(), &mask, 1);
    x_.flush();
    selected_ = want;
}

void X11EventMonitors::postOnce(bool& pending, std::function<void()> work) {
    if (pending) return;
    pending = true;
    queue_.post([this, alive = std::weak_ptr<bool>(alive_), &pending, work = std::move(work)] {
        if (auto a = alive.lock(); !a || !*a) return;
        pending = false;
        work();
    });
}

void X11EventMonitors::handle(const X11Event& e) {
    if (e.kind != X11Event::Kind::generic || e.extension != xiOpcode_) return;
    switch (e.evtype) {
    case XI_RawMotion:
        // Many raw motions arrive per frame; the pointer is read once they have been drained.
        postOnce(motionPending_, [this] { send(GlobalEventKind::mouseMoved); });
        return;
    case XI_RawButtonRelease:
        if (e.detail == 1) send(GlobalEventKind::leftMouseUp);
        if (e.detail == 3) send(GlobalEventKind::rightMouseUp);
        return;
    case XI_RawKeyPress:
    case XI_RawKeyRelease:
        // The server has applied the key by the time we read the state, after the drain.
        postOnce(flagsPending_, [this] {
            const uint32_t now = modifierFlags();
            if (now == lastFlags_) return;
            lastFlags_ = now;
            send(GlobalEventKind::flagsChanged);
        });
        return;
    default:
        return;
    }
}

void X11EventMonitors::send(GlobalEventKind kind) {
    auto& signal = monitors_[static_cast<size_t>(kind)];
    if (signal.observerCount() == 0) return;
    const auto p = x_.pointer();
    GlobalEvent event{kind, p ? space_.screenFromRoot(p->root) : Point{}, p ? flagsFromX(p->modifiers) : 0};
    // Handlers that ask where the pointer is get the answer just read, not another round trip.
    const auto outer = std::exchange(dispatching_, p);
    signal.emit(event);
    dispatching_ = outer;
}

uint32_t X11EventMonitors::flagsFromX(uint32_t state) {
    uint32_t out = 0;
    if (state & ShiftMask) out |= ModifierFlag::shift;
    if (state & ControlMask) out |= ModifierFlag::control;
    if (state & Mod1Mask) out |= ModifierFlag::option;
    if (state & Mod4Mask) out |= ModifierFlag::command;
    return out;
}

Point X11EventMonitors::mouseLocation() const {
    const auto p = dispatching_ ? dispatching_ : x_.pointer();
    return p ? space_.screenFromRoot(p->root) : Point{};
}

uint32_t X11EventMonitors::pressedMouseButtons() const {
    const auto p = dispatching_ ? dispatching_ : x_.pointer();
    if (!p) return 0;
    uint32_t out = 0;
    if (p->buttons & 1u) out |= MouseButton::left;
    if (p->buttons & 4u) out |= MouseButton::right;
    return out;
}

uint32_t X11EventMonitors::modifierFlags() const {
    const auto p = dispatching_ ? dispatching_ : x_.pointer();
    return p ? flagsFromX(p->modifiers) : 0;
}

}  // namespace tessane::linux_backend
