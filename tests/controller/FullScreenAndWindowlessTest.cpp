#include "support/ShownWorkspace.h"

#include "controller/WorkspaceRules.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Lines = ControllerScenario::Lines;

class FullScreen : public ShownWorkspace {
protected:
    void spaceChange() { s.sim.screens.notify(Screens::Notification::activeSpaceDidChange); }
};

TEST_F(FullScreen, TheChromeStepsAsideWhileAnAppIsFullscreenAndComesBackWithATileWhenItLeaves) {
    s.tips->hasPanel = true;
    s.window("Mail").setFullScreen(true);
    s.window("Notes").moveTo({300, 300});
    spaceChange();
    EXPECT_FALSE(s.chrome(ws.id).isVisible);
    EXPECT_EQ(s.tips->closes, 1);
    EXPECT_EQ(s.probe().session(ws.id)->fullScreenPids, std::set<Pid>{s.pid("Mail")});
    EXPECT_EQ(s.log(), (Lines{"[Tessane] “Write”: app fullscreen — chrome hidden (no bleed onto its desktop)."}));
    EXPECT_TRUE(s.probe().fullScreenPulseRunning());

    s.window("Mail").setFullScreen(false);
    s.advance(0.3);  // the pulse's next tick
    EXPECT_TRUE(s.chrome(ws.id).isVisible);
    EXPECT_EQ(s.logCount("[Tessane] “Write”: left fullscreen — chrome restored, re-tiling."), 1u);
    EXPECT_EQ(s.window("Notes").frame(), s.probe().tileRects(ws)[0]);
    s.advance(1.5);
    EXPECT_FALSE(s.probe().fullScreenPulseRunning());
}

// The order an X11 window manager goes by: the window is first told grown to the whole display
// and only then in fullscreen; leaving, it is told back at its old frame first. Neither size
// is taken for the user's: the layout stays, and Notes, moved meanwhile, is put back.
TEST_F(FullScreen, AWindowToldGrownBeforeItIsToldFullscreenChangesNeitherLayoutNorFrame) {
    s.window("Music").setFrame({1300, 800, 100, 80});  // clear of the container
    s.probe().placeWindows(ws, true);
    s.advance(2);
    const Workspace before = s.workspace(ws.id);
    const Rect tile = s.window("Mail").frame();
    s.window("Mail").setFrame({0, 0, 1440, 900});
    s.advance(0.05);
    s.window("Mail").setFullScreen(true);
    spaceChange();
    s.advance(0.05);
    s.window("Notes").moveTo({300, 300});
    s.advance(2);
    EXPECT_FALSE(s.chrome(ws.id).isVisible);
    EXPECT_EQ(s.window("Mail").frame(), Rect(0, 0, 1440, 900));

    s.window("Mail").setFrame(tile);
    s.advance(0.05);
    s.window("Mail").setFullScreen(false);
    spaceChange();
    s.advance(2);
    EXPECT_TRUE(s.chrome(ws.id).isVisible);
    EXPECT_EQ(s.window("Notes").frame(), s.probe().tileRects(ws)[0]);
    EXPECT_EQ(s.window("Mail").frame(), tile);
    EXPECT_EQ(s.workspace(ws.id).apps, before.apps);
    EXPECT_EQ(s.workspace(ws.id).layout, before.layout);
    EXPECT_EQ(s.workspace(ws.id).lastContainerFrame, before.lastContainerFrame);
}

// Mail flips in and out of fullscreen a thousand times a second, and each look at it takes 2 ms:
// the first flip is checked at once, the rest once the flapping stops, so the workspace is
// re-tiled once, for the state it settled in, and a hide asked in the middle is not kept waiting
// behind the flips.
TEST_F(FullScreen, AWindowFlappingFullscreenIsReconciledOnceSettledAndAHideIsServedMeanwhile) {
    s.app("Mail").setResponseDelay(0.002);
    const auto flap = [this] {
        for (int i = 1; i <= 1000; ++i)
            s.sim.mainQueue.postAfter(i * 0.001, [this, i] {
                s.window("Mail").setFullScreen(i % 2 == 1);
                spaceChange();
            });
    };
    flap();
    s.advance(1.5);
    EXPECT_EQ(s.log(), (Lines{"[Tessane] “Write”: app fullscreen — chrome hidden (no bleed onto its desktop).",
                              "[Tessane] “Write”: left fullscreen — chrome restored, re-tiling."}));
    EXPECT_TRUE(s.chrome(ws.id).isVisible);

    const TimeInterval asked = s.sim.mainQueue.now() + 0.5;
    TimeInterval served = 0;
    flap();
    s.sim.mainQueue.postAfter(0.5, [&] {
        served = s.sim.mainQueue.now();
        s.controller().hideWorkspace(ws.id);
    });
    s.advance(2);
    EXPECT_LT(served - asked, 0.05);
    EXPECT_TRUE(s.shownNames().empty());
    EXPECT_EQ(s.logCount("re-tiling"), 1u);
}

TEST_F(FullScreen, AWindowAsLargeAsTheDisplayCountsWhenTheAppCannotBeAsked) {
    s.window("Mail").setFrame({0, 0, 1439, 899});
    s.app("Mail").setResponseDelay(10);  // past every time-out: its windows cannot be read
    EXPECT_TRUE(s.probe().reconcileFullScreenChrome(ws.id));
    s.window("Mail").setFrame({0, 0, 1437, 899});  // 3 pt short: an ordinary window
    EXPECT_FALSE(s.probe().reconcileFullScreenChrome(ws.id));
}

TEST_F(FullScreen, AShowThatMeetsAFullscreenWindowLeavesItAndSaysSoAfterTheTile) {
    s.window("Mail").setFullScreen(true);
    s.sim.alerts.answer(1);
    s.controller().showWorkspace(ws.id);
    EXPECT_TRUE(s.sim.alerts.shown().empty());  // on the next turn
    s.drain();
    ASSERT_EQ(s.sim.alerts.shown().size(), 1u);
    EXPECT_EQ(s.sim.alerts.shown()[0].messageText, "“Mail” can’t be placed — it’s in fullscreen");
    EXPECT_EQ(s.sim.alerts.shown()[0].informativeText,
              "Its window is fullscreen, so Tessane left it alone rather than fight it. Leave fullscreen with the "
              "app’s own fullscreen key (often F11) or your window manager’s, then Retry.");
    EXPECT_EQ(s.sim.alerts.shown()[0].buttons, (std::vector<std::string>{"Retry after exiting", "Dismiss"}));
    EXPECT_FALSE(s.chrome(ws.id).isVisible);
    s.advance(1);
    EXPECT_EQ(s.tips->shows, 0);  // never over fullscreen
}

TEST_F(FullScreen, SeveralFullscreenAppsAreNamedInOneAlert) {
    s.window("Notes").setFullScreen(true);
    s.window("Mail").setFullScreen(true);
    s.sim.alerts.answer(1);
    s.controller().showWorkspace(ws.id);
    s.drain();
    ASSERT_EQ(s.sim.alerts.shown().size(), 1u);
    EXPECT_EQ(s.sim.alerts.shown()[0].messageText, "Some windows can’t be placed — they’re in fullscreen");
    EXPECT_NE(s.sim.alerts.shown()[0].informativeText.find(
                  "Notes, Mail have fullscreen windows, so Tessane left them alone rather than fight it. Leave"),
              std::string::npos);
}


class Windowless : public ShownWorkspace {};

TEST_F(Windowless, AnAppOnItsOpenPanelIsWaitedForNotReopened) {
    s.window("Mail").close();
    s.app("Mail").addOpenPanel();
    s.probe().placeWindows(ws, true);  // the closed window leaves its pane
    s.probe().inviteWindowlessApps(ws, true);
    ASSERT_EQ(s.notice->shown.size(), 1u);
    EXPECT_EQ(s.notice->shown[0].title, "Waiting for Mail");
    EXPECT_EQ(s.notice->shown[0].message, "Open a document in it and this workspace finishes tiling.");
    EXPECT_EQ(s.logCount("reopening"), 0u);
}

TEST_F(Windowless, AnAppWithNothingIsReopenedAndTheNoticeNamesEachWaitedApp) {
    s.window("Mail").close();
    s.window("Notes").close();
    s.probe().placeWindows(ws, true);
    s.clearLog();
    s.probe().inviteWindowlessApps(ws, true);
    EXPECT_EQ(s.notice->shown.at(0).title, "Waiting for Notes and Mail");
    EXPECT_EQ(s.notice->shown.at(0).message, "Open a window in each and this workspace finishes tiling.");
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Notes: no window and no chooser — reopening so it shows one.",
                              "[Tessane] Mail: no window and no chooser — reopening so it shows one."}));
}

TEST(WindowlessMessage, WhatToOpenFollowsWhatEveryAppLacks) {
    using W = WorkspaceController::WindowlessApp;
    EXPECT_EQ(workspace_rules::windowlessWaitMessage({}), std::nullopt);
    EXPECT_EQ(workspace_rules::windowlessWaitMessage({W{"A", false, true}, W{"B", false, true}, W{"C", false, true}}),
              (std::pair<std::string, std::string>{"Waiting for A and B and C",
                                                   "Open another window in each and this workspace finishes tiling."}));
    EXPECT_EQ(workspace_rules::windowlessWaitMessage({W{"A", true, false}, W{"B", false, true}})->second,
              "Open a window in each and this workspace finishes tiling.");
}

TEST_F(Windowless, APaneWaitingForItsDocumentGetsTheDocumentsNoticeLoggedOnce) {
    s.sim.applications.addFile("/home/me/plan.txt");
    s.sim.applications.setLaunchBehaviour(ControllerScenario::bundleID("Notes"), {.windowDelay = 60});
    auto edited = s.workspace(ws.id);
    edited.apps[0].lastDocumentPath = "/home/me/plan.txt";
    s.manager->update(edited);
    s.controller().showWorkspace(ws.id);  // Notes is asked for plan.txt
    s.advance(0.1);
    s.probe().inviteWindowlessApps(s.workspace(ws.id), false);
    s.probe().inviteWindowlessApps(s.workspace(ws.id), false);
    EXPECT_EQ(s.notice->shown.back().title, "Opening a document…");
    EXPECT_EQ(s.notice->shown.back().message,
              "Waiting for “plan.txt” in Notes. It drops into its pane as soon as it opens.");
    EXPECT_EQ(s.logCount("[Tessane] Notice: opening “plan.txt” in Notes."), 1u);
}

TEST_F(Windowless, TheWaitHidesShieldsAndDividersForAChooserAndNotesItAsOurs) {
    s.window("Mail").close();
    auto& panel = s.app("Mail").addOpenPanel();
    s.controller().showWorkspace(ws.id);
    EXPECT_TRUE(s.chrome(ws.id).shieldsHidden);
    EXPECT_TRUE(s.chrome(ws.id).dividersHidden);
    EXPECT_EQ(s.probe().ownChooserWindowIDs().at(ws.id), std::set<uint32_t>{panel.number()});
}

class SessionCallbacks : public ShownWorkspace {
protected:
    ContainerChromeCallbacks& callbacks() { return s.chrome(ws.id).callbacks; }
};

TEST_F(SessionCallbacks, EveryCallbackReachesItsOperationForThisWorkspace) {
    s.controller().showWorkspace(ws.id);
    auto& cb = s.chromes.back()->callbacks;
    s.controller().quitConfirmPresenter = [](const std::string&, int) { return false; };
    cb.onRestore();
    cb.onMoveToScreen(0);
    cb.onFocusPane(1);
    cb.onSaveLayout();
    cb.onResetWorkspace();
    cb.onQuitApps();
    for (auto line : {"[Tessane] Restore layout requested: Write", "[Tessane] Move workspace Write to screen 0",
                      "[Tessane][focus] Write: pane", "[Tessane] Save Current Layout: Write",
                      "[Tessane] Reset workspace: Write", "[Tessane] Quit workspace apps: Write — cancelled"})
        EXPECT_EQ(s.logCount(line), 1u) << line;

    cb.onSolo();
    ASSERT_TRUE(s.probe().solo().current().has_value());
    EXPECT_EQ(s.probe().solo().current()->workspaceID, ws.id);
    s.probe().solo().begin(Uuid::random(), Uuid::random());  // another workspace's
    cb.onSolo();
    EXPECT_FALSE(s.probe().solo().current().has_value());

    cb.onDividerDragBegan();
    cb.onDividerCommitted({0.4});
    EXPECT_EQ(s.workspace(ws.id).layout.ratios, std::optional(std::vector<double>{0.4}));

    cb.onHide();
    EXPECT_EQ(s.probe().session(ws.id), nullptr);
    EXPECT_EQ(s.logCount("[Tessane] Hide workspace: " + ws.name), 1u);

    s.controller().showWorkspace(ws.id);
    s.chromes.back()->callbacks.onRelease();
    EXPECT_EQ(s.probe().session(ws.id), nullptr);
    EXPECT_EQ(s.logCount("[Tessane] Release workspace: Write"), 1u);
}

TEST_F(SessionCallbacks, AMaximizeActivatesThePrimaryAppOrTheFirstRunningOne) {
    s.activate("Music");
    callbacks().onMaximizeToggled();
    EXPECT_EQ(s.sim.applications.frontmostApplication()->pid, s.pid("Notes"));
    s.activate("Music");
    s.quitApp("Notes");
    callbacks().onMaximizeToggled();
    EXPECT_EQ(s.sim.applications.frontmostApplication()->pid, s.pid("Mail"));
}

TEST_F(SessionCallbacks, NothingHappensOnceTheControllerIsGone) {
    auto& cb = callbacks();
    s.stop();
    s.clearLog();
    cb.onContainerChanged({0, 0, 800, 600});
    cb.onHide();
    cb.onMaximizeToggled();
    s.advance(1);
    EXPECT_TRUE(s.log().empty());
}

TEST_F(SessionCallbacks, TheFrontWorkspacesMenuComesFromItsChrome) {
    auto menu = s.controller().frontWorkspaceActionsMenu();
    ASSERT_TRUE(menu.has_value());
    EXPECT_EQ(menu->name, "Write");
    EXPECT_EQ(s.chrome(ws.id).count("workspaceActionsMenu(menuBar)"), 1u);
    s.probe().dropSession(ws.id);  // torn down while still the active one
    EXPECT_FALSE(s.controller().frontWorkspaceActionsMenu().has_value());
}

}  // namespace
}  // namespace tessane::testing
