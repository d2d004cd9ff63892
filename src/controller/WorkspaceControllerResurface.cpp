// Entering a shown workspace from outside brings only the chosen application forward by itself.
// Resurfacing brings the whole group up: the workspace's applications are activated one after
// another, 0.2 s apart, their tiled windows raised, the chosen one last so that it ends in front.
// The activations the sequence causes are its own and ignored (`isResurfacing`); afterwards every
// tracked window gets a drift check.
#include "controller/WorkspaceController.h"

#include "controller/WorkspaceOrdering.h"
#include "model/HiddenAppLedger.h"
#include "platform/Accessibility.h"
#include "platform/Applications.h"
#include "system/ExternalAppController.h"

namespace tessane {

namespace {
constexpr double kActivationStep = 0.2;
constexpr double kSequenceSettle = 0.3;  // from the end of the sequence to clearing isResurfacing
constexpr double kStayedCheckDelay = 0.5;
}  // namespace

void WorkspaceController::resurfaceWorkspace(const Workspace& workspace, const std::optional<std::string>& triggeredBy) {
    if (stage.stageManagerActive) return;
    // While one of its applications is in native fullscreen the chrome stays down (it would be
    // drawn over the fullscreen desktop); the fullscreen reconcile brings it back when it leaves.
    if (auto* session = sessions.find(workspace.id); session && session->fullScreenPids.empty())
        session->chrome->orderFront();

    std::vector<std::string> bundleIDs;
    for (const auto& app : workspace.apps) bundleIDs.push_back(app.bundleIdentifier);
    std::vector<RunningApplication> running;
    for (const auto& bundleID : ordering::resurfaceRaiseOrder(bundleIDs, triggeredBy))
        if (auto app = appController->runningApplication(bundleID)) running.push_back(*app);
    if (running.size() < 2) return;  // nothing to sequence

    isResurfacing = true;
    activateInSequence(running, 0, workspace.id);
}

void WorkspaceController::activateInSequence(const std::vector<RunningApplication>& apps, size_t index,
                                             const Uuid& workspaceID) {
    // A workspace hidden while the sequence runs stays hidden: the steps left would unhide its
    // applications again and drop them from the ledger. The sequence ends as usual.
    if (index > 0 && !sessions.find(workspaceID)) index = apps.size();
    if (index >= apps.size()) {
        queue.postAfter(kSequenceSettle, lifetime.guard([this, workspaceID] {
            isResurfacing = false;
            pulseChromeGuard();
            queue.postAfter(kStayedCheckDelay, lifetime.guard([this, workspaceID] { checkAllWindowsStayed(workspaceID); }));
        }));
        return;
    }

    const RunningApplication& app = apps[index];
    Applications& applications = *env.platform.applications;
    // The list was taken when the sequence started: ask for the application's state now.
    if (const auto current = applications.runningApplication(app.pid)) {
        if (current->isHidden) applications.unhide(app.pid);
        if (app.bundleIdentifier) hiddenApps.forget({*app.bundleIdentifier});
        applications.activate(app.pid);

        Accessibility& accessibility = *env.platform.accessibility;
        if (accessibility.isProcessTrusted()) {
            std::vector<AXElement> windows;
            if (const auto* session = sessions.find(workspaceID))
                for (const auto& tracked : session->elements)
                    if (tracked.pid == app.pid) windows.push_back(tracked.element);
            if (windows.empty())
                if (const auto main = axController.mainWindow(app.pid)) windows.push_back(main->element);
            for (const auto& window : windows) accessibility.performAction(window, ax::kRaise);
        }
    }

    queue.postAfter(kActivationStep, lifetime.guard([this, apps, index, workspaceID] {
        activateInSequence(apps, index + 1, workspaceID);
    }));
}

void WorkspaceController::checkAllWindowsStayed(const Uuid& workspaceID) {
    const auto* session = sessions.find(workspaceID);
    if (!session) return;  // hidden meanwhile
    const auto elements = session->elements;  // a correction may change the session
    for (const auto& tracked : elements) checkDrift(tracked.element, workspaceID);
}

}  // namespace tessane
