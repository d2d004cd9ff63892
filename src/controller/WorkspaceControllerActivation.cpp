// When the user brings an application forward, the chrome follows: the workspace that owns it
// becomes the front one, the other workspaces' chrome steps aside, a solo that no longer fits
// ends, and entering a workspace from outside brings its other applications up with it.
#include "controller/WorkspaceController.h"

#include "controller/TipsChrome.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"

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
        if (const auto owner = shownWorkspaces.owning(*bundleID)) {
            manager.setActiveWorkspace(owner->id);
            shownWorkspaces.stampFront(owner->id);
            if (solo.owns(owner->id)) {
                const auto soloed = soloedApp(*solo.current());
                if (!soloed || soloed->bundleIdentifier != *bundleID) restoreFromSolo();
            }

            const auto* session = sessions.find(owner->id);
            const bool chromeVisible = session && session->chrome->isVisible();
            const auto& previous = shownWorkspaces.lastActivatedBundleID();
            const bool previousInside =
                previous && std::any_of(owner->apps.begin(), owner->apps.end(),
                                        [&](const ManagedApp& a) { return a.bundleIdentifier == *previous; });
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
    if (bundleID != env.ownBundleIdentifier) shownWorkspaces.setLastActivatedBundleID(bundleID);
}

}  // namespace tessane
