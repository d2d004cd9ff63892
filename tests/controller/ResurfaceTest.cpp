#include "support/ControllerScenario.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Lines = ControllerScenario::Lines;

// Write (Notes, Mail, Music) shown; the user is in Maps, outside every workspace.
class Resurface : public ::testing::Test {
protected:
    void SetUp() override {
        for (auto name : {"Notes", "Mail", "Music", "Maps"}) s.launchApp(name);
        write = s.addWorkspace("Write", {"Notes", "Mail", "Music"}, LayoutType::threeLeftOneRightTwo);
        s.start();
        s.putUp(write);
        s.probe().placeWindows(write, true);
        s.activate("Maps");
        s.advance(1);
        s.clearLog();
    }

    std::optional<std::string> frontmost() { return s.sim.applications.frontmostApplication()->bundleIdentifier; }
    size_t raises(const std::string& name, size_t window = 0) {
        const auto actions = s.sim.accessibility.performedActions(s.window(name, window).element());
        return static_cast<size_t>(std::count(actions.begin(), actions.end(), "AXRaise"));
    }
    size_t corrections() { return s.logCount("— putting it back."); }

    ControllerScenario s;
    Workspace write;
};

TEST_F(Resurface, EnteringFromOutsideRaisesTheOthersFirstAndEndsWithTheChosenAppInFront) {
    s.activate("Mail");  // the user's choice: it comes up last

    // t = 0: Notes
    EXPECT_TRUE(s.probe().isResurfacing());
    EXPECT_EQ(frontmost(), "org.example.Notes");
    EXPECT_EQ(raises("Notes"), 1u);
    EXPECT_EQ(raises("Music"), 0u);
    s.advance(0.1);
    EXPECT_EQ(frontmost(), "org.example.Notes");
    s.advance(0.2);  // t = 0.3: Music came up at 0.2
    EXPECT_EQ(frontmost(), "org.example.Music");
    EXPECT_EQ(raises("Music"), 1u);
    // Music pulls its window away as it comes up: a move during the sequence is not the user's,
    // so nothing snaps it back until the closing drift check.
    s.window("Music").moveTo({600, 300});
    s.advance(0.2);  // t = 0.5: Mail at 0.4
    EXPECT_EQ(frontmost(), "org.example.Mail");
    EXPECT_EQ(raises("Mail"), 1u);
    s.advance(0.3);  // t = 0.8: the end was noticed at 0.6; the flag clears at 0.9
    EXPECT_TRUE(s.probe().isResurfacing());
    s.advance(0.2);  // t = 1.0
    EXPECT_FALSE(s.probe().isResurfacing());
    EXPECT_TRUE(s.probe().guardTimerRunning());
    EXPECT_EQ(s.window("Music").frame().origin, (Point{600, 300}));  // still where Music left it
    s.advance(0.3);
    EXPECT_EQ(corrections(), 0u);
    s.advance(0.2);  // t = 1.5: every tracked window was checked at 1.4
    EXPECT_EQ(corrections(), 1u);
    EXPECT_EQ(s.window("Music").frame(), s.probe().tileRects(write)[2]);

    // Its own activations were ignored: only the user's one was heard.
    EXPECT_EQ(s.logCount("App focus:"), 1u);
    EXPECT_EQ(s.logCount("[Tessane] App focus: org.example.Mail — owner=Write → auto-frame show"), 1u);
    EXPECT_EQ(s.probe().lastActivatedBundleID(), "org.example.Mail");
    EXPECT_TRUE(s.chrome(write.id).isVisible);
    EXPECT_EQ(raises("Notes"), 1u);
    EXPECT_EQ(frontmost(), "org.example.Mail");
}

TEST_F(Resurface, AHiddenAppIsUnhiddenAndLeavesTheLedger) {
    s.sim.applications.hide(s.pid("Music"));
    s.ledger->record({"org.example.Music", "org.example.Other"});
    s.probe().resurfaceWorkspace(write, "org.example.Notes");
    s.advance(0.3);
    EXPECT_FALSE(s.sim.applications.runningApplication(s.pid("Music"))->isHidden);
    EXPECT_EQ(s.ledger->hiddenBundleIDs(), (std::vector<std::string>{"org.example.Other"}));
}

TEST_F(Resurface, RaisesEveryTrackedWindowOfAnAppOrElseItsMainWindow) {
    ControllerScenario t;
    t.launchApp("Notes", {.windows = 2});
    t.launchApp("Mail", {.windows = 2});
    const auto ws = t.addWorkspace("Write", {"Notes", "Notes", "Mail"}, LayoutType::threeLeftOneRightTwo);
    const AXElement mailFirst = t.window("Mail", 0).element();
    const AXElement mailSecond = t.window("Mail", 1).element();
    t.window("Mail", 1).raise();  // its main window is the second
    t.start();
    auto& session = t.putUp(ws);
    std::erase_if(session.elements, [&](const auto& tracked) { return tracked.pid == t.pid("Mail"); });
    t.drain();

    t.probe().resurfaceWorkspace(ws, std::nullopt);
    t.advance(2);

    const auto raised = [&](const AXElement& window) {
        const auto actions = t.sim.accessibility.performedActions(window);
        return std::count(actions.begin(), actions.end(), "AXRaise");
    };
    // An app listed twice is activated once, and both its tracked windows are raised.
    EXPECT_EQ(raised(t.window("Notes", 0).element()), 1);
    EXPECT_EQ(raised(t.window("Notes", 1).element()), 1);
    EXPECT_EQ(raised(mailSecond), 1);  // no tracked window: its main window
    EXPECT_EQ(raised(mailFirst), 0);
}

TEST_F(Resurface, WithoutWindowControlNothingIsRaisedButTheAppsStillComeUp) {
    s.sim.accessibility.setTrusted(false);
    s.probe().resurfaceWorkspace(write, "org.example.Notes");
    s.advance(0.5);
    EXPECT_EQ(frontmost(), "org.example.Notes");
    EXPECT_EQ(raises("Mail") + raises("Music") + raises("Notes"), 0u);
}

TEST_F(Resurface, OneRunningAppOnlyBringsTheChromeUp) {
    s.quitApp("Mail");
    s.quitApp("Music");
    s.chrome(write.id).isVisible = false;
    s.probe().resurfaceWorkspace(write, "org.example.Notes");
    EXPECT_TRUE(s.chrome(write.id).isVisible);
    EXPECT_FALSE(s.probe().isResurfacing());
    EXPECT_EQ(frontmost(), "org.example.Maps");
}

TEST_F(Resurface, NothingAtAllWhileStageManagerIsOn) {
    s.setStageManager(true);
    s.drain();
    ASSERT_TRUE(s.probe().stageManagerActive());
    const size_t fronts = s.chrome(write.id).count("orderFront");
    s.probe().resurfaceWorkspace(write, "org.example.Notes");
    EXPECT_EQ(s.chrome(write.id).count("orderFront"), fronts);
    EXPECT_FALSE(s.probe().isResurfacing());
    EXPECT_EQ(frontmost(), "org.example.Maps");
}

TEST_F(Resurface, AWorkspaceHiddenDuringTheSequenceGetsNoDriftCheck) {
    s.probe().resurfaceWorkspace(write, "org.example.Notes");
    s.advance(0.5);
    s.window("Music").moveTo({600, 300});
    s.controller().hideWorkspace(write.id);
    s.advance(2);
    EXPECT_FALSE(s.probe().isResurfacing());
    EXPECT_EQ(corrections(), 0u);
}

TEST_F(Resurface, AWorkspaceHiddenBetweenTwoStepsKeepsItsAppsHiddenAndOwed) {
    s.activate("Mail");  // Notes comes up at once, Music would at 0.2 and Mail at 0.4
    s.advance(0.1);
    s.controller().hideWorkspace(write.id);
    s.advance(2);
    for (auto name : {"Notes", "Mail", "Music"})
        EXPECT_TRUE(s.sim.applications.runningApplication(s.pid(name))->isHidden) << name;
    EXPECT_EQ(s.ledger->hiddenBundleIDs(),
              (std::vector<std::string>{"org.example.Mail", "org.example.Music", "org.example.Notes"}));
    EXPECT_FALSE(s.probe().isResurfacing());
    EXPECT_EQ(raises("Music") + raises("Mail"), 0u);  // the step before the hide was the last
}

TEST_F(Resurface, AnotherAppPickedDuringTheSequenceEndsItAndStaysInFront) {
    s.activate("Mail");  // Notes comes up at once, Music would at 0.2 and Mail at 0.4
    s.advance(0.1);
    s.activate("Maps");  // the user goes back: no later step buries it
    s.advance(2);
    EXPECT_EQ(raises("Music") + raises("Mail"), 0u);
    EXPECT_EQ(frontmost(), "org.example.Maps");
    EXPECT_FALSE(s.probe().isResurfacing());
    EXPECT_FALSE(s.chrome(write.id).isVisible);
}

TEST_F(Resurface, AShowDuringTheSequenceCutsItShortAndItsOwnWorkspaceEndsInFront) {
    s.launchApp("Photos");
    const auto listen = s.addWorkspace("Listen", {"Maps", "Photos"});
    s.activate("Mail");  // Notes comes up at once, Music would at 0.2 and Mail at 0.4
    s.advance(0.1);
    s.controller().showWorkspace(listen.id);
    s.advance(2);

    // The latest show wins: nothing of Write is raised after it, and Listen is brought up as
    // any workspace entered from outside is.
    EXPECT_EQ(raises("Music") + raises("Mail"), 0u);
    EXPECT_EQ(frontmost(), "org.example.Maps");
    const auto& stacking = s.sim.windowServer.windowsFrontToBack();
    ASSERT_GE(stacking.size(), 2u);
    for (size_t i = 0; i < 2; ++i)
        EXPECT_TRUE(stacking[i]->element() == s.window("Maps").element() ||
                    stacking[i]->element() == s.window("Photos").element())
            << i;
    EXPECT_EQ(s.logCount("[Tessane] App focus: org.example.Maps — owner=Listen → auto-frame show"), 1u);
    EXPECT_FALSE(s.probe().isResurfacing());
}

// Under load the window manager reports the activation one show asked for only after the next
// show is up: that report is the earlier show's, not the user's, and the later show stays in
// front. The same application brought forward by the user a while later is heard as ever.
TEST_F(Resurface, AnEarlierShowsActivationReportedAfterALaterShowLeavesTheLaterInFront) {
    for (auto name : {"Photos", "Books", "Clock"}) s.launchApp(name);
    const auto listen = s.addWorkspace("Listen", {"Photos", "Books"});
    const auto read = s.addWorkspace("Read", {"Clock", "Maps"});
    s.controller().showWorkspace(listen.id);  // asks for Photos
    s.controller().showWorkspace(read.id);    // asks for Clock before Photos' report is heard
    s.advance(0.2);

    EXPECT_EQ(*s.manager->activeWorkspaceID().get(), read.id);
    EXPECT_TRUE(s.probe().session(read.id)->chrome->isVisible());
    EXPECT_FALSE(s.probe().session(listen.id)->chrome->isVisible());
    EXPECT_EQ(s.logCount("App focus: org.example.Photos"), 0u);

    s.advance(1);
    s.activate("Photos");
    EXPECT_EQ(*s.manager->activeWorkspaceID().get(), listen.id);
    EXPECT_EQ(s.logCount("[Tessane] App focus: org.example.Photos — owner=Listen → auto-frame show"), 1u);
}

// When both shows bring the same application forward, its report is the later show's as well:
// it is heard.
TEST_F(Resurface, ALaterShowsActivationOfTheAppTheEarlierOneActivatedTooIsHeard) {
    for (auto name : {"Photos", "Books", "Clock"}) s.launchApp(name);
    const auto listen = s.addWorkspace("Listen", {"Photos", "Books"});
    const auto view = s.addWorkspace("View", {"Photos", "Clock"});
    s.controller().showWorkspace(listen.id);
    s.controller().showWorkspace(view.id);
    s.advance(0.2);
    EXPECT_EQ(s.logCount("App focus: org.example.Photos"), 1u);
    EXPECT_EQ(s.probe().lastActivatedBundleID(), "org.example.Photos");
}

TEST_F(Resurface, NothingRunsOnOnceTheControllerIsGone) {
    s.probe().resurfaceWorkspace(write, "org.example.Notes");
    s.stop();
    s.advance(2);
    EXPECT_EQ(frontmost(), "org.example.Mail");  // the first step ran; the rest did not
}

TEST_F(Resurface, BringingForwardEndsWithThePrimaryAppAndSequencesEvenOneApp) {
    auto ws = s.workspace(write.id);
    ws.primaryAppID = ws.apps[0].id;  // Notes
    s.manager->update(ws);
    s.probe().bringForwardApps(s.workspace(write.id));
    EXPECT_TRUE(s.probe().isResurfacing());
    s.advance(0.5);
    EXPECT_EQ(frontmost(), "org.example.Notes");
    s.advance(1.5);
    EXPECT_FALSE(s.probe().isResurfacing());

    s.quitApp("Mail");
    s.quitApp("Music");
    s.probe().bringForwardApps(s.workspace(write.id));
    EXPECT_TRUE(s.probe().isResurfacing());

    const auto empty = s.addWorkspace("Empty", {"Pages", "Books"});
    s.advance(2);
    s.probe().bringForwardApps(empty);  // nothing running: nothing starts
    EXPECT_FALSE(s.probe().isResurfacing());
}

}  // namespace
}  // namespace tessane::testing
