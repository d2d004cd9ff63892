#include "support/ControllerScenario.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

// The harness itself: what it puts up is what a finished show leaves.
TEST(ScenarioHarness, PutUpBindsOneWindowPerPaneAndShowsTheChrome) {
    ControllerScenario s;
    s.launchApp("Notes", {.windows = 2});
    s.launchApp("Mail");
    auto ws = s.addWorkspace("Write", {"Notes", "Mail"});
    s.start();
    auto& session = s.putUp(ws);

    ASSERT_EQ(session.elements.size(), 2u);
    EXPECT_EQ(session.elements[0].element, s.window("Notes").element());
    EXPECT_EQ(session.elements[1].element, s.window("Mail").element());
    EXPECT_TRUE(s.chrome(ws.id).isVisible);
    EXPECT_EQ(s.chrome(ws.id).currentTitle, "Write");
    EXPECT_EQ(s.shownNames(), (std::vector<std::string>{"Write"}));
    EXPECT_EQ(*s.manager->activeWorkspaceID().get(), ws.id);
}

TEST(ScenarioHarness, TwoPanesOfOneAppBindDifferentWindows) {
    ControllerScenario s;
    s.launchApp("Notes", {.windows = 2});
    auto ws = s.addWorkspace("Twice", {"Notes", "Notes"});
    s.start();
    auto& session = s.putUp(ws);
    ASSERT_EQ(session.elements.size(), 2u);
    EXPECT_NE(session.elements[0].element, session.elements[1].element);
}

}  // namespace
}  // namespace tessane::testing
