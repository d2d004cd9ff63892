#pragma once

#include "base/Uuid.h"
#include "model/Workspace.h"

#include <vector>

namespace tessane {

// What link commands need of the running system: the stored workspaces and the controller's
// commands. The application's one is ControllerLinkTarget; tests record the calls.
class LinkCommandTarget {
public:
    virtual ~LinkCommandTarget() = default;

    // The workspaces in the user's order, read afresh for every command.
    virtual std::vector<Workspace> workspaces() const = 0;
    virtual bool isShown(const Uuid& id) const = 0;
    virtual bool isSoloed() const = 0;

    virtual void showWorkspace(const Uuid& id) = 0;
    virtual void hideWorkspace(const Uuid& id) = 0;
    virtual void hideActiveWorkspace() = 0;
    virtual void summonWorkspace(const Uuid& id) = 0;
    virtual void bringActiveWorkspaceToCurrentDisplay() = 0;
    virtual void focusAdjacentPane(int offset) = 0;
    virtual void soloFocusedPane() = 0;
    virtual void restoreFromSolo() = 0;
};

}  // namespace tessane
