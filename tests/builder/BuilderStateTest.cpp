#include "builder/BuilderState.h"
#include "support/BuilderFakes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tessane {
namespace {

using testing::exampleApp;

std::vector<std::string> slotNames(const BuilderState& s) {
    std::vector<std::string> out;
    for (auto& slot : s.slots) out.push_back(slot ? slot->displayName : "-");
    return out;
}

using ::testing::ElementsAre;

TEST(BuilderState, SeedsOfZeroOneTwoAndFiveApps) {
    BuilderState none({});
    EXPECT_EQ(none.name, "New Workspace");
    EXPECT_EQ(none.layout, LayoutType::leftRightSplit);
    EXPECT_THAT(slotNames(none), ElementsAre("-", "-"));
    EXPECT_FALSE(none.canCreate());
    EXPECT_EQ(none.statusText(), "Fill every pane to create");

    BuilderState one({exampleApp("Notes")});
    EXPECT_EQ(one.name, "Notes");
    EXPECT_THAT(slotNames(one), ElementsAre("Notes", "-"));
    EXPECT_EQ(one.statusText(), "Fill every pane to create");

    BuilderState two({exampleApp("Notes"), exampleApp("Mail")});
    EXPECT_EQ(two.name, "Notes + Mail");
    EXPECT_THAT(slotNames(two), ElementsAre("Notes", "Mail"));
    EXPECT_TRUE(two.canCreate());
    EXPECT_EQ(two.statusText(), "From your open windows — change any pane with Remove");

    BuilderState five({exampleApp("A"), exampleApp("B"), exampleApp("C"), exampleApp("D"), exampleApp("E")});
    EXPECT_EQ(five.name, "A + B + 3 more");
    EXPECT_THAT(slotNames(five), ElementsAre("A", "B"));
}

TEST(BuilderState, RemovingAndFillingMovesTheStatus) {
    BuilderState s({exampleApp("Notes"), exampleApp("Mail")});
    s.remove(1);
    EXPECT_FALSE(s.canCreate());
    EXPECT_EQ(s.statusText(), "Fill every pane to create");
    s.fill(1, exampleApp("Terminal"));
    EXPECT_EQ(s.chosen().size(), 2u);
    EXPECT_EQ(s.statusText(), "From your open windows — change any pane with Remove");

    BuilderState fresh({});
    fresh.fill(0, exampleApp("A"));
    fresh.fill(1, exampleApp("B"));
    fresh.fill(7, exampleApp("C"));  // no such pane
    EXPECT_EQ(fresh.statusText(), "Ready");
    EXPECT_THAT(slotNames(fresh), ElementsAre("A", "B"));
}

TEST(BuilderState, LayoutChangesResizeTheSlots) {
    BuilderState s({exampleApp("A"), exampleApp("B")});
    s.chooseLayout(LayoutType::threeColumns);
    s.fill(2, exampleApp("C"));
    EXPECT_TRUE(s.canCreate());
    EXPECT_EQ(s.name, "A + B + 1 more");  // a name nobody typed follows the apps
    s.chooseLayout(LayoutType::leftRightSplit);  // the third app is forgotten
    EXPECT_THAT(slotNames(s), ElementsAre("A", "B"));
    s.chooseLayout(LayoutType::threeColumns);
    EXPECT_THAT(slotNames(s), ElementsAre("A", "B", "-"));
    EXPECT_FALSE(s.canCreate());
    s.chooseLayout(LayoutType::grid2x2);
    EXPECT_THAT(slotNames(s), ElementsAre("A", "B", "-", "-"));
    EXPECT_EQ(s.statusText(), "Fill every pane to create");
    // Create is about the panes alone, whatever the name.
    s.fill(2, exampleApp("C"));
    s.fill(3, exampleApp("D"));
    s.name.clear();
    EXPECT_TRUE(s.canCreate());
    EXPECT_EQ(s.nameToCreate(), "New Workspace");
    s.name = "  ";
    EXPECT_EQ(s.nameToCreate(), "  ");
}

TEST(BuilderState, PaneCountsPerType) {
    std::vector<int> counts;
    for (LayoutType t : layout_types::allCases()) counts.push_back(BuilderState::paneCount(t));
    EXPECT_THAT(counts, ElementsAre(2, 2, 4, 2, 3, 3, 3, 3, 3));
}

TEST(BuilderState, PaneCellsFollowTheLayoutEngineAndNeverVanish) {
    auto cells = BuilderState::paneCells(LayoutType::leftRightSplit, {208, 100}, 8);
    EXPECT_THAT(cells, ElementsAre(Rect(0, 0, 100, 100), Rect(108, 0, 100, 100)));
    // The first row is the top one.
    cells = BuilderState::paneCells(LayoutType::threeTopTwoBottomOne, {208, 208}, 8);
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_EQ(cells[0].minY(), 0);
    EXPECT_EQ(cells[2].minY(), 108);
    for (Size area : {Size{0, 0}, Size{4, 4}, Size{300, 0}}) {
        cells = BuilderState::paneCells(LayoutType::grid2x2, area, 8);
        ASSERT_EQ(cells.size(), 4u);
        for (const Rect& r : cells) {
            EXPECT_GE(r.width(), 1);
            EXPECT_GE(r.height(), 1);
            EXPECT_TRUE(std::isfinite(r.minX()) && std::isfinite(r.minY()));
        }
    }
}

}  // namespace
}  // namespace tessane
