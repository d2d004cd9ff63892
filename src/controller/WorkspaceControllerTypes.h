#pragma once

#include "base/Geometry.h"
#include "base/Uuid.h"
#include "controller/ContainerChrome.h"
#include "controller/PaneFit.h"
#include "model/ManagedApp.h"
#include "platform/AccessibilityValue.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

// The values WorkspaceController takes and hands out, known there by these same names
// (WorkspaceController::TrackedWindow, ...): a shown workspace's session, what a tiling pass
// reports and decides, home offers, remembered documents.
namespace tessane::workspace_controller {

struct TrackedWindow {
    Uuid appID;
    Pid pid = 0;
    AXElement element;
    bool operator==(const TrackedWindow&) const = default;
};

// One per shown workspace.
struct WorkspaceSession {
    std::unique_ptr<ContainerChrome> chrome;
    std::optional<Rect> containerAXRect;
    std::vector<TrackedWindow> elements;
    std::set<Pid> fullScreenPids;
    uint64_t frontOrder = 0;
};

// An application with fewer windows than panes.
struct ShortOfWindows {
    std::string appName;
    std::string bundleID;
    int panes = 0;
    int windows = 0;
    bool operator==(const ShortOfWindows&) const = default;
};

// An application of a shown workspace with no window to tile yet.
struct WindowlessApp {
    std::string name;
    bool isOnDocumentChooser = false;
    bool needsAnotherWindow = false;
    bool operator==(const WindowlessApp&) const = default;
};

// What a tiling pass reports.
struct PlacementReport {
    std::vector<std::string> issues;
    std::vector<std::string> fullScreenApps;
    bool operator==(const PlacementReport&) const = default;
};

// The outcome of placing one pane.
struct ManagedPlacement {
    enum class Kind { bound, fullScreen, pending };
    Kind kind = Kind::pending;
    std::optional<AXElement> element;
    bool operator==(const ManagedPlacement&) const = default;
};

// The window chosen for a pane.
struct ResolvedWindow {
    AXElement element;
    bool isFullScreen = false;
    bool operator==(const ResolvedWindow&) const = default;
};

// Who is in front of a container's region.
enum class RegionFront { ownInFront, foreignInFront, inconclusive };

// What activating an owned application means for its workspace's chrome.
enum class FrameVisibility { show, hide, keep };

// Why hidden applications are given back.
enum class UnhideOccasion { quit, launchRecovery };

// A workspace that could go back to its home on a returning display.
struct HomeOffer {
    Uuid id;
    std::string name;
    Rect target;
    bool operator==(const HomeOffer&) const = default;
};

struct RememberedDocument {
    ManagedApp pane;
    std::filesystem::path url;
};

struct PaneFitReport {
    int checked = 0;
    std::vector<PaneFit> off;
};

struct FrontWorkspaceMenu {
    std::string name;
    std::unique_ptr<ChromeMenu> menu;
};

}  // namespace tessane::workspace_controller
