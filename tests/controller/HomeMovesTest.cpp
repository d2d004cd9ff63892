#include "support/ShownWorkspace.h"

#include "controller/WorkspaceRules.h"
#include "layout/ScreenGeometry.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Lines = ControllerScenario::Lines;
using Offer = WorkspaceController::HomeOffer;

// "Write" (Notes, Mail) lives on a second display to the right of the main one; its home for
// the two-display set is where it sits.
class HomeMoves : public ShownWorkspace {
protected:
    static constexpr Rect kHome{1500, -100, 1200, 700};       // on the second display (AX)
    static constexpr Rect kShelter{100, 100, 1000, 600};      // on the main display (AX)
    static constexpr Rect kSheltered{240, 25, 1200, 700};     // the home pulled onto the main display

    void SetUp() override {
        ShownWorkspace::SetUp();
        s.sim.windowList.setReadable(false);  // the foreground guard stays out of these stories
        plug(true);
        twoDisplays = *s.probe().currentTopology();
        auto stored = s.workspace(ws.id);
        stored.topologyFrames = std::map<std::string, RectModel>{{twoDisplays, RectModel::from(kHome)}};
        s.manager->update(stored);
        s.probe().moveShownWorkspace(ws.id, kHome, false);
        s.advance(5);
        // The frame the move settled on is the home from here on.
        home = *s.probe().session(ws.id)->containerAXRect;
        stored = s.workspace(ws.id);
        stored.topologyFrames = std::map<std::string, RectModel>{{twoDisplays, RectModel::from(home)}};
        s.manager->update(stored);
        s.clearLog();
    }
    // Attaches or detaches the second display and lets the change settle, so the controller has
    // followed it.
    void plug(bool second) {
        std::vector<ScreenInfo> screens{ControllerScenario::display({0, 0, 1440, 900}, 1)};
        if (second) screens.push_back(ControllerScenario::display({1440, 0, 1920, 1080}, 2));
        s.setDisplays(screens);
        s.sim.screens.notify(Screens::Notification::screenParametersChanged);
        s.advance(1);
    }
    Lines changes() {
        Lines out;
        for (const auto& line : s.log())
            if (line.rfind("[Tessane] Displays changed:", 0) == 0 || line.rfind("[Tessane] Move back", 0) == 0)
                out.push_back(line);
        return out;
    }
    Rect tile(size_t i) { return s.probe().tileRects(s.workspace(ws.id))[i]; }
    std::vector<Offer> offer() { return {{ws.id, "Write", home}}; }

    std::string twoDisplays;
    Rect home;
};

TEST_F(HomeMoves, UnpluggingMovesTheContainerAndItsWindowsAndFilesTheNewHome) {
    const size_t applied = s.chrome(ws.id).count("applyGeometry(true)");
    plug(false);
    EXPECT_EQ(changes(), (Lines{"[Tessane] Displays changed: “Write” display gone — no home for this display set, "
                                "sheltered on the current display → " +
                                workspace_rules::rectLog(kSheltered) + "."}));
    EXPECT_EQ(s.probe().session(ws.id)->containerAXRect, kSheltered);
    EXPECT_EQ(s.chrome(ws.id).containerCocoaRect, ScreenGeometry::screenRectFromAX(kSheltered, 900));
    EXPECT_EQ(s.chrome(ws.id).count("applyGeometry(true)"), applied + 1);
    s.advance(1);
    EXPECT_EQ(s.window("Notes").frame(), tile(0));
    EXPECT_EQ(s.window("Mail").frame(), tile(1));
    const auto stored = s.workspace(ws.id);
    EXPECT_EQ(stored.lastContainerFrame, RectModel::from(kSheltered));
    EXPECT_EQ(stored.topologyFrames->at(*s.probe().currentTopology()), RectModel::from(kSheltered));
    EXPECT_EQ(stored.topologyFrames->at(twoDisplays), RectModel::from(home));  // the other home is kept
    EXPECT_EQ(s.probe().topologyFluxUntil(), WorkspaceController::kDistantPast);
}

TEST_F(HomeMoves, WithNoDisplaysOnlyTheLastFrameIsStoredAndWithoutWindowControlOnlyTheChromeMoves) {
    s.setDisplays({});
    s.sim.screens.notify(Screens::Notification::screenParametersChanged);
    s.probe().moveShownWorkspace(ws.id, kShelter, true);
    EXPECT_EQ(s.workspace(ws.id).lastContainerFrame, RectModel::from(kShelter));
    EXPECT_EQ(s.workspace(ws.id).topologyFrames->size(), 1u);

    plug(true);
    const Rect notesBefore = s.window("Notes").frame();
    s.sim.accessibility.setTrusted(false);
    s.probe().moveShownWorkspace(ws.id, kHome, false);
    EXPECT_EQ(s.probe().session(ws.id)->containerAXRect, kHome);
    EXPECT_EQ(s.window("Notes").frame(), notesBefore);
}

TEST_F(HomeMoves, MovingASoloedWorkspaceEndsTheSoloInsteadOfAPlainRetile) {
    s.probe().solo().begin(ws.id, ws.apps[0].id);
    s.probe().moveShownWorkspace(ws.id, home, false);
    EXPECT_EQ(s.log(), (Lines{"[Tessane] “Write”: moved by a display change while soloed — clearing the solo + re-tiling.",
                              "[Tessane] Solo: restored split for workspace " + ws.id.string() + "."}));
    EXPECT_FALSE(s.probe().solo().current());
    s.advance(1);
    EXPECT_EQ(s.window("Notes").frame(), tile(0));
    EXPECT_EQ(s.window("Mail").frame(), tile(1));
}

TEST_F(HomeMoves, WindowsCountAsReturnedWhenAtLeastHalfOfThemAreMostlyOnTheHomeDisplay) {
    const auto returned = [&] { return s.probe().windowsAlreadyReturned(kHome, s.workspace(ws.id)); };
    s.window("Notes").setFrame({1600, 0, 400, 300});  // on the second display
    s.window("Mail").setFrame({100, 100, 400, 300});
    EXPECT_TRUE(returned());  // 1 of 2
    s.window("Notes").setFrame({1240, 0, 400, 300});  // exactly half over
    EXPECT_TRUE(returned());
    s.window("Notes").setFrame({1230, 0, 400, 300});  // a little less
    EXPECT_FALSE(returned());

    s.launchApp("Photos");  // three windows, one back
    s.manager->addApp(s.installApp("Photos"), ws.id);
    auto three = s.workspace(ws.id);
    s.window("Notes").setFrame({1600, 0, 400, 300});
    s.window("Photos").setFrame({200, 200, 400, 300});
    EXPECT_FALSE(s.probe().windowsAlreadyReturned(kHome, three));

    s.sim.accessibility.setTrusted(false);
    s.window("Mail").setFrame({1700, 0, 400, 300});
    EXPECT_FALSE(returned());
}

TEST_F(HomeMoves, PluggingBackOffersTheWayHomeAndTheActionMovesIt) {
    plug(false);
    s.clearLog();
    plug(true);
    EXPECT_EQ(changes(), (Lines{"[Tessane] Displays changed: “Write” has a home at " + workspace_rules::rectLog(home) +
                                " on the returning display, windows still on the shelter display — offering to move it "
                                "back."}));
    EXPECT_EQ(s.probe().session(ws.id)->containerAXRect, kSheltered);  // an offer, not a move
    ASSERT_EQ(s.notice->shown.size(), 1u);
    const auto& card = s.notice->shown[0];
    EXPECT_FALSE(card.title);
    EXPECT_EQ(card.message, "“Write” has a spot on the display that just came back.");
    EXPECT_EQ(card.actionTitle, "Move it back");
    EXPECT_EQ(card.dismissAfter, 12.0);
    EXPECT_EQ(card.nearContainerCocoaRect, ScreenGeometry::screenRectFromAX(kSheltered, 900));

    s.clearLog();
    card.action();
    EXPECT_EQ(changes(), (Lines{"[Tessane] Move back accepted: “Write” → " + workspace_rules::rectLog(home) + "."}));
    EXPECT_EQ(s.probe().session(ws.id)->containerAXRect, home);
    EXPECT_EQ(s.workspace(ws.id).topologyFrames->at(twoDisplays), RectModel::from(home));  // not rewritten
    EXPECT_TRUE(s.probe().homeOfferRecheckPending());  // the action leaves the re-check in place
    s.advance(0.5);  // across displays a window is sized once it is there
    EXPECT_EQ(s.window("Notes").frame(), tile(0));
}

TEST_F(HomeMoves, TheRecheckFollowsTheWindowsHomeWhenTheSystemReturnedThemAMomentLater) {
    plug(false);
    plug(true);  // offered; the re-check is due 2.5 s after the change settled
    ASSERT_EQ(s.notice->shown.size(), 1u);
    s.clearLog();
    s.window("Notes").setFrame({1600, 0, 400, 300});  // the system puts them back
    s.window("Mail").setFrame({2000, 0, 400, 300});
    const int closes = s.notice->closes;
    s.advance(2.5);
    EXPECT_EQ(changes(),
              (Lines{"[Tessane] Displays changed: “Write” — the window manager returned its windows a moment later; "
                     "following it home and dropping the offer.",
                     "[Tessane] Move back accepted: “Write” → " + workspace_rules::rectLog(home) + "."}));
    EXPECT_EQ(s.probe().session(ws.id)->containerAXRect, home);
    EXPECT_GT(s.notice->closes, closes);
    EXPECT_FALSE(s.probe().homeOfferRecheckPending());
}

TEST_F(HomeMoves, WindowsAlreadyBackWhenTheDisplayReturnsAreFollowedWithoutAnOffer) {
    plug(false);
    s.advance(1);  // the sheltered windows have settled
    s.window("Notes").setFrame({1600, 0, 400, 300});  // the system moves them as the display returns
    s.clearLog();
    plug(true);
    EXPECT_EQ(changes(),
              (Lines{"[Tessane] Displays changed: “Write” — the window manager already put its windows back on the "
                     "returning display; following them to " +
                     workspace_rules::rectLog(home) + " instead of offering."}));
    EXPECT_EQ(s.probe().session(ws.id)->containerAXRect, home);
    EXPECT_TRUE(s.notice->shown.empty());
    EXPECT_FALSE(s.probe().homeOfferRecheckPending());
}

TEST_F(HomeMoves, TheRecheckLeavesThePendingOfferAndOnlyTheLastOneRuns) {
    plug(false);
    plug(true);  // the change's own re-check is due in 2.3 s
    s.clearLog();
    s.probe().scheduleHomeOfferRecheck(offer());  // replaces it: due in 2.5 s
    s.advance(2.4);
    EXPECT_TRUE(s.probe().homeOfferRecheckPending());
    const int closes = s.notice->closes;
    s.advance(0.2);
    EXPECT_FALSE(s.probe().homeOfferRecheckPending());
    EXPECT_EQ(s.notice->closes, closes);  // still waiting: the card stays
    EXPECT_EQ(s.probe().session(ws.id)->containerAXRect, kSheltered);
}

TEST_F(HomeMoves, NoCardUnderStageManagerOrWhenEveryOfferIsBehindAFullscreenApp) {
    s.setStageManager(true);
    s.advance(0.2);
    s.clearLog();
    s.probe().presentHomeOffer(offer());
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Displays changed: 1 workspace(s) could go home, but Stage Manager is on — "
                              "not offering."}));
    s.setStageManager(false);
    s.advance(0.2);
    s.clearLog();
    s.probe().session(ws.id)->fullScreenPids.insert(s.pid("Notes"));
    s.probe().presentHomeOffer(offer());
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Displays changed: could offer 1 workspace(s) a way home, but every one is "
                              "behind a fullscreen app — not offering."}));
    EXPECT_TRUE(s.notice->shown.empty());
}

TEST_F(HomeMoves, TwoOffersAnchorAtTheFirstThatIsNotBehindAFullscreenApp) {
    s.launchApp("Photos");
    const auto other = s.addWorkspace("Listen", {"Music", "Photos"});
    s.putUp(other, kShelter);
    s.probe().session(ws.id)->fullScreenPids.insert(s.pid("Notes"));
    s.probe().presentHomeOffer({{ws.id, "Write", kHome}, {other.id, "Listen", kHome}});
    ASSERT_EQ(s.notice->shown.size(), 1u);
    EXPECT_EQ(s.notice->shown[0].message, "2 workspaces have spots on the display that just came back.");
    EXPECT_EQ(s.notice->shown[0].actionTitle, "Move them back");
    EXPECT_EQ(s.notice->shown[0].nearContainerCocoaRect, ScreenGeometry::screenRectFromAX(kShelter, 900));
}

TEST_F(HomeMoves, AHomeThatIsNoLongerUsableIsNotUsed) {
    plug(false);
    // The second display comes back smaller: the old home's rail is off every screen.
    s.setDisplays({ControllerScenario::display({0, 0, 1440, 900}, 1),
                   ControllerScenario::display({1440, 0, 800, 600}, 2)});
    s.sim.screens.notify(Screens::Notification::screenParametersChanged);
    auto stored = s.workspace(ws.id);
    (*stored.topologyFrames)[*s.probe().currentTopology()] = RectModel::from({2300, -100, 1200, 700});
    s.manager->update(stored);
    s.clearLog();
    s.probe().presentHomeOffer({{ws.id, "Write", {2300, -100, 1200, 700}}});
    s.notice->shown.at(0).action();
    EXPECT_EQ(s.logCount("Move back accepted"), 0u);
    EXPECT_EQ(s.probe().session(ws.id)->containerAXRect, kSheltered);
}

}  // namespace
}  // namespace tessane::testing
