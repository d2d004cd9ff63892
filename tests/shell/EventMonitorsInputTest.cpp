// The controller's global input over the platform's monitors: the kinds a mask asks for reach the
// handler with the controller's modifier bits, a refusal refuses the whole request, and a removed
// monitor hears nothing more.
#include "platform/sim/SimEventMonitors.h"
#include "shell/EventMonitorsInput.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Input = EventMonitorsInput;

TEST(EventMonitorsInput, TheMaskedKindsArriveWithTheControllersModifierBitsUntilRemoved) {
    sim::SimEventMonitors monitors;
    Input input(monitors);
    std::vector<GlobalInput::Event> heard;
    const auto token = input.addGlobalMonitor(GlobalInput::kLeftMouseUp | GlobalInput::kFlagsChanged,
                                              [&](const GlobalInput::Event& event) { heard.push_back(event); });
    ASSERT_TRUE(token);

    monitors.moveMouse({5, 5});  // not asked for
    monitors.mouseUp(GlobalEventKind::leftMouseUp);
    monitors.setModifierFlags(ModifierFlag::option | ModifierFlag::command);
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0].kind, GlobalInput::kLeftMouseUp);
    EXPECT_EQ(heard[1].kind, GlobalInput::kFlagsChanged);
    EXPECT_EQ(heard[1].modifierFlags, Input::kOptionKeyMask | Input::kCommandKeyMask);

    input.removeMonitor(*token);
    monitors.mouseUp(GlobalEventKind::leftMouseUp);
    EXPECT_EQ(heard.size(), 2u);
}

TEST(EventMonitorsInput, ARefusedKindRefusesTheWholeRequest) {
    sim::SimEventMonitors monitors;
    Input input(monitors);
    monitors.refuseNextMonitors(1);
    int heard = 0;
    EXPECT_FALSE(input.addGlobalMonitor(GlobalInput::kLeftMouseUp | GlobalInput::kRightMouseUp, [&](auto&) { ++heard; }));
    monitors.mouseUp(GlobalEventKind::rightMouseUp);
    EXPECT_EQ(heard, 0);
}

TEST(EventMonitorsInput, AHandlerMayRemoveItsOwnMonitor) {
    sim::SimEventMonitors monitors;
    Input input(monitors);
    std::optional<GlobalInput::Token> token;
    int heard = 0;
    token = input.addGlobalMonitor(GlobalInput::kMouseMoved, [&](auto&) {
        ++heard;
        input.removeMonitor(*token);
    });
    monitors.moveMouse({10, 10});
    monitors.moveMouse({20, 20});
    EXPECT_EQ(heard, 1);
}

TEST(EventMonitorsInput, PointerAndButtonsComeFromThePlatform) {
    sim::SimEventMonitors monitors;
    Input input(monitors);
    monitors.moveMouse({12, 34});
    monitors.setPressedMouseButtons(MouseButton::right);
    EXPECT_EQ(input.mouseLocation(), (Point{12, 34}));
    EXPECT_TRUE(input.isMouseButtonDown());
}

}  // namespace
}  // namespace tessane::testing
