// The seed of a new workspace: the distinct applications whose windows are in front now, as
// fresh workspace records for the builder.
#include "controller/WorkspaceController.h"
#include "model/AppRegistry.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"
#include "platform/Applications.h"
#include "platform/Environment.h"
#include "system/WorkspaceCapture.h"

#include <cstdio>

namespace tessane {

std::vector<ManagedApp> WorkspaceController::seedAppsFromCurrentWindows(int limit) {
    const Platform& p = env.platform;
    if (!p.accessibility->isProcessTrusted()) return {};
    const TimeInterval start = queue.now();

    // The scan may outlive nothing of ours, but the owner lookup still asks only while we exist.
    auto owning = [alive = lifetime.liveness(), this](const std::string& bundleID) -> std::optional<std::string> {
        if (!alive) return std::nullopt;
        auto owner = manager.workspaceUsing(bundleID, std::nullopt);
        if (!owner) return std::nullopt;
        return owner->name;
    };
    const WorkspaceCapture capture(axController, owning,
                                   {p.windowList, p.applications, p.screens, &queue,
                                    p.environment->processIdentifier()});

    const AppRegistry registry(*p.applications);
    std::vector<ManagedApp> seed;
    for (const auto& candidate : capture.distinctFrontApps(limit)) {
        if (!candidate.app.bundlePath) continue;
        try {
            seed.push_back(registry.makeManagedApp(*candidate.app.bundlePath));
        } catch (const std::exception&) {
            // Left out of the seed without a word; the log line lists only what was seeded.
        }
    }

    std::string names;
    for (const auto& app : seed) names += (names.empty() ? "" : " + ") + app.displayName;
    char elapsed[32];
    std::snprintf(elapsed, sizeof elapsed, " (%.0f ms)", (queue.now() - start) * 1000.0);
    Log::line("[Tessane] Builder seed from current windows: " + (seed.empty() ? std::string("none") : names) +
              elapsed);
    return seed;
}

}  // namespace tessane
