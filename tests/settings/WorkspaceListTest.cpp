#include "settings/WorkspaceList.h"

#include "support/ControllerScenario.h"

#include <gtest/gtest.h>

namespace tessane {
namespace {

using testing::ControllerScenario;
using Lines = ControllerScenario::Lines;

const std::string kTail = " (to edit; nothing is shown or hidden)";

class WorkspaceListTest : public ::testing::Test {
protected:
    WorkspaceList& make() {
        s.start();
        s.clearLog();
        list = std::make_unique<WorkspaceList>(*s.manager, s.controller());
        return *list;
    }

    ControllerScenario s;
    std::unique_ptr<WorkspaceList> list;
};

TEST_F(WorkspaceListTest, WithNoWorkspacesTheTabStaysEmptyAndLogsNothing) {
    auto& l = make();
    l.appear();
    EXPECT_TRUE(l.rows().empty());
    EXPECT_FALSE(l.selection());
    EXPECT_FALSE(l.canDeleteSelection());
    EXPECT_FALSE(l.pickedWorkspace());
    EXPECT_TRUE(s.log().empty());
}

TEST_F(WorkspaceListTest, TheFirstAppearancePicksTheFirstWorkspaceAndLaterOnesKeepThePick) {
    auto write = s.addWorkspace("Write", {"Notes", "Mail"});
    auto read = s.addWorkspace("Read", {});
    auto& l = make();
    int told = 0;
    auto sub = l.observeSelection([&] { ++told; });

    l.appear();
    EXPECT_EQ(l.selection(), write.id);
    EXPECT_EQ(l.pickedWorkspace()->name, "Write");
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Settings selection changed to: Write" + kTail}));
    EXPECT_EQ(l.rows(), (std::vector<WorkspaceList::Row>{{write.id, "Write", "Notes, Mail"},
                                                         {read.id, "Read", "No apps"}}));

    s.clearLog();
    l.select(read.id);
    l.select(read.id);  // the same pick again is no change
    l.appear();         // coming back to the tab keeps it
    EXPECT_EQ(l.selection(), read.id);
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Settings selection changed to: Read" + kTail}));
    EXPECT_EQ(told, 2);

    s.clearLog();
    l.select(std::nullopt);  // the user clears the list's pick
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Settings selection changed to: none" + kTail}));
}

TEST_F(WorkspaceListTest, DeletingThePickedWorkspacePicksTheFirstLeftAndLogsIt) {
    auto write = s.addWorkspace("Write", {"Notes", "Mail"});
    auto read = s.addWorkspace("Read", {"Books", "Music"});
    auto& l = make();
    l.appear();
    s.clearLog();

    l.deleteSelection();
    EXPECT_EQ(l.selection(), read.id);
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Delete workspace requested: Write — deletedWasActive=false",
                              "[Tessane] Delete: session teardown performed",
                              "[Tessane] Delete complete — activeWorkspaceID=none, lastShownWorkspaceID=none",
                              "[Tessane] Settings selection changed to: Read" + kTail}));

    s.clearLog();
    l.deleteWorkspace(read.id);  // the only one left, through its row's menu
    EXPECT_FALSE(l.selection());
    EXPECT_FALSE(l.canDeleteSelection());
    EXPECT_EQ(s.log().back(), "[Tessane] Settings selection changed to: none" + kTail);
    EXPECT_TRUE(s.manager->workspaces()->empty());
}

TEST_F(WorkspaceListTest, DeletingAnotherRowKeepsThePickAndWritesNoSelectionLine) {
    auto write = s.addWorkspace("Write", {"Notes", "Mail"});
    auto read = s.addWorkspace("Read", {"Books", "Music"});
    auto& l = make();
    l.select(read.id);
    s.clearLog();
    l.deleteWorkspace(write.id);
    EXPECT_EQ(l.selection(), read.id);
    EXPECT_EQ(s.log().size(), 3u);
    EXPECT_EQ(s.manager->workspaces()->size(), 1u);
}

TEST_F(WorkspaceListTest, APickWhoseWorkspaceWentElsewhereShowsTheEmptyStateAndTheMinusStillDeletes) {
    auto write = s.addWorkspace("Write", {"Notes", "Mail"});
    auto read = s.addWorkspace("Read", {"Books", "Music"});
    auto& l = make();
    l.appear();
    s.manager->deleteWorkspace(write.id);  // gone behind the tab's back
    l.appear();
    EXPECT_EQ(l.selection(), write.id);
    EXPECT_FALSE(l.pickedWorkspace());
    EXPECT_TRUE(l.canDeleteSelection());
    s.clearLog();
    l.deleteSelection();  // nothing to remove, but the pick moves on
    EXPECT_EQ(l.selection(), read.id);
    EXPECT_EQ(s.log().front(), "[Tessane] Delete workspace requested: none — deletedWasActive=false");
}

TEST_F(WorkspaceListTest, DeletingAShownWorkspaceTakesItsChromeAwayAndLeavesItsAppsAlone) {
    s.launchApp("Notes");
    s.launchApp("Mail");
    auto write = s.addWorkspace("Write", {"Notes", "Mail"});
    auto& l = make();
    s.putUp(write);
    l.appear();
    l.deleteSelection();
    EXPECT_EQ(s.probe().sessionCount(), 0u);
    EXPECT_FALSE(s.chrome(write.id).isVisible);
    for (const auto& app : s.sim.applications.runningApplications()) EXPECT_FALSE(app.isHidden);
}

}  // namespace
}  // namespace tessane
