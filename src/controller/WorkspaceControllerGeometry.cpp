// How a workspace's layout is read for geometry (the three-column mode included), which split
// ratios are in force, which display a rectangle is on, the icons the chrome shows, the fixed text
// forms of rectangles and displays in the log. None of it changes state.
#include "controller/WorkspaceController.h"

#include "controller/WholePoints.h"
#include "layout/LayoutEngine.h"
#include "layout/ScreenGeometry.h"
#include "model/WorkspaceManager.h"
#include "platform/Applications.h"
#include "platform/Screens.h"
#include "system/ExternalAppController.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

namespace tessane {

namespace {

constexpr double kMinimumPane = 320;

bool splitsAlongHeight(LayoutType type) {
    return type == LayoutType::topBottomSplit || type == LayoutType::threeTopTwoBottomOne ||
           type == LayoutType::threeTopOneBottomTwo;
}

}  // namespace

bool WorkspaceController::isThreeColumns(const Workspace& workspace) {
    return workspace.layout.threeColumns.has_value() && workspace.apps.size() == 3 &&
           workspace.layout.type == LayoutType::threeLeftOneRightTwo;
}

LayoutType WorkspaceController::geometryType(const Workspace& workspace) {
    if (!isThreeColumns(workspace)) return workspace.layout.type;
    return workspace.layout.threeColumns->folded ? LayoutType::threeLeftOneRightTwo : LayoutType::threeColumns;
}

std::vector<double> WorkspaceController::storedRatios(const Workspace& workspace) const {
    return workspace.layout.ratios.value_or(std::vector<double>{});
}

std::vector<double> WorkspaceController::threeColumnsRatios(const Workspace& workspace) {
    const auto& ratios = workspace.layout.ratios;
    return {LayoutEngine::ratioValue(ratios, 0, geometryType(workspace)),
            LayoutEngine::ratioValue(ratios, 1, LayoutType::leftRightSplit)};
}

std::vector<double> WorkspaceController::effectiveRatios(const Workspace& workspace, const Rect& container) {
    std::vector<double> ratios = workspace.layout.ratios.value_or(std::vector<double>{});
    const LayoutType type = geometryType(workspace);
    if (type == LayoutType::threeColumns) return ratios;  // the three-column solver owns these
    const double extent = splitsAlongHeight(type) ? container.height() : container.width();
    const double available = std::max(0.0, extent - 8);
    const double first =
        LayoutEngine::clampSplitRatio(LayoutEngine::ratioValue(workspace.layout.ratios, 0, type), available, kMinimumPane);
    if (ratios.empty())
        ratios.push_back(first);
    else
        ratios[0] = first;
    return ratios;
}

std::string WorkspaceController::rectLog(const Rect& rect) {
    return "(" + wholePoints(rect.origin.x) + "," + wholePoints(rect.origin.y) + " " + wholePoints(rect.size.width) + "×" +
           wholePoints(rect.size.height) + ")";
}

std::string WorkspaceController::rectDescription(const Rect& rect) {
    return "x=" + wholePoints(rect.origin.x) + " y=" + wholePoints(rect.origin.y) + " w=" + wholePoints(rect.size.width) +
           " h=" + wholePoints(rect.size.height);
}

std::optional<std::pair<int, Rect>> WorkspaceController::paneRect(const Uuid& appID, const std::vector<ManagedApp>& apps,
                                                                  const std::vector<Rect>& rects) {
    const auto it = std::find_if(apps.begin(), apps.end(), [&](const ManagedApp& app) { return app.id == appID; });
    if (it == apps.end()) return std::nullopt;
    const auto index = static_cast<size_t>(it - apps.begin());
    if (index >= rects.size()) return std::nullopt;
    return std::pair<int, Rect>{static_cast<int>(index), rects[index]};
}

std::string WorkspaceController::screensLogSummary() const {
    const double primaryHeight = ScreenGeometry::primaryDisplayHeight(*env.platform.screens);
    std::string items;
    int index = 0;
    for (const auto& screen : env.platform.screens->screens()) {
        if (index > 0) items += "; ";
        items += "screen" + std::to_string(index++) + " visible=" +
                 rectLog(ScreenGeometry::axRectFromScreen(screen.visibleFrame, primaryHeight));
    }
    return "displays(AX): [" + items + "]";
}

std::optional<uint32_t> WorkspaceController::displayID(const Rect& axRect) const {
    const double primaryHeight = ScreenGeometry::primaryDisplayHeight(*env.platform.screens);
    const Rect screenRect = ScreenGeometry::screenRectFromAX(axRect, primaryHeight);
    const Point centre{screenRect.midX(), screenRect.midY()};
    for (const auto& screen : env.platform.screens->screens())
        if (screen.frame.contains(centre)) return screen.displayNumber;
    return std::nullopt;
}

std::vector<Bytes> WorkspaceController::appIcons(const Workspace& workspace) const {
    std::vector<Bytes> icons;
    for (const auto& app : workspace.apps) icons.push_back(appIcon(app).value_or(Bytes{}));
    return icons;
}

std::optional<Bytes> WorkspaceController::appIcon(const ManagedApp& app) const {
    constexpr int kIconSide = 128;
    Applications& apps = *env.platform.applications;
    std::optional<Bytes> icon;
    const auto path = apps.urlForApplication(app.bundleIdentifier);
    if (path) icon = apps.iconPNG(*path, kIconSide);
    // The running app's own entry, when it is another one (an entry not found by that id).
    if (!icon)
        if (const auto running = appController->runningApplication(app.bundleIdentifier);
            running && running->bundlePath && running->bundlePath != path)
            icon = apps.iconPNG(*running->bundlePath, kIconSide);
    return icon;
}

void WorkspaceController::prepareAppIcons() {
    // Each app once, however many workspaces tile it (a long list holds the same few apps).
    std::vector<ManagedApp> apps;
    std::set<std::string> seen;
    for (const auto& ws : manager.workspaces().get())
        for (const auto& app : ws.apps)
            if (seen.insert(app.bundleIdentifier).second) apps.push_back(app);
    prepareAppIcons(std::move(apps), 0);
}

void WorkspaceController::prepareAppIcons(std::vector<ManagedApp> apps, size_t next) {
    if (next >= apps.size()) return;
    queue.post(lifetime.guard([this, apps = std::move(apps), next]() mutable {
        appIcon(apps[next]);  // the catalogue keeps what it made
        prepareAppIcons(std::move(apps), next + 1);
    }));
}

}  // namespace tessane
