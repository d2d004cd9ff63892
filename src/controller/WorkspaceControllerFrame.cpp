// Where a shown workspace's container is, and the frames of its windows.
#include "controller/WorkspaceController.h"

#include "layout/ScreenGeometry.h"
#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"
#include "platform/Applications.h"
#include "platform/Screens.h"

#include <algorithm>

namespace tessane {

// --------------------------------------------------------------------------- screen queries

Rect WorkspaceController::currentContainerAXRect(const Workspace& workspace) {
    if (const auto* session = sessions.find(workspace.id); session && session->containerAXRect)
        return *session->containerAXRect;
    return displays.containerRect(workspace);
}

std::optional<Rect> WorkspaceController::focusedManagedWindowFrameCocoa() {
    if (!env.platform.accessibility->isProcessTrusted()) return std::nullopt;
    const auto& active = manager.activeWorkspaceID().get();
    if (!active) return std::nullopt;
    const auto ws = manager.workspace(*active);
    if (!ws) return std::nullopt;

    std::vector<ManagedApp> candidates;
    const auto front = env.platform.applications->frontmostApplication();
    if (front && front->bundleIdentifier) {
        const auto it = std::find_if(ws->apps.begin(), ws->apps.end(),
                                     [&](const ManagedApp& a) { return a.bundleIdentifier == *front->bundleIdentifier; });
        if (it != ws->apps.end()) candidates.push_back(*it);
    }
    for (const auto& app : ws->apps)
        if (candidates.empty() || app.id != candidates.front().id) candidates.push_back(app);

    for (const auto& app : candidates)
        if (const auto frame = tiling.paneWindowFrame(app))
            return ScreenGeometry::screenRectFromAX(*frame, ScreenGeometry::primaryDisplayHeight(*env.platform.screens));
    return std::nullopt;
}

std::vector<Rect> WorkspaceController::managedWindowFramesAX(const Workspace& workspace) {
    std::vector<Rect> frames;
    if (!env.platform.accessibility->isProcessTrusted()) return frames;
    for (const auto& app : workspace.apps)
        if (const auto frame = tiling.paneWindowFrame(app)) frames.push_back(*frame);
    return frames;
}

}  // namespace tessane
