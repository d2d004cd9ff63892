#pragma once

#include "controller/WorkspaceControllerTypes.h"
#include "platform/WindowList.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tessane {

// What the walk over the window list found in front of a container's region, and, when a
// window not of the workspace covers it, that window in words for the log and whether it is one
// of Tessane's own (Settings, say), which the log never calls foreign.
struct RegionWalk {
    workspace_controller::RegionFront front = workspace_controller::RegionFront::inconclusive;
    std::optional<std::string> foreignWindow;
    bool coverIsOurs = false;
    // When that window is another application's and one of the workspace's own windows is in
    // front of it: the tiled windows behind it that it overlaps, front to back.
    std::vector<uint32_t> buriedTiles;
    bool operator==(const RegionWalk&) const = default;
};

// Walks the on-screen window list front to back over `region`. The workspace's own windows are
// those of `managedPids` (and of `tiledWindowIDs` when it is not empty); another window counts as
// covering only when it reaches the rail or leaves every pane (a window inside one pane hides no
// chrome). Windows behind all of the workspace's own front windows are never examined. Windows
// of `ownPid` are Tessane's.
RegionWalk frontOfRegionWalk(const std::vector<WindowListEntry>& frontToBack, const Rect& region,
                             const std::set<Pid>& managedPids, const std::set<uint32_t>& tiledWindowIDs,
                             const std::vector<Rect>& panes, const Rect& railAX, const std::set<uint32_t>& ownChoosers,
                             std::optional<Pid> ownPid = std::nullopt);

}  // namespace tessane
