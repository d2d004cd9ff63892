#include "controller/ShownWorkspaces.h"

#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"
#include "platform/RunningApplications.h"
#include "system/AXWindowController.h"
#include "system/ExternalAppController.h"

#include <algorithm>

namespace tessane {

namespace {

bool holdsApp(const Workspace& workspace, const std::string& bundleID) {
    return std::any_of(workspace.apps.begin(), workspace.apps.end(),
                       [&](const ManagedApp& a) { return a.bundleIdentifier == bundleID; });
}

}  // namespace

ShownWorkspaces::ShownWorkspaces(WorkspaceManager& manager, Accessibility& accessibility,
                                 const RunningApplications& applications, ExternalAppController& appController,
                                 AXWindowController& axController, Hooks hooks)
    : manager(manager),
      accessibility(accessibility),
      applications(applications),
      appController(appController),
      axController(axController),
      hooks(std::move(hooks)) {}

void ShownWorkspaces::publishNames() {
    Names names;
    for (const auto& [id, session] : sessions_)
        if (const auto ws = manager.workspace(id)) names.push_back(ws->name);
    std::sort(names.begin(), names.end());
    if (names != names_.get()) names_.set(std::move(names));
}

void ShownWorkspaces::stampFront(const Uuid& workspaceID) {
    ++frontSequence_;
    if (auto* session = sessions_.find(workspaceID)) session->frontOrder = frontSequence_;
    std::erase(recentWorkspaceIDs_, workspaceID);
    recentWorkspaceIDs_.insert(recentWorkspaceIDs_.begin(), workspaceID);
}

void ShownWorkspaces::promoteFront() {
    std::optional<Uuid> chosen;
    uint64_t best = 0;
    for (const auto& [id, session] : sessions_) {
        if (chosen && (session->frontOrder < best || (session->frontOrder == best && id.string() < chosen->string())))
            continue;
        chosen = id;
        best = session->frontOrder;
    }
    const auto alive = lifetime.liveness();
    manager.setActiveWorkspace(chosen);
    if (!alive || !chosen) return;  // the change's observers may have ended the controller
    stampFront(*chosen);
    const auto* session = sessions_.find(*chosen);
    if (!hooks.stageManagerActive() && session->fullScreenPids.empty()) session->chrome->orderFront();
}

std::string ShownWorkspaces::logName(const std::optional<Uuid>& id) const {
    if (!id) return "none";
    const auto ws = manager.workspace(*id);
    return ws ? ws->name : "none";
}

std::optional<Workspace> ShownWorkspaces::owning(const std::string& bundleID) const {
    for (const auto& id : sessions_.keys()) {
        auto ws = manager.workspace(id);
        if (ws && holdsApp(*ws, bundleID)) return ws;
    }
    return std::nullopt;
}

bool ShownWorkspaces::windowIsGone(const AXElement& window) const {
    const auto size = accessibility.copyAttribute(window, ax::kSize);
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

void ShownWorkspaces::pruneDeadWindows(const Uuid& workspaceID) {
    auto* session = sessions_.find(workspaceID);
    if (!session || session->elements.empty()) return;
    std::vector<TrackedWindow> alive;
    std::vector<TrackedWindow> dead;
    for (const auto& tracked : session->elements)
        (windowIsGone(tracked.element) ? dead : alive).push_back(tracked);
    if (dead.empty()) return;
    for (const auto& tracked : dead) hooks.forgetCachedWindow(tracked.appID);
    Log::line("[Tessane] Dropped " + std::to_string(dead.size()) + " tracked window(s) that no longer exist.");
    session->elements = std::move(alive);
    hooks.rebuildObservers();
}

std::optional<std::string> ShownWorkspaces::focusedAppBundleID(const Workspace& workspace) const {
    std::vector<std::string> candidates;
    if (lastActivatedBundleID_) candidates.push_back(*lastActivatedBundleID_);
    if (auto front = applications.frontmostApplication(); front && front->bundleIdentifier)
        candidates.push_back(*front->bundleIdentifier);
    for (const auto& candidate : candidates)
        if (holdsApp(workspace, candidate)) return candidate;
    return std::nullopt;
}

std::optional<Uuid> ShownWorkspaces::focusedPaneAppID(const Workspace& workspace,
                                                      const WorkspaceSession& session) const {
    if (!accessibility.isProcessTrusted()) return std::nullopt;
    const auto bundleID = focusedAppBundleID(workspace);
    if (!bundleID) return std::nullopt;
    const auto running = appController.runningApplication(*bundleID);
    if (!running) return std::nullopt;
    const auto focused = axController.focusedWindow(running->pid);
    if (!focused) return std::nullopt;
    for (const auto& tracked : session.elements)
        if (tracked.element == *focused) return tracked.appID;
    return std::nullopt;
}

}  // namespace tessane
