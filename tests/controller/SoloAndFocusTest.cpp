#include "support/ShownWorkspace.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Lines = ControllerScenario::Lines;

// Write (Notes, Mail) shown at (40, 60, 1200, 700); Music runs outside it.
class Solo : public ShownWorkspace {
protected:
    ChromeRecord& chrome() { return s.chrome(ws.id); }
    void focus(const std::string& name) {
        s.activate(name);
        s.advance(1);
        s.clearLog();
    }
};

TEST_F(Solo, TheFocusedAppFillsTheContainerAndTheToggleRetilesBoth) {
    focus("Mail");
    s.controller().soloFocusedPane();

    EXPECT_EQ(s.log(), (Lines{"[Tessane] Solo: ‘Mail’ filled workspace ‘Write’."}));
    EXPECT_EQ(s.window("Mail").frame(), Rect(43, 63, 1194, 694));
    EXPECT_EQ(s.window("Notes").frame(), Rect(100, 100, 800, 600));  // the others stay where they are
    EXPECT_EQ(s.probe().solo().current(), (WorkspaceController::SoloState{ws.id, ws.apps[1].id}));
    EXPECT_TRUE(chrome().isSoloed);
    EXPECT_TRUE(chrome().shieldsHidden);
    EXPECT_TRUE(chrome().dividersHidden);
    EXPECT_EQ(s.probe().lastActivatedBundleID(), "org.example.Mail");
    EXPECT_TRUE(s.probe().isResurfacing());  // its own activation is not a user's
    s.advance(0.3);
    EXPECT_FALSE(s.probe().isResurfacing());

    chrome().callbacks.onSolo();  // the toggle

    EXPECT_FALSE(s.probe().solo().current().has_value());
    EXPECT_FALSE(chrome().isSoloed);
    EXPECT_FALSE(chrome().shieldsHidden);
    EXPECT_FALSE(chrome().dividersHidden);
    const auto tiles = s.probe().tileRects(ws);
    EXPECT_EQ(s.window("Notes").frame(), tiles.at(0));
    EXPECT_EQ(s.window("Mail").frame(), tiles.at(1));
    EXPECT_EQ(s.logCount("[Tessane] Solo: restored split for workspace " + ws.id.string() + "."), 1u);
}

TEST_F(Solo, WithNoWorkspaceAppInFrontThePrimaryAppIsSoloed) {
    focus("Music");
    s.controller().soloFocusedPane();
    EXPECT_EQ(s.probe().solo().current(), (WorkspaceController::SoloState{ws.id, ws.apps[0].id}));
}

TEST_F(Solo, RefusalsLeaveEverythingAsItWas) {
    Rect before = s.window("Mail").frame();
    const auto refused = [&](const std::string& why) {
        SCOPED_TRACE(why);
        EXPECT_FALSE(s.probe().solo().current().has_value());
        EXPECT_FALSE(chrome().isSoloed);
        EXPECT_FALSE(chrome().shieldsHidden);
        EXPECT_EQ(s.window("Mail").frame(), before);
    };
    focus("Mail");

    s.window("Mail").setFullScreen(true);
    s.controller().soloFocusedPane();
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Solo skipped — ‘Mail’ is in native fullscreen."}));
    refused("fullscreen");
    s.window("Mail").setFullScreen(false);
    s.clearLog();

    s.sim.preferences.set("com.apple.WindowManager", "GloballyEnabled", true);
    s.controller().soloFocusedPane();
    EXPECT_EQ(s.logCount("[Tessane] Solo skipped — Stage Manager is on."), 1u);
    refused("Stage Manager");
    s.sim.preferences.set("com.apple.WindowManager", "GloballyEnabled", false);
    s.advance(1);  // turning it off re-tiles
    s.clearLog();
    before = s.window("Mail").frame();

    auto edited = s.workspace(ws.id);
    edited.layout.type = LayoutType::mainSidebar;
    s.manager->update(edited);
    s.controller().soloFocusedPane();
    refused("main + sidebar");

    edited.layout.type = LayoutType::leftRightSplit;
    edited.apps.pop_back();
    s.manager->update(edited);
    s.controller().soloFocusedPane();
    refused("a single pane");

    s.sim.accessibility.setTrusted(false);
    s.controller().soloFocusedPane();
    refused("no window control");
    EXPECT_TRUE(s.log().empty());  // the silent ones say nothing
}

TEST_F(Solo, OnlyOneSoloInTheWholeSystem) {
    auto other = s.addWorkspace("Listen", {"Music", "Notes"});
    focus("Mail");
    s.controller().soloFocusedPane();
    s.putUp(other);
    focus("Music");

    s.controller().soloFocusedPane();  // not the toggle: straight to the other workspace

    EXPECT_EQ(s.probe().solo().current(), (WorkspaceController::SoloState{other.id, other.apps[0].id}));
    EXPECT_FALSE(chrome().isSoloed);  // Write's solo ended and its panes came back
    EXPECT_FALSE(chrome().shieldsHidden);
    EXPECT_EQ(s.window("Mail").frame(), s.probe().tileRects(ws).at(1));
    EXPECT_TRUE(s.chrome(other.id).isSoloed);
}

// Trio (Notes, Mail, Music) shown; Maps runs outside it.
class PaneFocus : public ::testing::Test {
protected:
    void SetUp() override {
        for (auto name : {"Notes", "Mail", "Music", "Maps"}) s.launchApp(name);
        trio = s.addWorkspace("Trio", {"Notes", "Mail", "Music"}, LayoutType::threeLeftTwoRightOne);
        s.start();
        s.putUp(trio);
        s.drain();
    }
    void focus(const std::string& name) {
        s.activate(name);
        s.advance(1);
        s.clearLog();
    }
    std::vector<std::string> focusLines() {
        std::vector<std::string> out;
        for (const auto& line : s.log())
            if (line.rfind("[Tessane][focus]", 0) == 0) out.push_back(line);
        return out;
    }
    void step(int offset) {
        s.controller().focusAdjacentPane(offset);
        s.advance(1);
    }

    ControllerScenario s;
    Workspace trio;
};

TEST_F(PaneFocus, StepsWrapAroundBothWays) {
    focus("Mail");
    step(+1);
    EXPECT_EQ(s.sim.applications.frontmostApplication()->pid, s.pid("Music"));
    EXPECT_EQ(s.probe().lastActivatedBundleID(), "org.example.Music");
    step(+1);
    step(-1);
    EXPECT_EQ(focusLines(), (Lines{"[Tessane][focus] Trio: pane 1 → 2 of 3 stops (org.example.Music)",
                                   "[Tessane][focus] Trio: pane 2 → 0 of 3 stops (org.example.Notes)",
                                   "[Tessane][focus] Trio: pane 0 → 2 of 3 stops (org.example.Music)"}));
    EXPECT_FALSE(s.probe().isResurfacing());
}

TEST_F(PaneFocus, FromOutsideTheWorkspaceForwardTakesTheFirstAndBackTheLast) {
    focus("Maps");
    s.controller().focusAdjacentPane(+1);
    EXPECT_EQ(focusLines(), (Lines{"[Tessane][focus] Trio: pane none → 0 of 3 stops (org.example.Notes)"}));
    s.advance(1);
    s.probe().setLastActivatedBundleID(std::nullopt);
    focus("Maps");
    s.controller().focusAdjacentPane(-1);
    EXPECT_EQ(focusLines(), (Lines{"[Tessane][focus] Trio: pane none → 2 of 3 stops (org.example.Music)"}));
}

TEST_F(PaneFocus, AppsThatAreNotRunningOrHaveNoTrackedWindowAreNoStops) {
    s.quitApp("Music");
    s.drain();
    s.probe().session(trio.id)->elements.erase(s.probe().session(trio.id)->elements.begin() + 1);  // Mail's
    focus("Notes");
    s.controller().focusAdjacentPane(+1);  // Notes alone is one stop: nothing
    EXPECT_TRUE(focusLines().empty());
    EXPECT_EQ(s.sim.applications.frontmostApplication()->pid, s.pid("Notes"));
}

TEST_F(PaneFocus, UnderSoloTheStepMovesTheSolo) {
    focus("Notes");
    s.controller().soloFocusedPane();
    s.advance(1);
    s.clearLog();
    step(+1);
    EXPECT_EQ(focusLines(), (Lines{"[Tessane][focus] Trio: pane 0 → 1 of 3 stops (org.example.Mail)"}));
    EXPECT_EQ(s.probe().solo().current(), (WorkspaceController::SoloState{trio.id, trio.apps[1].id}));
    EXPECT_EQ(s.logCount("[Tessane] Solo: ‘Mail’ filled workspace ‘Trio’."), 1u);
    EXPECT_EQ(s.window("Mail").frame(), Rect(43, 63, 1194, 694));
}

}  // namespace
}  // namespace tessane::testing
