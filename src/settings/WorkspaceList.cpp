#include "settings/WorkspaceList.h"

#include "controller/WorkspaceController.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"

namespace tessane {

WorkspaceList::WorkspaceList(WorkspaceManager& manager, WorkspaceController& controller)
    : manager_(manager), controller_(controller) {}

std::vector<WorkspaceList::Row> WorkspaceList::rows() const {
    std::vector<Row> out;
    for (const auto& w : manager_.workspaces().get()) out.push_back({w.id, w.name, w.appsSummary()});
    return out;
}

std::optional<Uuid> WorkspaceList::firstWorkspace() const {
    const auto& list = manager_.workspaces().get();
    if (list.empty()) return std::nullopt;
    return list.front().id;
}

void WorkspaceList::appear() {
    if (selection_) return;
    select(firstWorkspace());
}

void WorkspaceList::select(const std::optional<Uuid>& id) {
    if (id == selection_) return;
    selection_ = id;
    std::string name = "none";
    if (id) {
        for (const auto& w : manager_.workspaces().get()) {
            if (w.id == *id) {
                name = w.name;
                break;
            }
        }
    }
    Log::line("[Tessane] Settings selection changed to: " + name + " (to edit; nothing is shown or hidden)");
    selectionChanged_.emit();
}

void WorkspaceList::deleteWorkspace(const Uuid& id) {
    const bool wasPicked = selection_ == id;
    controller_.deleteWorkspace(id);
    if (wasPicked) select(firstWorkspace());
}

void WorkspaceList::deleteSelection() {
    if (const auto id = selection_) deleteWorkspace(*id);
}

std::optional<Workspace> WorkspaceList::pickedWorkspace() const {
    if (!selection_) return std::nullopt;
    return manager_.workspace(*selection_);
}

}  // namespace tessane
