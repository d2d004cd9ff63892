#include "chrome/SecondPanePrompt.h"
#include "platform/sim/SimPlatform.h"
#include "support/LoggedLines.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tessane {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Strings = std::vector<std::string>;

// Defaults that count their writes.
class CountingDefaults final : public Defaults {
public:
    explicit CountingDefaults(Defaults& inner) : inner_(inner) {}
    std::optional<Value> value(const std::string& key) const override { return inner_.value(key); }
    void set(const std::string& key, Value value) override {
        ++writes;
        inner_.set(key, std::move(value));
    }
    void remove(const std::string& key) override { inner_.remove(key); }
    int writes = 0;

private:
    Defaults& inner_;
};

class SecondPanePromptTest : public ::testing::Test {
protected:
    void SetUp() override { Log::resetForTesting(); }

    sim::SimApp& run(int windows) {
        sim::SimApplications::RunningSpec details;
        details.bundleIdentifier = kNotes;
        details.name = "Notes";
        sim::SimApp& app = sim.applications.addRunningApp(details);
        for (int i = 0; i < windows; ++i) app.addWindow({.title = "Note " + std::to_string(i + 1)});
        return app;
    }
    // A "New Window" item in the "Notes" menu that opens a window `after` seconds later
    // (never when absent).
    sim::SimMenuItem& newWindowItem(sim::SimApp& app, std::optional<double> after) {
        return app.addMenu("Notes").addItem({.title = "New Window", .cmdChar = "n", .onPress = [&app, after] {
            if (after) app.addWindowAfter(*after, {.title = "New"});
        }});
    }
    bool ask(size_t existingPanes) { return prompt.allowSecondPane("Notes", kNotes, existingPanes); }
    const AlertSpec& alert(size_t i) const { return sim.alerts.shown().at(i); }
    Strings remembered() const {
        return sim.defaults.stringArray(SecondPanePrompt::kRememberedKey).value_or(Strings{});
    }

    static constexpr const char* kNotes = "org.example.Notes";
    sim::SimPlatform sim;
    CountingDefaults defaults{sim.defaults};
    Platform platform = [this] {
        Platform p = sim.platform();
        p.defaults = &defaults;
        return p;
    }();
    SecondPanePrompt prompt{platform};
};

TEST_F(SecondPanePromptTest, AnAppThatIsNotRunningIsToldToBeOpenedFirst) {
    EXPECT_FALSE(ask(1));
    ASSERT_EQ(sim.alerts.shown().size(), 1u);
    EXPECT_EQ(alert(0).messageText, "Open Notes first");
    EXPECT_EQ(alert(0).informativeText,
              "A second pane needs a second Notes window, and Notes isn't running yet. Open it — with the two "
              "windows you want side by side — then add the pane.");
    EXPECT_EQ(alert(0).buttons, Strings{"OK"});
    EXPECT_EQ(alert(0).style, AlertSpec::Style::informational);
}

TEST_F(SecondPanePromptTest, EnoughWindowsConfirmWithoutLookingAtTheMenusEvenWhenRemembered) {
    sim::SimApp& app = run(2);
    sim::SimMenuItem& item = newWindowItem(app, 0.5);
    sim.defaults.set(SecondPanePrompt::kRememberedKey, Strings{kNotes});
    EXPECT_TRUE(ask(1));
    EXPECT_EQ(alert(0).messageText, "Add a second Notes pane?");
    EXPECT_EQ(alert(0).informativeText, "Notes has 2 windows open, so the new pane has one to show.");
    EXPECT_EQ(alert(0).buttons, (Strings{"Add Pane", "Cancel"}));
    sim.alerts.answer(1);
    EXPECT_FALSE(ask(1)) << "Cancel";
    EXPECT_EQ(item.pressCount(), 0);
}

TEST_F(SecondPanePromptTest, ARememberedAppIsToldWithoutAMenuLookupOrPress) {
    sim::SimApp& app = run(1);
    sim::SimMenuItem& item = newWindowItem(app, 0.5);
    sim.defaults.set(SecondPanePrompt::kRememberedKey, Strings{"org.example.Other", kNotes});
    EXPECT_FALSE(ask(1));
    ASSERT_EQ(sim.alerts.shown().size(), 1u);
    EXPECT_EQ(alert(0).messageText, "Open a second Notes window first");
    EXPECT_THAT(alert(0).informativeText, HasSubstr("Tessane tried Notes's New Window command before"));
    EXPECT_EQ(item.pressCount(), 0);
}

TEST_F(SecondPanePromptTest, NoNewWindowCommandIsRememberedAndToldInTheSingular) {
    run(1);
    EXPECT_FALSE(ask(1));
    EXPECT_EQ(remembered(), Strings{kNotes});
    EXPECT_EQ(alert(0).messageText, "Open a second Notes window first");
    EXPECT_EQ(alert(0).informativeText,
              "It has 1 window open, and its desktop entry offers no New Window command Tessane can use to open another. If Notes can do "
              "it from inside the app, open a second window there and add the pane again.");
}

TEST_F(SecondPanePromptTest, TheOfferNamesTheMenuPathOnItsFirstButtonAndCancelRemembersNothing) {
    sim::SimApp& app = run(2);
    sim::SimMenuItem& item = newWindowItem(app, 0.5);
    sim.alerts.answer(1);
    EXPECT_FALSE(ask(3));
    EXPECT_EQ(alert(0).messageText, "Add a second Notes pane?");
    EXPECT_EQ(alert(0).informativeText,
              "Notes has 2 windows open and already fills 3 panes, so it needs another window first.\n\nTessane "
              "can ask it for one using its own menu command: Notes\u00A0▸\u00A0New\u00A0Window")
        << "the path is never split";
    EXPECT_EQ(alert(0).buttons, (Strings{"Notes ▸ New Window", "Cancel"}));
    EXPECT_EQ(item.pressCount(), 0);
    EXPECT_TRUE(remembered().empty());
}

TEST_F(SecondPanePromptTest, AWindowWithinTheWaitAllowsThePane) {
    sim::SimApp& app = run(1);
    sim::SimMenuItem& item = newWindowItem(app, 1.4);
    EXPECT_TRUE(ask(1));
    EXPECT_EQ(item.pressCount(), 1);
    EXPECT_THAT(alert(0).informativeText, HasSubstr("Notes has 1 window open and already fills 1 pane,"));
    EXPECT_EQ(sim.alerts.shown().size(), 1u) << "nothing more to say";
    EXPECT_THAT(testing::loggedMessages(),
                ElementsAre("[Tessane] Notes: “Notes ▸ New Window” opened a window — second pane allowed."));
    EXPECT_TRUE(remembered().empty());
}

TEST_F(SecondPanePromptTest, AWindowAfterTheWaitIsTooLateAndTheAppIsRemembered) {
    sim::SimApp& app = run(1);
    newWindowItem(app, 2.0);
    const double before = sim.mainQueue.now();
    EXPECT_FALSE(ask(1));
    EXPECT_NEAR(sim.mainQueue.now() - before, 1.5, 0.05) << "the wait ends after its 1.5 s";
    EXPECT_EQ(remembered(), Strings{kNotes});
    ASSERT_EQ(sim.alerts.shown().size(), 2u);
    EXPECT_EQ(alert(1).messageText, "That didn't open a window");
    EXPECT_EQ(alert(1).informativeText,
              "Notes ▸ New Window ran, but Notes still has 1 window — it made something else. The pane hasn't been "
              "added, and Tessane won't offer that command again for Notes. If Notes can open a window from inside "
              "the app, do that and add the pane again.");
    EXPECT_THAT(testing::loggedMessages(),
                ElementsAre("[Tessane] Notes: “Notes ▸ New Window” produced no new window — second pane refused, "
                            "and remembered."));
}

TEST_F(SecondPanePromptTest, ARefusedPressIsReportedAndNotRemembered) {
    sim::SimApp& app = run(1);
    sim::SimMenuItem& item = newWindowItem(app, 0.5);
    // The item goes grey while the offer is up.
    sim.alerts.duringModal = [&](const AlertSpec&) { item.setEnabled(false); };
    EXPECT_FALSE(ask(1));
    ASSERT_EQ(sim.alerts.shown().size(), 2u);
    EXPECT_EQ(alert(1).messageText, "Notes refused");
    EXPECT_EQ(alert(1).informativeText,
              "Tessane couldn't trigger Notes ▸ New Window. Open a window yourself, then add the pane.");
    EXPECT_TRUE(remembered().empty());
}

TEST_F(SecondPanePromptTest, AQuestionAskedFromWithinTheWaitIsRefusedAtOnce) {
    sim::SimApp& app = run(1);
    newWindowItem(app, 1.0);
    std::optional<bool> nested;
    sim.mainQueue.postAfter(0.5, [&] { nested = ask(1); });
    EXPECT_TRUE(ask(1));
    EXPECT_EQ(nested, false);
    EXPECT_EQ(sim.alerts.shown().size(), 1u);
}

TEST_F(SecondPanePromptTest, RememberingWritesTheListOnlyWhenItGrows) {
    prompt.rememberCannotOpenWindows(kNotes);
    EXPECT_EQ(defaults.writes, 1);
    prompt.rememberCannotOpenWindows(kNotes);
    EXPECT_EQ(defaults.writes, 1);
    prompt.rememberCannotOpenWindows("org.example.Mail");
    EXPECT_EQ(remembered(), (Strings{kNotes, "org.example.Mail"}));
    EXPECT_EQ(defaults.writes, 2);
}

// The builder and the workspace editor ask through the gate: the same questions, the same answers.
TEST_F(SecondPanePromptTest, TheGateAsksThePrompt) {
    SecondPanePromptGate gate{prompt};
    SecondPaneGate& asked = gate;
    EXPECT_FALSE(asked.allowSecondPane("Notes", kNotes, 1));
    EXPECT_EQ(alert(0).messageText, "Open Notes first");
    run(2);
    EXPECT_TRUE(asked.allowSecondPane("Notes", kNotes, 1));
    EXPECT_EQ(alert(1).messageText, "Add a second Notes pane?");
}

}  // namespace
}  // namespace tessane
