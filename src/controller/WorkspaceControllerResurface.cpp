// Entering a shown workspace from outside brings only the chosen application forward by itself.
// Resurfacing brings the whole group up: the workspace's applications are activated one after
// another, 0.2 s apart, their tiled windows raised, the chosen one last so that it ends in front.
// The activations the sequence causes are its own and ignored (`isResurfacing`); afterwards every
// tracked window gets a drift check. The latest request wins: a newer sequence, a show or a hide
// ends what is left of an older sequence, and of an earlier show's own activation. The focus the
// window manager hands to another window after a hide is not the user's choice either.
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
    if (stage.isActive()) return;
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

    startRaiseSequence(running, workspace.id);
}

void WorkspaceController::startRaiseSequence(const std::vector<RunningApplication>& apps, const Uuid& workspaceID) {
    const uint64_t generation = raise.start(workspaceID);
    isResurfacing = true;
    activateInSequence(apps, 0, workspaceID, generation);
}

void WorkspaceController::supersedeRaiseSequence() {
    if (raise.supersede()) isResurfacing = false;
}

void WorkspaceController::activateInSequence(const std::vector<RunningApplication>& apps, size_t index,
                                             const Uuid& workspaceID, uint64_t generation) {
    if (!raise.isCurrent(generation)) return;  // superseded
    // A workspace hidden while its sequence runs ends the sequence: the next step would unhide an
    // application Tessane has just hidden and drop it from the ledger, so it would neither stay
    // hidden nor be given back at quit.
    if (index >= apps.size() || !sessions.contains(workspaceID)) {
        queue.postAfter(kSequenceSettle, lifetime.guard([this, workspaceID, generation] {
            if (!raise.finish(generation)) return;
            isResurfacing = false;
            guard.pulse();
            queue.postAfter(kStayedCheckDelay,
                            lifetime.guard([this, workspaceID] { drift.checkAllWindowsStayed(workspaceID); }));
        }));
        return;
    }

    const RunningApplication& app = apps[index];
    Applications& applications = *env.platform.applications;
    // The list was taken when the sequence started: ask for the application's state now.
    if (const auto current = applications.runningApplication(app.pid)) {
        if (current->isHidden) applications.unhide(app.pid);
        if (app.bundleIdentifier) hiddenApps.forget({*app.bundleIdentifier});
        raise.noteActivated(app.pid);
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

    queue.postAfter(kActivationStep, lifetime.guard([this, apps, index, workspaceID, generation] {
        activateInSequence(apps, index + 1, workspaceID, generation);
    }));
}

}  // namespace tessane
