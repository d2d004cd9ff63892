#include "model/Workspace.h"

#include <cmath>

namespace tessane {

const ManagedApp* Workspace::primaryApp() const {
    if (primaryAppID) {
        for (const auto& app : apps)
            if (app.id == *primaryAppID) return &app;
    }
    if (primaryAppBundleIdentifier) {
        for (const auto& app : apps)
            if (app.bundleIdentifier == *primaryAppBundleIdentifier) return &app;
    }
    return apps.empty() ? nullptr : &apps.front();
}

std::optional<Rect> Workspace::homeFrame(const std::optional<std::string>& topology) const {
    if (!topology || !topologyFrames) return std::nullopt;
    auto it = topologyFrames->find(*topology);
    if (it == topologyFrames->end()) return std::nullopt;
    const RectModel& frame = it->second;
    // Written so that a NaN size also counts as "not greater than zero".
    if (!(std::fabs(frame.width) > 0) || !(std::fabs(frame.height) > 0)) return std::nullopt;
    return frame.rect();
}

std::string Workspace::appsSummary() const {
    if (apps.empty()) return "No apps";
    std::string summary;
    for (size_t i = 0; i < apps.size(); ++i) {
        if (i) summary += ", ";
        summary += apps[i].displayName;
    }
    return summary;
}

}  // namespace tessane
