#include "support/ShownWorkspace.h"

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
        s.clearLog();
    }
    void plug(bool second) {
        std::vector<ScreenInfo> screens{ControllerScenario::display({0, 0, 1440, 900}, 1)};
        if (second) screens.push_back(ControllerScenario::display({1440, 0, 1920, 1080}, 2));
        s.setDisplays(screens);
        s.sim.screens.notify(Screens::Notification::screenParametersChanged);
        s.probe().setTopologyFluxUntil(WorkspaceController::kDistantPast);
    }
    Rect tile(size_t i) { return s.probe().tileRects(s.workspace(ws.id))[i]; }
    std::vector<Offer> offer() { return {{ws.id, "Write", kHome}}; }

    std::string twoDisplays;
};

TEST_F(HomeMoves, UnpluggingMovesTheContainerAndItsWindowsAndFilesTheNewHome) {
    plug(false);
    const size_t applied = s.chrome(ws.id).count("applyGeometry(true)");
    s.probe().moveShownWorkspace(ws.id, kShelter, true);
    EXPECT_EQ(s.probe().session(ws.id)->containerAXRect, kShelter);
    EXPECT_EQ(s.chrome(ws.id).containerCocoaRect, ScreenGeometry::screenRectFromAX(kShelter, 900));
    EXPECT_EQ(s.chrome(ws.id).count("applyGeometry(true)"), applied + 1);
    EXPECT_EQ(s.window("Notes").frame(), tile(0));
    EXPECT_EQ(s.window("Mail").frame(), tile(1));
    const auto stored = s.workspace(ws.id);
    EXPECT_EQ(stored.lastContainerFrame, RectModel::from(kShelter));
    EXPECT_EQ(stored.topologyFrames->at(*s.probe().currentTopology()), RectModel::from(kShelter));
    EXPECT_EQ(stored.topologyFrames->at(twoDisplays), RectModel::from(kHome));  // the other home is kept
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
    s.probe().setSoloState(WorkspaceController::SoloState{ws.id, ws.apps[0].id});
    s.probe().moveShownWorkspace(ws.id, kHome, false);
    EXPECT_EQ(s.log(), (Lines{"[Tessane] “Write”: moved by a display change while soloed — clearing the solo + re-tiling."}));
    EXPECT_EQ(s.notYetCount("restoreFromSolo"), 1u);
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
    s.probe().moveShownWorkspace(ws.id, kShelter, true);
    plug(true);
    s.clearLog();
    s.probe().presentHomeOffer(offer());
    ASSERT_EQ(s.notice->shown.size(), 1u);
    const auto& card = s.notice->shown[0];
    EXPECT_FALSE(card.title);
    EXPECT_EQ(card.message, "“Write” has a spot on the display that just came back.");
    EXPECT_EQ(card.actionTitle, "Move it back");
    EXPECT_EQ(card.dismissAfter, 12.0);
    EXPECT_EQ(card.nearContainerCocoaRect, ScreenGeometry::screenRectFromAX(kShelter, 900));

    card.action();
    EXPECT_EQ(s.logCount("[Tessane] Move back accepted: “Write” → " + WorkspaceController::rectLog(kHome) + "."), 1u);
    EXPECT_EQ(s.probe().session(ws.id)->containerAXRect, kHome);
    s.advance(0.5);  // across displays a window is sized once it is there
    EXPECT_EQ(s.window("Notes").frame(), tile(0));
}

TEST_F(HomeMoves, TheRecheckFollowsTheWindowsHomeWhenTheSystemReturnedThemAMomentLater) {
    plug(false);
    s.probe().moveShownWorkspace(ws.id, kShelter, true);
    plug(true);
    s.clearLog();
    s.probe().presentHomeOffer(offer());
    s.probe().scheduleHomeOfferRecheck(offer());
    s.advance(1);
    s.window("Notes").setFrame({1600, 0, 400, 300});  // the system puts them back
    s.window("Mail").setFrame({2000, 0, 400, 300});
    const int closes = s.notice->closes;
    s.advance(1.5);
    const Lines said = s.log();
    ASSERT_GE(said.size(), 2u);
    EXPECT_EQ(said[0], "[Tessane] Displays changed: “Write” — macOS returned its windows a moment later; "
                       "following it home and dropping the offer.");
    EXPECT_EQ(said[1], "[Tessane] Move back accepted: “Write” → " + WorkspaceController::rectLog(kHome) + ".");
    EXPECT_EQ(s.probe().session(ws.id)->containerAXRect, kHome);
    EXPECT_GT(s.notice->closes, closes);
    EXPECT_FALSE(s.probe().homeOfferRecheckPending());
}

TEST_F(HomeMoves, TheRecheckLeavesThePendingOfferAndOnlyTheLastOneRuns) {
    plug(false);
    s.probe().moveShownWorkspace(ws.id, kShelter, true);
    plug(true);
    s.clearLog();
    s.probe().scheduleHomeOfferRecheck(offer());
    s.advance(2);
    s.probe().scheduleHomeOfferRecheck(offer());  // replaces the first
    s.advance(2);
    EXPECT_TRUE(s.probe().homeOfferRecheckPending());
    const int closes = s.notice->closes;
    s.advance(0.6);
    EXPECT_FALSE(s.probe().homeOfferRecheckPending());
    EXPECT_EQ(s.notice->closes, closes);  // still waiting: the card stays
    EXPECT_EQ(s.probe().session(ws.id)->containerAXRect, kShelter);
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
    s.probe().moveShownWorkspace(ws.id, kShelter, true);
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
    EXPECT_EQ(s.probe().session(ws.id)->containerAXRect, kShelter);
}

}  // namespace
}  // namespace tessane::testing
