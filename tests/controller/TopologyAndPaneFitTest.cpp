#include "controller/WorkspaceRules.h"
#include "layout/DisplayTopology.h"
#include "support/ShownWorkspace.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Lines = ControllerScenario::Lines;

// Write (Notes, Mail) shown. The displays are a 1440 x 900 one and, to its right, a 1920 x 1080
// one, until a test unplugs the second: usable areas (0, 25, 1440, 875) and (1440, -155, 1920,
// 1055) in Accessibility coordinates.
class DisplayChanges : public ShownWorkspace {
protected:
    void SetUp() override {
        ShownWorkspace::SetUp();
        s.setDisplays({first(), second()});
        s.input.pointer = {100, 100};
        both = fingerprint();
        s.clearLog();
    }
    static ScreenInfo first() { return ControllerScenario::display({0, 0, 1440, 900}, 1); }
    static ScreenInfo second() { return ControllerScenario::display({1440, 0, 1920, 1080}, 2); }
    std::optional<std::string> fingerprint() { return DisplayTopology::currentFingerprint(s.sim.screens.screens()); }
    void unplugSecond() {
        s.setDisplays({first()});
        alone = fingerprint();
    }
    void sitAt(const Workspace& w, const Rect& frame) { s.probe().session(w.id)->containerAXRect = frame; }
    void fileHome(const Workspace& w, const std::optional<std::string>& topology, const Rect& home) {
        auto edited = s.workspace(w.id);
        if (!edited.topologyFrames) edited.topologyFrames.emplace();
        (*edited.topologyFrames)[*topology] = RectModel::from(home);
        s.manager->update(edited);
    }
    // The lines about this workspace's move, without the settled line and the summary.
    Lines changes() {
        Lines out;
        for (const auto& line : s.log())
            if (line.rfind("[Tessane] Displays changed:", 0) == 0) out.push_back(line);
        return out;
    }

    std::optional<std::string> both, alone;
};

TEST_F(DisplayChanges, AGoneDisplaySendsTheWorkspaceToTheHomeOfTheNewSet) {
    sitAt(ws, {1500, 0, 1200, 700});
    unplugSecond();
    fileHome(ws, alone, {40, 60, 1200, 700});
    s.clearLog();
    s.probe().setTopologyFluxUntil(s.sim.mainQueue.now() + 4);

    s.probe().handleTopologyChange(both, alone);

    EXPECT_EQ(s.log().front(), "[Tessane] Display set settled: " + *both + " → " + *alone +
                                   ". displays(AX): [screen0 visible=(0,25 1440×875)]");
    EXPECT_EQ(changes(), (Lines{"[Tessane] Displays changed: “Write” display gone — moved to this display set's home → "
                                "(40,60 1200×700)."}));
    EXPECT_EQ(s.probe().session(ws.id)->containerAXRect, Rect(40, 60, 1200, 700));
    EXPECT_EQ(s.workspace(ws.id).lastContainerFrame, RectModel::from({40, 60, 1200, 700}));
    EXPECT_EQ(s.workspace(ws.id).topologyFrames->size(), 1u);  // the home is used, not filed again
    EXPECT_EQ(s.probe().topologyFluxUntil(), WorkspaceController::kDistantPast);  // window events flow again
    EXPECT_FALSE(s.probe().cachedTopologyValid());
}

TEST_F(DisplayChanges, AFirstSeenSetSheltersAWorkspaceOnTheDisplayInUse) {
    sitAt(ws, {3000, 0, 1200, 700});  // on no display at all
    unplugSecond();
    s.probe().handleTopologyChange(both, alone);
    EXPECT_EQ(changes(), (Lines{"[Tessane] Displays changed: “Write” display gone — no home for this display set, "
                                "sheltered on the current display → (240,25 1200×700)."}));
    EXPECT_EQ(s.probe().session(ws.id)->containerAXRect, Rect(240, 25, 1200, 700));
    EXPECT_EQ(s.workspace(ws.id).homeFrame(alone), Rect(240, 25, 1200, 700));  // filed as the new set's home
}

TEST_F(DisplayChanges, AFrameWithItsTopOffScreenIsPulledBackOnItsOwnDisplay) {
    sitAt(ws, {40, -20, 1200, 700});  // mostly visible, but the rail is above the usable area
    s.probe().handleTopologyChange(both, both);
    EXPECT_EQ(changes(), (Lines{"[Tessane] Displays changed: “Write” unreachable where it sits — pulled back into view "
                                "on its own display → (40,25 1200×700)."}));
}

TEST_F(DisplayChanges, AReturningDisplayWithTheWindowsStillAwayGetsAnOffer) {
    sitAt(ws, {40, 60, 1200, 700});  // sheltered on the first display
    fileHome(ws, both, {1500, 0, 1200, 700});
    s.clearLog();
    s.probe().handleTopologyChange(alone, both);
    EXPECT_EQ(changes(), (Lines{"[Tessane] Displays changed: “Write” has a home at (1500,0 1200×700) on the returning "
                                "display, windows still on the shelter display — offering to move it back."}));
    ASSERT_EQ(s.notice->shown.size(), 1u);
    EXPECT_EQ(s.notice->shown[0].message, "“Write” has a spot on the display that just came back.");
    EXPECT_TRUE(s.probe().homeOfferRecheckPending());
    EXPECT_EQ(s.probe().session(ws.id)->containerAXRect, Rect(40, 60, 1200, 700));  // an offer, not a move
}

TEST_F(DisplayChanges, AWorkspaceAtItsHomeOrWithAnUnreachableHomeStaysSilently) {
    fileHome(ws, both, {41, 61, 1200, 700});  // within 2 pt of where it sits
    s.clearLog();
    s.probe().handleTopologyChange(both, both);
    EXPECT_TRUE(changes().empty());

    fileHome(ws, both, {9000, 9000, 1200, 700});  // no longer on any display
    s.clearLog();
    s.probe().handleTopologyChange(both, both);
    EXPECT_TRUE(changes().empty());
    EXPECT_EQ(s.workspace(ws.id).homeFrame(both), Rect(9000, 9000, 1200, 700));  // kept
    EXPECT_EQ(s.probe().session(ws.id)->containerAXRect, Rect(40, 60, 1200, 700));  // not moved
}

TEST_F(DisplayChanges, AWorkspaceThatStaysBecomesTheHomeOfASetThatHadNone) {
    s.probe().handleTopologyChange(alone, both);
    EXPECT_EQ(changes(), (Lines{"[Tessane] Displays changed: “Write” stays (frame still usable; no home for this display "
                                "set) — filing it as this display set's home."}));
    EXPECT_EQ(s.workspace(ws.id).homeFrame(both), Rect(40, 60, 1200, 700));
}

TEST_F(DisplayChanges, TheFrontMostWorkspaceIsHandledFirst) {
    s.launchApp("Maps");
    const auto other = s.addWorkspace("Listen", {"Music", "Maps"});
    s.putUp(other, {3000, 0, 1000, 600});
    sitAt(ws, {3000, 0, 1200, 700});
    s.putUp(ws);  // Write in front again
    sitAt(ws, {3000, 0, 1200, 700});
    unplugSecond();
    s.clearLog();
    s.probe().handleTopologyChange(both, alone);
    const Lines lines = changes();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("“Write”"), std::string::npos);
    EXPECT_NE(lines[1].find("“Listen”"), std::string::npos);
}

TEST_F(DisplayChanges, NoDisplaySetMovesNothingAndAnyNewChangeDropsTheOldOffer) {
    s.notice->hasPanel = true;
    s.probe().setTopologyFluxUntil(s.sim.mainQueue.now() + 4);
    s.probe().handleTopologyChange(both, std::nullopt);
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Display set changed to none (every display detached / asleep) — nothing moved."}));
    EXPECT_EQ(s.notice->closes, 1);
    EXPECT_EQ(s.probe().topologyFluxUntil(), WorkspaceController::kDistantPast);
}

// The same two displays at scale 1.5 (each one's size in points divided by it), as a settings
// daemon's new scale leaves them: window events pause while it settles; then Write, which still
// lies usably on the first display, is not offered the home it has on the second (the same
// displays have no returning one) but laid out again where it is, fitted onto its display, now
// smaller than it, and its windows are tiled to that container.
TEST_F(DisplayChanges, TheSameDisplaysAtANewScaleLayTheWorkspaceOutAgainWhereItIs) {
    s.sim.screens.notify(Screens::Notification::screenParametersChanged);  // the two displays settle first
    s.advance(1);
    fileHome(ws, both, {1500, 0, 1200, 700});
    s.clearLog();
    s.tips->hasPanel = true;  // the tips card is up
    s.setDisplays({ControllerScenario::display({0, 0, 960, 600}, 1),
                   ControllerScenario::display({960, 0, 1280, 720}, 2)});
    s.sim.screens.notify(Screens::Notification::screenParametersChanged);
    EXPECT_GT(s.probe().topologyFluxUntil(), s.sim.mainQueue.now());
    s.advance(1);

    const Rect fitted{0, 25, 960, 575};
    EXPECT_EQ(changes(), (Lines{"[Tessane] Displays changed: “Write” stays; its display's frame changed (scale, "
                                "resolution or arrangement) — laid out again at " +
                                workspace_rules::rectLog(fitted) + "."}));
    EXPECT_EQ(s.log().front().rfind("[Tessane] Display set settled with new frames", 0), 0u) << s.log().front();
    EXPECT_TRUE(s.notice->shown.empty());
    EXPECT_EQ(s.probe().session(ws.id)->containerAXRect, fitted);
    EXPECT_EQ(s.workspace(ws.id).lastContainerFrame, RectModel::from(fitted));
    EXPECT_EQ(s.workspace(ws.id).homeFrame(both), Rect(1500, 0, 1200, 700));  // kept for a return
    const auto tiles = s.probe().tileRects(s.workspace(ws.id));
    EXPECT_EQ(s.window("Notes").frame(), tiles.at(0));
    EXPECT_EQ(s.window("Mail").frame(), tiles.at(1));
    EXPECT_EQ(s.probe().topologyFluxUntil(), WorkspaceController::kDistantPast);
    // The card is drawn again at the new scale, beside the container where it now lies.
    EXPECT_EQ(s.tips->closes, 1);
    EXPECT_TRUE(s.tips->hasPanel);
    EXPECT_EQ(s.tips->near, s.probe().session(ws.id)->chrome->containerCocoaRect());
}

// ------------------------------------------------------------------ the pane-fit report

class PaneFitReport : public ShownWorkspace {
protected:
    void place() {
        s.probe().placeWindows(ws);
        s.advance(1);
    }
    Rect tile(size_t i) { return s.probe().tileRects(ws).at(i); }
};

TEST_F(PaneFitReport, AWindowWithinToleranceFitsAndOneThirtyPointsOffIsListed) {
    place();
    Rect nudged = tile(0);
    nudged.origin.x += 5;
    nudged.size.width -= 7;
    s.window("Notes").setFrame(nudged);  // within 8 pt
    Rect off = tile(1);
    off.origin.x += 30;
    s.window("Mail").setFrame(off);
    s.clearLog();
    const auto cacheBefore = s.probe().cachedAppIDs();

    const auto report = s.controller().paneFitReport();

    EXPECT_EQ(report.checked, 2);
    ASSERT_EQ(report.off.size(), 1u);
    const int wantW = static_cast<int>(tile(1).width()), wantH = static_cast<int>(tile(1).height());
    EXPECT_EQ(report.off[0], (PaneFit{"Write", 1, "Mail", wantW, wantH, static_cast<int>(off.width()),
                                      static_cast<int>(off.height()), 30, 0, std::nullopt}));
    EXPECT_TRUE(s.log().empty());  // it only reads
    EXPECT_EQ(s.probe().cachedAppIDs(), cacheBefore);
}

TEST_F(PaneFitReport, PanesThatCannotBeMeasuredSayWhy) {
    place();
    s.quitApp("Notes");
    s.window("Mail").close();
    s.drain();
    const auto report = s.controller().paneFitReport();
    EXPECT_EQ(report.checked, 2);
    ASSERT_EQ(report.off.size(), 2u);
    EXPECT_EQ(report.off[0].note, "not running");
    EXPECT_EQ(report.off[0].gotWidth, std::nullopt);
    EXPECT_EQ(report.off[1].note, "no window");
}

TEST_F(PaneFitReport, NothingIsCheckedWithoutWindowControlOrAShownWorkspace) {
    s.sim.accessibility.setTrusted(false);
    EXPECT_EQ(s.controller().paneFitReport().checked, 0);
    s.sim.accessibility.setTrusted(true);
    s.controller().releaseWorkspace(ws.id);
    const auto report = s.controller().paneFitReport();
    EXPECT_EQ(report.checked, 0);
    EXPECT_TRUE(report.off.empty());
}

TEST_F(PaneFitReport, APaneWithNoWindowBoundYetIsMeasuredWithoutBindingIt) {
    const auto other = s.addWorkspace("Listen", {"Music", "Maps"});
    s.putUp(other);        // Maps is not running yet: its pane has no window
    s.launchApp("Maps");   // its window opens at (100, 100, 800, 600)
    s.clearLog();

    const auto report = s.controller().paneFitReport();

    EXPECT_EQ(report.checked, 4);
    ASSERT_FALSE(report.off.empty());
    const PaneFit& maps = report.off.back();
    EXPECT_EQ(maps.appName, "Maps");
    EXPECT_EQ(maps.gotWidth, 800);
    EXPECT_EQ(maps.note, std::nullopt);
    EXPECT_EQ(s.probe().cachedAppIDs().count(other.apps[1].id), 0u);  // nothing bound, nothing remembered
    EXPECT_EQ(s.workspace(other.id).apps[1].lastDocumentPath, std::nullopt);
    EXPECT_TRUE(s.log().empty());
}

}  // namespace
}  // namespace tessane::testing
