#pragma once

#include "base/Lifetime.h"
#include "base/Uuid.h"
#include "controller/SessionMap.h"
#include "controller/WorkspaceControllerTypes.h"
#include "model/Workspace.h"
#include "platform/AccessibilityValue.h"

#include <cstdint>
#include <map>
#include <set>

namespace tessane {

class AXWindowController;
class ExternalAppController;
class SoloMemory;
class WorkspaceManager;

// The document choosers (open and save panels) of a shown workspace's applications. They count
// as the workspace's own windows: each one the show or the sweep finds is noted by its window
// number, which the foreground guard reads. While one is up the workspace's chrome steps aside
// (no shields, no divider handles), so the chooser takes the clicks; the chrome comes back with
// the applications' loading.
class DocumentChoosers final {
public:
    using WorkspaceSession = workspace_controller::WorkspaceSession;
    using OwnChoosers = std::map<Uuid, std::set<uint32_t>>;

    DocumentChoosers(WorkspaceManager& manager, const SessionMap<WorkspaceSession>& sessions,
                     ExternalAppController& apps, AXWindowController& axController, const SoloMemory& solo);
    DocumentChoosers(const DocumentChoosers&) = delete;
    DocumentChoosers& operator=(const DocumentChoosers&) = delete;

    void noteOwnChooser(const AXElement& chooser, const Uuid& workspaceID);
    // The workspace is put away: its choosers are no longer its own.
    void forget(const Uuid& workspaceID) { ownChoosers.erase(workspaceID); }
    // Whether an application of the workspace that has finished launching shows a chooser.
    bool workspaceHasChooserUp(const Workspace& workspace);
    // The shields and divider handles of the shown workspace follow whether a chooser is up
    // (unless it is soloed: the solo owns the chrome).
    void updateLoadingChrome(const Uuid& workspaceID);

    // Per workspace, the window numbers of its own choosers.
    OwnChoosers& ownChooserWindowIDs() { return ownChoosers; }
    const OwnChoosers& ownChooserWindowIDs() const { return ownChoosers; }

private:
    WorkspaceManager& manager;
    const SessionMap<WorkspaceSession>& sessions;
    ExternalAppController& apps;
    AXWindowController& axController;
    const SoloMemory& solo;
    OwnChoosers ownChoosers;
    LifetimeToken lifetime;  // last: gone first
};

}  // namespace tessane
