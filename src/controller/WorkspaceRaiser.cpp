#include "controller/WorkspaceRaiser.h"

#include "controller/ChromeGuard.h"
#include "controller/ContainerChrome.h"
#include "controller/StageManagerGate.h"
#include "controller/WorkspaceOrdering.h"
#include "model/HiddenAppLedger.h"
#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"
#include "platform/Applications.h"
#include "platform/Environment.h"
#include "system/AXWindowController.h"
#include "system/ExternalAppController.h"

#include <algorithm>
#include <utility>

namespace tessane {

namespace {
constexpr double kRaiseStep = 0.2;
constexpr double kRaiseSettle = 0.3;  // from the end of the sequence to clearing isResurfacing
constexpr double kStayedCheckAfterRaise = 0.5;
constexpr double kResurfacingFollowUp = 0.25;
}  // namespace

WorkspaceRaiser::WorkspaceRaiser(MainQueue& queue, Ports ports, std::string ownBundleIdentifier, Shown shown,
                                 Hooks hooks)
    : queue(queue),
      ports(ports),
      ownBundleIdentifier(std::move(ownBundleIdentifier)),
      shown(shown),
      hooks(std::move(hooks)),
      raise(queue, this->ownBundleIdentifier) {}

void WorkspaceRaiser::resurfaceWorkspace(const Workspace& workspace, const std::optional<std::string>& triggeredBy) {
    if (shown.stage.isActive()) return;
    // While one of its applications is in native fullscreen the chrome stays down (it would be
    // drawn over the fullscreen desktop); the fullscreen reconcile brings it back when it leaves.
    if (const auto* session = shown.sessions.find(workspace.id); session && session->fullScreenPids.empty())
        session->chrome->orderFront();

    std::vector<std::string> bundleIDs;
    for (const auto& app : workspace.apps) bundleIDs.push_back(app.bundleIdentifier);
    std::vector<RunningApplication> running;
    for (const auto& bundleID : ordering::resurfaceRaiseOrder(bundleIDs, triggeredBy))
        if (auto app = shown.apps.runningApplication(bundleID)) running.push_back(*app);
    if (running.size() < 2) return;  // nothing to sequence

    startRaiseSequence(running, workspace.id);
}

void WorkspaceRaiser::bringForwardApps(const Workspace& workspace) {
    std::vector<std::string> bundleIDs;
    for (const auto& app : workspace.apps) bundleIDs.push_back(app.bundleIdentifier);
    std::optional<std::string> primary;
    if (const ManagedApp* app = workspace.primaryApp()) primary = app->bundleIdentifier;

    std::vector<RunningApplication> running;
    for (const auto& bundleID : ordering::resurfaceRaiseOrder(bundleIDs, primary))
        if (auto app = shown.apps.runningApplication(bundleID)) running.push_back(*app);
    if (running.empty()) return;
    startRaiseSequence(running, workspace.id);
}

void WorkspaceRaiser::startRaiseSequence(const std::vector<RunningApplication>& apps, const Uuid& workspaceID) {
    const uint64_t generation = raise.start(workspaceID);
    isResurfacing_ = true;
    activateInSequence(apps, 0, workspaceID, generation);
}

void WorkspaceRaiser::supersedeRaiseSequence() {
    if (raise.supersede()) isResurfacing_ = false;
}

void WorkspaceRaiser::activateInSequence(const std::vector<RunningApplication>& apps, size_t index,
                                         const Uuid& workspaceID, uint64_t generation) {
    if (!raise.isCurrent(generation)) return;  // superseded
    // A workspace hidden while its sequence runs ends the sequence: the next step would unhide an
    // application Tessane has just hidden and drop it from the ledger, so it would neither stay
    // hidden nor be given back at quit.
    if (index >= apps.size() || !shown.sessions.contains(workspaceID)) {
        queue.postAfter(kRaiseSettle, lifetime.guard([this, workspaceID, generation] {
            if (!raise.finish(generation)) return;
            isResurfacing_ = false;
            shown.guard.pulse();
            queue.postAfter(kStayedCheckAfterRaise,
                            lifetime.guard([this, workspaceID] { hooks.checkAllWindowsStayed(workspaceID); }));
        }));
        return;
    }

    const RunningApplication& app = apps[index];
    Applications& applications = ports.applications;
    // The list was taken when the sequence started: ask for the application's state now.
    if (const auto current = applications.runningApplication(app.pid)) {
        if (current->isHidden) applications.unhide(app.pid);
        if (app.bundleIdentifier) shown.hiddenApps.forget({*app.bundleIdentifier});
        raise.noteActivated(app.pid);
        applications.activate(app.pid);

        Accessibility& accessibility = ports.accessibility;
        if (accessibility.isProcessTrusted()) {
            std::vector<AXElement> windows;
            if (const auto* session = shown.sessions.find(workspaceID))
                for (const auto& tracked : session->elements)
                    if (tracked.pid == app.pid) windows.push_back(tracked.element);
            if (windows.empty())
                if (const auto main = shown.axController.mainWindow(app.pid)) windows.push_back(main->element);
            for (const auto& window : windows) accessibility.performAction(window, ax::kRaise);
        }
    }

    queue.postAfter(kRaiseStep, lifetime.guard([this, apps, index, workspaceID, generation] {
        activateInSequence(apps, index + 1, workspaceID, generation);
    }));
}

void WorkspaceRaiser::endResurfacingSoon() {
    queue.postAfter(kResurfacingFollowUp, lifetime.guard([this] {
        isResurfacing_ = false;
        shown.guard.pulse();
    }));
}

std::optional<RunningApplication> WorkspaceRaiser::frontRunningApp(const Workspace& workspace) const {
    if (const ManagedApp* primary = workspace.primaryApp())
        if (auto running = shown.apps.runningApplication(primary->bundleIdentifier)) return running;
    for (const auto& app : workspace.apps)
        if (auto running = shown.apps.runningApplication(app.bundleIdentifier)) return running;
    return std::nullopt;
}

void WorkspaceRaiser::activateFrontApp(const Workspace& workspace) {
    if (const auto target = frontRunningApp(workspace)) ports.applications.activate(target->pid);
}

bool WorkspaceRaiser::isOwnActivation(const RunningApplication& app) {
    if (raise.isFocusHandedBack(app)) return true;  // the window manager's, after our own hide
    if (isResurfacing_) {
        // Our own sequence is activating the workspace's applications. Another application taking
        // the focus meanwhile is the user's choice, and the sequence's later steps would bury it.
        if (!raise.isRunning() || !isOutsideRaiseSequence(app)) return true;
        supersedeRaiseSequence();
    }
    // A superseded sequence's activation, heard late.
    return raise.isSupersededActivation(app.pid);
}

bool WorkspaceRaiser::isOutsideRaiseSequence(const RunningApplication& app) const {
    if (raise.hasActivated(app.pid) || !raise.workspaceID() || app.pid == ports.environment.processIdentifier())
        return false;
    if (!app.bundleIdentifier) return true;  // no workspace holds an application it can't name
    if (*app.bundleIdentifier == ownBundleIdentifier) return false;
    const auto workspace = shown.manager.workspace(*raise.workspaceID());
    return workspace && std::none_of(workspace->apps.begin(), workspace->apps.end(), [&](const ManagedApp& a) {
               return a.bundleIdentifier == *app.bundleIdentifier;
           });
}

}  // namespace tessane
