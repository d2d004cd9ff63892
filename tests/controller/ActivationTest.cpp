#include "support/ControllerScenario.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Lines = ControllerScenario::Lines;


class Activation : public ::testing::Test {
protected:
    void SetUp() override {
        for (auto name : {"Notes", "Mail", "Music", "Photos", "Maps", "Books"}) s.launchApp(name);
        write = s.addWorkspace("Write", {"Notes", "Mail"});
        listen = s.addWorkspace("Listen", {"Music", "Photos"});
        s.start();
        s.putUp(write);
        s.putUp(listen);  // front
        s.drain();
        s.clearLog();
    }

    ControllerScenario s;
    Workspace write, listen;
};

TEST_F(Activation, EnteringAShownWorkspaceMakesItFrontAndTakesTheOtherChromeAside) {
    s.activate("Notes");

    EXPECT_EQ(*s.manager->activeWorkspaceID().get(), write.id);
    EXPECT_EQ(s.probe().recentWorkspaceIDs().front(), write.id);
    EXPECT_GT(s.probe().session(write.id)->frontOrder, s.probe().session(listen.id)->frontOrder);
    EXPECT_FALSE(s.chrome(listen.id).isVisible);
    EXPECT_EQ(s.probe().sessionCount(), 2u);  // the other workspace's windows stay where they are
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Active workspace changed: Listen → Write",
                              "[Tessane] App focus: org.example.Notes — owner=Write → auto-frame show"}));
    EXPECT_TRUE(s.probe().isResurfacing());  // its other application comes up with it
    EXPECT_TRUE(s.probe().guardTimerRunning());
    EXPECT_EQ(s.probe().lastActivatedBundleID(), "org.example.Notes");
}

TEST_F(Activation, MovingInsideAWorkspaceWhoseChromeIsUpKeepsItWithoutResurfacing) {
    s.activate("Music");
    s.advance(1.5);  // its resurfacing runs out
    s.clearLog();
    s.activate("Photos");
    EXPECT_EQ(s.log(), (Lines{"[Tessane] App focus: org.example.Photos — owner=Listen → auto-frame keep"}));
    EXPECT_FALSE(s.probe().isResurfacing());
    EXPECT_TRUE(s.chrome(listen.id).isVisible);

    // The same move with the chrome out (taken aside meanwhile) comes back in with "show".
    s.chrome(listen.id).isVisible = false;
    s.activate("Music");
    EXPECT_EQ(s.logCount("owner=Listen → auto-frame show"), 1u);
}

TEST_F(Activation, AnAppNoShownWorkspaceOwnsTakesEveryChromeAsideAndClosesTheTips) {
    s.tips->hasPanel = true;
    s.activate("Maps");
    EXPECT_EQ(s.log(), (Lines{"[Tessane] App focus: org.example.Maps — no shown workspace owns it → chrome aside"}));
    EXPECT_FALSE(s.chrome(write.id).isVisible);
    EXPECT_FALSE(s.chrome(listen.id).isVisible);
    EXPECT_EQ(s.tips->closes, 1);
    EXPECT_FALSE(s.probe().guardTimerRunning());

    // With every chrome already aside, another such app logs nothing.
    s.clearLog();
    s.activate("Books");
    EXPECT_TRUE(s.log().empty());
}

TEST_F(Activation, OurOwnWindowsMoveNothing) {
    s.activate("Music");
    s.clearLog();
    sim::SimApplications::RunningSpec own;
    own.bundleIdentifier = ControllerScenario::kOwnBundleID;
    own.name = "Tessane";
    s.sim.applications.addRunningApp(own);
    s.sim.applications.activate(s.sim.applications.runningApplications().back().pid);
    s.drain();
    EXPECT_TRUE(s.log().empty());
    EXPECT_TRUE(s.chrome(listen.id).isVisible);
    EXPECT_EQ(s.probe().lastActivatedBundleID(), "org.example.Music");
}

TEST_F(Activation, ActivationsDuringResurfacingAreIgnoredEntirely) {
    s.probe().setResurfacing(true);
    s.activate("Notes");
    EXPECT_TRUE(s.log().empty());
    EXPECT_EQ(*s.manager->activeWorkspaceID().get(), listen.id);
    EXPECT_FALSE(s.probe().lastActivatedBundleID().has_value());
}

TEST_F(Activation, ASoloEndsWhenAnotherAppOfItsWorkspaceComesForward) {
    s.probe().solo().begin(listen.id, listen.apps[0].id);
    s.activate("Music");  // the soloed app itself
    s.advance(1.5);       // each entry resurfaces its workspace first
    EXPECT_TRUE(s.probe().solo().current().has_value());
    s.activate("Notes");  // another workspace: its solo is not ours to end
    s.advance(1.5);
    EXPECT_TRUE(s.probe().solo().current().has_value());
    s.activate("Photos");
    EXPECT_FALSE(s.probe().solo().current().has_value());
    EXPECT_EQ(s.logCount("[Tessane] Solo: restored split for workspace " + listen.id.string() + "."), 1u);
}

TEST_F(Activation, TwoActivationsWithin100msReadStageManagerOnce) {
    s.advance(1);
    const int reads = s.sim.preferences.readCount();
    s.sim.applications.activate(s.pid("Notes"));
    s.sim.applications.activate(s.pid("Mail"));
    s.drain();
    EXPECT_EQ(s.sim.preferences.readCount(), reads + 1);
}

TEST_F(Activation, TheOwnerIsTheFirstShownWorkspaceInSessionOrder) {
    auto both = s.addWorkspace("Both", {"Music", "Maps"});
    s.putUp(both);
    EXPECT_EQ(s.probe().shownWorkspaceOwning("org.example.Music")->id, listen.id);
    EXPECT_EQ(s.probe().shownWorkspaceOwning("org.example.Maps")->id, both.id);
    EXPECT_FALSE(s.probe().shownWorkspaceOwning("org.example.Ghost"));
}

TEST_F(Activation, TheFocusedPaneIsTheTrackedWindowWithFocusOfTheLastActiveApp) {
    s.activate("Mail");
    EXPECT_EQ(s.probe().focusedWorkspaceAppBundleID(write), "org.example.Mail");
    EXPECT_EQ(s.probe().focusedPaneAppID(write), write.apps[1].id);
    EXPECT_FALSE(s.probe().focusedWorkspaceAppBundleID(listen));

    // A focused window that no pane tracks is no pane.
    s.app("Mail").addWindow();
    EXPECT_FALSE(s.probe().focusedPaneAppID(write));
    s.sim.accessibility.setTrusted(false);
    EXPECT_FALSE(s.probe().focusedPaneAppID(write));
}

TEST_F(Activation, DeadTrackedWindowsArePrunedAndTheirPanesBindAfresh) {
    s.clearLog();
    s.window("Mail").close();  // looked at before its close report arrives
    s.probe().pruneDeadTrackedWindows(write.id);
    s.probe().pruneDeadTrackedWindows(write.id);  // nothing more to drop
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Dropped 1 tracked window(s) that no longer exist."}));
    ASSERT_EQ(s.probe().session(write.id)->elements.size(), 1u);
    EXPECT_EQ(s.probe().session(write.id)->elements[0].appID, write.apps[0].id);
    EXPECT_EQ(s.probe().cachedAppIDs().count(write.apps[1].id), 0u);
}

TEST_F(Activation, AWindowWhoseAppAnswersTooSlowlyIsNotTakenForAClosedOne) {
    s.app("Notes").setResponseDelay(8);  // past the messaging time-out
    s.probe().pruneDeadTrackedWindows(write.id);
    s.sim.accessibility.setTrusted(false);
    s.probe().pruneDeadTrackedWindows(write.id);
    EXPECT_TRUE(s.log().empty());
    EXPECT_EQ(s.probe().session(write.id)->elements.size(), 2u);
    EXPECT_EQ(s.probe().cachedAppIDs().count(write.apps[0].id), 1u);
}

}  // namespace
}  // namespace tessane::testing
