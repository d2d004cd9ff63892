#pragma once

#include "model/Workspace.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace tessane {

// The workspace list as shared records that never change once made, kept beside the list it
// follows, so that handing the list as it is to another thread (the writer) costs a record only
// for each workspace that changed since the last hand-over, not a copy of every workspace.
// Whoever changes the list tells it: changed() for one workspace changed where it is,
// replaced() for a new list. Main thread only; the records it hands out are safe on any thread.
class WorkspaceRecords {
public:
    // The workspace at `index` changed where it is.
    void changed(size_t index);
    // The list is now `list`. Records whose workspace is still there, at the same place or one
    // off (one inserted or removed before it), with an equal value, are kept.
    void replaced(const std::vector<Workspace>& list);
    // One record per workspace of `list` (the list the calls above followed), in its order.
    const std::vector<std::shared_ptr<const Workspace>>& of(const std::vector<Workspace>& list);

private:
    std::vector<std::shared_ptr<const Workspace>> records_;  // null: to be made from the list
};

}  // namespace tessane
