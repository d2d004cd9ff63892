// What this connection asks to hear of windows: asks that last as long as the window, and
// interests that end.
#include "platform/linux/x11/X11Connection.h"

#include "platform/linux/x11/X11DesktopModel.h"

#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <xcb/xcb.h>

#include <algorithm>

namespace tessane::linux_backend {

long X11Connection::Selection::heldMask() const {
    long mask = 0;
    for (const auto& [interest, bits] : held) mask |= bits;
    return mask;
}

X11Status X11Connection::selectInput(XWindowId window, long mask) { return select(window, mask, true); }

Subscription X11Connection::hear(XWindowId window, long mask) {
    if (!select(window, mask, false).ok()) return {};
    return holdInterest(window, mask);
}

X11Status X11Connection::select(XWindowId window, long mask, bool lasting) {
    // The root and the listed clients: the read model knows whether they exist, and we know
    // what we asked to hear of them. Any other window is asked.
    auto known = selections_.find(window);
    if (known != selections_.end() && desktop_->keeps(window)) {
        if (!desktop_->windowExists(window)) return {X11Status::badWindow};
        if ((known->second.selected & mask) == mask) {
            if (lasting) known->second.lasting |= mask;
            return {};
        }
    }
    if (!usable()) return {X11Status::noConnection};
    ErrorTrap trap(*this);
    // What this connection hears of a window is its own: nothing of a window it never asked of
    // (or whose asks it forgot), and the select's error tells whether that window exists. Only a
    // window it has asked of before, or made (it hears what was chosen when it was made, which
    // lasts), is asked what it hears: a round trip less for the others, behind a busy server.
    long current = 0;
    if (known != selections_.end() || clientOf(window) == clientOf(ownClients_.front())) {
        XWindowAttributes attributes;
        const auto waited = trip(replies::kAttributes);
        if (!XGetWindowAttributes(display_, window, &attributes) || !trap.received().ok())
            return {X11Status::badWindow};
        current = attributes.your_event_mask;
    }
    Selection& selection = selections_[window];
    selection.selected = current;
    selection.lasting |= (current & ~selection.heldMask()) | (lasting ? mask : 0);
    if ((current & mask) == mask) return {};
    XSelectInput(display_, window, current | mask);
    const X11Status status = trap.check();
    if (status.ok()) selections_[window].selected = current | mask;
    else selections_.erase(window);
    return status;
}

void X11Connection::addEventMask(std::span<const XWindowId> windows, long mask) {
    if (!usable()) return;
    for (XWindowId w : windows) {
        Selection& selection = selections_[w];
        selection.lasting |= mask;
        if ((selection.selected & mask) == mask) continue;
        selection.selected |= mask;
        sendEventMask(w, selection.selected);
    }
}

std::vector<Subscription> X11Connection::hearAll(std::span<const XWindowId> windows, long mask) {
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

Subscription X11Connection::holdInterest(XWindowId window, long mask) {
    const uint64_t interest = ++lastInterest_;
    selections_[window].held.emplace_back(interest, mask);
    return Subscription([this, alive = std::weak_ptr<int>(lifetime_), window, interest] {
        if (alive.lock()) endInterest(window, interest);
    });
}

void X11Connection::endInterest(XWindowId window, uint64_t interest) {
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

void X11Connection::sendEventMask(XWindowId window, long mask) {
    if (!usable()) return;
    xcb_connection_t* c = XGetXCBConnection(display_);
    const uint32_t value = static_cast<uint32_t>(mask);
    // Checked, and the answer dropped unread: a window that has gone costs no error anywhere.
    const auto cookie =
        xcb_change_window_attributes_checked(c, static_cast<xcb_window_t>(window), XCB_CW_EVENT_MASK, &value);
    xcb_discard_reply(c, cookie.sequence);
}

}  // namespace tessane::linux_backend
