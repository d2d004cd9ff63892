#include "support/ShownWorkspace.h"

#include "model/HiddenAppLedger.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Lines = ControllerScenario::Lines;

class Lifecycle : public ShownWorkspace {
protected:
    size_t guardChecks() const { return static_cast<size_t>(s.sim.windowList.onScreenReads()); }
    size_t adoptions() const { return s.logCount("adopted a window into pane"); }
};

TEST_F(Lifecycle, TheGuardPulseChecksEvery300msUntil1500msAfterTheLastPulse) {
    const auto start = s.sim.mainQueue.now();
    s.probe().pulseChromeGuard();
    EXPECT_EQ(guardChecks(), 1u);  // at once
    const auto* timer = s.probe().guardTimer();
    s.advance(1.0);
    s.probe().pulseChromeGuard();  // extends; no second timer
    EXPECT_EQ(s.probe().guardTimer(), timer);
    EXPECT_DOUBLE_EQ(s.probe().guardStopAt(), start + 2.5);
    s.advance(1.45);
    EXPECT_TRUE(s.probe().guardTimerRunning());
    s.advance(0.3);
    EXPECT_FALSE(s.probe().guardTimerRunning());
    // 1 + ticks at 0.3 .. 0.9, 1 at 1.0, ticks at 1.2 .. 2.4 (the one at 2.7 stops it).
    EXPECT_EQ(guardChecks(), 1u + 3u + 1u + 5u);
    s.advance(5);
    EXPECT_EQ(guardChecks(), 10u);
}

TEST_F(Lifecycle, TheObserversAreRebuiltOnlyWhenTheTrackedWindowsChange) {
    const Pid notes = s.pid("Notes");
    const Pid mail = s.pid("Mail");
    EXPECT_EQ(s.probe().observedPids(), (std::set<Pid>{notes, mail}));
    EXPECT_EQ(s.probe().observedFocusPids(), (std::set<Pid>{notes, mail}));
    const int created = s.sim.accessibility.observersCreated(notes);
    const auto focusGeneration = s.probe().focusObserverGeneration();

    s.probe().rebuildWindowObserver();
    EXPECT_EQ(s.sim.accessibility.observersCreated(notes), created);
    EXPECT_EQ(s.probe().focusObserverGeneration(), focusGeneration);

    // Mail's window goes: the window observer follows the new set; the focus observer stays,
    // for Mail still runs.
    s.window("Mail").close();
    s.advance(0.1);
    s.probe().pruneDeadTrackedWindows(ws.id);
    EXPECT_EQ(s.probe().observedPids(), (std::set<Pid>{notes}));
    EXPECT_EQ(s.probe().windowObserverPids(), (std::vector<Pid>{notes}));
    EXPECT_EQ(s.probe().focusObserverGeneration(), focusGeneration);
}

TEST_F(Lifecycle, AnAppQuittingPrunesItsPanesWindowsAndIsForgottenInTheLedger) {
    s.ledger->record({ControllerScenario::bundleID("Mail")});
    const auto mailPane = s.workspace(ws.id).apps[1].id;
    ASSERT_TRUE(s.probe().cachedWindow(mailPane, s.pid("Mail")));

    s.quitApp("Mail");
    EXPECT_EQ(s.probe().cachedAppIDs(), (std::set<Uuid>{s.workspace(ws.id).apps[0].id}));
    EXPECT_TRUE(s.ledger->hiddenBundleIDs().empty());

    // Its closed window frees the pane; the quit app's pane is not empty (the app is not
    // running), so a later look at the panes starts no sweep.
    s.sim.windowList.setReadable(false);  // the guard finds nothing to act on
    s.app("Notes").addWindow();
    s.advance(0.1);
    EXPECT_EQ(s.log(), (Lines{"[Tessane] A tiled window was closed — its pane is free again."}));
    EXPECT_EQ(s.probe().session(ws.id)->elements.size(), 1u);
    EXPECT_FALSE(s.probe().reconcileSweepQueued());
}

TEST_F(Lifecycle, QuittingAnAppOfTheActiveWorkspaceMakesPendingPlacementStale) {
    const auto before = s.probe().placementGeneration();
    s.quitApp("Music");
    EXPECT_EQ(s.probe().placementGeneration(), before);
    s.quitApp("Notes");
    EXPECT_EQ(s.probe().placementGeneration(), before + 1);
}

TEST_F(Lifecycle, QuittingTheSoloedAppEndsTheSoloAndBringsShieldsAndDividersBack) {
    const auto notes = s.workspace(ws.id).apps[0];
    s.probe().solo().begin(ws.id, notes.id);
    auto& chrome = *s.probe().session(ws.id)->chrome;
    chrome.setIsSoloed(true);
    chrome.paneMat().setShieldsHidden(true);
    chrome.setDividersHidden(true);

    s.quitApp("Mail");  // not the soloed one
    EXPECT_TRUE(s.probe().solo().current().has_value());

    s.quitApp("Notes");
    EXPECT_FALSE(s.probe().solo().current().has_value());
    EXPECT_FALSE(s.chrome(ws.id).isSoloed);
    EXPECT_FALSE(s.chrome(ws.id).shieldsHidden);
    EXPECT_FALSE(s.chrome(ws.id).dividersHidden);
    EXPECT_EQ(s.chrome(ws.id).count("positionDividerPanels"), 1u);
}

TEST_F(Lifecycle, ALaunchRebuildsAndRestartsTheSweepOnlyForAShownWorkspaceWithAnEmptyPane) {
    // An app of no shown workspace: only the guard.
    s.launchApp("Photos", {.finishedLaunching = false});
    s.sim.applications.finishLaunching(s.pid("Photos"));
    s.drain();
    EXPECT_TRUE(s.probe().guardTimerRunning());
    EXPECT_EQ(adoptions(), 0u);

    // A second Notes process finishes launching: Notes belongs to the shown workspace, so the
    // observers are looked at again, but every pane has its window and no sweep starts.
    sim::SimApplications::RunningSpec second;
    second.bundleIdentifier = ControllerScenario::bundleID("Notes");
    second.name = "Notes";
    second.finishedLaunching = false;
    s.sim.applications.finishLaunching(s.sim.applications.addRunningApp(second).pid());
    s.drain();
    EXPECT_EQ(adoptions(), 0u);
    EXPECT_FALSE(s.probe().reconcileSweepQueued());

    // Mail restarts (its pane is empty now): the observers follow and the sweep restarts,
    // adopting the new window into the pane.
    s.quitApp("Mail");
    s.launchApp("Mail", {.finishedLaunching = false});
    s.sim.applications.finishLaunching(s.pid("Mail"));
    s.drain();
    EXPECT_EQ(s.logCount("[Tessane] Mail: adopted a window into pane 2 of ‘Write’."), 1u);
    EXPECT_TRUE(s.probe().observedFocusPids().count(s.pid("Mail")));
}

TEST_F(Lifecycle, TheChromeStepsAsideWhileADocumentChooserIsUp) {
    // Mail is left with nothing but its open panel.
    s.window("Mail").close();
    auto& panel = s.app("Mail").addOpenPanel();
    s.probe().updateLoadingChrome(ws.id);
    EXPECT_TRUE(s.chrome(ws.id).shieldsHidden);
    EXPECT_TRUE(s.chrome(ws.id).dividersHidden);

    panel.close();
    s.probe().updateLoadingChrome(ws.id);
    EXPECT_FALSE(s.chrome(ws.id).shieldsHidden);
    EXPECT_FALSE(s.chrome(ws.id).dividersHidden);
    EXPECT_EQ(s.chrome(ws.id).count("positionDividerPanels"), 2u);

    // A soloed workspace keeps its chrome as the solo left it.
    s.app("Mail").addSavePanel();
    s.probe().solo().begin(ws.id, s.workspace(ws.id).apps[0].id);
    s.probe().updateLoadingChrome(ws.id);
    EXPECT_FALSE(s.chrome(ws.id).shieldsHidden);
}

}  // namespace
}  // namespace tessane::testing
