#pragma once

#include "base/Base64.h"
#include "base/Lifetime.h"
#include "base/Uuid.h"
#include "controller/SessionMap.h"
#include "controller/WorkspaceControllerTypes.h"
#include "model/Workspace.h"
#include "platform/MainQueue.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tessane {

class PlacementPass;
class ShowSequence;
class ThreeColumnsFold;
class WorkspaceManager;

// A shown workspace edited in the settings: re-tiled at once in its new arrangement, or
// withdrawn when that arrangement can no longer be tiled. It keeps the signature each shown
// workspace was last tiled with, which tells an edit of its panes from any other change to the
// workspace list.
class PaneEdits final {
public:
    using WorkspaceSession = workspace_controller::WorkspaceSession;

    struct Shown {
        WorkspaceManager& manager;
        const SessionMap<WorkspaceSession>& sessions;
        ShowSequence& show;
        PlacementPass& tiling;
        ThreeColumnsFold& columns;
    };
    // What stays the controller's.
    struct Hooks {
        std::function<void(const Uuid&)> hideWorkspace;
        std::function<void(const Uuid&)> showWorkspace;
        std::function<std::vector<Bytes>(const Workspace&)> appIcons;
    };

    PaneEdits(MainQueue& queue, Shown shown, Hooks hooks);
    PaneEdits(const PaneEdits&) = delete;
    PaneEdits& operator=(const PaneEdits&) = delete;

    // The workspace is tiled in its arrangement as it stands now.
    void noteTiled(const Workspace& workspace);
    // Stores a pane order the controller chose itself (a swap) with its signature recorded first,
    // so the edit sweep neither tiles it a second time nor withdraws it.
    void storeOwnPaneEdit(const Workspace& workspace);
    // After a change to the workspace list: each shown workspace whose arrangement is no longer
    // the one tiled is re-tiled or withdrawn; the signatures of those no longer shown go.
    void reactToListChange();

    const std::map<Uuid, std::string>& tiledSignature() const { return tiled; }

private:
    void reactToPaneEdit(const Workspace& workspace);

    MainQueue& queue;
    Shown shown;
    Hooks hooks;
    std::map<Uuid, std::string> tiled;
    LifetimeToken lifetime;  // last: gone first
};

}  // namespace tessane
