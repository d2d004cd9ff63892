#include "controller/PendingPerWorkspace.h"

namespace tessane {

std::shared_ptr<WorkItem> PendingPerWorkspace::schedule(const Uuid& workspaceID, double delay,
                                                        std::function<void()> step) {
    cancel(workspaceID);
    auto item = queue.postAfter(delay, lifetime.guard([this, workspaceID, step = std::move(step)] {
        items.erase(workspaceID);
        step();
    }));
    items[workspaceID] = item;
    return item;
}

void PendingPerWorkspace::cancel(const Uuid& workspaceID) {
    const auto it = items.find(workspaceID);
    if (it == items.end()) return;
    if (it->second) it->second->cancel();
    items.erase(it);
}

void PendingPerWorkspace::cancelAll() {
    for (auto& [id, item] : items)
        if (item) item->cancel();
    items.clear();
}

std::vector<Uuid> PendingPerWorkspace::pending() const {
    std::vector<Uuid> ids;
    for (const auto& [id, item] : items) ids.push_back(id);
    return ids;
}

}  // namespace tessane
