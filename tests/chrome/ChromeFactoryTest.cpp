// The workspace controller handed the real chrome by its factory, on the sim panels.
#include "chrome/ContainerChromeAdapter.h"
#include "support/ControllerScenario.h"

#include <gtest/gtest.h>

namespace tessane {
namespace {

TEST(ChromeFactory, TheControllerPutsTheRealChromeUpAndTakesItDownAgain) {
    testing::ControllerScenario s;
    s.launchApp("Notes");
    s.launchApp("Mail");
    auto ws = s.addWorkspace("Write", {"Notes", "Mail"});
    s.adjustEnvironment = [](WorkspaceControllerEnvironment& env) {
        env.makeChrome = [platform = env.platform] { return makeContainerChrome(platform); };
    };
    s.start();
    auto& session = s.putUp(ws, {40, 60, 1200, 700});
    auto* real = dynamic_cast<ContainerChromeAdapter*>(session.chrome.get());
    ASSERT_NE(real, nullptr);

    const auto& panels = s.sim.panels;
    ASSERT_EQ(panels.panelsNamed("rail").size(), 1u);
    EXPECT_TRUE(panels.panelsNamed("rail")[0]->isVisible());
    EXPECT_EQ(panels.panelsNamed("mat")[0]->frame(), Rect(40, 140, 1200, 700)) << "y flipped on a 900-high display";
    ASSERT_EQ(panels.panelsNamed("handle").size(), 1u);
    EXPECT_TRUE(panels.panelsNamed("handle")[0]->isVisible());

    // Gestures reach whatever the controller installed, read when they happen.
    std::vector<std::vector<double>> committed;
    session.chrome->callbacks().onDividerCommitted = [&](const std::vector<double>& r) { committed.push_back(r); };
    auto* handle = panels.panelsNamed("handle")[0];
    handle->deliver({.kind = PanelInput::Kind::leftDown, .location = handle->frame().origin});
    handle->deliver({.kind = PanelInput::Kind::leftUp});
    EXPECT_EQ(committed.size(), 1u);

    // The shields through the mat's interface; the menu as data for whoever shows it.
    session.chrome->paneMat().setShieldsHidden(true);
    EXPECT_TRUE(real->chrome().paneMat.shieldsHidden());
    auto menu = session.chrome->workspaceActionsMenu(ContainerChrome::MenuScope::menuBar);
    auto* data = dynamic_cast<ChromeActionsMenu*>(menu.get());
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->content.items.front().title, "Write");

    session.chrome->confirmSwap({{0, {40, 60, 597, 700}, {}}, {1, {643, 60, 597, 700}, {}}}, 0.55);
    EXPECT_EQ(panels.panelsNamed("preview").size(), 2u);

    s.stop();
    EXPECT_TRUE(panels.panels().empty()) << "the chrome went with its session";
}

}  // namespace
}  // namespace tessane
