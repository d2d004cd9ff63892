#include "platform/linux/x11/WindowIdSet.h"

#include <cstdint>

namespace tessane::linux_backend {

namespace {

size_t hashOf(XWindowId id) {
    // Ids of one client differ in their low bits only; mix them over the whole word.
    uint64_t h = static_cast<uint64_t>(id) * 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(h ^ (h >> 29));
}

}  // namespace

WindowIdSet::WindowIdSet(const std::vector<XWindowId>& ids) {
    size_t capacity = 16;
    while (capacity < ids.size() * 2) capacity *= 2;
    slots_.assign(capacity, 0);
    for (XWindowId id : ids) insert(id);
}

size_t WindowIdSet::slotFor(XWindowId id) const {
    const size_t mask = slots_.size() - 1;
    size_t i = hashOf(id) & mask;
    while (slots_[i] != 0 && slots_[i] != id) i = (i + 1) & mask;
    return i;
}

bool WindowIdSet::insert(XWindowId id) {
    if (id == 0) {
        const bool added = !hasZero_;
        hasZero_ = true;
        return added;
    }
    if ((size_ + 1) * 2 > slots_.size()) grow();
    const size_t i = slotFor(id);
    if (slots_[i] == id) return false;
    slots_[i] = id;
    ++size_;
    return true;
}

bool WindowIdSet::contains(XWindowId id) const {
    if (id == 0) return hasZero_;
    return !slots_.empty() && slots_[slotFor(id)] == id;
}

void WindowIdSet::clear() {
    slots_.clear();
    size_ = 0;
    hasZero_ = false;
}

void WindowIdSet::grow() {
    std::vector<XWindowId> old = std::move(slots_);
    slots_.assign(old.empty() ? 16 : old.size() * 2, 0);
    size_ = 0;
    for (XWindowId id : old) {
        if (id == 0) continue;
        slots_[slotFor(id)] = id;
        ++size_;
    }
}

}  // namespace tessane::linux_backend
