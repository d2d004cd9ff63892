// The frames of the model's windows: which child of the root holds each window, learnt from the
// reparenting heard on the root or asked one level at a time, and forgotten when either goes.
#include "platform/linux/x11/X11DesktopModel.h"

#include <unordered_set>

namespace tessane::linux_backend {

namespace {

// How far below the root a client is looked for in its frame (window managers nest two or three).
constexpr int kFrameDepth = 8;

}  // namespace

void X11DesktopModel::setFrame(XWindowId window, XWindowId frame) {
    forgetFrame(window);
    frameOf_[window] = frame;
    held_[frame].insert(window);
    ++framesVersion_;
}

void X11DesktopModel::forgetFrame(XWindowId window) {
    frameHeard_.erase(window);
    const auto it = frameOf_.find(window);
    if (it == frameOf_.end()) return;
    if (const auto frame = held_.find(it->second); frame != held_.end()) {
        frame->second.erase(window);
        if (frame->second.empty()) held_.erase(frame);
    }
    frameOf_.erase(it);
    ++framesVersion_;
}

void X11DesktopModel::frameGone(XWindowId frame) {
    const auto it = held_.find(frame);
    if (it == held_.end()) return;
    for (XWindowId w : it->second) {
        geometry_.erase(w);
        frameOf_.erase(w);
        frameHeard_.erase(w);
    }
    held_.erase(it);
    ++framesVersion_;
}

void X11DesktopModel::climb(std::vector<XWindowId> windows) {
    start();
    std::erase_if(windows, [&](XWindowId w) { return w == 0 || w == x_.root() || frameOf_.count(w); });
    if (windows.empty()) return;
    hearParents(windows);
    struct Climb {
        XWindowId window, at;
    };
    std::vector<Climb> climbing;
    for (XWindowId w : windows) climbing.push_back({w, w});
    for (int depth = 0; depth < kFrameDepth && !climbing.empty(); ++depth) {
        std::erase_if(climbing, [&](const Climb& c) {
            if (!rootChildren_.count(c.at)) return false;
            setFrame(c.window, c.at);
            return true;
        });
        if (climbing.empty()) break;
        std::vector<XWindowId> asked;
        for (const Climb& c : climbing) asked.push_back(c.at);
        const auto parents = x_.readParents(asked);
        for (size_t i = 0; i < climbing.size(); ++i) {
            Climb& c = climbing[i];
            if (!parents[i]) {
                // A listed client that is no window: nothing kept of it holds.
                if (depth == 0 && listed(c.window) && notWindows_.insert(c.window)) {
                    forgetWindow(c.window);
                    changed();
                }
                c.at = 0;
            } else if (*parents[i] == x_.root()) {
                rootChildren_.try_emplace(c.at, false);
                setFrame(c.window, c.at);
                c.at = 0;
            } else {
                c.at = *parents[i];
            }
        }
        std::erase_if(climbing, [](const Climb& c) { return c.at == 0; });
    }
    for (XWindowId w : windows)
        if (!frameOf_.count(w)) frameHeard_.erase(w);  // gone, or deeper than looked
}

void X11DesktopModel::hearParents(const std::vector<XWindowId>& windows) {
    // Any later move to another parent is heard (asked before the first question): of a listed
    // client for as long as it is listed, of any other window while its frame is kept.
    std::vector<XWindowId> kept, other;
    for (XWindowId w : windows) (listed_.contains(w) ? kept : other).push_back(w);
    x_.addEventMask(kept, X11EventMask::structure);
    auto heard = x_.hearAll(other, X11EventMask::structure);
    for (size_t i = 0; i < other.size(); ++i) frameHeard_[other[i]] = std::move(heard[i]);
}

Subscription X11DesktopModel::watch(XWindowId window, long mask) {
    Subscription heard = x_.hear(window, mask);
    if (!heard) return {};
    frameOf(window);
    auto interest = std::make_shared<Subscription>(std::move(heard));
    return Subscription([this, alive = std::weak_ptr<int>(lifetime_), window, interest] {
        interest->reset();
        if (alive.lock() && !listed_.contains(window)) forgetWindow(window);
    });
}

std::optional<XWindowId> X11DesktopModel::frameOf(XWindowId window) {
    if (window == 0 || window == x_.root()) return std::nullopt;
    x_.peekQueuedEvents();
    if (!frameOf_.count(window)) climb({window});
    const auto it = frameOf_.find(window);
    if (it == frameOf_.end()) return std::nullopt;
    return it->second;
}

std::vector<XWindowId> X11DesktopModel::clientsIn(XWindowId frame) const {
    const auto it = held_.find(frame);
    return it == held_.end() ? std::vector<XWindowId>{} : std::vector<XWindowId>(it->second.begin(), it->second.end());
}

std::vector<XWindowId> X11DesktopModel::clientFrames() {
    x_.peekQueuedEvents();
    listed(x_.root());
    if (clientFramesVersion_ != framesVersion_) {
        std::vector<XWindowId> unknown;
        for (XWindowId w : clientList_)
            if (!notWindows_.contains(w) && !frameOf_.count(w)) unknown.push_back(w);
        climb(std::move(unknown));
        std::unordered_set<XWindowId> frames;
        for (XWindowId w : clientList_)
            if (const auto it = frameOf_.find(w); it != frameOf_.end() && !x_.madeByThisProcess(it->second))
                frames.insert(it->second);
        clientFrames_.assign(frames.begin(), frames.end());
        clientFramesVersion_ = framesVersion_;
    }
    return clientFrames_;
}

}  // namespace tessane::linux_backend
