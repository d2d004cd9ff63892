// The icons the chrome shows. None of it changes state.
#include "controller/WorkspaceController.h"

#include "model/WorkspaceManager.h"
#include "platform/Applications.h"
#include "system/ExternalAppController.h"

#include <set>
#include <string>

namespace tessane {

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
