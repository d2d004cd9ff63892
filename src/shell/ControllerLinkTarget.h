#pragma once

#include "shell/LinkCommandTarget.h"

namespace tessane {

class WorkspaceController;
class WorkspaceManager;

// Link commands carried out by the workspace controller, over the manager's list.
class ControllerLinkTarget final : public LinkCommandTarget {
public:
    ControllerLinkTarget(WorkspaceManager& manager, WorkspaceController& controller)
        : manager_(manager), controller_(controller) {}

    std::vector<Workspace> workspaces() const override;
    bool isShown(const Uuid& id) const override;
    bool isSoloed() const override;
    void showWorkspace(const Uuid& id) override;
    void hideWorkspace(const Uuid& id) override;
    void hideActiveWorkspace() override;
    void summonWorkspace(const Uuid& id) override;
    void bringActiveWorkspaceToCurrentDisplay() override;
    void focusAdjacentPane(int offset) override;
    void soloFocusedPane() override;
    void restoreFromSolo() override;

private:
    WorkspaceManager& manager_;
    WorkspaceController& controller_;
};

}  // namespace tessane
