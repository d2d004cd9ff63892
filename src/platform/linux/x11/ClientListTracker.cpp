#include "platform/linux/x11/ClientListTracker.h"

namespace tessane::linux_backend {

std::vector<XWindowId> ClientListTracker::update(const std::vector<XWindowId>& list) {
    listed_ = WindowIdSet(list);
    std::vector<XWindowId> gone, kept;
    taken_.forEach([&](XWindowId w) { (listed_.contains(w) ? kept : gone).push_back(w); });
    taken_ = WindowIdSet(kept);
    // A listed id twice waits twice; next() hands it out once.
    waiting_.clear();
    cursor_ = 0;
    for (XWindowId w : list)
        if (!taken_.contains(w)) waiting_.push_back(w);
    return gone;
}

std::vector<XWindowId> ClientListTracker::next(size_t count) {
    std::vector<XWindowId> out;
    while (cursor_ < waiting_.size() && out.size() < count) {
        const XWindowId w = waiting_[cursor_++];
        if (taken_.insert(w)) out.push_back(w);  // not taken out of turn meanwhile
    }
    if (cursor_ == waiting_.size()) {
        waiting_.clear();
        cursor_ = 0;
    }
    return out;
}

void ClientListTracker::takeInSlices(MainQueue& queue, SliceHandler handle) {
    queue_ = &queue;
    handle_ = std::move(handle);
    takeSlice();
}

void ClientListTracker::takeSlice() {
    const auto fresh = next(kSlice);
    if (!fresh.empty()) handle_(fresh);
    if (!hasWaiting() || sliceQueued_) return;
    sliceQueued_ = true;
    queue_->post(lifetime_.guard([this] {
        sliceQueued_ = false;
        takeSlice();
    }));
}

bool ClientListTracker::take(XWindowId window) {
    return listed(window) && taken_.insert(window);
}

}  // namespace tessane::linux_backend
