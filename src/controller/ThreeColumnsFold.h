#pragma once

#include "base/Base64.h"
#include "base/Geometry.h"
#include "base/Lifetime.h"
#include "base/Uuid.h"
#include "controller/SessionMap.h"
#include "controller/ThreeColumnsMemory.h"
#include "controller/WorkspaceControllerTypes.h"
#include "model/Workspace.h"

#include <functional>
#include <optional>
#include <vector>

namespace tessane {

class DisplaySet;
class NoticeChrome;
class PlacementPass;
class Screens;
class WorkspaceManager;

// Three columns side by side, kept honest: after a tiling pass the windows' real widths decide
// whether the columns are re-split to widths the applications accept, folded into one left and
// two stacked right panes when the three cannot fit, or unfolded again on trial once the
// container has room. It keeps what it remembers of each workspace's columns.
class ThreeColumnsFold final {
public:
    using WorkspaceSession = workspace_controller::WorkspaceSession;

    struct Shown {
        WorkspaceManager& manager;
        SessionMap<WorkspaceSession>& sessions;
        PlacementPass& tiling;
        const DisplaySet& displays;
        NoticeChrome& notice;
        const Screens& screens;
    };
    // What stays the controller's: the container's frame, the chrome's icons, and the dividers'
    // settle step after the columns changed.
    struct Hooks {
        std::function<Rect(const Workspace&)> containerRect;
        std::function<std::vector<Bytes>(const Workspace&)> appIcons;
        std::function<void(const Uuid&)> scheduleDividerReconcile;
    };

    ThreeColumnsFold(Shown shown, Hooks hooks);
    ThreeColumnsFold(const ThreeColumnsFold&) = delete;
    ThreeColumnsFold& operator=(const ThreeColumnsFold&) = delete;

    // A new operation on the workspace (a show, an edit, a divider drag): its passes and refusals
    // start over and a trial unfold ends.
    void beginOperation(const Uuid& workspaceID) { memory_.beginOperation(workspaceID); }
    // The workspace to tile: a folded one unfolded on trial (stored, the chrome told) when its
    // container (`container`, else the current one) has room it did not fold at, or `force`.
    Workspace applyThreeColumnsFold(const Workspace& workspace, std::optional<Rect> container, bool force);
    // Whether a window of the three columns is wider than its column.
    bool threeColumnsOverflow(const Workspace& workspace);
    // Judges the tiled columns against their windows and re-splits, folds or unfolds; false when
    // the workspace is not three columns side by side.
    bool solveThreeColumns(const Workspace& workspace);

    ThreeColumnsMemory& memory() { return memory_; }

private:
    void threeColumnsNotice(const Workspace& workspace, bool folded);

    Shown shown;
    Hooks hooks;
    ThreeColumnsMemory memory_;
    LifetimeToken lifetime;  // last: gone first
};

}  // namespace tessane
