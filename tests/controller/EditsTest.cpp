#include "support/ShownWorkspace.h"

#include "controller/WorkspaceRules.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Lines = ControllerScenario::Lines;

class EditsWhileShown : public ::testing::Test {
protected:
    void show(std::initializer_list<std::string> apps, LayoutType type) {
        for (auto name : {"Notes", "Mail", "Music", "Photos"}) s.launchApp(name);
        ws = s.addWorkspace("Write", apps, type);
        s.start();
        s.putUp(ws);
        s.sim.windowList.setReadable(false);  // the foreground guard stays out of these stories
        s.drain();
        s.clearLog();
    }
    ManagedApp app(const std::string& name) { return s.installApp(name); }
    std::vector<Rect> tiles() { return s.probe().tileRects(s.workspace(ws.id)); }

    ControllerScenario s;
    Workspace ws;
};

TEST_F(EditsWhileShown, AddingAnAppToAMainAndSidebarWorkspaceRetilesItAtOnce) {
    show({"Notes", "Mail"}, LayoutType::mainSidebar);
    s.manager->addApp(app("Music"), ws.id);
    s.drain();
    EXPECT_EQ(s.log(), (Lines{"[Tessane] “Write” panes edited while shown — re-tiling."}));
    EXPECT_EQ(s.window("Music").frame(), tiles()[2]);
    EXPECT_EQ(s.probe().session(ws.id)->elements.size(), 3u);
    EXPECT_EQ(s.chrome(ws.id).currentAppCount, 3);
    EXPECT_EQ(s.chrome(ws.id).currentAppIcons.size(), 3u);
    EXPECT_EQ(s.chrome(ws.id).count("refreshClickShield"), 1u);
    EXPECT_EQ(s.probe().tiledSignature().at(ws.id), workspace_rules::signature(s.workspace(ws.id)));
}

TEST_F(EditsWhileShown, SwappingTheTwoAppsRetilesThemInTheNewOrder) {
    show({"Notes", "Mail"}, LayoutType::leftRightSplit);
    s.manager->moveApp(ws.apps[1].id, ws.id, -1);
    s.drain();
    EXPECT_EQ(s.window("Mail").frame(), tiles()[0]);
    EXPECT_EQ(s.window("Notes").frame(), tiles()[1]);
}

TEST_F(EditsWhileShown, APaneOrderTheControllerStoresItselfIsNotTakenForAnEdit) {
    show({"Notes", "Mail"}, LayoutType::leftRightSplit);
    auto swapped = s.workspace(ws.id);
    std::swap(swapped.apps[0], swapped.apps[1]);
    s.probe().storeOwnPaneEdit(swapped);
    s.drain();
    EXPECT_EQ(s.workspace(ws.id).apps[0].id, ws.apps[1].id);
    EXPECT_TRUE(s.log().empty());
    EXPECT_TRUE(s.probe().session(ws.id));
}

TEST_F(EditsWhileShown, AnAppCountTheLayoutCannotTakeWithdrawsTheWorkspaceWithoutAnAlert) {
    show({"Notes", "Mail"}, LayoutType::leftRightSplit);
    s.manager->addApp(app("Music"), ws.id);  // 3 in a two-pane layout
    s.drain();
    EXPECT_EQ(s.logCount("[Tessane] “Write” was edited while shown and can no longer be tiled — withdrawing."), 1u);
    EXPECT_FALSE(s.probe().session(ws.id));
    EXPECT_TRUE(s.probe().tiledSignature().empty());
    s.drain();
    EXPECT_TRUE(s.sim.alerts.shown().empty());
}

TEST_F(EditsWhileShown, RemovingAnAppBelowTheLayoutsCountWithdrawsIt) {
    show({"Notes", "Mail", "Music"}, LayoutType::threeLeftOneRightTwo);
    s.manager->removeApp(ws.apps[2].id, ws.id);
    s.drain();
    EXPECT_EQ(s.logCount("can no longer be tiled — withdrawing."), 1u);
    EXPECT_FALSE(s.probe().session(ws.id));
}

TEST_F(EditsWhileShown, AnAppShortOfWindowsWithdrawsAndTheAlertFollowsOnALaterTurn) {
    show({"Notes", "Mail"}, LayoutType::mainSidebar);
    s.manager->addApp(app("Notes"), ws.id);  // Notes in two panes with one window
    s.drain();
    EXPECT_FALSE(s.probe().session(ws.id));
    s.drain();
    ASSERT_EQ(s.sim.alerts.shown().size(), 1u);
}

TEST_F(EditsWhileShown, AMainAndSidebarWorkspaceEditedDownToNoAppsIsWithdrawn) {
    show({"Notes"}, LayoutType::mainSidebar);
    s.manager->removeApp(ws.apps[0].id, ws.id);
    s.drain();
    EXPECT_EQ(s.logCount("can no longer be tiled — withdrawing."), 1u);
    EXPECT_FALSE(s.probe().session(ws.id));
}

}  // namespace
}  // namespace tessane::testing
