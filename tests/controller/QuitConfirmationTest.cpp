#include "controller/ControllerDefaultsKeys.h"
#include "support/ControllerScenario.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

class QuitConfirmation : public ::testing::Test {
protected:
    void SetUp() override { s.start(); }
    const std::vector<AlertSpec>& shown() { return s.sim.alerts.shown(); }
    std::optional<bool> suppressed() { return s.sim.defaults.boolValue(ControllerDefaultsKeys::kSuppressQuitAppsConfirm); }

    ControllerScenario s;
};

TEST_F(QuitConfirmation, AsksWithTheCountInTheMessage) {
    EXPECT_TRUE(s.probe().confirmQuitApps("Write", 1));
    s.sim.alerts.answer(1);
    EXPECT_FALSE(s.probe().confirmQuitApps("Write", 0));
    s.sim.alerts.answer(0);
    EXPECT_TRUE(s.probe().confirmQuitApps("Write", 3));

    ASSERT_EQ(shown().size(), 3u);
    EXPECT_EQ(shown()[0].messageText, "Quit 1 app in “Write”?");
    EXPECT_EQ(shown()[1].messageText, "Quit 0 apps in “Write”?");
    EXPECT_EQ(shown()[2].messageText, "Quit 3 apps in “Write”?");
    const AlertSpec& details = shown()[0];
    EXPECT_EQ(details.style, AlertSpec::Style::warning);
    EXPECT_EQ(details.informativeText,
              "Quits the apps — the workspace stays, so you can reopen it later. Apps with unsaved changes will ask you first.");
    EXPECT_EQ(details.buttons, (std::vector<std::string>{"Quit Apps", "Cancel"}));
    EXPECT_EQ(details.suppressionTitle, "Don’t ask again");
    EXPECT_EQ(suppressed(), std::nullopt);
}

TEST_F(QuitConfirmation, DontAskAgainCountsOnlyWithQuit) {
    s.sim.alerts.answer(1, true);  // Cancel with the box ticked: nothing is stored
    EXPECT_FALSE(s.probe().confirmQuitApps("Write", 2));
    EXPECT_EQ(suppressed(), std::nullopt);

    s.sim.alerts.answer(0, true);
    EXPECT_TRUE(s.probe().confirmQuitApps("Write", 2));
    EXPECT_EQ(suppressed(), true);

    EXPECT_TRUE(s.probe().confirmQuitApps("Listen", 4));  // not asked any more
    EXPECT_EQ(shown().size(), 2u);
}

TEST_F(QuitConfirmation, APresenterAnswersInsteadOfTheAlertUnlessSuppressed) {
    std::vector<std::pair<std::string, int>> asked;
    s.controller().quitConfirmPresenter = [&](const std::string& name, int count) {
        asked.emplace_back(name, count);
        return false;
    };
    EXPECT_FALSE(s.probe().confirmQuitApps("Write", 2));
    EXPECT_EQ(asked, (std::vector<std::pair<std::string, int>>{{"Write", 2}}));

    s.sim.defaults.set(ControllerDefaultsKeys::kSuppressQuitAppsConfirm, true);
    EXPECT_TRUE(s.probe().confirmQuitApps("Write", 2));
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_TRUE(shown().empty());

    s.sim.defaults.set(ControllerDefaultsKeys::kSuppressQuitAppsConfirm, std::string("yes"));  // not a Boolean
    EXPECT_FALSE(s.probe().confirmQuitApps("Write", 2));
}

}  // namespace
}  // namespace tessane::testing
