#include "support/ShownWorkspace.h"

#include "platform/Accessibility.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Lines = ControllerScenario::Lines;
using Report = WorkspaceController::PlacementReport;

class Placement : public ShownWorkspace {
protected:
    std::vector<Rect> tiles() { return s.probe().tileRects(s.workspace(ws.id)); }
    Report place(bool quiet = false) { return s.probe().placeWindows(s.workspace(ws.id), quiet); }
    Lines linesWith(const std::string& text) const {
        Lines out;
        for (const auto& line : s.log())
            if (line.find(text) != std::string::npos) out.push_back(line);
        return out;
    }
};

TEST_F(Placement, TheTilesAreTheContainerLessThreePointsSplitWithASixPointGutter) {
    EXPECT_EQ(tiles(), (std::vector<Rect>{{43, 63, 594, 694}, {643, 63, 594, 694}}));
    EXPECT_EQ(place(), Report{});
    EXPECT_EQ(s.window("Notes").frame(), tiles()[0]);
    EXPECT_EQ(s.window("Mail").frame(), tiles()[1]);
    EXPECT_TRUE(s.log().empty());
    EXPECT_EQ(s.probe().placementGuardCount(), 1);
    s.advance(0.41);
    EXPECT_EQ(s.probe().placementGuardCount(), 0);
}

TEST_F(Placement, AWindowThatLandsFivePointsOffIsPlacedTwentyPointsOffIsARefusalLoggedOnce) {
    s.window("Notes").landOffBy({5, 0});
    place();
    EXPECT_TRUE(s.log().empty());

    s.window("Notes").landOffBy({20, 0});
    place();
    place();
    EXPECT_EQ(linesWith("refused"), (Lines{"[Tessane] Notes refused its pane: asked x=43 y=63 w=594 h=694, window is "
                                           "x=63 y=63 w=594 h=694. [id=— subrole=AXStandardWindow]"}));
    EXPECT_EQ(linesWith("[geom]"), (Lines{"[Tessane][geom] Write pane 0 (Notes): want x=43 y=63 w=594 h=694 got x=63 "
                                          "y=63 w=594 h=694",
                                          "[Tessane][geom] Write pane 0 (Notes): want x=43 y=63 w=594 h=694 got x=63 "
                                          "y=63 w=594 h=694"}));
    EXPECT_EQ(s.probe().session(ws.id)->elements.size(), 2u);  // a refusing window stays tracked

    // Placed cleanly once, the same refusal is news again.
    s.window("Notes").acceptWrites();
    place();
    s.window("Notes").landOffBy({20, 0});
    place(true);  // quiet: no deviation line
    EXPECT_EQ(linesWith("refused").size(), 2u);
    EXPECT_EQ(linesWith("[geom]").size(), 2u);
}

TEST_F(Placement, ARefusedSizeIsLoggedWithTheSizeTheAppKept) {
    s.window("Mail").setMinimumSize({700, 400});
    place(true);
    EXPECT_EQ(linesWith("refused"), (Lines{"[Tessane] Mail refused its pane: asked x=643 y=63 w=594 h=694, window is "
                                           "x=643 y=63 w=700 h=694. [id=— subrole=AXStandardWindow]"}));
}

// All windows are moved before any is judged; what each pane logs still comes pane by pane.
TEST_F(Placement, ThePanesLinesComeInPaneOrder) {
    s.window("Notes").setMinimumSize({700, 400});
    s.window("Mail").close();
    s.clearLog();
    place(true);
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Notes refused its pane: asked x=43 y=63 w=594 h=694, window is x=43 y=63 "
                              "w=700 h=694. [id=— subrole=AXStandardWindow]",
                              "[Tessane] Mail: running but no window yet — pane pending, will adopt on window appear."}));
}

TEST_F(Placement, WhatCannotBePlacedIsReportedInPaneOrder) {
    s.window("Notes").refuseMoves(AXError::cannotComplete);
    s.quitApp("Mail");
    EXPECT_EQ(place(), (Report{{"Tessane couldn’t move Notes’s window. Some apps restrict window control.",
                                "Mail isn’t running."},
                               {}}));
    ASSERT_EQ(s.probe().session(ws.id)->elements.size(), 1u);  // Notes' window still tracked
}

TEST_F(Placement, AClosedCachedWindowIsForgottenAndThePaneTakesAnotherInTheSamePass) {
    auto& first = s.window("Notes");
    auto& second = s.app("Notes").addWindow({.title = "Notes 2"});
    first.close();
    EXPECT_EQ(place(), Report{});
    EXPECT_EQ(second.frame(), tiles()[0]);
    EXPECT_EQ(s.probe().cachedWindow(ws.apps[0].id, s.pid("Notes")), second.element());
}

// Every lookup that missed the cache used to walk every pane of every workspace; with thousands
// of stored workspaces that walk was most of a show. It runs once per edit of the list.
TEST_F(Placement, TheCacheIsPrunedOncePerEditNotAtEveryLookupThatMissesIt) {
    // Music has one window: two of its three panes miss the cache in every pass.
    auto four = s.addWorkspace("Four", {"Notes", "Music", "Music", "Music"}, LayoutType::grid2x2);
    s.putUp(four);
    s.probe().placeWindows(four);
    s.drain();
    int edits = 0;
    const auto counting = s.manager->observeWorkspaces([&](const std::vector<Workspace>&) { ++edits; });
    const auto before = s.probe().paneCachePrunes();
    for (int pass = 0; pass < 3; ++pass) {
        s.probe().placeWindows(four);
        s.drain();
    }
    EXPECT_LE(s.probe().paneCachePrunes() - before, static_cast<uint64_t>(edits));
    EXPECT_LT(edits, 6);

    // A pane gone from the list loses its cached window at the next lookup after the edit.
    const Uuid mail = ws.apps[1].id;
    ASSERT_EQ(s.probe().cachedAppIDs().count(mail), 1u);
    s.manager->deleteWorkspace(ws.id);
    s.drain();
    s.probe().placeWindows(four);
    EXPECT_EQ(s.probe().cachedAppIDs().count(mail), 0u);
}

TEST_F(Placement, FullscreenWindowsAreLeftAloneAndReported) {
    s.window("Mail").setFullScreen(true);
    const Rect before = s.window("Mail").frame();
    EXPECT_EQ(place(), (Report{{}, {"Mail"}}));
    EXPECT_EQ(s.window("Mail").frame(), before);
    EXPECT_EQ(s.probe().session(ws.id)->elements.size(), 2u);
}

TEST_F(Placement, AnAppWithoutAWindowLeavesItsPanePending) {
    s.window("Mail").close();
    EXPECT_EQ(place(), Report{});
    EXPECT_EQ(linesWith("Mail:"),
              (Lines{"[Tessane] Mail: running but no window yet — pane pending, will adopt on window appear."}));
    EXPECT_EQ(s.probe().session(ws.id)->elements.size(), 1u);
}

TEST_F(Placement, APaneAwaitingItsDocumentWaitsThoughAnotherWindowIsFree) {
    s.sim.applications.addFile("/home/me/draft.txt");
    auto edited = s.workspace(ws.id);
    edited.apps[0].lastDocumentPath = "/home/me/draft.txt";
    s.manager->update(edited);
    s.probe().dropSession(ws.id);
    s.putUp(edited);
    auto& notes = s.app("Notes");
    for (auto* w : notes.windows()) w->close();
    notes.addWindow({.title = "Other"});
    s.sim.applications.setLaunchBehaviour(ControllerScenario::bundleID("Notes"), {.windowDelay = 60});
    s.controller().showWorkspace(ws.id);  // the running app is asked for its document: 10 s
    s.clearLog();
    const Rect before = notes.window(0)->frame();
    place();
    EXPECT_EQ(notes.window(0)->frame(), before);  // the free window is not taken

    auto& doc = notes.addWindow({.title = "draft.txt", .document = "file:///home/me/draft.txt"});
    place();
    EXPECT_EQ(doc.frame(), tiles()[0]);
    EXPECT_EQ(linesWith("document"), (Lines{"[Tessane] Notes: found its pane's document “draft.txt”."}));
}

TEST_F(Placement, TwoPanesOfOneAppNeverShareAWindowAndTheSparePaneLogsOnce) {
    auto three = s.addWorkspace("Three", {"Notes", "Music", "Music"}, LayoutType::threeLeftOneRightTwo);
    s.putUp(three);
    s.clearLog();
    const auto report = s.probe().placeWindows(three);
    EXPECT_EQ(report, Report{});
    s.probe().placeWindows(three);
    EXPECT_EQ(linesWith("Music: all"), (Lines{"[Tessane] Music: all 1 manageable window(s) already bound to other panes — "
                                          "leaving this pane pending."}));
    EXPECT_EQ(s.probe().session(three.id)->elements.size(), 2u);

    s.app("Music").addWindow({.title = "Music 2"});
    s.probe().placeWindows(three);
    const auto tiles3 = s.probe().tileRects(three);
    EXPECT_EQ(s.window("Music", 1).frame(), tiles3[1]);  // the pane keeps its window
    EXPECT_EQ(s.window("Music", 0).frame(), tiles3[2]);  // the new one fills the spare pane
}

TEST_F(Placement, TilesUnder200PointsStopThePassWithAnAlertUnlessQuiet) {
    s.probe().session(ws.id)->containerAXRect = Rect(40, 60, 410, 600);  // panes of 199 pt
    const Rect before = s.window("Notes").frame();
    EXPECT_EQ(place(true), Report{});
    EXPECT_TRUE(s.sim.alerts.shown().empty());
    EXPECT_EQ(place(), Report{});
    ASSERT_EQ(s.sim.alerts.shown().size(), 1u);
    EXPECT_EQ(s.sim.alerts.shown()[0].messageText, "Workspace is too small for this layout");
    EXPECT_EQ(s.sim.alerts.shown()[0].informativeText, "Resize the container or choose a simpler layout.");
    EXPECT_EQ(s.window("Notes").frame(), before);
    EXPECT_EQ(s.probe().placementGuardCount(), 0);
}

TEST_F(Placement, StageManagerOnMovesNothing) {
    s.setStageManager(true);
    s.advance(0.5);
    const Rect before = s.window("Notes").frame();
    EXPECT_EQ(place(), Report{});
    EXPECT_EQ(s.window("Notes").frame(), before);
}

TEST_F(Placement, TheRatiosInForceAreStoredOnlyWhenTheyChangeAndGoToTheChrome) {
    place();
    EXPECT_EQ(s.workspace(ws.id).layout.ratios, (std::vector<double>{0.5}));
    EXPECT_EQ(s.chrome(ws.id).count("syncRatios"), 1u);
    EXPECT_EQ(s.chrome(ws.id).currentRatios, (std::vector<double>{0.5}));
    auto edited = s.workspace(ws.id);
    edited.layout.ratios = std::vector<double>{0.05};
    s.manager->update(edited);
    place();
    EXPECT_NEAR(s.workspace(ws.id).layout.ratios->at(0), 320.0 / 1192, 1e-12);
}

class CrossDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        s.setDisplays({ControllerScenario::display({0, 0, 1440, 900}, 1),
                       ControllerScenario::display({1440, 0, 1440, 900}, 2)});
        s.launchApp("Notes");
        s.launchApp("Mail");
        ws = s.addWorkspace("Write", {"Notes", "Mail"});
        s.start();
        s.putUp(ws, {1500, 60, 1200, 700});  // on the second display; the windows are on the first
        s.drain();
        s.sim.accessibility.clearWrites();
    }
    ControllerScenario s;
    Workspace ws;
};

TEST_F(CrossDisplay, TheWindowGoesOverFirstAndIsSizedInPlaceAfterwards) {
    const AXElement notes = s.window("Notes").element();
    s.probe().placeWindows(ws);
    EXPECT_EQ(s.sim.accessibility.writeCount(notes, ax::kSize), 0u);
    EXPECT_EQ(s.window("Notes").position(), s.probe().tileRects(ws)[0].origin);
    s.advance(0.41);
    EXPECT_EQ(s.window("Notes").frame(), s.probe().tileRects(ws)[0]);
    EXPECT_EQ(s.probe().pendingSecondPhases(), 0u);
}

TEST_F(CrossDisplay, ANewerPlacementOfTheWindowTakesOverFromTheSecondPhase) {
    const AXElement notes = s.window("Notes").element();
    s.probe().placeWindows(ws);
    s.advance(0.2);
    const Rect elsewhere{1600, 100, 500, 400};
    s.probe().placeWindow(notes, elsewhere);  // same display now: placed at once
    s.advance(0.3);
    EXPECT_EQ(s.window("Notes").frame(), elsewhere);
}

TEST_F(CrossDisplay, AWorkspaceHiddenMeanwhileGetsNoSecondPhase) {
    const Rect tile = s.probe().tileRects(ws)[0];
    s.probe().placeWindows(ws);
    s.probe().dropSession(ws.id);
    s.advance(0.5);
    EXPECT_EQ(s.window("Notes").position(), tile.origin);
    EXPECT_NE(s.window("Notes").size(), tile.size);
}

TEST_F(CrossDisplay, LearningWaitsForTheSecondPhaseAndDoesNotTakeTheOldSizeForAMinimum) {
    // Both windows are 800 x 600 on the first display; the tiles on the second are 594 wide.
    const auto before = s.workspace(ws.id);
    s.probe().placeWindowsLearning(ws);
    s.advance(2);
    EXPECT_EQ(s.probe().session(ws.id)->containerAXRect, Rect(1500, 60, 1200, 700));
    EXPECT_EQ(s.workspace(ws.id).layout.ratios, std::vector<double>{0.5});
    EXPECT_EQ(s.workspace(ws.id).lastContainerFrame, before.lastContainerFrame);
    EXPECT_EQ(s.window("Notes").frame(), s.probe().tileRects(ws)[0]);
    EXPECT_EQ(s.window("Mail").frame(), s.probe().tileRects(ws)[1]);
}

}  // namespace
}  // namespace tessane::testing
