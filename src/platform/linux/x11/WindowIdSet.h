#pragma once

#include "platform/linux/x11/X11Connection.h"

#include <cstddef>
#include <vector>

namespace tessane::linux_backend {

// A set of window ids in one flat table (open addressing): client lists of a quarter million ids
// are put into sets at every change, and node-based sets spend most of that time allocating.
class WindowIdSet {
public:
    WindowIdSet() = default;
    explicit WindowIdSet(const std::vector<XWindowId>& ids);

    // False when it was there already.
    bool insert(XWindowId id);
    bool contains(XWindowId id) const;
    size_t size() const { return size_ + (hasZero_ ? 1 : 0); }
    void clear();

    template <typename F>
    void forEach(F f) const {
        if (hasZero_) f(XWindowId{0});
        for (XWindowId id : slots_)
            if (id != 0) f(id);
    }

    // Keeps the ids for which `keep` holds.
    template <typename F>
    void keepIf(F keep) {
        std::vector<XWindowId> kept;
        forEach([&](XWindowId id) {
            if (keep(id)) kept.push_back(id);
        });
        *this = WindowIdSet(kept);
    }

private:
    size_t slotFor(XWindowId id) const;
    void grow();

    std::vector<XWindowId> slots_;  // 0 marks a free slot; id 0 itself is kept aside
    size_t size_ = 0;
    bool hasZero_ = false;
};

}  // namespace tessane::linux_backend
