#pragma once

#include "base/Geometry.h"
#include "platform/RunningApplications.h"
#include "system/AXWindowController.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tessane {

class MainQueue;
class Screens;
class WindowList;

// The windows on screen now that could seed a new workspace: ordinary, visible, standard windows
// of regular applications, front to back, all on the display of the front-most accepted window,
// skipping applications that already belong to a workspace. Built for one request and dropped;
// it reads the window list and the Accessibility port and never changes a window.
//
// The scan stays quick even when an application does not answer: at most 8 applications are
// probed, no probe starts 0.4 s or more after the scan began, each message to a probed
// application times out after 0.2 s, and windows off the front display are turned away before
// any probe.
class WorkspaceCapture {
public:
    // One accepted window.
    struct Candidate {
        RunningApplication app;
        std::string displayName;  // localized name, else bundle identifier
        Rect frame;               // Accessibility coordinates
        bool operator==(const Candidate&) const = default;
    };

    struct Result {
        std::vector<Candidate> candidates;  // front to back
        // "<name> (in “<workspace>”)" per application skipped because a workspace holds it.
        std::vector<std::string> ownedNotes;
        bool operator==(const Result&) const = default;
    };

    // The name of the workspace that holds the bundle identifier, or none.
    using WorkspaceOwning = std::function<std::optional<std::string>(const std::string& bundleIdentifier)>;

    // What the scan reads besides the Accessibility port.
    struct Sources {
        const WindowList* windowList = nullptr;
        const RunningApplications* applications = nullptr;
        const Screens* screens = nullptr;
        const MainQueue* clock = nullptr;
        Pid ownPid = 0;  // our own windows are never candidates
    };

    static constexpr int kProbeBudgetApps = 8;
    static constexpr double kScanBudgetSeconds = 0.4;
    static constexpr float kProbeTimeout = 0.2f;
    static constexpr double kSlowProbeSeconds = 0.05;

    WorkspaceCapture(const AXWindowController& axController, WorkspaceOwning workspaceOwning, Sources sources)
        : axController_(axController), workspaceOwning_(std::move(workspaceOwning)), sources_(sources) {}

    // At most `limit` accepted windows. Logs at most two lines (slow probes, skip reasons).
    Result candidates(int limit) const;
    // Up to `limit` candidates of distinct applications, front to back.
    std::vector<Candidate> distinctFrontApps(int limit) const;

    // "A + B", or "A + B + 3 more" for five names.
    static std::string suggestedName(const std::vector<std::string>& displayNames);
    // The Accessibility-coordinate frame of the first display holding `point`, or none.
    static std::optional<Rect> screenFrame(Point point, const Screens& screens);

    // Why a window is not manageable ("role=AXWindow subrole=... size=640×480 id=nil"), or none
    // when it is.
    static std::optional<std::string> unmanageableReason(const AXWindowController::WindowInfo& info);

private:
    const AXWindowController& axController_;
    WorkspaceOwning workspaceOwning_;
    Sources sources_;
};

}  // namespace tessane
