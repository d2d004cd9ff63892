#pragma once

#include "platform/linux/x11/X11Connection.h"

#include <cstdint>
#include <memory>
#include <span>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tessane::linux_backend {

// What the connection asks to hear of windows: asks that last as long as the window, and
// interests that end, each taking back what nothing else still wants. The connection makes one
// and hands its asks to it (see X11Connection::selectInput and hear).
class X11EventInterests {
public:
    explicit X11EventInterests(X11Connection& x);
    X11EventInterests(const X11EventInterests&) = delete;
    X11EventInterests& operator=(const X11EventInterests&) = delete;

    X11Status selectInput(XWindowId window, long mask);
    void addEventMask(std::span<const XWindowId> windows, long mask);
    Subscription hear(XWindowId window, long mask);
    std::vector<Subscription> hearAll(std::span<const XWindowId> windows, long mask);
    // What was asked of `window` is asked afresh next time; its interests end without a word to
    // the server.
    void forget(XWindowId window) { selections_.erase(window); }
    bool hears(XWindowId window, long mask) const {
        const auto it = selections_.find(window);
        return it != selections_.end() && (it->second.selected & mask) == mask;
    }

private:
    // What we asked to hear of a window: all that is selected now, what was asked with no end
    // (by selectInput and addEventMask, or chosen when this connection made the window), and
    // each interest hear() handed out that has not ended.
    struct Selection {
        long selected = 0;
        long lasting = 0;
        std::vector<std::pair<uint64_t, long>> held;  // (interest, mask)
        long heldMask() const;
    };
    X11Status select(XWindowId window, long mask, bool lasting);
    Subscription holdInterest(XWindowId window, long mask);
    void endInterest(XWindowId window, uint64_t interest);
    void sendEventMask(XWindowId window, long mask);

    X11Connection& x_;
    std::unordered_map<XWindowId, Selection> selections_;
    uint64_t lastInterest_ = 0;
    std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);  // interests ending after it do nothing
};

}  // namespace tessane::linux_backend
