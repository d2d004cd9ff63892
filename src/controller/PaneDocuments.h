#pragma once

#include "base/Uuid.h"
#include "controller/SessionMap.h"
#include "controller/WorkspaceControllerTypes.h"
#include "model/Workspace.h"
#include "platform/AccessibilityValue.h"

#include <functional>
#include <string>
#include <vector>

namespace tessane {

class AXWindowController;
class Applications;
class WorkspaceManager;

// Each pane remembers the document its window last showed, so a later show can open it again
// and two panes of one application can be told apart.
class PaneDocuments final {
public:
    using WorkspaceSession = workspace_controller::WorkspaceSession;
    using RememberedDocument = workspace_controller::RememberedDocument;
    using Log = std::function<void(const std::string&)>;

    // `log` takes the lines of a remembered document: a tiling pass holds them back to its own.
    PaneDocuments(AXWindowController& axController, WorkspaceManager& manager,
                  const SessionMap<WorkspaceSession>& sessions, Applications& applications, Log log);

    // Stores the document `window` shows as its pane's, telling when it is a new one.
    void remember(const AXElement& window, const ManagedApp& app);
    // The same for every window the shown workspace tracks.
    void rememberAll(const Uuid& workspaceID);
    // The other panes of `app`'s workspace that hold the same application.
    std::vector<ManagedApp> siblingPanes(const ManagedApp& app) const;
    // The documents of `apps` that still exist, to be opened again.
    std::vector<RememberedDocument> remembered(const std::vector<ManagedApp>& apps) const;

private:
    AXWindowController& axController;
    WorkspaceManager& manager;
    const SessionMap<WorkspaceSession>& sessions;
    Applications& applications;
    Log log;
};

}  // namespace tessane
