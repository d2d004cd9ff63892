#include "platform/EventMonitors.h"
#include "support/ControllerScenario.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Lines = ControllerScenario::Lines;
using Names = std::vector<std::string>;

constexpr uint32_t kHeld = ModifierFlag::option | ModifierFlag::command;

// Write (Notes, Mail) shown and front; Listen (Music, Notes) and Read (Maps, Photos) not shown;
// Crowd has three apps in a two-pane layout, so it can never be offered.
class Switcher : public ::testing::Test {
protected:
    void SetUp() override {
        for (auto name : {"Notes", "Mail", "Music", "Maps", "Photos"}) s.launchApp(name);
        write = s.addWorkspace("Write", {"Notes", "Mail"});
        listen = s.addWorkspace("Listen", {"Music", "Notes"});
        read = s.addWorkspace("Read", {"Maps", "Photos"});
        crowd = s.addWorkspace("Crowd", {"Maps", "Mail", "Music"});
        s.start();
        s.putUp(write);
        s.drain();
        s.clearLog();
    }
    void hold() { s.sim.eventMonitors.setModifierFlags(kHeld); }
    void release(uint32_t left = ModifierFlag::option) {
        s.sim.eventMonitors.setModifierFlags(left);
        s.input.send(GlobalInput::kFlagsChanged, left);
    }
    Names itemNames() {
        Names out;
        for (const auto& item : s.switcher->items) out.push_back(item.name);
        return out;
    }
    bool hidden(const std::string& name) { return s.sim.applications.runningApplication(s.pid(name))->isHidden; }

    ControllerScenario s;
    Workspace write, listen, read, crowd;
};

TEST_F(Switcher, OpensOnTheFirstPressMovesOnTheNextAndCommitsOnRelease) {
    hold();
    s.controller().advanceSwitcher(+1);

    EXPECT_TRUE(s.switcher->isOpen);
    EXPECT_EQ(itemNames(), (Names{"Write", "Listen", "Read"}));  // the front one first; Crowd is not offered
    EXPECT_TRUE(s.switcher->items[0].isShown);
    EXPECT_FALSE(s.switcher->items[1].isShown);
    EXPECT_EQ(s.switcher->items[1].icons.size(), 2u);
    EXPECT_EQ(s.switcher->selected, 1);  // the one after the front workspace
    EXPECT_EQ(s.input.liveMonitors(GlobalInput::kFlagsChanged), 1u);

    for (int by : {+1, +1, -1, -1}) s.controller().advanceSwitcher(by);
    EXPECT_EQ(s.switcher->calls, (Names{"show", "select(2)", "layout", "select(0)", "layout", "select(2)", "layout",
                                        "select(1)", "layout"}));
    EXPECT_TRUE(s.log().empty());

    release();

    EXPECT_FALSE(s.switcher->isOpen);
    EXPECT_EQ(s.input.liveMonitors(GlobalInput::kFlagsChanged), 0u);
    EXPECT_EQ(*s.manager->activeWorkspaceID().get(), listen.id);
    EXPECT_EQ(s.shownNames(), (Names{"Listen"}));
    EXPECT_EQ(s.logCount("[Tessane] Switcher: ‘Write’ → ‘Listen’, put away ‘Write’ on the same display."), 1u);
    EXPECT_TRUE(hidden("Mail"));
    EXPECT_FALSE(hidden("Notes"));  // Listen tiles it too
}

TEST_F(Switcher, ABackwardFirstPressSelectsTheLastEntry) {
    hold();
    s.controller().advanceSwitcher(-1);
    EXPECT_EQ(s.switcher->selected, 2);
}

TEST_F(Switcher, WithNothingToOfferTheHotKeyDoesNothing) {
    for (const auto& ws : {write, listen, read}) {
        auto edited = s.workspace(ws.id);
        edited.apps.pop_back();  // one app in a two-pane layout
        s.manager->update(edited);
    }
    hold();
    s.controller().advanceSwitcher(+1);
    EXPECT_TRUE(s.switcher->calls.empty());
    EXPECT_EQ(s.input.liveMonitors(GlobalInput::kFlagsChanged), 0u);
}

TEST_F(Switcher, WithOnlyTheFrontWorkspaceOfferedReleasingOnlyClosesThePanel) {
    for (const auto& ws : {listen, read}) s.manager->deleteWorkspace(ws.id);
    s.drain();
    s.clearLog();
    hold();
    s.controller().advanceSwitcher(+1);
    EXPECT_EQ(s.switcher->selected, 0);
    release();
    EXPECT_FALSE(s.switcher->isOpen);
    EXPECT_TRUE(s.log().empty());
    EXPECT_EQ(s.shownNames(), (Names{"Write"}));
}

TEST_F(Switcher, AReleaseBeforeThePanelCameUpCommitsAtOnce) {
    s.sim.eventMonitors.setModifierFlags(ModifierFlag::command);  // Option already let go
    s.controller().advanceSwitcher(+1);
    EXPECT_EQ(s.switcher->calls, (Names{"show", "close"}));
    EXPECT_EQ(*s.manager->activeWorkspaceID().get(), listen.id);
}

TEST_F(Switcher, WorkspacesOnOtherDisplaysStayAndUnknownOnesArePutAway) {
    s.setDisplays({ControllerScenario::display({0, 0, 1440, 900}, 1),
                   ControllerScenario::display({1440, 0, 1920, 1080}, 2)});
    s.putUp(read, {1500, 0, 1200, 700});      // on the second display
    s.putUp(crowd, {5000, 5000, 800, 600});   // on no display
    s.putUp(write);                           // front again
    s.drain();
    s.clearLog();

    hold();
    s.controller().advanceSwitcher(+1);  // Read is the most recent other one
    s.controller().advanceSwitcher(+1);  // Listen
    EXPECT_EQ(itemNames(), (Names{"Write", "Read", "Listen"}));
    release(0);

    EXPECT_EQ(s.logCount("[Tessane] Switcher: ‘Write’ → ‘Listen’, put away ‘Write’, ‘Crowd’ on the same display."),
              1u);
    EXPECT_EQ(s.shownNames(), (Names{"Listen", "Read"}));
}

}  // namespace
}  // namespace tessane::testing
