// When the user brings an application forward, the chrome follows: the workspace that owns it
// becomes the front one, the other workspaces' chrome steps aside, a solo that no longer fits
// ends, and entering a workspace from outside brings its other applications up with it.
#include "controller/WorkspaceController.h"

#include "controller/TipsChrome.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"
#include "platform/Applications.h"
#include "system/ExternalAppController.h"

#include <algorithm>

namespace tessane {

namespace {
const char* caseName(WorkspaceController::FrameVisibility visibility) {
    switch (visibility) {
        case WorkspaceController::FrameVisibility::show: return "show";
        case WorkspaceController::FrameVisibility::hide: return "hide";
        case WorkspaceController::FrameVisibility::keep: return "keep";
    }
    return "show";
}
}  // namespace

void WorkspaceController::handleAppActivated(const RunningApplication& app) {
    if (raiser.isOwnActivation(app)) return;

    const auto& bundleID = app.bundleIdentifier;
    if (bundleID && *bundleID != env.ownBundleIdentifier) {
        if (const auto owner = shownWorkspaceOwning(*bundleID)) {
            manager.setActiveWorkspace(owner->id);
            stampFront(owner->id);
            if (solo.owns(owner->id)) {
                const auto soloed = soloedApp(*solo.current());
                if (!soloed || soloed->bundleIdentifier != *bundleID) restoreFromSolo();
            }

            const auto* session = sessions.find(owner->id);
            const bool chromeVisible = session && session->chrome->isVisible();
            const bool previousInside =
                lastActivatedBundleID &&
                std::any_of(owner->apps.begin(), owner->apps.end(),
                            [&](const ManagedApp& a) { return a.bundleIdentifier == *lastActivatedBundleID; });
            const FrameVisibility visibility =
                previousInside && chromeVisible ? FrameVisibility::keep : FrameVisibility::show;
            Log::line("[Tessane] App focus: " + *bundleID + " — owner=" + owner->name + " → auto-frame " +
                      caseName(visibility));

            for (const auto& [id, other] : sessions)
                if (id != owner->id) other->chrome->orderOut();
            if (visibility == FrameVisibility::show) raiser.resurfaceWorkspace(*owner, bundleID);
            guard.pulse();
        } else {
            const bool anyVisible = std::any_of(sessions.begin(), sessions.end(),
                                                [](const auto& entry) { return entry.second->chrome->isVisible(); });
            if (anyVisible)
                Log::line("[Tessane] App focus: " + *bundleID + " — no shown workspace owns it → chrome aside");
            for (const auto& [id, session] : sessions) session->chrome->orderOut();
            if (workspaceTips->hasPanel()) workspaceTips->close();
        }
    }

    // Our own menus, panels and windows never count as the application last active.
    if (bundleID != env.ownBundleIdentifier) lastActivatedBundleID = bundleID;
}

std::optional<Workspace> WorkspaceController::shownWorkspaceOwning(const std::string& bundleID) const {
    for (const auto& id : sessions.keys()) {
        auto ws = manager.workspace(id);
        if (!ws) continue;
        if (std::any_of(ws->apps.begin(), ws->apps.end(),
                        [&](const ManagedApp& a) { return a.bundleIdentifier == bundleID; }))
            return ws;
    }
    return std::nullopt;
}

bool WorkspaceController::windowIsGone(const AXElement& window) const {
    const auto size = env.platform.accessibility->copyAttribute(window, ax::kSize);
    switch (size.error) {
        case AXError::success: return !size.value.asSize();
        // An application that does not answer in time, or an Accessibility service that is off,
        // says nothing about the window: it stays bound to its pane rather than being swapped
        // for another window of a busy application.
        case AXError::cannotComplete:
        case AXError::apiDisabled:
        case AXError::failure: return false;
        default: return true;
    }
}

void WorkspaceController::pruneDeadTrackedWindows(const Uuid& workspaceID) {
    auto* session = sessions.find(workspaceID);
    if (!session || session->elements.empty()) return;
    std::vector<TrackedWindow> alive;
    std::vector<TrackedWindow> dead;
    for (const auto& tracked : session->elements)
        (windowIsGone(tracked.element) ? dead : alive).push_back(tracked);
    if (dead.empty()) return;
    for (const auto& tracked : dead) tiling.windows().remove(tracked.appID);
    Log::line("[Tessane] Dropped " + std::to_string(dead.size()) + " tracked window(s) that no longer exist.");
    session->elements = std::move(alive);
    observers.rebuild();
}

std::optional<std::string> WorkspaceController::focusedWorkspaceAppBundleID(const Workspace& workspace) const {
    std::vector<std::string> candidates;
    if (lastActivatedBundleID) candidates.push_back(*lastActivatedBundleID);
    if (auto front = env.platform.applications->frontmostApplication(); front && front->bundleIdentifier)
        candidates.push_back(*front->bundleIdentifier);
    for (const auto& candidate : candidates)
        if (std::any_of(workspace.apps.begin(), workspace.apps.end(),
                        [&](const ManagedApp& a) { return a.bundleIdentifier == candidate; }))
            return candidate;
    return std::nullopt;
}

std::optional<Uuid> WorkspaceController::focusedPaneAppID(const Workspace& workspace,
                                                          const WorkspaceSession& session) const {
    if (!env.platform.accessibility->isProcessTrusted()) return std::nullopt;
    const auto bundleID = focusedWorkspaceAppBundleID(workspace);
    if (!bundleID) return std::nullopt;
    const auto running = appController->runningApplication(*bundleID);
    if (!running) return std::nullopt;
    const auto focused = axController.focusedWindow(running->pid);
    if (!focused) return std::nullopt;
    for (const auto& tracked : session.elements)
        if (tracked.element == *focused) return tracked.appID;
    return std::nullopt;
}

}  // namespace tessane
