#pragma once

#include "base/Uuid.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace tessane {

// Workspace id -> owned value, iterated in the order of insertion. Few entries (the shown
// workspaces), so lookups are a walk.
template <typename T>
class SessionMap {
public:
    using Entry = std::pair<Uuid, std::unique_ptr<T>>;

    T* find(const Uuid& id) const {
        for (auto& [key, value] : entries_)
            if (key == id) return value.get();
        return nullptr;
    }
    bool contains(const Uuid& id) const { return find(id) != nullptr; }
    // Stores `value` under `id`, keeping the place of an entry it replaces.
    T& insert(const Uuid& id, std::unique_ptr<T> value) {
        for (auto& [key, existing] : entries_)
            if (key == id) {
                existing = std::move(value);
                return *existing;
            }
        entries_.emplace_back(id, std::move(value));
        return *entries_.back().second;
    }
    // Removes and returns the entry (null when there was none), so that the caller decides when
    // the value dies.
    std::unique_ptr<T> take(const Uuid& id) {
        auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.first == id; });
        if (it == entries_.end()) return nullptr;
        auto value = std::move(it->second);
        entries_.erase(it);
        return value;
    }
    // A snapshot of the ids, for loops that may tear entries down.
    std::vector<Uuid> keys() const {
        std::vector<Uuid> out;
        out.reserve(entries_.size());
        for (auto& [key, value] : entries_) out.push_back(key);
        return out;
    }
    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    auto begin() const { return entries_.begin(); }
    auto end() const { return entries_.end(); }

private:
    std::vector<Entry> entries_;
};

}  // namespace tessane
