// The user's gestures on a shown workspace, on the simulated desktop: drags and drops between
// panes, resizes that move a divider or the container, applications that refuse to be small, and
// divider commits with their settle.
#include "support/ControllerScenario.h"

#include "controller/GlobalInput.h"
#include "controller/WorkspaceRules.h"
#include "model/WorkspaceManager.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tessane::testing {
namespace {

using Lines = ControllerScenario::Lines;

constexpr double kScreenHeight = 900;  // the scenario's one display

::testing::AssertionResult near(const Rect& actual, const Rect& expected) {
    const bool close = std::abs(actual.minX() - expected.minX()) < 1e-6 &&
                       std::abs(actual.minY() - expected.minY()) < 1e-6 &&
                       std::abs(actual.width() - expected.width()) < 1e-6 &&
                       std::abs(actual.height() - expected.height()) < 1e-6;
    if (close) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << workspace_rules::rectDescription(actual) << " is not "
                                         << workspace_rules::rectDescription(expected);
}

// "Write" (Notes | Mail, side by side) shown in a 1200 x 700 container with its windows tiled:
// Notes in {43, 63, 594, 694}, Mail in {643, 63, 594, 694}. Music and Photos run outside it.
class Gestures : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"Notes", "Mail", "Music", "Photos"}) s.launchApp(name);
        ws = s.addWorkspace("Write", {"Notes", "Mail"});
        s.start();
    }

    void show(const Workspace& workspace, const Rect& container = {40, 60, 1200, 700}) {
        s.putUp(workspace, container);
        s.probe().placeWindows(s.workspace(workspace.id), true);
        s.advance(1.0);
        s.clearLog();
    }

    Rect tile(size_t index, const Uuid& id) { return s.probe().tileRects(s.workspace(id)).at(index); }
    Rect tile(size_t index) { return tile(index, ws.id); }
    std::vector<std::string> appOrder(const Uuid& id) const {
        std::vector<std::string> names;
        for (const auto& app : s.workspace(id).apps) names.push_back(app.displayName);
        return names;
    }
    std::vector<double> storedRatios() const { return s.workspace(ws.id).layout.ratios.value_or(std::vector<double>{}); }
    Rect container(const Uuid& id) { return *s.probe().session(id)->containerAXRect; }

    void pointerAt(Point ax) { s.input.pointer = {ax.x, kScreenHeight - ax.y}; }
    void press() { s.input.buttonDown = true; }
    void release() {
        s.input.buttonDown = false;
        s.input.send(GlobalInput::kLeftMouseUp);
    }
    // The window changes; the observer reports it on the next turn.
    void change(const std::string& app, const Rect& frame) {
        s.window(app).setFrame(frame);
        s.advance(0.05);
    }

    ControllerScenario s;
    Workspace ws;
};

// ------------------------------------------------------------------------------ drag and drop

TEST_F(Gestures, ADragOverTheOtherPanePreviewsItThereAndSwapsOnceOnMouseUp) {
    // Notes sizes in 16 pt rows and rests 10 pt short of its pane: no resize, a drop all the same.
    s.window("Notes").setResizeIncrements({6, 16}, {0, 12});
    show(ws);
    ASSERT_EQ(s.window("Notes").frame(), (Rect{43, 63, 594, 684}));
    ChromeRecord& chrome = s.chrome(ws.id);
    chrome.calls.clear();

    press();
    pointerAt({940, 400});
    change("Notes", {700, 120, 594, 684});
    EXPECT_EQ(chrome.count("showDropPreview(1)"), 1u);
    EXPECT_TRUE(chrome.shieldsHidden);
    EXPECT_TRUE(chrome.dividersHidden);
    EXPECT_EQ(s.input.liveMonitors(GlobalInput::kLeftMouseUp), 1u);

    release();
    s.advance(1.0);
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Swapped panes in “Write”: Notes ⇄ Mail."}));
    EXPECT_EQ(appOrder(ws.id), (std::vector<std::string>{"Mail", "Notes"}));
    EXPECT_EQ(s.window("Mail").frame(), tile(0));
    EXPECT_EQ(s.window("Notes").frame(), (Rect{643, 63, 594, 684}));
    EXPECT_EQ(chrome.count("confirmSwap"), 1u);
    EXPECT_EQ(chrome.count("syncRatios"), 1u);  // one re-tile
    EXPECT_FALSE(chrome.shieldsHidden);
    EXPECT_FALSE(chrome.dividersHidden);
    EXPECT_EQ(s.input.liveMonitors(GlobalInput::kLeftMouseUp), 0u);
}

TEST_F(Gestures, ADragThatEndsOverItsOwnPaneOrNearAnEdgeSnapsBack) {
    show(ws);
    ChromeRecord& chrome = s.chrome(ws.id);
    const Rect home = tile(0);

    press();
    pointerAt({300, 400});  // still over its own pane
    change("Notes", home.offsetBy(120, 40));
    release();
    s.advance(1.0);
    EXPECT_EQ(s.window("Notes").frame(), home);

    press();
    pointerAt({tile(1).minX() + 20, 400});  // within 32 pt of the other pane's edge: no pane
    change("Notes", home.offsetBy(560, 0));
    release();
    s.advance(1.0);
    EXPECT_EQ(s.window("Notes").frame(), home);

    EXPECT_EQ(chrome.count("showDropPreview(1)"), 0u);
    EXPECT_EQ(appOrder(ws.id), (std::vector<std::string>{"Notes", "Mail"}));
    EXPECT_EQ(s.logCount("Swapped panes"), 0u);
}

TEST_F(Gestures, AChangeMadeWithoutThePointerIsEnforcedAfterTheLastEventAndNotWhileTheButtonIsDown) {
    show(ws);
    const Rect home = tile(1);
    change("Mail", home.offsetBy(30, 30));
    s.advance(0.1);
    change("Mail", home.offsetBy(50, 50));  // pushes the check back
    EXPECT_EQ(s.window("Mail").frame(), home.offsetBy(50, 50));
    s.advance(0.3);
    EXPECT_EQ(s.window("Mail").frame(), home);
    s.advance(1.0);  // our own placement's moves are not the user's

    // Button down when the check runs: the check waits for the mouse-up.
    press();
    change("Mail", home.offsetBy(40, 0));
    s.advance(1.0);
    EXPECT_EQ(s.window("Mail").frame(), home.offsetBy(40, 0));
    release();
    EXPECT_EQ(s.window("Mail").frame(), home);
    s.advance(1.0);

    // A mouse-up heard while the button is already down again: the drag ends, the enforcement
    // only says it waits.
    change("Mail", home.offsetBy(40, 0));
    press();
    s.input.send(GlobalInput::kLeftMouseUp);
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Enforce deferred for “Write” — mouse still down (mid-drag)."}));
    EXPECT_EQ(s.input.liveMonitors(GlobalInput::kLeftMouseUp), 0u);
    EXPECT_EQ(s.window("Mail").frame(), home.offsetBy(40, 0));
}

TEST_F(Gestures, FullscreenSoloAndNoDeviationLeaveTheWindowsAlone) {
    show(ws);
    const Rect home = tile(0);

    s.probe().solo().begin(ws.id, ws.apps[0].id);
    change("Notes", home.offsetBy(70, 0));
    s.advance(1.0);
    EXPECT_EQ(s.window("Notes").frame(), home.offsetBy(70, 0));
    EXPECT_FALSE(s.chrome(ws.id).shieldsHidden);  // a soloed workspace ignores window changes
    EXPECT_EQ(s.input.liveMonitors(GlobalInput::kLeftMouseUp), 0u);
    s.probe().solo().end();

    s.window("Mail").setFullScreen(true);
    change("Notes", home.offsetBy(80, 0));
    s.advance(1.0);
    EXPECT_EQ(s.window("Notes").frame(), home.offsetBy(80, 0));
    EXPECT_EQ(s.logCount("[Tessane] Enforce skipped for “Write” — an app is in native fullscreen."), 1u);
}

TEST_F(Gestures, ADragAcrossTwoWorkspacesPutsBackTheShieldsOfBoth) {
    const Workspace play = s.addWorkspace("Play", {"Music", "Photos"});
    show(ws, {40, 60, 1200, 400});
    show(play, {40, 470, 1200, 400});
    ChromeRecord& write = s.chrome(ws.id);
    ChromeRecord& other = s.chrome(play.id);

    // Applications resize their own windows: the first change begins the drag in "Write", the
    // second re-arms the one check for "Play".
    change("Notes", tile(0, ws.id).insetBy(20, 20));
    EXPECT_TRUE(write.shieldsHidden);
    change("Music", tile(0, play.id).insetBy(20, 20));
    s.advance(1.0);
    EXPECT_FALSE(write.shieldsHidden);
    EXPECT_FALSE(write.dividersHidden);
    EXPECT_FALSE(other.shieldsHidden);
    EXPECT_GE(write.count("hideDropPreview"), 1u);
    EXPECT_FALSE(s.probe().drag().touchedAny());
}

// ------------------------------------------------------------------------------ reflow

TEST_F(Gestures, ResizingTheLeftWindowsRightEdgeMovesTheDividerAndTheRightWindowFollows) {
    show(ws);
    press();
    change("Notes", {43, 63, 694, 694});
    release();
    s.advance(1.0);

    ASSERT_EQ(storedRatios().size(), 1u);
    EXPECT_NEAR(storedRatios()[0], 694.0 / 1188, 1e-9);  // the gutter 3 pt right of the new edge
    EXPECT_TRUE(near(s.window("Notes").frame(), {43, 63, 694, 694}));
    EXPECT_TRUE(near(s.window("Mail").frame(), {743, 63, 494, 694}));
    EXPECT_EQ(container(ws.id), (Rect{40, 60, 1200, 700}));
    EXPECT_EQ(s.log(), Lines{});
}

TEST_F(Gestures, ResizingAnOuterEdgeGrowsTheContainerAndStoresIt) {
    show(ws);
    ChromeRecord& chrome = s.chrome(ws.id);
    chrome.calls.clear();
    press();
    change("Mail", {643, 63, 694, 694});
    release();
    s.advance(1.0);

    EXPECT_EQ(container(ws.id), (Rect{40, 60, 1300, 700}));
    ASSERT_TRUE(s.workspace(ws.id).lastContainerFrame);
    EXPECT_EQ(s.workspace(ws.id).lastContainerFrame->rect(), (Rect{40, 60, 1300, 700}));
    EXPECT_EQ(chrome.containerCocoaRect, (Rect{40, 140, 1300, 700}));
    EXPECT_EQ(chrome.count("applyGeometry(true)"), 1u);
    EXPECT_EQ(s.window("Mail").frame(), tile(1));
    EXPECT_EQ(s.window("Mail").frame().maxX(), 1337);
}

TEST_F(Gestures, AResizeThatWouldLeaveTooSmallAContainerChangesNothingAndIsNotSnappedBack) {
    show(ws);
    press();
    change("Notes", {43, 63, 594, 294});  // the bottom edge up by 400: a 300 pt container
    release();
    s.advance(1.0);
    EXPECT_EQ(container(ws.id), (Rect{40, 60, 1200, 700}));
    EXPECT_FALSE(s.workspace(ws.id).lastContainerFrame);
    EXPECT_EQ(s.window("Notes").frame(), (Rect{43, 63, 594, 294}));
}

TEST_F(Gestures, AWindowZoomedByItsAppIsSnappedBackWithTheLogLine) {
    show(ws);
    change("Mail", {0, 25, 1440, 875});
    s.advance(1.0);
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Reflow declined for “Write”: Mail looks zoomed, not resized — snapping it "
                              "back instead."}));
    EXPECT_EQ(s.window("Mail").frame(), tile(1));
}

TEST_F(Gestures, WindowsRestingOffTheirPanesAreNoResizeWhenTheOtherMovesOrNothingDoes) {
    // Notes sizes in 13 pt rows and rests 7 pt short of its pane; Mail keeps a height of its own,
    // 15 pt short of its pane.
    s.window("Notes").setResizeIncrements({6, 13}, {0, 11});
    s.window("Mail").setFrame({643, 63, 594, 679});
    s.window("Mail").refuseSizes();
    show(ws);
    const Rect notes{43, 63, 594, 687};
    const Rect mail{643, 63, 594, 679};
    ASSERT_EQ(s.window("Notes").frame(), notes);
    const auto ratios = storedRatios();

    // A pure move of either window is put back.
    for (const auto& [app, home] : {std::pair{"Mail", mail}, std::pair{"Notes", notes}}) {
        press();
        pointerAt({home.minX() + 200, home.minY() + 150});
        change(app, home.offsetBy(160, 140));
        release();
        s.advance(1.0);
        EXPECT_EQ(s.window(app).frame(), home) << app;
    }
    // Mail nudges itself and comes back: the pass finds nothing moved and leaves the layout be.
    change("Mail", mail.offsetBy(3, 0));
    change("Mail", mail);
    s.advance(1.0);

    EXPECT_EQ(container(ws.id), (Rect{40, 60, 1200, 700}));
    EXPECT_FALSE(s.workspace(ws.id).lastContainerFrame);
    EXPECT_EQ(storedRatios(), ratios);
    EXPECT_EQ(s.window("Notes").frame(), notes);
    EXPECT_EQ(s.window("Mail").frame(), mail);
}

// ------------------------------------------------------------------------------ minimum sizes

TEST_F(Gestures, AnAppThatKeeps700PtGetsItsShareAndTheContainerGrowsWithinTheScreen) {
    s.window("Mail").setMinimumSize({700, 100});
    show(ws, {400, 60, 1000, 700});
    s.probe().placeWindowsLearning(s.workspace(ws.id));
    s.advance(2.0);

    // Notes keeps its 494 pt tile, Mail its 700: 494 + 700 + gutter and margins = 1206, moved
    // left so that it stays on the 1440 pt screen.
    EXPECT_EQ(container(ws.id), (Rect{234, 60, 1206, 700}));
    ASSERT_EQ(storedRatios().size(), 1u);
    EXPECT_NEAR(storedRatios()[0], 494.0 / 1194, 1e-9);
    EXPECT_EQ(s.window("Notes").frame(), tile(0));
    EXPECT_EQ(s.window("Mail").frame(), tile(1));
    EXPECT_EQ(s.window("Mail").frame().width(), 700);
    EXPECT_LE(s.window("Notes").frame().maxX(), s.window("Mail").frame().minX());
    ASSERT_TRUE(s.workspace(ws.id).lastContainerFrame);
    EXPECT_EQ(s.workspace(ws.id).lastContainerFrame->rect(), (Rect{234, 60, 1206, 700}));
}

TEST_F(Gestures, LearningRunsForEveryWorkspaceThatAskedForIt) {
    const Workspace play = s.addWorkspace("Play", {"Music", "Photos"});
    s.window("Mail").setMinimumSize({700, 100});
    s.window("Photos").setMinimumSize({700, 100});
    show(ws, {40, 60, 1000, 400});
    show(play, {40, 470, 1000, 400});
    s.probe().placeWindowsLearning(s.workspace(ws.id));
    s.probe().placeWindowsLearning(s.workspace(play.id));
    s.advance(2.0);
    EXPECT_EQ(container(ws.id).width(), 1206);
    EXPECT_EQ(container(play.id).width(), 1206);
}

// ------------------------------------------------------------------------------ dividers

TEST_F(Gestures, ADividerDraggedTo03CommitsSettlesAndStores03) {
    show(ws);
    ChromeRecord& chrome = s.chrome(ws.id);
    chrome.calls.clear();
    chrome.callbacks.onDividerDragBegan();
    chrome.callbacks.onDividerCommitted({0.3});
    EXPECT_EQ(storedRatios(), (std::vector<double>{0.3}));
    EXPECT_EQ(s.window("Notes").frame(), tile(0));
    EXPECT_NEAR(tile(0).width(), 0.3 * 1188, 1e-9);
    EXPECT_EQ(chrome.count("endDividerSettle"), 0u);
    s.advance(0.06);
    EXPECT_EQ(chrome.count("endDividerSettle"), 1u);
    s.advance(1.0);
    EXPECT_EQ(storedRatios(), (std::vector<double>{0.3}));
    EXPECT_EQ(chrome.count("endDividerSettle"), 1u);
}

TEST_F(Gestures, ADividerThatAWindowRefusesMovesToWhereTheWindowEnds) {
    s.window("Notes").setMinimumSize({500, 100});
    show(ws);
    ChromeRecord& chrome = s.chrome(ws.id);
    chrome.calls.clear();
    chrome.callbacks.onDividerCommitted({0.3});
    s.advance(0.06);
    EXPECT_EQ(chrome.count("endDividerSettle"), 0u);  // a reconcile is due first
    s.advance(0.5);
    ASSERT_EQ(storedRatios().size(), 1u);
    EXPECT_NEAR(storedRatios()[0], 500.0 / 1188, 1e-9);
    EXPECT_EQ(s.window("Notes").frame(), tile(0));
    EXPECT_EQ(s.window("Mail").frame(), tile(1));
    EXPECT_EQ(chrome.count("endDividerSettle"), 1u);
}

TEST_F(Gestures, ANewDragOrAHideStopsTheSettleAndWindowsStayWhereTheyAre) {
    s.window("Notes").setMinimumSize({500, 100});
    show(ws);
    ChromeRecord& chrome = s.chrome(ws.id);
    chrome.callbacks.onDividerCommitted({0.3});
    s.advance(0.06);
    chrome.callbacks.onDividerDragBegan();  // within the 0.4 s: the reconcile is cancelled
    s.advance(1.0);
    EXPECT_EQ(storedRatios(), (std::vector<double>{0.3}));

    chrome.callbacks.onDividerCommitted({0.3});
    s.probe().scheduleDividerReconcile(ws.id);
    s.controller().hideWorkspace(ws.id);
    const Rect notes = s.window("Notes").frame();
    s.advance(1.0);
    EXPECT_EQ(storedRatios(), (std::vector<double>{0.3}));
    EXPECT_EQ(s.window("Notes").frame(), notes);
}

TEST_F(Gestures, ACommitWithoutRatiosOnlyEndsTheSettle) {
    show(ws);
    ChromeRecord& chrome = s.chrome(ws.id);
    chrome.calls.clear();
    const auto before = storedRatios();
    chrome.callbacks.onDividerCommitted({});
    EXPECT_EQ(chrome.count("endDividerSettle"), 1u);
    EXPECT_EQ(chrome.count("syncRatios"), 0u);
    EXPECT_EQ(storedRatios(), before);
}

}  // namespace
}  // namespace tessane::testing
