// Other applications quitting and launching.
#include "controller/WorkspaceController.h"

#include "model/HiddenAppLedger.h"
#include "model/WorkspaceManager.h"
#include "system/ExternalAppController.h"

#include <algorithm>

namespace tessane {

void WorkspaceController::handleAppTerminated(const RunningApplication& app) {
    tiling.windows().invalidate(app.pid);
    if (app.bundleIdentifier) hiddenApps.forget({*app.bundleIdentifier});

    if (const auto& current = solo.current()) {
        const auto soloed = soloedApp(*current);
        const std::optional<std::string> soloedID =
            soloed ? std::optional<std::string>(soloed->bundleIdentifier) : std::nullopt;
        if (soloedID == app.bundleIdentifier) endSoloChrome();
    }

    if (!app.bundleIdentifier) return;
    const std::string& bundleID = *app.bundleIdentifier;
    const auto usesApp = [&bundleID](const Workspace& ws) {
        return std::any_of(ws.apps.begin(), ws.apps.end(),
                           [&](const ManagedApp& a) { return a.bundleIdentifier == bundleID; });
    };
    // Placement work already under way for the front workspace would reach for the quit app.
    if (const auto& active = manager.activeWorkspaceID().get())
        if (const auto ws = manager.workspace(*active); ws && usesApp(*ws)) tiling.standDown();

    for (const auto& id : sessions.keys())
        if (const auto ws = manager.workspace(id); ws && usesApp(*ws)) choosers.updateLoadingChrome(id);
}

void WorkspaceController::handleAppLaunched(const RunningApplication& app) {
    guard.pulse();
    if (!app.bundleIdentifier) return;
    if (!shownWorkspaces.owning(*app.bundleIdentifier)) return;
    observers.rebuild();
    if (sweep.hasEmptyPane()) sweep.restart();
}

}  // namespace tessane
