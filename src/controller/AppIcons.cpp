#include "controller/AppIcons.h"

#include "model/Workspace.h"
#include "platform/Applications.h"
#include "platform/MainQueue.h"
#include "system/ExternalAppController.h"

#include <utility>

namespace tessane {

AppIcons::AppIcons(MainQueue& queue, const Applications& applications, const ExternalAppController& appController)
    : queue(queue), applications(applications), appController(appController) {}

std::vector<Bytes> AppIcons::forWorkspace(const Workspace& workspace) const {
    std::vector<Bytes> icons;
    for (const auto& app : workspace.apps) icons.push_back(of(app).value_or(Bytes{}));
    return icons;
}

std::optional<Bytes> AppIcons::of(const ManagedApp& app) const {
    constexpr int kIconSide = 128;
    std::optional<Bytes> icon;
    const auto path = applications.urlForApplication(app.bundleIdentifier);
    if (path) icon = applications.iconPNG(*path, kIconSide);
    // The running app's own entry, when it is another one (an entry not found by that id).
    if (!icon)
        if (const auto running = appController.runningApplication(app.bundleIdentifier);
            running && running->bundlePath && running->bundlePath != path)
            icon = applications.iconPNG(*running->bundlePath, kIconSide);
    return icon;
}

void AppIcons::prepareFrom(std::vector<ManagedApp> apps, size_t next) {
    if (next >= apps.size()) return;
    queue.post(lifetime.guard([this, apps = std::move(apps), next]() mutable {
        of(apps[next]);  // the catalogue keeps what it made
        prepareFrom(std::move(apps), next + 1);
    }));
}

}  // namespace tessane
