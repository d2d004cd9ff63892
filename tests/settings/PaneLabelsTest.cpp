#include "settings/PaneLabels.h"

#include <gtest/gtest.h>

namespace tessane {
namespace {

using pane_labels::countMismatchHint;
using pane_labels::paneLabel;
using Labels = std::vector<std::string>;

Workspace with(LayoutType type, int apps, bool threeColumnMode = false) {
    Workspace w;
    w.layout.type = type;
    if (threeColumnMode) w.layout.threeColumns = ThreeColumnsState{};
    for (int i = 0; i < apps; ++i) w.apps.push_back(ManagedApp{.displayName = "App" + std::to_string(i)});
    return w;
}

Labels labels(const Workspace& w, int upTo) {
    Labels out;
    for (int i = 0; i < upTo; ++i) out.push_back(paneLabel(i, w));
    return out;
}

TEST(PaneLabels, EveryLayoutNamesItsPanesAndNumbersThoseBeyond) {
    struct Case {
        LayoutType type;
        int apps;
        Labels expected;
    };
    const std::vector<Case> cases = {
        {LayoutType::leftRightSplit, 3, {"Left", "Right", "Pane 3"}},
        {LayoutType::topBottomSplit, 2, {"Top", "Bottom", "Pane 3"}},
        {LayoutType::grid2x2, 2, {"Left", "Right", "Pane 3"}},
        {LayoutType::grid2x2, 3, {"Top-Left", "Top-Right", "Bottom-Left", "Bottom-Right"}},
        {LayoutType::grid2x2, 4, {"Top-Left", "Top-Right", "Bottom-Left", "Bottom-Right", "Pane 5"}},
        {LayoutType::grid2x2, 1, {"Top-Left", "Top-Right", "Bottom-Left", "Bottom-Right"}},
        {LayoutType::grid2x2, 5, {"Top-Left", "Top-Right", "Bottom-Left", "Bottom-Right", "Pane 5"}},
        {LayoutType::mainSidebar, 3, {"Main", "Sidebar 1", "Sidebar 2", "Sidebar 3", "Sidebar 4"}},
        {LayoutType::threeTopTwoBottomOne, 3, {"Top-Left", "Top-Right", "Bottom", "Pane 4"}},
        {LayoutType::threeTopOneBottomTwo, 3, {"Top", "Bottom-Left", "Bottom-Right", "Pane 4"}},
        {LayoutType::threeLeftTwoRightOne, 3, {"Top-Left", "Bottom-Left", "Right", "Pane 4"}},
        {LayoutType::threeLeftOneRightTwo, 3, {"Left", "Top-Right", "Bottom-Right", "Pane 4"}},
        {LayoutType::threeColumns, 3, {"Left", "Middle", "Right", "Pane 4"}},
    };
    for (const auto& c : cases) {
        const auto w = with(c.type, c.apps);
        EXPECT_EQ(labels(w, static_cast<int>(c.expected.size())), c.expected) << toString(c.type) << " " << c.apps;
    }
    // Three-column mode names three columns whatever the stored type.
    EXPECT_EQ(labels(with(LayoutType::threeLeftOneRightTwo, 3, true), 4), (Labels{"Left", "Middle", "Right", "Pane 4"}));
    EXPECT_EQ(labels(with(LayoutType::mainSidebar, 2, true), 4), (Labels{"Left", "Middle", "Right", "Pane 4"}));
}

TEST(PaneLabels, TheHintSaysHowManyAppsToAddOrRemove) {
    EXPECT_EQ(countMismatchHint(with(LayoutType::leftRightSplit, 2)), std::nullopt);
    EXPECT_EQ(countMismatchHint(with(LayoutType::grid2x2, 3)), "“2 × 2 Grid” needs 4 apps — add 1 more.");
    EXPECT_EQ(countMismatchHint(with(LayoutType::leftRightSplit, 3)), "“Left / Right Split” uses 2 apps — remove 1 to fit.");
    EXPECT_EQ(countMismatchHint(with(LayoutType::grid2x2, 0)), "“2 × 2 Grid” needs 4 apps — add 4 more.");
    // The count is the type's; the name is the layout's own.
    EXPECT_EQ(countMismatchHint(with(LayoutType::threeLeftOneRightTwo, 5, true)),
              "“Three Columns” uses 3 apps — remove 2 to fit.");
    EXPECT_EQ(countMismatchHint(with(LayoutType::mainSidebar, 1)), "“Main + Sidebar” needs 2 apps — add 1 more.");
}

}  // namespace
}  // namespace tessane
