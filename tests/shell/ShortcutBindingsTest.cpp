// The global shortcuts: which chords are bound for how many workspaces, when they are bound
// again, what a press does, and the line a refused switcher chord leaves.
#include "shell/ShortcutBindings.h"
#include "support/ControllerScenario.h"
#include "support/LoggedLines.h"
#include "system/ShortcutManager.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using B = ShortcutBindings;
using Chord = std::pair<uint32_t, uint32_t>;

class ShortcutBindingsTest : public ::testing::Test {
protected:
    void bind() {
        scenario.start();
        shortcuts = std::make_unique<ShortcutManager>(scenario.sim.hotKeys);
        bindings = std::make_unique<ShortcutBindings>(*shortcuts, *scenario.manager, scenario.controller(),
                                                      scenario.sim.mainQueue);
    }
    std::vector<Chord> chords() const {
        std::vector<Chord> out;
        for (const auto& grab : scenario.sim.hotKeys.grabs()) out.emplace_back(grab.keyCode, grab.modifiers);
        return out;
    }
    static std::vector<Chord> fixedChords() {
        return {{B::kKeyH, B::kOptionCommand},       {B::kKeyB, B::kOptionCommand},
                {B::kRightArrow, B::kControlCommand}, {B::kLeftArrow, B::kControlCommand},
                {B::kReturn, B::kControlCommand},     {B::kTab, B::kOptionCommand},
                {B::kTab, B::kShiftOptionCommand}};
    }
    std::vector<Workspace> addWorkspaces(int count) {
        std::vector<Workspace> out;
        for (int i = 0; i < count; ++i) out.push_back(scenario.manager->createWorkspace("W" + std::to_string(i + 1)));
        return out;
    }
    size_t registrations() const { return shortcuts->nextID() - 1; }
    size_t logged(const std::string& text) const {
        size_t n = 0;
        for (const auto& line : loggedMessages()) n += line == text;
        return n;
    }

    ControllerScenario scenario;
    std::unique_ptr<ShortcutManager> shortcuts;
    std::unique_ptr<ShortcutBindings> bindings;
};

TEST_F(ShortcutBindingsTest, WithoutWorkspacesOnlyTheSevenFixedChords) {
    bind();
    auto bound = chords();
    std::sort(bound.begin(), bound.end());
    auto expected = fixedChords();
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(bound, expected);
}

TEST_F(ShortcutBindingsTest, TwelveWorkspacesGetNineDigitChordsInKeyTableOrder) {
    const auto workspaces = addWorkspaces(12);
    bind();
    const auto bound = chords();
    ASSERT_EQ(bound.size(), 16u);
    std::set<uint32_t> digits;
    for (const auto& [key, mask] : bound)
        if (mask == B::kOptionCommand && key != B::kKeyH && key != B::kKeyB && key != B::kTab) digits.insert(key);
    EXPECT_EQ(digits, std::set<uint32_t>(B::kDigitKeyCodes.begin(), B::kDigitKeyCodes.end()));

    // Super+Alt+9 shows the ninth: its show starts (and asks for its apps, of which it has none).
    scenario.clearLog();
    ASSERT_TRUE(scenario.sim.hotKeys.press(25, B::kOptionCommand));
    scenario.advance(1);
    bool named = false;
    for (const auto& line : scenario.log()) named |= line.find("W9") != std::string::npos;
    EXPECT_TRUE(named) << ::testing::PrintToString(scenario.log());
}

TEST_F(ShortcutBindingsTest, AChangedListOfIdsBindsAgainARenameDoesNot) {
    const auto workspaces = addWorkspaces(2);
    bind();
    const size_t first = registrations();
    EXPECT_EQ(first, 9u);

    scenario.manager->renameWorkspace(workspaces[1].id, "Renamed");
    scenario.drain();
    EXPECT_EQ(registrations(), first);

    // The first goes: the second moves to the front, and Super+Alt+1 now shows it.
    scenario.manager->deleteWorkspace(workspaces[0].id);
    scenario.drain();
    EXPECT_EQ(registrations(), 2 * first - 1);  // one workspace left: one digit chord fewer
    EXPECT_EQ(chords().size(), 8u);
    scenario.clearLog();
    ASSERT_TRUE(scenario.sim.hotKeys.press(B::kDigitKeyCodes[0], B::kOptionCommand));
    scenario.advance(1);
    bool named = false;
    for (const auto& line : scenario.log()) named |= line.find("Renamed") != std::string::npos;
    EXPECT_TRUE(named) << ::testing::PrintToString(scenario.log());
}

TEST_F(ShortcutBindingsTest, ARefusedSwitcherChordNamesTheOneThatFailed) {
    scenario.sim.hotKeys.setOwnedByAnotherClient(B::kTab, B::kOptionCommand);
    bind();
    EXPECT_EQ(logged("[Tessane] Workspace switcher: could not register Super+Alt+Tab — another app may own it."), 1u);
    // The others are still bound.
    EXPECT_EQ(chords().size(), 6u);

    scenario.sim.hotKeys.releaseFromAnotherClient(B::kTab, B::kOptionCommand);
    scenario.sim.hotKeys.setOwnedByAnotherClient(B::kTab, B::kShiftOptionCommand);
    bindings->registerShortcuts();
    EXPECT_EQ(logged("[Tessane] Workspace switcher: could not register Super+Alt+Shift+Tab — another app may own it."), 1u);

    // Both taken: the unshifted one is named.
    scenario.sim.hotKeys.setOwnedByAnotherClient(B::kTab, B::kOptionCommand);
    bindings->registerShortcuts();
    EXPECT_EQ(logged("[Tessane] Workspace switcher: could not register Super+Alt+Tab — another app may own it."), 2u);
}

TEST_F(ShortcutBindingsTest, FixedChordsReachTheController) {
    bind();
    scenario.clearLog();
    ASSERT_TRUE(scenario.sim.hotKeys.press(B::kKeyH, B::kOptionCommand));
    EXPECT_EQ(logged("[Tessane] Hide active workspace requested, but none is active — ignored."), 1u);
    ASSERT_TRUE(scenario.sim.hotKeys.press(B::kKeyB, B::kOptionCommand));
    EXPECT_EQ(logged("[Tessane] Bring to current display requested, but no active workspace — ignored."), 1u);

    // Once the bindings are gone, a press that raced with them does nothing.
    bindings.reset();
    shortcuts.reset();
    EXPECT_FALSE(scenario.sim.hotKeys.press(B::kKeyH, B::kOptionCommand));
}

}  // namespace
}  // namespace tessane::testing
