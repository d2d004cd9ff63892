#include "settings/PaneLabels.h"

#include "builder/BuilderState.h"

#include <vector>

namespace tessane::pane_labels {

int appsTiled(LayoutType type) { return BuilderState::paneCount(type); }

namespace {

using Names = std::vector<std::string>;

Names namesFor(const Workspace& workspace) {
    if (workspace.layout.threeColumns) return {"Left", "Middle", "Right"};
    switch (workspace.layout.type) {
    case LayoutType::leftRightSplit: return {"Left", "Right"};
    case LayoutType::topBottomSplit: return {"Top", "Bottom"};
    case LayoutType::grid2x2:
        if (workspace.apps.size() == 2) return {"Left", "Right"};
        // With three apps the grid waits for a fourth: the third app's pane is the bottom-left one.
        return {"Top-Left", "Top-Right", "Bottom-Left", "Bottom-Right"};
    case LayoutType::mainSidebar: return {"Main"};  // the rest are numbered sidebars
    case LayoutType::threeTopTwoBottomOne: return {"Top-Left", "Top-Right", "Bottom"};
    case LayoutType::threeTopOneBottomTwo: return {"Top", "Bottom-Left", "Bottom-Right"};
    case LayoutType::threeLeftTwoRightOne: return {"Top-Left", "Bottom-Left", "Right"};
    case LayoutType::threeLeftOneRightTwo: return {"Left", "Top-Right", "Bottom-Right"};
    case LayoutType::threeColumns: return {"Left", "Middle", "Right"};
    }
    return {};
}

}  // namespace

std::string paneLabel(int index, const Workspace& workspace) {
    const Names names = namesFor(workspace);
    if (index >= 0 && static_cast<size_t>(index) < names.size()) return names[static_cast<size_t>(index)];
    if (!workspace.layout.threeColumns && workspace.layout.type == LayoutType::mainSidebar && index >= 1)
        return "Sidebar " + std::to_string(index);
    return "Pane " + std::to_string(index + 1);
}

std::optional<std::string> countMismatchHint(const Workspace& workspace) {
    const int n = static_cast<int>(workspace.apps.size());
    const int m = appsTiled(workspace.layout.type);
    const std::string layout = "\u201C" + workspace.layout.displayName() + "\u201D";
    if (n < m) return layout + " needs " + std::to_string(m) + " apps \u2014 add " + std::to_string(m - n) + " more.";
    if (n > m) return layout + " uses " + std::to_string(m) + " apps \u2014 remove " + std::to_string(n - m) + " to fit.";
    return std::nullopt;
}

}  // namespace tessane::pane_labels
