#include "support/ControllerScenario.h"

#include "controller/WorkspaceRules.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Lines = ControllerScenario::Lines;

// Three workspaces shown, Read front: Write (Notes, Mail), Listen (Music, Photos), Read (Books, Maps).
class Teardown : public ::testing::Test {
protected:
    void SetUp() override {
        for (auto name : {"Notes", "Mail", "Music", "Photos", "Books", "Maps"}) s.launchApp(name);
        write = s.addWorkspace("Write", {"Notes", "Mail"});
        listen = s.addWorkspace("Listen", {"Music", "Photos"});
        read = s.addWorkspace("Read", {"Books", "Maps"});
        s.start();
        for (auto* ws : {&write, &listen, &read}) s.putUp(*ws);
        s.drain();
        s.clearLog();
    }

    std::shared_ptr<WorkItem> pending() { return s.sim.mainQueue.postAfter(10, [] {}); }
    uint64_t stamp(const Workspace& ws) { return s.probe().session(ws.id)->frontOrder; }

    ControllerScenario s;
    Workspace write, listen, read;
};

TEST_F(Teardown, TheOnlyShownWorkspaceLeavesNothingRunningBehind) {
    ControllerScenario solo;
    solo.launchApp("Notes");
    solo.launchApp("Mail");
    const auto ws = solo.addWorkspace("Write", {"Notes", "Mail"});
    solo.start();
    solo.putUp(ws);
    solo.probe().pulseChromeGuard();
    ASSERT_TRUE(solo.probe().guardTimerRunning());
    ASSERT_TRUE(solo.probe().hasStageManagerPointerMonitor());
    solo.probe().enforceSnapWorkItem() = solo.sim.mainQueue.postAfter(10, [] {});
    auto settle = solo.probe().dividerSettleWorkItem() = solo.sim.mainQueue.postAfter(10, [] {});

    solo.probe().tearDownSession(ws.id, false);
    solo.probe().promoteFrontWorkspace();

    EXPECT_EQ(solo.probe().sessionCount(), 0u);
    EXPECT_EQ(solo.manager->activeWorkspaceID().get(), std::nullopt);
    EXPECT_FALSE(solo.probe().hasStageManagerWatcher());
    EXPECT_FALSE(solo.probe().hasStageManagerPointerMonitor());
    EXPECT_FALSE(solo.probe().guardTimerRunning());
    EXPECT_TRUE(solo.shownNames().empty());
    EXPECT_TRUE(solo.probe().observedPids().empty());
    // With no other workspace shown, the one-slot steps can only have been this workspace's.
    EXPECT_TRUE(settle->isCancelled());
    EXPECT_EQ(solo.probe().enforceSnapWorkItem(), nullptr);
}

TEST_F(Teardown, ClearsOnlyTheTornDownWorkspacesBookkeepingAndWork) {
    auto p = s.probe();
    p.pendingLaunches()[write.id] = {"org.example.Notes"};
    p.pendingLaunches()[listen.id] = {"org.example.Music"};
    p.ownChooserWindowIDs()[write.id] = {7};
    p.ownChooserWindowIDs()[listen.id] = {8};
    p.loadingWorkspaces() = {write.id, listen.id};
    p.tidiedChoosers() = {s.pid("Notes"), s.pid("Music")};
    p.solo().begin(write.id, write.apps[0].id);
    auto writeSnap = p.snaps().schedule(write.id, 10, [] {});
    auto listenSnap = p.snaps().schedule(listen.id, 10, [] {});
    auto writeLearn = p.learns().schedule(write.id, 10, [] {});
    auto listenLearn = p.learns().schedule(listen.id, 10, [] {});
    auto writePersist = p.persists().schedule(write.id, 10, [] {});
    auto listenPersist = p.persists().schedule(listen.id, 10, [] {});
    auto enforce = p.enforceSnapWorkItem() = pending();
    auto settle = p.dividerSettleWorkItem() = pending();
    p.drag().lastSeenSizes(write.id)[write.apps[0].id] = Size(800, 600);
    p.drag().lastSeenSizes(listen.id)[listen.apps[0].id] = Size(800, 600);
    p.drag().noteChangedUnderPointer(write.id, write.apps[0].id);
    const ThreeColumnsMemory::Pass refusedPass{{400, 400, 400}, {500, 400, 400}, {Uuid::random(), Uuid::random(), Uuid::random()}, 1212, 2000};
    for (int pass = 0; pass < 2; ++pass) p.threeColumns().judge(write.id, refusedPass);
    s.tips->hasPanel = true;
    s.notice->hasPanel = true;
    const auto generation = p.placementGeneration();

    p.tearDownSession(write.id, false);

    EXPECT_EQ(p.sessionCount(), 2u);
    EXPECT_EQ(p.pendingLaunches().count(write.id), 0u);
    EXPECT_EQ(p.pendingLaunches().count(listen.id), 1u);
    EXPECT_EQ(p.ownChooserWindowIDs().count(write.id), 0u);
    EXPECT_EQ(p.ownChooserWindowIDs().count(listen.id), 1u);
    EXPECT_EQ(p.loadingWorkspaces(), (std::set<Uuid>{listen.id}));
    EXPECT_EQ(p.tidiedChoosers(), (std::set<Pid>{s.pid("Music")}));
    EXPECT_EQ(p.solo().current(), std::nullopt);
    EXPECT_TRUE(writeSnap->isCancelled());
    EXPECT_TRUE(writeLearn->isCancelled());
    EXPECT_TRUE(writePersist->isCancelled());
    EXPECT_FALSE(p.persists().isPending(write.id));
    EXPECT_FALSE(p.snaps().isPending(write.id));
    // Another workspace's pending work goes on.
    EXPECT_FALSE(listenSnap->isCancelled());
    EXPECT_FALSE(listenLearn->isCancelled());
    EXPECT_FALSE(listenPersist->isCancelled());
    EXPECT_FALSE(enforce->isCancelled());
    EXPECT_FALSE(settle->isCancelled());
    EXPECT_EQ(p.drag().lastSeenSize(write.id, write.apps[0].id), std::nullopt);
    EXPECT_EQ(p.drag().lastSeenSize(listen.id, listen.apps[0].id), Size(800, 600));
    EXPECT_TRUE(p.drag().appsChangedUnderPointer(write.id).empty());
    EXPECT_EQ(p.threeColumns().passes(write.id), 2);  // kept for the next show
    EXPECT_EQ(p.placementGeneration(), generation + 1);
    EXPECT_EQ(s.chrome(write.id).calls.back(), "orderOut");
    EXPECT_TRUE(s.chrome(write.id).destroyed);
    EXPECT_EQ(s.tips->closes, 1);
    EXPECT_EQ(s.notice->closes, 1);
    EXPECT_EQ(s.shownNames(), (std::vector<std::string>{"Listen", "Read"}));
    EXPECT_EQ(p.observedPids(), (std::set<Pid>{s.pid("Music"), s.pid("Photos"), s.pid("Books"), s.pid("Maps")}));
    EXPECT_TRUE(p.hasStageManagerPointerMonitor());
    EXPECT_EQ(s.workspace(write.id).lastContainerFrame, std::nullopt);  // the frame was not to be kept
    // The teardown itself never moves the front workspace.
    EXPECT_EQ(s.manager->activeWorkspaceID().get(), read.id);
}

TEST_F(Teardown, KeepingTheFrameWritesItsPendingSave) {
    s.probe().session(listen.id)->containerAXRect = Rect{100, 80, 900, 600};
    s.probe().tearDownSession(listen.id, true);
    EXPECT_EQ(s.workspace(listen.id).lastContainerFrame, RectModel::from({100, 80, 900, 600}));
    EXPECT_EQ(s.workspace(read.id).lastContainerFrame, std::nullopt);  // only the torn-down one
}

TEST_F(Teardown, AWindowDragInTheWorkspaceEnds) {
    auto p = s.probe();
    p.drag().begin(listen.id, [](const Uuid&) {});
    const size_t monitors = s.input.liveMonitors();

    p.tearDownSession(write.id, true);  // another workspace's drag goes on
    EXPECT_EQ(p.drag().draggingWorkspace(), listen.id);
    EXPECT_EQ(s.input.liveMonitors(), monitors);

    p.tearDownSession(listen.id, true);
    EXPECT_EQ(p.drag().draggingWorkspace(), std::nullopt);
    EXPECT_EQ(s.input.liveMonitors(), monitors - 1);
    EXPECT_EQ(s.chrome(listen.id).count("hideDropPreview"), 1u);
}

TEST_F(Teardown, AWorkspaceThatIsNotShownChangesNothing) {
    const auto other = s.addWorkspace("Other", {"Notes", "Maps"});
    const auto recent = s.probe().recentWorkspaceIDs();
    const auto generation = s.probe().placementGeneration();
    s.tips->hasPanel = true;
    s.probe().tearDownSession(other.id, false);
    EXPECT_EQ(s.probe().recentWorkspaceIDs(), recent);
    EXPECT_EQ(s.probe().placementGeneration(), generation);
    EXPECT_EQ(s.tips->closes, 0);
    EXPECT_EQ(s.probe().sessionCount(), 3u);
}

TEST_F(Teardown, PromoteTakesTheMostRecentRemainingWorkspace) {
    auto p = s.probe();
    p.session(write.id)->frontOrder = 3;
    p.session(listen.id)->frontOrder = 5;
    p.session(read.id)->frontOrder = 4;
    s.manager->setActiveWorkspace(listen.id);
    const uint64_t next = p.frontSequence() + 1;
    const size_t fronts = s.chrome(read.id).count("orderFront");
    const auto frontmost = s.sim.applications.frontmostApplication();

    p.tearDownSession(listen.id, true);
    p.promoteFrontWorkspace();

    EXPECT_EQ(s.manager->activeWorkspaceID().get(), read.id);
    EXPECT_EQ(stamp(read), next);
    EXPECT_EQ(p.recentWorkspaceIDs().front(), read.id);
    EXPECT_EQ(s.chrome(read.id).count("orderFront"), fronts + 1);
    EXPECT_EQ(s.sim.applications.frontmostApplication(), frontmost);  // no application is activated
}

TEST_F(Teardown, PromoteBreaksATieByTheGreaterIdAndLeavesAFullscreenWorkspacesChromeOut) {
    auto p = s.probe();
    p.session(write.id)->frontOrder = 9;
    p.session(read.id)->frontOrder = 9;
    const Workspace& greater = write.id.string() > read.id.string() ? write : read;
    p.session(greater.id)->fullScreenPids = {s.pid(greater.apps[0].displayName)};
    const size_t fronts = s.chrome(greater.id).count("orderFront");

    p.tearDownSession(listen.id, true);
    p.promoteFrontWorkspace();

    EXPECT_EQ(s.manager->activeWorkspaceID().get(), greater.id);
    EXPECT_EQ(p.recentWorkspaceIDs().front(), greater.id);
    EXPECT_EQ(s.chrome(greater.id).count("orderFront"), fronts);
}

TEST_F(Teardown, DeletingAWorkspaceThatIsNotFrontKeepsTheFront) {
    s.controller().deleteWorkspace(write.id);
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Delete workspace requested: Write — deletedWasActive=false",
                              "[Tessane] Delete: session teardown performed",
                              "[Tessane] Delete complete — activeWorkspaceID=Read, lastShownWorkspaceID=Read"}));
    EXPECT_EQ(s.manager->workspace(write.id), std::nullopt);
    EXPECT_EQ(s.probe().sessionCount(), 2u);
    EXPECT_FALSE(s.sim.applications.runningApplication(s.pid("Notes"))->isHidden);  // apps neither hidden nor quit
}

TEST_F(Teardown, DeletingTheFrontWorkspacePromotesBeforeTheStoreChanges) {
    s.controller().deleteWorkspace(read.id);
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Delete workspace requested: Read — deletedWasActive=true",
                              "[Tessane] Active workspace changed: Read → Listen",
                              "[Tessane] Delete: session teardown performed",
                              "[Tessane] Delete complete — activeWorkspaceID=Listen, lastShownWorkspaceID=Listen"}));
    EXPECT_EQ(s.manager->workspaces().get().size(), 2u);
}

TEST_F(Teardown, LogNames) {
    EXPECT_EQ(s.probe().workspaceLogName(write.id), "Write");
    EXPECT_EQ(s.probe().workspaceLogName(std::nullopt), "none");
    EXPECT_EQ(s.probe().workspaceLogName(Uuid::random()), "none");
}

TEST(RestoredToCheckpoint, AppliesTheSavedFrameAndRatios) {
    Workspace ws;
    ws.layout.ratios = std::vector<double>{0.3};
    ws.lastContainerFrame = RectModel{1, 2, 3, 4};
    ws.topologyFrames = std::map<std::string, RectModel>{{"other", RectModel{5, 6, 7, 8}}};
    EXPECT_EQ(workspace_rules::restoredToCheckpoint(ws, "set"), ws);  // no checkpoint: unchanged

    ws.savedLayout = LayoutCheckpoint{RectModel{10, 20, 900, 600}, std::nullopt};
    auto noTopology = workspace_rules::restoredToCheckpoint(ws, std::nullopt);
    EXPECT_EQ(noTopology.lastContainerFrame, (RectModel{10, 20, 900, 600}));
    EXPECT_EQ(noTopology.layout.ratios, std::nullopt);  // the checkpoint held none
    EXPECT_EQ(noTopology.topologyFrames, ws.topologyFrames);

    ws.savedLayout->ratios = std::vector<double>{0.6};
    auto withTopology = workspace_rules::restoredToCheckpoint(ws, "set");
    EXPECT_EQ(withTopology.layout.ratios, (std::vector<double>{0.6}));
    EXPECT_EQ(withTopology.topologyFrames,
              (std::map<std::string, RectModel>{{"other", RectModel{5, 6, 7, 8}}, {"set", RectModel{10, 20, 900, 600}}}));

    ws.topologyFrames.reset();
    EXPECT_EQ(workspace_rules::restoredToCheckpoint(ws, "set").topologyFrames,
              (std::map<std::string, RectModel>{{"set", RectModel{10, 20, 900, 600}}}));
}

}  // namespace
}  // namespace tessane::testing
