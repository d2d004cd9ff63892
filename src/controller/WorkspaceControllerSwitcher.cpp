// What the workspace switcher offers and does: the workspaces it lists, and the show of the chosen
// one, which puts away the others shown on its display.
#include "controller/WorkspaceController.h"

#include "controller/WorkspaceOrdering.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"

namespace tessane {

namespace {

bool isOffered(const Workspace& ws) {
    if (ws.apps.empty()) return false;
    const auto required = layout_types::requiredApps(ws.layout.type);
    return !required || ws.apps.size() == *required;
}

}  // namespace

std::unique_ptr<WorkspaceSwitcher> WorkspaceController::makeSwitcher() {
    WorkspaceSwitcher::Callbacks callbacks;
    callbacks.offer = [this] {
        std::vector<Uuid> valid;
        for (const auto& ws : manager.workspaces().get())
            if (isOffered(ws)) valid.push_back(ws.id);
        std::optional<Uuid> front = manager.activeWorkspaceID().get();
        if (front && !sessions.contains(*front)) front.reset();
        const auto& recent = shownWorkspaces.recentWorkspaceIDs();
        return WorkspaceSwitcher::Offer{ordering::switcherOrder(recent, valid, front), front};
    };
    callbacks.items = [this](const std::vector<Uuid>& list) {
        std::vector<WorkspaceSwitcherItem> items;
        for (const auto& id : list)
            if (const auto ws = manager.workspace(id)) items.push_back({ws->name, icons.forWorkspace(*ws), sessions.contains(id)});
        return items;
    };
    callbacks.chosen = [this](const Uuid& target) { switchTo(target); };
    return std::make_unique<WorkspaceSwitcher>(env.makeSwitcher(), env.input, env.platform.eventMonitors,
                                               std::move(callbacks));
}

void WorkspaceController::advanceSwitcher(int by) { switcher->advance(by); }

void WorkspaceController::switchTo(const Uuid& target) {
    const std::optional<Uuid> previous = manager.activeWorkspaceID().get();
    if (previous == target && sessions.contains(target)) return;

    showWorkspace(target, lifetime.guard([this, target, previous] {
        const auto* shown = sessions.find(target);
        if (!shown || !shown->containerAXRect) return;
        const auto display = displays.displayID(*shown->containerAXRect);
        if (!display) return;
        std::vector<std::pair<Uuid, std::optional<uint32_t>>> others;
        for (const auto& id : sessions.keys()) {
            const auto* session = sessions.find(id);
            others.emplace_back(
                id, session->containerAXRect ? displays.displayID(*session->containerAXRect) : std::nullopt);
        }
        const auto putAway = ordering::workspacesToSwapOut(target, *display, others);
        std::string line = "[Tessane] Switcher: ‘" + shownWorkspaces.logName(previous) + "’ → ‘" +
                           shownWorkspaces.logName(target) + "’";
        if (putAway.empty()) {
            line += ".";
        } else {
            std::string names;
            for (const auto& id : putAway) names += (names.empty() ? "‘" : ", ‘") + shownWorkspaces.logName(id) + "’";
            line += ", put away " + names + " on the same display.";
        }
        Log::line(line);
        // hideWorkspace keeps an application up while another shown workspace, the target
        // among them, still tiles it.
        for (const auto& id : putAway) hideWorkspace(id);
    }));
}

}  // namespace tessane
