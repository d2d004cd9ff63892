#pragma once

#include "base/Geometry.h"
#include "base/Uuid.h"
#include "model/Workspace.h"
#include "platform/RunningApplications.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>
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

// What one show shares with the completions of its launches: the launches still out, the
// errors they reported, the applications whose launch failed before launch() returned, and,
// once the show armed it, the report to give when the last answers.
struct LaunchGroup {
    int outstanding = 0;
    std::vector<std::string> errors;
    std::set<std::string> failedAtOnce;
    std::function<void(const std::vector<std::string>&)> onAllDone;

    void leave() {
        if (--outstanding == 0 && onAllDone) std::exchange(onAllDone, nullptr)(errors);
    }
};

// What a show's launches leave for the rest of it.
struct ShowLaunches {
    std::set<std::string> launching;        // bundle identifiers still launching
    std::vector<ManagedApp> runningVisible;  // panes whose application ran and was not hidden
    std::optional<RunningApplication> primaryRunning;
};

// A gate that stops a show: the line it logs and what it presents after (nothing for none).
struct ShowStop {
    std::string line;
    std::function<void()> present;
};

}  // namespace tessane
