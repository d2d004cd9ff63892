#pragma once

#include "base/Lifetime.h"
#include "base/Uuid.h"
#include "platform/MainQueue.h"

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace tessane {

// One pending step per workspace, of one kind (the snap of a moved container, the write of its
// frame, the learning of minimum sizes after a pass): a newer request for a workspace replaces its
// pending step, and one workspace's request never cancels another's.
class PendingPerWorkspace final {
public:
    explicit PendingPerWorkspace(MainQueue& queue) : queue(queue) {}
    ~PendingPerWorkspace() { cancelAll(); }
    PendingPerWorkspace(const PendingPerWorkspace&) = delete;
    PendingPerWorkspace& operator=(const PendingPerWorkspace&) = delete;

    // Runs `step` `delay` seconds from now in place of the workspace's pending step; the handle
    // of the step.
    std::shared_ptr<WorkItem> schedule(const Uuid& workspaceID, double delay, std::function<void()> step);
    // Cancels the workspace's pending step, if any.
    void cancel(const Uuid& workspaceID);
    void cancelAll();
    bool isPending(const Uuid& workspaceID) const { return items.count(workspaceID) > 0; }
    // The workspaces with a step pending.
    std::vector<Uuid> pending() const;

private:
    MainQueue& queue;
    std::map<Uuid, std::shared_ptr<WorkItem>> items;
    LifetimeToken lifetime;  // last: gone first
};

}  // namespace tessane
