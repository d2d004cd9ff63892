#pragma once

#include "base/Geometry.h"
#include "base/Uuid.h"
#include "model/Layout.h"
#include "model/LayoutCheckpoint.h"
#include "model/ManagedApp.h"
#include "model/RectModel.h"
#include "model/ShortcutConfig.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tessane {

// A named group of applications with its layout. `apps` is in pane order: app i goes to pane i.
struct Workspace {
    Uuid id = Uuid::random();
    std::string name;
    std::vector<ManagedApp> apps;
    Layout layout;
    std::optional<std::string> primaryAppBundleIdentifier;
    std::optional<Uuid> primaryAppID;
    std::optional<ShortcutConfig> shortcut;
    // The last container frame, whatever the displays were.
    std::optional<RectModel> lastContainerFrame;
    // The container frame remembered per set of displays (keyed by the display-set fingerprint).
    std::optional<std::map<std::string, RectModel>> topologyFrames;
    std::optional<LayoutCheckpoint> savedLayout;
    bool isEnabled = true;

    // The app with `primaryAppID`, else the first with `primaryAppBundleIdentifier`, else the
    // first app; null only without apps. Points into this workspace.
    const ManagedApp* primaryApp() const;

    // The frame remembered for the display set `topology`, when there is one with a width and a
    // height (absolute values) greater than zero.
    std::optional<Rect> homeFrame(const std::optional<std::string>& topology) const;

    // The apps' display names joined by ", ", or "No apps".
    std::string appsSummary() const;

    bool operator==(const Workspace&) const = default;
};

}  // namespace tessane
