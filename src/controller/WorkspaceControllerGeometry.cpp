// The stored split ratios, which display a rectangle is on, the icons the chrome shows, the fixed
// text form of the displays in the log. None of it changes state.
#include "controller/WorkspaceController.h"

#include "controller/WorkspaceRules.h"
#include "layout/ScreenGeometry.h"
#include "model/WorkspaceManager.h"
#include "platform/Applications.h"
#include "platform/Screens.h"
#include "system/ExternalAppController.h"

#include <set>
#include <string>

namespace tessane {

std::vector<double> WorkspaceController::storedRatios(const Workspace& workspace) const {
    return workspace.layout.ratios.value_or(std::vector<double>{});
}

std::string WorkspaceController::screensLogSummary() const {
    const double primaryHeight = ScreenGeometry::primaryDisplayHeight(*env.platform.screens);
    std::string items;
    int index = 0;
    for (const auto& screen : env.platform.screens->screens()) {
        if (index > 0) items += "; ";
        items += "screen" + std::to_string(index++) + " visible=" +
                 workspace_rules::rectLog(ScreenGeometry::axRectFromScreen(screen.visibleFrame, primaryHeight));
    }
    return "displays(AX): [" + items + "]";
}

std::optional<uint32_t> WorkspaceController::displayID(const Rect& axRect) const {
    const double primaryHeight = ScreenGeometry::primaryDisplayHeight(*env.platform.screens);
    const Rect screenRect = ScreenGeometry::screenRectFromAX(axRect, primaryHeight);
    const Point centre{screenRect.midX(), screenRect.midY()};
    for (const auto& screen : env.platform.screens->screens())
        if (screen.frame.contains(centre)) return screen.displayNumber;
    return std::nullopt;
}

std::vector<Bytes> WorkspaceController::appIcons(const Workspace& workspace) const {
    std::vector<Bytes> icons;
    for (const auto& app : workspace.apps) icons.push_back(appIcon(app).value_or(Bytes{}));
    return icons;
}

std::optional<Bytes> WorkspaceController::appIcon(const ManagedApp& app) const {
    constexpr int kIconSide = 128;
    Applications& apps = *env.platform.applications;
    std::optional<Bytes> icon;
    const auto path = apps.urlForApplication(app.bundleIdentifier);
    if (path) icon = apps.iconPNG(*path, kIconSide);
    // The running app's own entry, when it is another one (an entry not found by that id).
    if (!icon)
        if (const auto running = appController->runningApplication(app.bundleIdentifier);
            running && running->bundlePath && running->bundlePath != path)
            icon = apps.iconPNG(*running->bundlePath, kIconSide);
    return icon;
}

void WorkspaceController::prepareAppIcons() {
    // Each app once, however many workspaces tile it (a long list holds the same few apps).
    std::vector<ManagedApp> apps;
    std::set<std::string> seen;
    for (const auto& ws : manager.workspaces().get())
        for (const auto& app : ws.apps)
            if (seen.insert(app.bundleIdentifier).second) apps.push_back(app);
    prepareAppIcons(std::move(apps), 0);
}

void WorkspaceController::prepareAppIcons(std::vector<ManagedApp> apps, size_t next) {
    if (next >= apps.size()) return;
    queue.post(lifetime.guard([this, apps = std::move(apps), next]() mutable {
        appIcon(apps[next]);  // the catalogue keeps what it made
        prepareAppIcons(std::move(apps), next + 1);
    }));
}

}  // namespace tessane
