#include "controller/ControllerDefaultsKeys.h"
#include "support/ControllerScenario.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Lines = ControllerScenario::Lines;
using Ids = std::vector<std::string>;

class UnhideSettle : public ::testing::Test {
protected:
    void SetUp() override {
        s.launchApp("Notes", {.hidden = true});
        s.launchApp("Mail");
        s.start();
        s.clearLog();
    }

    int asked(const std::string& name) { return s.sim.applications.unhideRequests(s.pid(name)); }
    bool hidden(const std::string& name) { return s.sim.applications.runningApplication(s.pid(name))->isHidden; }

    ControllerScenario s;
};

TEST_F(UnhideSettle, AppsThatCameBackOrQuitLeaveTheLedgerInOneRun) {
    s.ledger->record({"org.example.Mail", "org.example.Gone"});
    s.probe().scheduleUnhideSettle({"org.example.Mail", "org.example.Gone"}, 0);
    const auto item = s.probe().unhideSettleWorkItem();

    s.advance(0.39);
    EXPECT_EQ(s.ledger->hiddenBundleIDs().size(), 2u);
    s.advance(0.01);
    EXPECT_TRUE(s.ledger->hiddenBundleIDs().empty());
    EXPECT_EQ(s.probe().unhideSettleWorkItem(), item);  // nothing rescheduled
    EXPECT_EQ(asked("Mail"), 0);
    EXPECT_TRUE(s.log().empty());
}

TEST_F(UnhideSettle, AnAppThatStaysHiddenIsAskedFiveTimesThenKept) {
    s.sim.applications.setIgnoresUnhide(s.pid("Notes"), true);
    s.ledger->record({"org.example.Notes"});
    s.probe().scheduleUnhideSettle({"org.example.Notes"}, 0);

    for (int run = 1; run <= 5; ++run) {
        s.advance(0.39);
        EXPECT_EQ(asked("Notes"), run - 1);
        s.advance(0.01);
        EXPECT_EQ(asked("Notes"), run) << "at " << 0.4 * run << " s";
    }
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Unhide: org.example.Notes still hidden after retries — kept in the ledger "
                              "so the next launch tries again."}));
    s.advance(5);
    EXPECT_EQ(asked("Notes"), 5);
    EXPECT_EQ(s.ledger->hiddenBundleIDs(), (Ids{"org.example.Notes"}));
}

TEST_F(UnhideSettle, AnAppThatComesBackOnALaterRequestIsSettledThen) {
    s.sim.applications.setIgnoresUnhide(s.pid("Notes"), true);
    s.ledger->record({"org.example.Notes"});
    s.probe().scheduleUnhideSettle({"org.example.Notes"}, 0);
    s.advance(1.0);  // asked at 0.4 and 0.8, in vain
    s.sim.applications.setIgnoresUnhide(s.pid("Notes"), false);
    s.advance(0.25);  // asked at 1.2: it comes back
    EXPECT_FALSE(hidden("Notes"));
    EXPECT_EQ(s.ledger->hiddenBundleIDs(), (Ids{"org.example.Notes"}));
    s.advance(0.4);  // 1.6: seen visible, forgotten
    EXPECT_TRUE(s.ledger->hiddenBundleIDs().empty());
    s.advance(5);
    EXPECT_EQ(asked("Notes"), 3);
    EXPECT_TRUE(s.log().empty());
}

TEST_F(UnhideSettle, ANewSettleReplacesThePendingOne) {
    s.ledger->record({"org.example.Mail", "org.example.Gone"});
    s.probe().scheduleUnhideSettle({"org.example.Gone"}, 0);
    s.advance(0.2);
    s.probe().scheduleUnhideSettle({"org.example.Mail"}, 0);
    s.advance(1);
    EXPECT_EQ(s.ledger->hiddenBundleIDs(), (Ids{"org.example.Gone"}));
}

TEST_F(UnhideSettle, NothingHappensOnceTheControllerIsGone) {
    s.ledger->record({"org.example.Mail"});
    s.probe().scheduleUnhideSettle({"org.example.Mail"}, 0);
    s.stop();
    s.advance(1);
    EXPECT_EQ(s.ledger->hiddenBundleIDs(), (Ids{"org.example.Mail"}));
}

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
    const AlertSpec& spec = shown()[0];
    EXPECT_EQ(spec.style, AlertSpec::Style::warning);
    EXPECT_EQ(spec.informativeText,
              "Quits the apps — the workspace stays, so you can reopen it later. Apps with unsaved changes will ask you first.");
    EXPECT_EQ(spec.buttons, (std::vector<std::string>{"Quit Apps", "Cancel"}));
    EXPECT_EQ(spec.suppressionTitle, "Don’t ask again");
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
