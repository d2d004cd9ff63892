// The chrome's icons of every workspace's apps, made ahead. None of it changes state.
#include "controller/WorkspaceController.h"

#include "model/WorkspaceManager.h"

#include <set>
#include <string>

namespace tessane {

void WorkspaceController::prepareAppIcons() {
    // Each app once, however many workspaces tile it (a long list holds the same few apps).
    std::vector<ManagedApp> apps;
    std::set<std::string> seen;
    for (const auto& ws : manager.workspaces().get())
        for (const auto& app : ws.apps)
            if (seen.insert(app.bundleIdentifier).second) apps.push_back(app);
    icons.prepare(std::move(apps));
}

}  // namespace tessane
