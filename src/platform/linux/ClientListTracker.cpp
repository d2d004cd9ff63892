#include "platform/linux/ClientListTracker.h"

namespace tessane::linux_backend {

std::vector<XWindowId> ClientListTracker::update(const std::vector<XWindowId>& list) {
    listed_ = std::unordered_set<XWindowId>(list.begin(), list.end());
    std::vector<XWindowId> gone;
    for (auto it = taken_.begin(); it != taken_.end();) {
        if (listed_.count(*it)) {
            ++it;
        } else {
            gone.push_back(*it);
            it = taken_.erase(it);
        }
    }
    // A listed id twice waits twice; next() hands it out once.
    waiting_.clear();
    cursor_ = 0;
    for (XWindowId w : list)
        if (!taken_.count(w)) waiting_.push_back(w);
    return gone;
}

std::vector<XWindowId> ClientListTracker::next(size_t count) {
    std::vector<XWindowId> out;
    while (cursor_ < waiting_.size() && out.size() < count) {
        const XWindowId w = waiting_[cursor_++];
        if (taken_.insert(w).second) out.push_back(w);  // not taken out of turn meanwhile
    }
    if (cursor_ == waiting_.size()) {
        waiting_.clear();
        cursor_ = 0;
    }
    return out;
}

bool ClientListTracker::take(XWindowId window) {
    return listed(window) && taken_.insert(window).second;
}

}  // namespace tessane::linux_backend
