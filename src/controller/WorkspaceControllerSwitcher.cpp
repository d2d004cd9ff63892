// The workspace switcher: with Option and Command held, each Tab press opens the panel or moves
// its selection; letting go of the modifiers shows the chosen workspace and puts away the others
// shown on its display. The list is made once per opening.
#include "controller/WorkspaceController.h"

#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/EventMonitors.h"

namespace tessane {

namespace {

constexpr uint32_t kSwitcherModifiers = ModifierFlag::option | ModifierFlag::command;

bool isOffered(const Workspace& ws) {
    if (ws.apps.empty()) return false;
    const auto required = layout_types::requiredApps(ws.layout.type);
    return !required || ws.apps.size() == *required;
}

bool bothHeld(uint64_t flags) { return (flags & kSwitcherModifiers) == kSwitcherModifiers; }

}  // namespace

bool WorkspaceController::switcherModifiersHeld() const {
    // Without a way to read the keyboard, only the monitor's report of a release commits.
    return !env.platform.eventMonitors || bothHeld(env.platform.eventMonitors->modifierFlags());
}

void WorkspaceController::advanceSwitcher(int by) {
    if (switcherPanel->isOpen()) {
        const int n = static_cast<int>(switcher.switcherList.size());
        if (n > 0) switcher.switcherIndex = ((switcher.switcherIndex + by) % n + n) % n;
        // The items stay as they were when the switcher opened; only the highlight moves.
        if (!switcherPanel->items().empty()) {
            switcherPanel->select(switcher.switcherIndex);
            switcherPanel->layout();
        }
    } else {
        std::vector<Uuid> valid;
        for (const auto& ws : manager.workspaces().get())
            if (isOffered(ws)) valid.push_back(ws.id);
        std::optional<Uuid> front = manager.activeWorkspaceID().get();
        if (front && !sessions.contains(*front)) front.reset();
        switcher.switcherList = switcherOrder(recentWorkspaceIDs, valid, front);
        const int n = static_cast<int>(switcher.switcherList.size());
        if (n == 0) return;
        const bool frontLeads = front && switcher.switcherList.front() == *front && n >= 2;
        switcher.switcherIndex = by >= 0 ? (frontLeads ? 1 : 0) : n - 1;
        switcherPanel->show(switcherItems(), switcher.switcherIndex);
        startSwitcherFlagsMonitor();
    }
    // A release that came before the monitor could report it.
    if (!switcherModifiersHeld()) commitSwitcher();
}

std::vector<WorkspaceSwitcherItem> WorkspaceController::switcherItems() const {
    std::vector<WorkspaceSwitcherItem> items;
    for (const auto& id : switcher.switcherList)
        if (const auto ws = manager.workspace(id)) items.push_back({ws->name, appIcons(*ws), sessions.contains(id)});
    return items;
}

void WorkspaceController::startSwitcherFlagsMonitor() {
    if (!switcher.switcherFlagsMonitors.empty() || !env.input) return;
    // Global input on this desktop reaches us whichever window has the keyboard, so one monitor
    // serves for our own windows too.
    const auto token = env.input->addGlobalMonitor(GlobalInput::kFlagsChanged, lifetime.guard([this](const GlobalInput::Event& event) {
        if (switcherPanel->isOpen() && !bothHeld(event.modifierFlags)) commitSwitcher();
    }));
    if (token) switcher.switcherFlagsMonitors.push_back(*token);
}

void WorkspaceController::stopSwitcherFlagsMonitor() {
    if (env.input)
        for (auto token : switcher.switcherFlagsMonitors) env.input->removeMonitor(token);
    switcher.switcherFlagsMonitors.clear();
}

void WorkspaceController::commitSwitcher() {
    if (!switcherPanel->isOpen()) return;
    if (switcher.switcherIndex < 0 || switcher.switcherIndex >= static_cast<int>(switcher.switcherList.size())) return;
    switcherPanel->close();
    stopSwitcherFlagsMonitor();
    const Uuid target = switcher.switcherList[switcher.switcherIndex];
    switcher.switcherList.clear();
    const std::optional<Uuid> previous = manager.activeWorkspaceID().get();
    if (previous == target && sessions.contains(target)) return;

    showWorkspace(target, lifetime.guard([this, target, previous] {
        const auto* shown = sessions.find(target);
        if (!shown || !shown->containerAXRect) return;
        const auto display = displayID(*shown->containerAXRect);
        if (!display) return;
        std::vector<std::pair<Uuid, std::optional<uint32_t>>> others;
        for (const auto& id : sessions.keys()) {
            const auto* session = sessions.find(id);
            others.emplace_back(id, session->containerAXRect ? displayID(*session->containerAXRect) : std::nullopt);
        }
        const auto putAway = workspacesToSwapOut(target, *display, others);
        std::string line = "[Tessane] Switcher: ‘" + workspaceLogName(previous) + "’ → ‘" + workspaceLogName(target) + "’";
        if (putAway.empty()) {
            line += ".";
        } else {
            std::string names;
            for (const auto& id : putAway) names += (names.empty() ? "‘" : ", ‘") + workspaceLogName(id) + "’";
            line += ", put away " + names + " on the same display.";
        }
        Log::line(line);
        // hideWorkspace keeps an application up while another shown workspace, the target
        // among them, still tiles it.
        for (const auto& id : putAway) hideWorkspace(id);
    }));
}

}  // namespace tessane
