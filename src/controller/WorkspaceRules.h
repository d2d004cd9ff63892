#pragma once

#include "base/Geometry.h"
#include "base/Uuid.h"
#include "controller/WorkspaceControllerTypes.h"
#include "model/LayoutType.h"
#include "model/ManagedApp.h"
#include "model/Workspace.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

// The controller's pure rules: how a workspace's layout is read for geometry, which split ratios
// are in force, the fixed text forms of rectangles and workspaces in the log, and the words of the
// waits it tells the user about. The answers depend on the arguments alone.
namespace tessane::workspace_rules {

// What a tiling depends on (the panes' order, the layout, the three-column mode): a change of it
// is an edit the shown workspace is tiled again for.
std::string signature(const Workspace& workspace);

// A rectangle in the log: "(x,y w×h)" and "x=… y=… w=… h=…", whole points.
std::string rectLog(const Rect& rect);
std::string rectDescription(const Rect& rect);

// The workspace as its saved checkpoint has it (frame, home on `topology`, ratios); unchanged
// without one.
Workspace restoredToCheckpoint(const Workspace& workspace, const std::optional<std::string>& topology);

// A three-pane left/right-two layout in the three-column mode.
bool isThreeColumns(const Workspace& workspace);
// The layout the geometry is cut by: three columns unless folded back, else the stored type.
LayoutType geometryType(const Workspace& workspace);
std::vector<double> threeColumnsRatios(const Workspace& workspace);
// The stored ratios with the first clamped so that each side of it keeps a usable pane in
// `container` (the three-column solver's own ratios as they are).
std::vector<double> effectiveRatios(const Workspace& workspace, const Rect& container);
// The ratios the workspace stores, none when it stores none.
std::vector<double> storedRatios(const Workspace& workspace);

// The index of the app's pane and its rectangle; none when it has no pane or no rectangle.
std::optional<std::pair<int, Rect>> paneRect(const Uuid& appID, const std::vector<ManagedApp>& apps,
                                             const std::vector<Rect>& rects);

// `parts` one after another with `separator` between them.
std::string joined(const std::vector<std::string>& parts, const std::string& separator);

// The notice's title and message for the applications a workspace waits for; none for none.
std::optional<std::pair<std::string, std::string>> windowlessWaitMessage(
    const std::vector<workspace_controller::WindowlessApp>& apps);

// "<app> <windows>/<panes>" for each, joined with ", " (the show's log lines).
std::string shortOfWindowsEntries(const std::vector<workspace_controller::ShortOfWindows>& shortApps);

}  // namespace tessane::workspace_rules
