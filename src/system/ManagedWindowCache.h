#pragma once

#include "base/Uuid.h"
#include "platform/AccessibilityValue.h"

#include <map>
#include <optional>
#include <set>
#include <vector>

namespace tessane {

// Which window is bound to each pane's application (keyed by the ManagedApp's id), so that the
// next tiling pass places the same window again and two panes of one process never bind the
// same window. An entry holds only for the process it names: asked under another process id
// (the application was restarted) it is dropped.
template <typename Window>
class ManagedWindowCache final {
public:
    std::optional<Window> window(const Uuid& appID, Pid pid) {
        auto it = entries_.find(appID);
        if (it == entries_.end()) return std::nullopt;
        if (it->second.pid != pid) {
            entries_.erase(it);
            return std::nullopt;
        }
        return it->second.window;
    }

    // The windows bound in this process to panes other than `excluding`; use as a set.
    std::vector<Window> claimedWindows(Pid pid, const Uuid& excluding) const {
        std::vector<Window> out;
        for (const auto& [id, entry] : entries_)
            if (entry.pid == pid && id != excluding) out.push_back(entry.window);
        return out;
    }

    void invalidate(Pid pid) {
        std::erase_if(entries_, [pid](const auto& item) { return item.second.pid == pid; });
    }

    void store(const Window& window, const Uuid& appID, Pid pid) {
        entries_.insert_or_assign(appID, Entry{pid, window});
    }

    void remove(const Uuid& appID) { entries_.erase(appID); }

    std::set<Uuid> appIDs() const {
        std::set<Uuid> out;
        for (const auto& [id, entry] : entries_) out.insert(id);
        return out;
    }

private:
    struct Entry {
        Pid pid;
        Window window;
    };
    std::map<Uuid, Entry> entries_;
};

}  // namespace tessane
