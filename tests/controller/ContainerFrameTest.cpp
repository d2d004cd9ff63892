#include "support/ControllerScenario.h"

#include "controller/WorkspaceRules.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Lines = ControllerScenario::Lines;

class ContainerFrame : public ::testing::Test {
protected:
    void SetUp() override {
        s.launchApp("Notes");
        s.launchApp("Mail");
        ws = s.addWorkspace("Write", {"Notes", "Mail"});
    }
    void remember(const Rect& frame) {
        auto edited = s.workspace(ws.id);
        edited.lastContainerFrame = RectModel::from(frame);
        s.manager->update(edited);
    }
    Rect shownFrame() { return *s.probe().session(ws.id)->containerAXRect; }

    ControllerScenario s;
    Workspace ws;
};

TEST_F(ContainerFrame, ASmallStoredFrameIsWidenedInPlaceAndNotWrittenBack) {
    remember({100, 100, 300, 200});
    s.start();
    s.clearLog();
    s.probe().showContainerFrame(s.workspace(ws.id));
    EXPECT_EQ(shownFrame(), Rect(100, 100, 480, 320));
    EXPECT_EQ(s.workspace(ws.id).lastContainerFrame, RectModel::from({100, 100, 300, 200}));
    EXPECT_TRUE(s.log().size() <= 1u);  // at most the change of the active workspace
    const auto& chrome = *s.chromes.back();
    EXPECT_TRUE(chrome.isVisible);
    EXPECT_EQ(chrome.containerCocoaRect, Rect(100, 480, 480, 320));
    EXPECT_EQ(chrome.currentTitle, "Write");
    EXPECT_EQ(chrome.currentAppCount, 2);
    EXPECT_EQ(chrome.currentAppIcons.size(), 2u);
}

TEST_F(ContainerFrame, OnALowDisplayTheMinimumHeightIsTheDisplays) {
    s.setDisplays({ControllerScenario::display({0, 0, 1440, 325}, 1)});  // 300 pt usable
    remember({100, 30, 600, 250});
    s.start();
    s.probe().showContainerFrame(s.workspace(ws.id));
    EXPECT_EQ(shownFrame(), Rect(100, 30, 600, 300));
}

TEST_F(ContainerFrame, AFrameOnADisplayThatIsGoneIsRelocatedLoggedAndSaved) {
    remember({2000, 100, 1000, 700});  // where a second display used to be
    s.start();
    s.input.pointer = {700, 400};
    s.clearLog();
    s.probe().showContainerFrame(s.workspace(ws.id));
    EXPECT_EQ(shownFrame(), Rect(440, 100, 1000, 700));
    EXPECT_EQ(s.logCount("[Tessane] Show: offscreen / missing display — relocated to current display. "
                         "original=(2000,100 1000×700) resolved=(440,100 1000×700). displays(AX): [screen0 "
                         "visible=(0,25 1440×875)]"),
              1u);
    const auto saved = s.workspace(ws.id);
    EXPECT_EQ(saved.lastContainerFrame, RectModel::from({440, 100, 1000, 700}));
    ASSERT_TRUE(saved.topologyFrames.has_value());
    EXPECT_EQ(saved.topologyFrames->size(), 1u);
}

// A frame stored in X pixels by a build that worked at scale 2 is twice the size it means in
// points. It is taken as it is, but not left running off the display: fitted onto the display it
// overlaps, told and stored. A frame that fits stays where it is even past an edge (above).
TEST_F(ContainerFrame, AFrameLargerThanItsDisplayIsFittedOntoItLoggedAndSaved) {
    s.start();
    remember({24, 74, 2832, 1702});
    s.clearLog();
    s.probe().showContainerFrame(s.workspace(ws.id));
    EXPECT_EQ(shownFrame(), Rect(0, 25, 1440, 875));
    EXPECT_EQ(s.logCount("[Tessane] Show: larger than its display — fitted onto it. original=(24,74 2832×1702) "
                         "resolved=(0,25 1440×875). displays(AX): [screen0 visible=(0,25 1440×875)]"),
              1u);
    EXPECT_EQ(s.workspace(ws.id).lastContainerFrame, RectModel::from({0, 25, 1440, 875}));
    EXPECT_EQ(s.chromes.back()->containerCocoaRect, Rect(0, 0, 1440, 875));
}

TEST_F(ContainerFrame, OverlapDecidesUsability) {
    s.start();
    remember({1200, 600, 500, 300});  // 240 x 300 on the display's usable area: stays
    s.probe().showContainerFrame(s.workspace(ws.id));
    EXPECT_EQ(shownFrame(), Rect(1200, 600, 500, 300 + 20));
    remember({1200, 850, 500, 320});  // 240 x 50: moved onto the display
    s.probe().showContainerFrame(s.workspace(ws.id));
    EXPECT_NE(shownFrame().minY(), 850);
}

TEST_F(ContainerFrame, TheDisplaySetsOwnFrameWinsOverTheLastOne) {
    s.start();
    remember({100, 100, 800, 500});
    auto edited = s.workspace(ws.id);
    edited.topologyFrames = std::map<std::string, RectModel>{{*s.probe().currentTopology(), {50, 60, 900, 600}}};
    s.manager->update(edited);
    EXPECT_EQ(s.probe().containerRect(s.workspace(ws.id)), Rect(50, 60, 900, 600));
}

TEST_F(ContainerFrame, ShowingAgainKeepsTheSessionAndChromeAndEndsASolo) {
    s.start();
    s.probe().showContainerFrame(s.workspace(ws.id));
    auto* session = s.probe().session(ws.id);
    s.probe().solo().begin(ws.id, ws.apps[0].id);
    const auto gen = s.probe().placementGeneration();
    s.probe().showContainerFrame(s.workspace(ws.id));
    EXPECT_EQ(s.probe().session(ws.id), session);
    EXPECT_EQ(s.chromes.size(), 1u);
    EXPECT_FALSE(s.probe().solo().current().has_value());
    EXPECT_EQ(s.probe().placementGeneration(), gen + 1);
    EXPECT_EQ(s.probe().tiledSignature().at(ws.id), workspace_rules::signature(ws));
}

class FrameChanges : public ::testing::Test {
protected:
    void SetUp() override {
        for (auto name : {"Notes", "Mail", "Music", "Photos"}) s.launchApp(name);
        a = s.addWorkspace("A", {"Notes", "Mail"});
        b = s.addWorkspace("B", {"Music", "Photos"});
        s.start();
        s.controller().showWorkspace(a.id);
        s.controller().showWorkspace(b.id);
        s.advance(2);  // past the drift checks of the show's placements
    }
    void changed(const Workspace& ws, const Rect& to) { s.chromes.at(ws.id == a.id ? 0 : 1)->callbacks.onContainerChanged(to); }

    ControllerScenario s;
    Workspace a, b;
};

TEST_F(FrameChanges, ABurstOfChangesGivesOneSnapAndOneWrite) {
    const Rect r1{50, 60, 1000, 700}, r2{60, 60, 1000, 700}, r3{70, 60, 1000, 700};
    changed(a, r1);
    EXPECT_EQ(s.probe().session(a.id)->containerAXRect, r1);  // recorded at once
    s.advance(0.1);
    changed(a, r2);
    s.advance(0.1);
    changed(a, r3);
    s.advance(0.11);
    EXPECT_NE(s.window("Notes").frame(), s.probe().tileRects(s.workspace(a.id))[0]);
    s.advance(0.02);  // 0.12 s after the last change
    EXPECT_EQ(s.window("Notes").frame(), s.probe().tileRects(s.workspace(a.id))[0]);
    EXPECT_NE(s.workspace(a.id).lastContainerFrame, RectModel::from(r3));
    s.advance(0.4);  // 0.5 s after it
    EXPECT_EQ(s.workspace(a.id).lastContainerFrame, RectModel::from(r3));
    EXPECT_EQ(s.workspace(a.id).topologyFrames->at(*s.probe().currentTopology()), RectModel::from(r3));
    EXPECT_EQ(s.probe().pendingPersists(), 0u);
}

TEST_F(FrameChanges, AnotherWorkspacesChangeNeverDropsThisOnesSnapOrWrite) {
    changed(a, {50, 60, 1000, 700});
    s.advance(0.05);
    changed(b, {80, 90, 1000, 700});
    s.advance(0.6);
    EXPECT_EQ(s.window("Notes").frame(), s.probe().tileRects(s.workspace(a.id))[0]);
    EXPECT_EQ(s.window("Music").frame(), s.probe().tileRects(s.workspace(b.id))[0]);
    EXPECT_EQ(s.workspace(a.id).lastContainerFrame, RectModel::from({50, 60, 1000, 700}));
    EXPECT_EQ(s.workspace(b.id).lastContainerFrame, RectModel::from({80, 90, 1000, 700}));
}

TEST_F(FrameChanges, AtQuitPendingWritesAreFlushedAtOnce) {
    changed(a, {50, 60, 1000, 700});
    s.controller().flushPendingFramePersists();
    EXPECT_EQ(s.workspace(a.id).lastContainerFrame, RectModel::from({50, 60, 1000, 700}));
    EXPECT_EQ(s.probe().pendingPersists(), 0u);
}

TEST_F(FrameChanges, AWriteForAWorkspaceNoLongerShownWritesNothing) {
    const auto before = s.workspace(a.id).lastContainerFrame;
    changed(a, {50, 60, 1000, 700});
    s.probe().dropSession(a.id);
    s.advance(1);
    EXPECT_EQ(s.workspace(a.id).lastContainerFrame, before);
}

}  // namespace
}  // namespace tessane::testing
