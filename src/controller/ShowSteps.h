#pragma once

#include "base/Geometry.h"
#include "base/Uuid.h"
#include "model/Workspace.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace tessane {

// What putting a workspace's container up hands on to its second half: the frame decided, the
// workspace made the front one and its session holding the frame; the chrome is still to come
// (and a relocated frame to be logged and stored).
struct OpenedFrame {
    Workspace workspace;  // as folded for the frame
    Rect frame;
    std::optional<Rect> relocatedFrom;
    // The frame was larger than its display and fitted onto it, rather than relocated from afar.
    bool fittedOntoItsDisplay = false;
};

// While a show moves the windows before its chrome is up: the workspace, and the ratios the
// tiling pass would have handed that chrome, for when it is up.
struct DeferredChrome {
    Uuid workspaceID;
    std::optional<std::vector<double>> ratios;
};

// What one look at a shown workspace's applications found (the readiness poll's step).
struct WindowReadiness {
    size_t running = 0;         // panes whose application runs
    size_t stillLaunching = 0;  // this show's launches with no running application yet
    bool launching = false;     // that, or an application not finished launching
    size_t ready = 0;
    int mainWindows = 0;
    bool chooserSeen = false;
    bool allReady() const { return stillLaunching == 0 && running > 0 && ready == running; }
};

}  // namespace tessane
