#include "controller/WorkspaceRules.h"

#include "controller/ContainerFrameRecord.h"
#include "controller/WholePoints.h"
#include "layout/LayoutEngine.h"

#include <algorithm>

namespace tessane::workspace_rules {

namespace {

// The narrowest a pane of a two-way split is let go when the stored ratio is read against a container.
constexpr double kSmallestSplitPane = 320;

bool splitsAlongHeight(LayoutType type) {
    return type == LayoutType::topBottomSplit || type == LayoutType::threeTopTwoBottomOne ||
           type == LayoutType::threeTopOneBottomTwo;
}

}  // namespace

std::string signature(const Workspace& workspace) {
    std::string out;
    for (size_t i = 0; i < workspace.apps.size(); ++i) {
        if (i) out += ",";
        out += workspace.apps[i].id.string();
    }
    out += "|";
    out += toString(workspace.layout.type);
    if (workspace.layout.threeColumns) out += "+columns";
    return out;
}

std::string rectLog(const Rect& rect) {
    return "(" + wholePoints(rect.origin.x) + "," + wholePoints(rect.origin.y) + " " + wholePoints(rect.size.width) +
           "×" + wholePoints(rect.size.height) + ")";
}

std::string rectDescription(const Rect& rect) {
    return "x=" + wholePoints(rect.origin.x) + " y=" + wholePoints(rect.origin.y) +
           " w=" + wholePoints(rect.size.width) + " h=" + wholePoints(rect.size.height);
}

Workspace restoredToCheckpoint(const Workspace& workspace, const std::optional<std::string>& topology) {
    if (!workspace.savedLayout) return workspace;
    Workspace out = rememberingContainerFrame(workspace, workspace.savedLayout->containerFrame.rect(), topology);
    out.layout.ratios = workspace.savedLayout->ratios;
    return out;
}

bool isThreeColumns(const Workspace& workspace) {
    return workspace.layout.threeColumns.has_value() && workspace.apps.size() == 3 &&
           workspace.layout.type == LayoutType::threeLeftOneRightTwo;
}

LayoutType geometryType(const Workspace& workspace) {
    if (!isThreeColumns(workspace)) return workspace.layout.type;
    return workspace.layout.threeColumns->folded ? LayoutType::threeLeftOneRightTwo : LayoutType::threeColumns;
}

std::vector<double> threeColumnsRatios(const Workspace& workspace) {
    const auto& ratios = workspace.layout.ratios;
    return {LayoutEngine::ratioValue(ratios, 0, geometryType(workspace)),
            LayoutEngine::ratioValue(ratios, 1, LayoutType::leftRightSplit)};
}

std::vector<double> effectiveRatios(const Workspace& workspace, const Rect& container) {
    std::vector<double> ratios = workspace.layout.ratios.value_or(std::vector<double>{});
    const LayoutType type = geometryType(workspace);
    if (type == LayoutType::threeColumns) return ratios;  // the three-column solver owns these
    const double extent = splitsAlongHeight(type) ? container.height() : container.width();
    const double available = std::max(0.0, extent - 8);
    const double first = LayoutEngine::clampSplitRatio(LayoutEngine::ratioValue(workspace.layout.ratios, 0, type),
                                                       available, kSmallestSplitPane);
    if (ratios.empty())
        ratios.push_back(first);
    else
        ratios[0] = first;
    return ratios;
}

std::vector<double> storedRatios(const Workspace& workspace) {
    return workspace.layout.ratios.value_or(std::vector<double>{});
}

std::optional<std::pair<int, Rect>> paneRect(const Uuid& appID, const std::vector<ManagedApp>& apps,
                                             const std::vector<Rect>& rects) {
    const auto it = std::find_if(apps.begin(), apps.end(), [&](const ManagedApp& app) { return app.id == appID; });
    if (it == apps.end()) return std::nullopt;
    const auto index = static_cast<size_t>(it - apps.begin());
    if (index >= rects.size()) return std::nullopt;
    return std::pair<int, Rect>{static_cast<int>(index), rects[index]};
}

std::string joined(const std::vector<std::string>& parts, const std::string& separator) {
    std::string out;
    for (const auto& part : parts) out += (out.empty() ? "" : separator) + part;
    return out;
}

std::optional<std::pair<std::string, std::string>> windowlessWaitMessage(
    const std::vector<workspace_controller::WindowlessApp>& apps) {
    if (apps.empty()) return std::nullopt;
    std::vector<std::string> names;
    bool allAnother = true, allChooser = true;
    for (const auto& app : apps) {
        names.push_back(app.name);
        allAnother = allAnother && app.needsAnotherWindow;
        allChooser = allChooser && app.isOnDocumentChooser;
    }
    const std::string what = allAnother ? "another window" : allChooser ? "a document" : "a window";
    return std::pair{
        "Waiting for " + joined(names, " and "),
        "Open " + what + " in " + (apps.size() == 1 ? "it" : "each") + " and this workspace finishes tiling."};
}

std::string shortOfWindowsEntries(const std::vector<workspace_controller::ShortOfWindows>& shortApps) {
    std::string out;
    for (const auto& s : shortApps)
        out += (out.empty() ? "" : ", ") + s.appName + " " + std::to_string(s.windows) + "/" + std::to_string(s.panes);
    return out;
}

}  // namespace tessane::workspace_rules
