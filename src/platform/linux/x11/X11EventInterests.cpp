// What this connection asks to hear of windows: asks that last as long as the window, and
// interests that end.
#include "platform/linux/x11/X11EventInterests.h"

#include "platform/linux/x11/X11DesktopModel.h"

#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <xcb/xcb.h>

#include <algorithm>

namespace tessane::linux_backend {

X11EventInterests::X11EventInterests(X11Connection& x) : x_(x) {}

long X11EventInterests::Selection::heldMask() const {
    long mask = 0;
    for (const auto& [interest, bits] : held) mask |= bits;
    return mask;
}

X11Status X11EventInterests::selectInput(XWindowId window, long mask) { return select(window, mask, true); }

Subscription X11EventInterests::hear(XWindowId window, long mask) {
    if (!select(window, mask, false).ok()) return {};
    return holdInterest(window, mask);
}

X11Status X11EventInterests::select(XWindowId window, long mask, bool lasting) {
    // The root and the listed clients: the read model knows whether they exist, and we know
    // what we asked to hear of them. Any other window is asked.
    auto known = selections_.find(window);
    if (known != selections_.end() && x_.desktop().keeps(window)) {
        if (!x_.desktop().windowExists(window)) return {X11Status::badWindow};
        if ((known->second.selected & mask) == mask) {
            if (lasting) known->second.lasting |= mask;
            return {};
        }
    }
    if (x_.broken()) return {X11Status::noConnection};
    X11Connection::ErrorTrap trap(x_);
    // What this connection hears of a window is its own: nothing of a window it never asked of
    // (or whose asks it forgot), and the select's error tells whether that window exists. Only a
    // window it has asked of before, or made (it hears what was chosen when it was made, which
    // lasts), is asked what it hears: a round trip less for the others, behind a busy server.
    long current = 0;
    if (known != selections_.end() || x_.madeOnThisConnection(window)) {
        XWindowAttributes attributes;
        const auto waited = x_.trip(replies::kAttributes);
        if (!XGetWindowAttributes(x_.display(), window, &attributes) || !trap.received().ok())
            return {X11Status::badWindow};
        current = attributes.your_event_mask;
    }
    Selection& selection = selections_[window];
    selection.selected = current;
    selection.lasting |= (current & ~selection.heldMask()) | (lasting ? mask : 0);
    if ((current & mask) == mask) return {};
    XSelectInput(x_.display(), window, current | mask);
    const X11Status status = trap.check();
    if (status.ok()) selections_[window].selected = current | mask;
    else selections_.erase(window);
    return status;
}

void X11EventInterests::addEventMask(std::span<const XWindowId> windows, long mask) {
    if (x_.broken()) return;
    for (XWindowId w : windows) {
        Selection& selection = selections_[w];
        selection.lasting |= mask;
        if ((selection.selected & mask) == mask) continue;
        selection.selected |= mask;
        sendEventMask(w, selection.selected);
    }
}

std::vector<Subscription> X11EventInterests::hearAll(std::span<const XWindowId> windows, long mask) {
    std::vector<Subscription> interests;
    interests.reserve(windows.size());
    for (XWindowId w : windows) {
        Selection& selection = selections_[w];
        if ((selection.selected & mask) != mask) {
            selection.selected |= mask;
            sendEventMask(w, selection.selected);
        }
        interests.push_back(holdInterest(w, mask));
    }
    return interests;
}

Subscription X11EventInterests::holdInterest(XWindowId window, long mask) {
    const uint64_t interest = ++lastInterest_;
    selections_[window].held.emplace_back(interest, mask);
    return Subscription([this, alive = std::weak_ptr<int>(lifetime_), window, interest] {
        if (alive.lock()) endInterest(window, interest);
    });
}

void X11EventInterests::endInterest(XWindowId window, uint64_t interest) {
    const auto it = selections_.find(window);
    if (it == selections_.end()) return;  // gone, or its id forgotten
    Selection& selection = it->second;
    std::erase_if(selection.held, [&](const auto& held) { return held.first == interest; });
    const long wanted = selection.lasting | selection.heldMask();
    if (wanted != selection.selected) {
        sendEventMask(window, wanted);
        selection.selected = wanted;
    }
    if (selection.held.empty() && selection.lasting == 0) selections_.erase(it);
}

void X11EventInterests::sendEventMask(XWindowId window, long mask) {
    if (x_.broken()) return;
    xcb_connection_t* c = XGetXCBConnection(x_.display());
    const uint32_t value = static_cast<uint32_t>(mask);
    // Checked, and the answer dropped unread: a window that has gone costs no error anywhere.
    const auto cookie =
        xcb_change_window_attributes_checked(c, static_cast<xcb_window_t>(window), XCB_CW_EVENT_MASK, &value);
    xcb_discard_reply(c, cookie.sequence);
}

// The connection's asks, kept by its interests.
X11Status X11Connection::selectInput(XWindowId window, long mask) { return interests_->selectInput(window, mask); }
void X11Connection::addEventMask(std::span<const XWindowId> windows, long mask) { interests_->addEventMask(windows, mask); }
Subscription X11Connection::hear(XWindowId window, long mask) { return interests_->hear(window, mask); }
std::vector<Subscription> X11Connection::hearAll(std::span<const XWindowId> windows, long mask) {
    return interests_->hearAll(windows, mask);
}
void X11Connection::forgetEventMask(XWindowId window) { interests_->forget(window); }
bool X11Connection::hears(XWindowId window, long mask) const { return interests_->hears(window, mask); }

}  // namespace tessane::linux_backend
