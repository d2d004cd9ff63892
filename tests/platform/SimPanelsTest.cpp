#include "platform/sim/SimPlatform.h"

#include <gtest/gtest.h>

namespace tessane::sim {
namespace {

TEST(SimPanelsTest, StacksByLevelThenByOrderFrontAndHitTestsOnlyMousePanels) {
    SimPanels panels;
    auto low = panels.makePanel({.level = 1, .name = "low"});
    auto high = panels.makePanel({.level = 3, .name = "high"});
    auto glass = panels.makePanel({.level = 4, .ignoresMouse = true, .name = "glass"});
    auto other = panels.makePanel({.level = 1, .name = "other"});
    for (auto* p : {low.get(), high.get(), glass.get(), other.get()}) p->setFrame({0, 0, 100, 100});
    high->orderFront();
    low->orderFront();
    other->orderFront();
    glass->orderFront();
    low->orderFront();

    std::vector<std::string> order;
    for (auto* p : panels.stackingOrder()) order.push_back(p->options().name);
    EXPECT_EQ(order, (std::vector<std::string>{"other", "low", "high", "glass"}));
    EXPECT_EQ(panels.panelAt({50, 50})->options().name, "high") << "clicks pass through the glass";
    EXPECT_EQ(panels.panelAt({100, 50}), nullptr) << "frames are half-open";

    int told = 0;
    glass->setInputHandler([&](const PanelInput&) { ++told; });
    static_cast<SimPanel&>(*glass).deliver({});
    EXPECT_EQ(told, 0);
}

TEST(SimPanelsTest, AnimatorLandsOnTheVirtualClockAndASupersededAnimationCompletesAtOnce) {
    SimPlatform sim;
    auto panel = sim.panels.makePanel({.name = "card"});
    std::vector<std::string> done;
    sim.animator.animate(*panel, {.duration = 0.22, .curve = PanelAnimation::Curve::easeOut,
                                  .alpha = 1.0, .frame = Rect{0, 10, 360, 72}},
                         [&] { done.push_back("first"); });
    sim.mainQueue.advance(0.1);
    EXPECT_TRUE(done.empty());
    sim.animator.animate(*panel, {.duration = 0.2, .alpha = 0.0}, [&] { done.push_back("second"); });
    EXPECT_EQ(done, (std::vector<std::string>{"first"}));
    sim.mainQueue.advance(0.2);
    EXPECT_EQ(done, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(panel->alpha(), 0.0);

    sim.animator.animate(*panel, {.duration = 0.12, .alpha = 1.0}, [&] { done.push_back("never"); });
    panel.reset();
    sim.mainQueue.advance(1);
    EXPECT_EQ(done.size(), 2u) << "a destroyed panel's completion does not run";
    EXPECT_EQ(sim.animator.runningCount(), 0u);
}

TEST(SimPanelsTest, EventMonitorsCanBeRefusedAndEndWithTheirSubscription) {
    SimEventMonitors monitors;
    monitors.refuseNextMonitors(1);
    EXPECT_FALSE(monitors.addGlobalMonitor(GlobalEventKind::flagsChanged, [](const GlobalEvent&) {}));
    std::vector<uint32_t> flags;
    auto sub = monitors.addGlobalMonitor(GlobalEventKind::flagsChanged,
                                         [&](const GlobalEvent& e) { flags.push_back(e.modifiers); });
    ASSERT_TRUE(sub.has_value());
    monitors.setModifierFlags(ModifierFlag::option | ModifierFlag::command);
    monitors.setModifierFlags(ModifierFlag::option | ModifierFlag::command);
    monitors.setModifierFlags(0);
    EXPECT_EQ(flags, (std::vector<uint32_t>{ModifierFlag::option | ModifierFlag::command, 0}));

    monitors.setPressedMouseButtons(MouseButton::left | MouseButton::right);
    monitors.mouseUp(GlobalEventKind::leftMouseUp);
    EXPECT_EQ(monitors.pressedMouseButtons(), MouseButton::right);
    sub.reset();
    EXPECT_EQ(monitors.monitorCount(GlobalEventKind::flagsChanged), 0u);
}

}  // namespace
}  // namespace tessane::sim
