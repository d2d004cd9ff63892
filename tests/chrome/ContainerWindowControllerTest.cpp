#include "chrome/ContainerChromeFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

namespace tessane {
namespace {

using sim::SimPanel;
using ::testing::Contains;

class ContainerChromeTest : public testing::ContainerChromeFixture {
protected:
    bool hovering(size_t i) const { return chrome.dividerViews.at(i)->hovering; }
};

TEST_F(ContainerChromeTest, StartsHiddenWithTheDesignedDefaults) {
    EXPECT_EQ(chrome.currentAppCount, 2);
    EXPECT_EQ(chrome.currentLayoutType, LayoutType::leftRightSplit);
    EXPECT_FALSE(chrome.isVisible);
    chrome.orderFront();
    EXPECT_FALSE(chrome.isVisible) << "nothing to show before the rail panel exists";
    EXPECT_TRUE(sim.panels.panels().empty());
    EXPECT_EQ(sim.eventMonitors.monitorCount(GlobalEventKind::mouseMoved), 0u);
}

TEST_F(ContainerChromeTest, LaysOutRailMatStripsAndHandlesForTheContainer) {
    show(LayoutType::leftRightSplit, 2, {0, 0, 1000, 600});
    EXPECT_EQ(rail()->frame(), Rect(460, 588, 80, 12));
    EXPECT_EQ(rail()->options().level, PanelLevel::rail);
    EXPECT_EQ(chrome.paneMat.matPanel()->frame(), Rect(0, 0, 1000, 600));
    ASSERT_EQ(handles().size(), 1u);
    EXPECT_EQ(handles()[0]->frame(), Rect(492, 3, 16, 594)) << "a 6-point gutter widened to 16";
    EXPECT_EQ(handles()[0]->cursor(), PanelCursor::resizeLeftRight);
    EXPECT_EQ(chrome.dividerViews[0]->ratioIndex, 0);
    EXPECT_GT(chrome.paneMat.activeShieldCount(), 0);
    // The rail takes clicks over the margin and the gutter, none over the panes' title bars.
    for (auto [x, y, takes] : {std::tuple{480, 598, true}, {500, 592, true}, {494, 592, false}, {506, 592, false}})
        EXPECT_EQ(sim.panels.panelAt(Point(x, y)) == rail(), takes) << x << "," << y;

    chrome.currentLayoutType = LayoutType::topBottomSplit;
    chrome.refreshClickShield();
    EXPECT_NE(sim.panels.panelAt({500, 592}), rail()) << "the top pane under all of it";
    EXPECT_EQ(handles()[0]->frame(), Rect(3, 292, 994, 16));
    EXPECT_EQ(chrome.dividerViews[0]->axis, DividerDragView::Axis::horizontal);
    EXPECT_EQ(handles()[0]->cursor(), PanelCursor::resizeUpDown);
    EXPECT_EQ(rail()->frame(), Rect(460, 588, 80, 12)) << "refreshClickShield leaves the rail alone";

    chrome.containerCocoaRect = {100, 100, 1000, 600};
    chrome.applyGeometry(false);
    EXPECT_EQ(rail()->frame(), Rect(460, 588, 80, 12)) << "the rail moves only when asked";
    chrome.applyGeometry(true);
    EXPECT_EQ(rail()->frame(), Rect(560, 688, 80, 12));
}

TEST_F(ContainerChromeTest, StacksMatBelowShieldsBelowHandlesBelowRail) {
    show(LayoutType::grid2x2, 4, {0, 0, 1000, 600});
    std::vector<int> levels;
    for (auto* p : sim.panels.stackingOrder()) levels.push_back(p->options().level);
    ASSERT_FALSE(levels.empty());
    EXPECT_TRUE(std::is_sorted(levels.begin(), levels.end()));
    EXPECT_EQ(levels.front(), PanelLevel::mat);
    EXPECT_EQ(levels.back(), PanelLevel::rail);
    EXPECT_EQ(std::count(levels.begin(), levels.end(), PanelLevel::handle), 2);
}

TEST_F(ContainerChromeTest, LayoutsWithoutPanesToDivideHaveNoHandlesNoStripsAndAThinRail) {
    for (auto [type, count] : {std::pair{LayoutType::mainSidebar, 3}, std::pair{LayoutType::leftRightSplit, 1}}) {
        show(type, count, {0, 0, 1000, 600});
        EXPECT_FALSE(chrome.paneContainerShieldStrips().has_value());
        EXPECT_EQ(chrome.paneMat.activeShieldCount(), 0);
        EXPECT_TRUE(handles().empty());
        EXPECT_TRUE(chrome.paneMat.matPanel()->isVisible());
        EXPECT_TRUE(rail()->isVisible());
        EXPECT_FALSE(chrome.railView->mayBorrowAppPixels);
        rail()->deliver({.kind = PanelInput::Kind::entered});
        EXPECT_EQ(rail()->drawing().at(0).rect.height(), 3) << "the pill stays thin on hover";
        rail()->deliver({.kind = PanelInput::Kind::exited});
    }
    show(LayoutType::leftRightSplit, 2, {0, 0, 1000, 600});
    EXPECT_TRUE(chrome.railView->mayBorrowAppPixels);
    rail()->deliver({.kind = PanelInput::Kind::entered});
    EXPECT_EQ(rail()->drawing().at(0).rect.height(), 8);
}

TEST_F(ContainerChromeTest, FewerPanesKeepTheSpareHandlesHiddenForReuse) {
    show(LayoutType::grid2x2, 4, {0, 0, 1000, 600});
    EXPECT_EQ(handlesShown(), (std::vector<bool>{true, true}));

    chrome.currentLayoutType = LayoutType::leftRightSplit;
    chrome.currentAppCount = 2;
    chrome.refreshClickShield();
    EXPECT_EQ(handlesShown(), (std::vector<bool>{true, false}));

    chrome.currentLayoutType = LayoutType::threeColumns;
    chrome.currentAppCount = 3;
    chrome.refreshClickShield();
    EXPECT_EQ(handlesShown(), (std::vector<bool>{true, true}));
    EXPECT_EQ(chrome.dividerViews[1]->ratioIndex, 1);
    EXPECT_EQ(sim.panels.panelsNamed("handle").size(), 2u) << "no new panel for a layout that fits the pool";
}

TEST_F(ContainerChromeTest, OrderFrontReFrontsEveryShownHandleButNeverASpareOne) {
    show(LayoutType::grid2x2, 4, {0, 0, 1000, 600});
    chrome.currentLayoutType = LayoutType::leftRightSplit;
    chrome.currentAppCount = 2;
    chrome.refreshClickShield();
    sim.panels.clearJournal();

    chrome.orderFront();
    const auto& journal = sim.panels.journal();
    const std::string first = "handle#" + std::to_string(handles()[0]->id()) + " orderFront";
    const std::string spare = "handle#" + std::to_string(handles()[1]->id()) + " orderFront";
    EXPECT_THAT(journal, Contains(first)) << "already visible, still re-fronted";
    EXPECT_THAT(journal, ::testing::Not(Contains(spare)));
    EXPECT_EQ(handlesShown(), (std::vector<bool>{true, false}));
}

TEST_F(ContainerChromeTest, DividersHiddenKeepsHandlesOffUntilTheNextPositioning) {
    show(LayoutType::leftRightSplit, 2, {0, 0, 1000, 600});
    chrome.dividersHidden = true;
    chrome.positionDividerPanels();
    EXPECT_EQ(handlesShown(), (std::vector<bool>{false}));
    chrome.orderFront();
    EXPECT_EQ(handlesShown(), (std::vector<bool>{false})) << "hidden even while the chrome is visible";

    chrome.dividersHidden = false;
    EXPECT_EQ(handlesShown(), (std::vector<bool>{false}));
    chrome.positionDividerPanels();
    EXPECT_EQ(handlesShown(), (std::vector<bool>{true}));
}

TEST_F(ContainerChromeTest, SyncRatiosTakesOnlyUsableRatios) {
    show(LayoutType::leftRightSplit, 2, {0, 0, 1000, 600}, {0.5});
    const Rect before = handles()[0]->frame();
    chrome.syncRatios({});
    EXPECT_EQ(chrome.currentRatios, (std::vector<double>{0.5}));
    EXPECT_EQ(handles()[0]->frame(), before);

    chrome.syncRatios({0.4});
    EXPECT_EQ(chrome.currentRatios, (std::vector<double>{0.4}));
    EXPECT_LT(handles()[0]->frame().midX(), before.midX());

    show(LayoutType::mainSidebar, 3, {0, 0, 1000, 600}, {0.6});
    chrome.syncRatios({0.7});
    EXPECT_EQ(chrome.currentRatios, (std::vector<double>{0.6})) << "mainSidebar has nothing to divide";
}

TEST_F(ContainerChromeTest, HandleLightsWithinEightPointsAndNeverUnderTheRail) {
    show(LayoutType::leftRightSplit, 2, {0, 0, 1000, 600});
    const Rect h = handles()[0]->frame();  // (492, 3, 16, 594)
    sim.eventMonitors.moveMouse({h.maxX() + 7, 300});
    EXPECT_TRUE(hovering(0));
    sim.eventMonitors.moveMouse({h.maxX() + 9, 300});
    EXPECT_FALSE(hovering(0));
    sim.eventMonitors.moveMouse({h.minX() - 8, 300});
    EXPECT_TRUE(hovering(0)) << "the band's near edge belongs to it";
    sim.eventMonitors.moveMouse({h.maxX() + 8, 300});
    EXPECT_FALSE(hovering(0)) << "half-open: the far edge does not";

    sim.eventMonitors.moveMouse({500, 594});
    rail()->deliver({.kind = PanelInput::Kind::entered});
    EXPECT_TRUE(chrome.railView->hovering);
    EXPECT_FALSE(hovering(0)) << "the rail takes the pointer from the handle below it";
    sim.eventMonitors.moveMouse({500, 590});
    EXPECT_FALSE(hovering(0));

    sim.eventMonitors.moveMouse({500, 300});
    EXPECT_FALSE(chrome.railView->hovering) << "a pointer that left the rail ends its hover";
    EXPECT_TRUE(hovering(0));
}

TEST_F(ContainerChromeTest, HoverMonitorLivesWhileVisibleAndARefusedOneIsRetried) {
    sim.eventMonitors.refuseNextMonitors(1);
    show(LayoutType::leftRightSplit, 2, {0, 0, 1000, 600});
    EXPECT_FALSE(chrome.hoverMonitor.has_value());
    chrome.orderFront();
    EXPECT_TRUE(chrome.hoverMonitor.has_value());
    chrome.orderFront();
    EXPECT_EQ(sim.eventMonitors.monitorCount(GlobalEventKind::mouseMoved), 1u);

    sim.eventMonitors.moveMouse({505, 300});
    EXPECT_TRUE(hovering(0));
    chrome.orderOut();
    EXPECT_EQ(sim.eventMonitors.monitorCount(GlobalEventKind::mouseMoved), 0u);
    EXPECT_FALSE(hovering(0));
}

TEST_F(ContainerChromeTest, OrderOutHidesEverythingAndAbandonsARailDrag) {
    show(LayoutType::grid2x2, 4, {0, 0, 1000, 600});
    bool reported = false;
    chrome.onContainerChanged = [&](const Rect&) { reported = true; };
    rail()->deliver({.kind = PanelInput::Kind::leftDown, .location = {500, 595}});
    rail()->deliver({.kind = PanelInput::Kind::leftDragged, .location = {520, 595}});
    EXPECT_TRUE(chrome.dragOriginCocoa.has_value());
    EXPECT_TRUE(chrome.isFrameDragging);

    EXPECT_FALSE(rail()->hasShadow()) << "the first movement takes the rail's shadow";
    chrome.orderOut();
    EXPECT_TRUE(rail()->hasShadow()) << "an abandoned drag puts it back";
    EXPECT_FALSE(chrome.isVisible);
    EXPECT_FALSE(chrome.dragOriginCocoa.has_value());
    EXPECT_FALSE(chrome.isFrameDragging);
    for (auto* p : sim.panels.panels()) EXPECT_FALSE(p->isVisible()) << p->options().name;
    rail()->deliver({.kind = PanelInput::Kind::trackingCancelled});  // the grab the hiding took
    EXPECT_FALSE(reported);

    chrome.orderFront();
    EXPECT_EQ(handlesShown(), (std::vector<bool>{true, true})) << "ordered in again without rebuilding";
    EXPECT_EQ(sim.panels.createdCount(), static_cast<int>(sim.panels.panels().size()));
}

TEST_F(ContainerChromeTest, DestructionTakesEveryWindowWithIt) {
    {
        ContainerWindowController local{sim.platform()};
        local.headerPanel = local.makeRailPanel();
        local.currentLayoutType = LayoutType::grid2x2;
        local.currentAppCount = 4;
        local.containerCocoaRect = {0, 0, 1000, 600};
        local.applyGeometry(true);
        local.orderFront();
        EXPECT_GT(sim.panels.panels().size(), 4u);
    }
    EXPECT_TRUE(sim.panels.panels().empty());
    EXPECT_EQ(sim.eventMonitors.monitorCount(GlobalEventKind::mouseMoved), 0u);
    sim.eventMonitors.moveMouse({1, 1});  // a released chrome hears nothing
}

TEST_F(ContainerChromeTest, TheLargestPanelSetHoldsWhatTheChromeOfAnyLayoutPutsUp) {
    // What a platform makes ready before a first show: any chrome finds its panels there, and the
    // largest needs them all.
    using Kind = std::tuple<int, bool, bool, std::string>;
    const auto kinds = [](const std::vector<PanelOptions>& all) {
        std::multiset<Kind> out;
        for (const auto& o : all) out.insert({o.level, o.ignoresMouse, o.canTakeFocus, o.name});
        return out;
    };
    const auto ready = kinds(ContainerWindowController::largestPanelSet());
    size_t largest = 0;
    for (LayoutType type : layout_types::allCases()) {
        ContainerWindowController local{sim.platform()};
        local.headerPanel = local.makeRailPanel();
        local.currentLayoutType = type;
        local.currentAppCount = static_cast<int>(layout_types::requiredApps(type).value_or(4));
        local.containerCocoaRect = {0, 0, 1000, 600};
        local.applyGeometry(true);
        local.orderFront();
        std::vector<PanelOptions> made;
        for (auto* p : sim.panels.panels()) made.push_back(p->options());
        const auto used = kinds(made);
        EXPECT_TRUE(std::includes(ready.begin(), ready.end(), used.begin(), used.end())) << toString(type);
        largest = std::max(largest, used.size());
    }
    EXPECT_EQ(largest, ready.size());
}

}  // namespace
}  // namespace tessane
