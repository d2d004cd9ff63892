// The welcome panel's step machine and its texts, without a toolkit: transitions, the trust poll
// on the sim clock, the create step's seed and label.
#include "builder/OnboardingFlow.h"
#include "platform/sim/SimMainQueue.h"
#include "support/BuilderFakes.h"

#include <gtest/gtest.h>

namespace tessane {
namespace {

using S = OnboardingStep;

using testing::exampleApp;

TEST(OnboardingSteps, RawValuesOrderAndNeighbours) {
    struct Row {
        S step;
        int raw;
        S previous;
        S next;
        const char* leading;
        const char* trailing;
    };
    const Row rows[] = {
        {S::welcome, 0, S::welcome, S::accessibility, "Skip", "Continue"},
        {S::accessibility, 1, S::welcome, S::create, "Back", "Continue"},
        {S::create, 2, S::accessibility, S::gestures, "Back", "Continue"},
        {S::gestures, 3, S::create, S::shortcuts, "Back", "Continue"},
        {S::shortcuts, 4, S::gestures, S::shortcuts, "Back", "Done"},
    };
    ASSERT_EQ(onboarding_steps::all.size(), std::size(rows));
    for (size_t i = 0; i < std::size(rows); ++i) {
        const Row& r = rows[i];
        SCOPED_TRACE(r.raw);
        EXPECT_EQ(onboarding_steps::all[i], r.step);
        EXPECT_EQ(onboarding_steps::raw(r.step), r.raw);
        EXPECT_EQ(onboarding_steps::fromRaw(r.raw), r.step);
        EXPECT_EQ(onboarding_steps::previous(r.step), r.previous);
        EXPECT_EQ(onboarding_steps::next(r.step), r.next);
        EXPECT_EQ(onboarding_text::leadingButton(r.step), r.leading);
        EXPECT_EQ(onboarding_text::trailingButton(r.step), r.trailing);
    }
    EXPECT_EQ(onboarding_steps::fromRaw(-1), std::nullopt);
    EXPECT_EQ(onboarding_steps::fromRaw(5), std::nullopt);
}

TEST(OnboardingText, CreateLabelAndBodyFollowTheSeed) {
    EXPECT_EQ(onboarding_text::createButtonLabel({}), "Create a Workspace");
    EXPECT_EQ(onboarding_text::createButtonLabel({exampleApp("Mail")}), "Start with Mail");
    EXPECT_EQ(onboarding_text::createButtonLabel({exampleApp("Mail"), exampleApp("Terminal")}),
              "Start with Mail + Terminal");

    const auto empty = onboarding_text::forStep(S::create, true, {});
    EXPECT_EQ(empty.title, "Create your first workspace");
    EXPECT_EQ(empty.body, "Pick a layout, choose 2–4 apps for its panes, and Tessane shows them tiled. You can make "
                          "more any time from the tray icon's menu.");
    EXPECT_EQ(empty.buttonSymbol, OnboardingSymbol::plus);
    const auto seeded = onboarding_text::forStep(S::create, true, {exampleApp("Mail"), exampleApp("Notes")});
    EXPECT_EQ(seeded.body, "Tessane can start you off with the apps you already have open — you can change any pane "
                           "before creating it.");
    EXPECT_EQ(seeded.buttonLabel, "Start with Mail + Notes");
    EXPECT_EQ(seeded.buttonSymbol, OnboardingSymbol::splitRectangle);
}

TEST(OnboardingText, WindowControlStepByAvailability) {
    const auto on = onboarding_text::forStep(S::accessibility, true, {});
    EXPECT_EQ(on.title, "Window control");
    EXPECT_EQ(on.symbol, OnboardingSymbol::shieldCheckmarkFilled);
    EXPECT_EQ(on.statusLine, "Window control available");
    EXPECT_TRUE(on.buttonLabel.empty());
    EXPECT_TRUE(on.caption.empty());

    const auto off = onboarding_text::forStep(S::accessibility, false, {});
    EXPECT_EQ(off.title, on.title);
    EXPECT_EQ(off.body, on.body);
    EXPECT_EQ(off.symbol, OnboardingSymbol::shieldLock);
    EXPECT_TRUE(off.statusLine.empty());
    EXPECT_EQ(off.buttonLabel, "Open Window Control Help");
    EXPECT_EQ(off.caption, "Waiting for a window manager… this updates automatically once one is running.");
    // Nothing on Linux is granted in a settings pane, so no step may send the user to one.
    for (S step : onboarding_steps::all)
        for (bool available : {false, true}) {
            const auto t = onboarding_text::forStep(step, available, {});
            for (const auto& s : {t.title, t.body, t.buttonLabel, t.caption, t.note, t.statusLine}) {
                EXPECT_EQ(s.find("System Settings"), std::string::npos) << s;
                EXPECT_EQ(s.find("Stage Manager"), std::string::npos) << s;
                EXPECT_EQ(s.find("Mac"), std::string::npos) << s;
            }
        }
}

TEST(OnboardingText, FixedTexts) {
    EXPECT_EQ(onboarding_text::forStep(S::welcome, false, {}).title, "Welcome to Tessane");
    EXPECT_EQ(onboarding_text::forStep(S::gestures, false, {}).title, "How to use it");
    EXPECT_EQ(onboarding_text::forStep(S::shortcuts, false, {}).title, "Keyboard shortcuts");
    EXPECT_EQ(onboarding_text::forStep(S::shortcuts, false, {}).note,
              "These work globally while Tessane is running. You can see them any time in Settings.");
    const auto& rows = onboarding_text::gestures();
    EXPECT_EQ(rows[0].title, "Move the workspace");
    EXPECT_EQ(rows[1].title, "Resize the split");
    EXPECT_EQ(rows[2].title, "Workspace menu");
    EXPECT_EQ(rows[2].detail, "Right-click that same bar for Maximize, Restore Layout, Hide, and Move to another display.");
}

// The flow with recorded actions on a virtual clock.
class OnboardingFlowTest : public ::testing::Test {
protected:
    std::unique_ptr<OnboardingFlow> make(S start, bool initiallyTrusted) {
        OnboardingActions a;
        a.onCreateWorkspace = [this](const std::vector<ManagedApp>& apps) {
            events.push_back("create:" + onboarding_text::createButtonLabel(apps));
        };
        a.seedApps = [this] {
            ++seedLookups;
            return seedAnswer;
        };
        a.onClose = [this] {
            events.push_back("close");
            if (destroyOnClose) flow.reset();
        };
        a.isTrusted = [this] {
            ++trustReads;
            return trustedNow;
        };
        a.openWindowControlHelp = [this] { events.push_back("help"); };
        auto f = std::make_unique<OnboardingFlow>(queue, std::move(a), start, initiallyTrusted);
        f->setOnChange([this] { ++changes; });
        return f;
    }

    sim::SimMainQueue queue;
    std::unique_ptr<OnboardingFlow> flow;
    std::vector<std::string> events;
    std::vector<ManagedApp> seedAnswer;
    bool trustedNow = false;
    bool destroyOnClose = false;
    int seedLookups = 0, trustReads = 0, changes = 0;
};

TEST_F(OnboardingFlowTest, FooterWalksTheTableAndClosesOnlyFromItsEnds) {
    flow = make(S::welcome, true);
    flow->continueOrDone();
    EXPECT_EQ(flow->step(), S::accessibility);
    flow->leading();  // Back
    EXPECT_EQ(flow->step(), S::welcome);
    flow->back();  // Back on the first step stays there
    EXPECT_EQ(flow->step(), S::welcome);
    EXPECT_TRUE(events.empty());
    for (int i = 0; i < 4; ++i) flow->continueOrDone();
    EXPECT_EQ(flow->step(), S::shortcuts);
    EXPECT_TRUE(events.empty());
    flow->continueOrDone();  // Done
    EXPECT_EQ(events, std::vector<std::string>{"close"});
    events.clear();
    flow = make(S::welcome, true);
    flow->leading();  // Skip
    EXPECT_EQ(events, std::vector<std::string>{"close"});
}

TEST_F(OnboardingFlowTest, SeedIsLookedUpEachTimeTheCreateStepAppears) {
    flow = make(S::accessibility, true);
    EXPECT_EQ(seedLookups, 0);
    EXPECT_TRUE(flow->seed().empty());
    seedAnswer = {exampleApp("Mail"), exampleApp("Terminal")};
    flow->continueOrDone();
    EXPECT_EQ(seedLookups, 1);
    EXPECT_EQ(flow->text().buttonLabel, "Start with Mail + Terminal");
    flow->continueOrDone();  // gestures: the seed stays as it was
    seedAnswer = {exampleApp("Notes")};
    EXPECT_EQ(flow->seed().size(), 2u);
    flow->back();
    EXPECT_EQ(seedLookups, 2);
    EXPECT_EQ(flow->text().buttonLabel, "Start with Notes");
    seedAnswer.clear();  // window control went away: the lookup answers nothing
    flow->back();
    flow->continueOrDone();
    EXPECT_EQ(flow->text().buttonLabel, "Create a Workspace");
}

TEST_F(OnboardingFlowTest, CreateClosesFirstThenHandsOverTheSeedEvenWhenClosingEndsTheFlow) {
    destroyOnClose = true;
    seedAnswer = {exampleApp("Mail")};
    flow = make(S::accessibility, true);
    flow->continueOrDone();
    flow->create();
    EXPECT_EQ(flow, nullptr);
    EXPECT_EQ(events, (std::vector<std::string>{"close", "create:Start with Mail"}));

    events.clear();
    seedAnswer.clear();
    flow = make(S::accessibility, false);
    flow->continueOrDone();
    seedAnswer = {exampleApp("Notes")};  // opened while the step showed "Create a Workspace": the press hands it over
    flow->create();
    EXPECT_EQ(events, (std::vector<std::string>{"close", "create:Start with Notes"}));
}

TEST_F(OnboardingFlowTest, PollReadsWindowControlOnlyOnItsStep) {
    flow = make(S::welcome, false);
    queue.advance(3);
    EXPECT_EQ(trustReads, 0);  // no poll off the step

    flow->continueOrDone();
    trustedNow = true;
    queue.advance(0.59);
    EXPECT_FALSE(flow->trusted());
    queue.advance(0.01);
    EXPECT_TRUE(flow->trusted());
    EXPECT_EQ(flow->text().statusLine, "Window control available");
    EXPECT_EQ(flow->step(), S::accessibility);  // never advances by itself

    trustedNow = false;  // the window manager went away
    queue.advance(0.6);
    EXPECT_FALSE(flow->trusted());
    EXPECT_EQ(flow->text().buttonLabel, "Open Window Control Help");

    flow->continueOrDone();
    const int reads = trustReads;
    trustedNow = true;
    queue.advance(5);
    EXPECT_EQ(trustReads, reads);
    EXPECT_FALSE(flow->trusted());  // left as it was on other steps

    flow->back();
    flow->stop();  // the panel has gone
    queue.advance(5);
    EXPECT_EQ(trustReads, reads);
}

TEST_F(OnboardingFlowTest, HelpButtonAndChangeNotices) {
    flow = make(S::accessibility, false);
    flow->openWindowControlHelp();
    EXPECT_EQ(events, std::vector<std::string>{"help"});
    EXPECT_EQ(flow->step(), S::accessibility);
    const int before = changes;
    queue.advance(0.6);  // same reading: nothing to redraw
    EXPECT_EQ(changes, before);
    flow->continueOrDone();
    EXPECT_EQ(changes, before + 1);
    flow.reset();
    queue.advance(1);  // a flow that is gone is not polled
}

}  // namespace
}  // namespace tessane
