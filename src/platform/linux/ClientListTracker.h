#pragma once

#include "platform/linux/X11Connection.h"

#include <cstddef>
#include <unordered_set>
#include <vector>

namespace tessane::linux_backend {

// One reader's view of a client list (_NET_CLIENT_LIST) that any client may set, to any number of
// ids: which ids are listed now, which of them the reader has taken in, and which new ones still
// wait. Every step is linear in the list (hash sets), so a list of a quarter million made-up ids
// costs milliseconds; the reader takes the waiting ids in slices it can afford.
class ClientListTracker {
public:
    // Takes a new reading of the list. Answers the ids that were taken in and are no longer
    // listed (the reader lets them go); every listed id not yet taken waits, in list order.
    std::vector<XWindowId> update(const std::vector<XWindowId>& list);

    // Up to `count` waiting ids, in list order; they count as taken from now on.
    std::vector<XWindowId> next(size_t count);
    // Takes one listed id out of turn (a window that became active before its turn came).
    // False when it is not listed or was taken already.
    bool take(XWindowId window);

    bool listed(XWindowId window) const { return listed_.count(window) != 0; }
    bool taken(XWindowId window) const { return taken_.count(window) != 0; }
    bool hasWaiting() const { return cursor_ < waiting_.size(); }

private:
    std::unordered_set<XWindowId> listed_;
    std::unordered_set<XWindowId> taken_;
    std::vector<XWindowId> waiting_;
    size_t cursor_ = 0;
};

}  // namespace tessane::linux_backend
