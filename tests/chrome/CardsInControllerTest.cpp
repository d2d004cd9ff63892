// The real cards and switcher behind the workspace controller's chrome interfaces, on the sim.
#include "chrome/WorkspaceNoticeController.h"
#include "chrome/WorkspaceSwitcherPanel.h"
#include "chrome/WorkspaceTipsController.h"
#include "controller/WorkspaceControllerEnvironment.h"
#include "support/ControllerScenario.h"

#include <gtest/gtest.h>

namespace tessane {
namespace {

TEST(CardsInControllerTest, TheRealCardsPlugIntoTheControllersFactories) {
    testing::ControllerScenario s;
    s.setDisplays({testing::ControllerScenario::display({0, 0, 1440, 900}, 1)});
    WorkspaceNoticeController* notice = nullptr;
    WorkspaceTipsController* tips = nullptr;
    WorkspaceSwitcherPanel* switcher = nullptr;
    s.adjustEnvironment = [&](WorkspaceControllerEnvironment& env) {
        auto& sim = s.sim;
        env.makeNotice = [&] {
            auto made = std::make_unique<WorkspaceNoticeController>(sim.panels, sim.animator, sim.screens, sim.mainQueue);
            notice = made.get();
            return std::unique_ptr<NoticeChrome>(std::move(made));
        };
        env.makeTips = [&] {
            auto made = std::make_unique<WorkspaceTipsController>(sim.panels, sim.screens, sim.defaults, sim.mainQueue);
            tips = made.get();
            return std::unique_ptr<TipsChrome>(std::move(made));
        };
        env.makeSwitcher = [&] {
            auto made = std::make_unique<WorkspaceSwitcherPanel>(sim.panels, sim.screens, sim.eventMonitors);
            switcher = made.get();
            return std::unique_ptr<SwitcherChrome>(std::move(made));
        };
    };
    s.start();
    ASSERT_NE(notice, nullptr);
    ASSERT_NE(tips, nullptr);
    ASSERT_NE(switcher, nullptr);
    EXPECT_FALSE(notice->hasPanel());
    EXPECT_FALSE(tips->hasPanel());
    EXPECT_FALSE(switcher->isOpen());

    // The activation handler takes the tips card down when an app of no shown workspace comes
    // to the front.
    tips->show({100, 100, 800, 600});
    ASSERT_TRUE(tips->hasPanel());
    s.launchApp("Mail");
    s.activate("Mail");
    s.advance(0.5);
    EXPECT_FALSE(tips->hasPanel());
    s.stop();
}

}  // namespace
}  // namespace tessane
