#pragma once

#include "base/Signal.h"
#include "base/Uuid.h"
#include "model/Workspace.h"

#include <optional>
#include <string>
#include <vector>

namespace tessane {

class WorkspaceController;
class WorkspaceManager;

// The Workspaces tab's list: the stored workspaces in the user's order, the one picked for
// editing, and deletion. The pick is an edit target only; it never touches a workspace at run
// time. Deletions go through the workspace controller. Main thread only.
class WorkspaceList {
public:
    struct Row {
        Uuid id;
        std::string name;
        std::string appsSummary;  // "No apps" when it has none
        bool operator==(const Row&) const = default;
    };

    static constexpr const char* kHeader = "Workspaces";
    static constexpr const char* kDelete = "Delete";
    static constexpr const char* kNewWorkspaceTip = "New Workspace";
    static constexpr const char* kDeleteWorkspaceTip = "Delete Workspace";
    static constexpr const char* kEmptyTitle = "No Workspace Selected";
    static constexpr const char* kEmptyMessage = "Create a workspace to group your apps.";
    static constexpr const char* kNewWorkspace = "New Workspace";

    WorkspaceList(WorkspaceManager& manager, WorkspaceController& controller);

    std::vector<Row> rows() const;
    const std::optional<Uuid>& selection() const { return selection_; }

    // Each time the tab appears: an empty pick becomes the first workspace (a kept pick stays,
    // even one whose workspace is gone).
    void appear();
    // The user picks a row, or clears the pick. A change is logged.
    void select(const std::optional<Uuid>& id);
    // No confirmation. When the deleted workspace was the pick, the first remaining one is
    // picked (or none); otherwise the pick stays.
    void deleteWorkspace(const Uuid& id);
    // The minus button: enabled while something is picked, even a workspace that is gone.
    bool canDeleteSelection() const { return selection_.has_value(); }
    void deleteSelection();

    // The workspace the detail column edits; none shows the empty state.
    std::optional<Workspace> pickedWorkspace() const;

    // Told after each change of the pick.
    [[nodiscard]] Subscription observeSelection(std::function<void()> observer) {
        return selectionChanged_.subscribe(std::move(observer));
    }

private:
    std::optional<Uuid> firstWorkspace() const;

    WorkspaceManager& manager_;
    WorkspaceController& controller_;
    std::optional<Uuid> selection_;
    Signal<> selectionChanged_;
};

}  // namespace tessane
