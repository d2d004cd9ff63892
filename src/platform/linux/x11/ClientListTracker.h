#pragma once

#include "base/Lifetime.h"
#include "platform/MainQueue.h"
#include "platform/linux/x11/WindowIdSet.h"
#include "platform/linux/x11/X11Connection.h"

#include <cstddef>
#include <functional>
#include <vector>

namespace tessane::linux_backend {

// One reader's view of a client list (_NET_CLIENT_LIST) that any client may set, to any number
// of ids: which ids are listed now, which of them the reader has taken in, and which new ones
// still wait. Every step is linear in the list (flat hash sets), so a list of a quarter million
// made-up ids costs milliseconds; the reader takes the waiting ids in slices it can afford.
class ClientListTracker {
public:
    // Ids a reader takes in at once on the main thread: a few milliseconds of X requests.
    static constexpr size_t kSlice = 4096;

    // Takes a new reading of the list. Answers the ids that were taken in and are no longer
    // listed (the reader lets them go); every listed id not yet taken waits, in list order.
    std::vector<XWindowId> update(const std::vector<XWindowId>& list);

    // Up to `count` waiting ids, in list order; they count as taken from now on.
    std::vector<XWindowId> next(size_t count);
    // Takes one listed id out of turn (a window that became active before its turn came).
    // False when it is not listed or was taken already.
    bool take(XWindowId window);

    // Hands the next slice to `handle` now, and the rest a slice at a time later on `queue`
    // (the latest handle given serves them). Nothing runs once the tracker is gone.
    using SliceHandler = std::function<void(const std::vector<XWindowId>&)>;
    void takeInSlices(MainQueue& queue, SliceHandler handle);

    bool listed(XWindowId window) const { return listed_.contains(window); }
    bool taken(XWindowId window) const { return taken_.contains(window); }
    bool hasWaiting() const { return cursor_ < waiting_.size(); }

private:
    void takeSlice();

    WindowIdSet listed_;
    WindowIdSet taken_;
    std::vector<XWindowId> waiting_;
    size_t cursor_ = 0;
    MainQueue* queue_ = nullptr;
    SliceHandler handle_;
    bool sliceQueued_ = false;
    LifetimeToken lifetime_;
};

}  // namespace tessane::linux_backend
