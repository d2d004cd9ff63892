#include "settings/SettingsWindowController.h"

#include "platform/sim/SimMainQueue.h"
#include "platform/sim/SimScreens.h"
#include "settings/FakeSettingsWindow.h"
#include "support/LoggedLines.h"

#include <gtest/gtest.h>

namespace tessane {
namespace {

using sim::SimScreens;
using testing::FakeSettingsWindow;
using testing::loggedMessages;

ScreenInfo named(ScreenInfo s, std::string name) {
    s.localizedName = std::move(name);
    return s;
}

class SettingsWindowControllerTest : public ::testing::Test {
protected:
    SettingsWindowControllerTest() {
        Log::resetForTesting();
        left = named(SimScreens::screen({0, 0, 1440, 900}, 1), "eDP-1");
        left.visibleFrame = {0, 0, 1440, 875};
        right = named(SimScreens::screen({1440, 0, 1920, 1080}, 2), "HDMI-1");
        right.visibleFrame = {1440, 40, 1920, 1040};
        screens.setScreens({left, right});
    }

    SettingsWindowController& make() {
        SettingsWindowController::Services services;
        services.queue = &queue;
        services.screens = &screens;
        services.isAppActive = [this] { return active; };
        services.activateApp = [this] {
            ++activations;
            if (activationSticks) active = true;
        };
        services.observeAppActivity = [this](std::function<void(bool)> observer) {
            return activity.subscribe(std::move(observer));
        };
        services.makeWindow = [this](const SettingsViewContext& context) {
            this->context.emplace(context);
            auto w = std::make_unique<FakeSettingsWindow>();
            window = w.get();
            return w;
        };
        controller = std::make_unique<SettingsWindowController>(
            services, [this] { ++newWorkspaces; }, [this] { ++welcomes; });
        return *controller;
    }

    // Tessane loses or gains the focus.
    void setActive(bool on) {
        active = on;
        activity.emit(on);
    }

    sim::SimMainQueue queue;
    SimScreens screens;
    ScreenInfo left, right;
    Signal<bool> activity;
    bool active = true;
    bool activationSticks = true;
    int activations = 0, newWorkspaces = 0, welcomes = 0;
    std::optional<SettingsViewContext> context;
    FakeSettingsWindow* window = nullptr;
    std::unique_ptr<SettingsWindowController> controller;
};

TEST_F(SettingsWindowControllerTest, BuildsTheWindowRestoresItsFrameThenCentresItAndStartsOnWorkspaces) {
    auto& c = make();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->autosaveName, "TessaneSettingsWindow");
    EXPECT_EQ(window->calls, (std::vector<std::string>{"autosave", "center"}));
    EXPECT_FALSE(window->visible);
    EXPECT_EQ(c.router().tab(), SettingsRouter::Tab::workspaces);
    EXPECT_FALSE(c.holdFrontUntil());

    // The view's commands reach the presenters and the controller.
    context->onNewWorkspace();
    context->onShowWelcome();
    EXPECT_EQ(newWorkspaces, 1);
    EXPECT_EQ(welcomes, 1);
}

TEST_F(SettingsWindowControllerTest, ShowingOnADisplayMovesTheWindowOnlyWhenItStandsElsewhere) {
    auto& c = make();
    window->frame_ = {300, 200, 780, 500};  // on the left display

    c.showWindow(std::nullopt);  // no display: shown where it is
    EXPECT_EQ(window->frame_, Rect(300, 200, 780, 500));
    c.showWindow(left);  // asked from the display it stands on
    EXPECT_EQ(window->frame_, Rect(300, 200, 780, 500));
    EXPECT_TRUE(loggedMessages().empty());
    EXPECT_EQ(window->frontings, 2);
    EXPECT_TRUE(window->keptAbove);

    c.showWindow(right);  // centred on the right display's visible frame
    EXPECT_EQ(window->frame_, Rect(2010, 310, 780, 500));
    EXPECT_EQ(loggedMessages(),
              (std::vector<std::string>{"[Tessane] Settings: opened on HDMI-1, the display it was asked from."}));
}

TEST_F(SettingsWindowControllerTest, AWindowOnNoDisplayMovesOnlyToADisplayWithANumber) {
    auto& c = make();
    window->frame_ = {5000, 5000, 780, 500};  // its display went away
    auto unnumbered = right;
    unnumbered.displayNumber.reset();
    c.showWindow(unnumbered);  // no number on either side: they count as the same
    EXPECT_EQ(window->frame_, Rect(5000, 5000, 780, 500));

    c.showWindow(left);
    EXPECT_EQ(window->frame_, Rect(330, 187, 780, 501));  // 187.5 .. 687.5 made whole
    EXPECT_EQ(loggedMessages().size(), 1u);
}

TEST_F(SettingsWindowControllerTest, AWindowLargerThanTheTargetIsShrunkToItsVisibleFrameWithWholeEdges) {
    auto& c = make();
    window->frame_ = {2000, 100, 1900, 1000};  // on the right display
    auto small = left;
    small.visibleFrame = {0, 0.5, 1000.5, 600};
    c.showWindow(small);
    EXPECT_EQ(window->frame_, Rect(0, 0, 1001, 601));
    EXPECT_EQ(screenHolding({left, right}, {1440, 10})->displayNumber, 2u);  // left edge inside
    EXPECT_EQ(screenHolding({left, right}, {10, 900})->displayNumber, 1u);   // top edge inside
    EXPECT_FALSE(screenHolding({left, right}, {10, 0}));                     // bottom edge outside
}

TEST_F(SettingsWindowControllerTest, ThePresenterEntryShowsThenSelectsTheTabThenActivates) {
    auto& c = make();
    std::vector<std::string> order;
    auto sub = c.router().observeTab([&](const SettingsRouter::Tab&) {
        order.push_back(window->visible ? "tab after show" : "tab before show");
    });
    active = false;
    c.show(SettingsRouter::Tab::general, right);
    EXPECT_EQ(order, (std::vector<std::string>{"tab after show"}));
    EXPECT_EQ(c.router().tab(), SettingsRouter::Tab::general);
    EXPECT_EQ(activations, 1);
    c.show(std::nullopt, std::nullopt);  // no tab asked for: it stays
    EXPECT_EQ(c.router().tab(), SettingsRouter::Tab::general);
}

TEST_F(SettingsWindowControllerTest, TheLevelFollowsActivityOutsideAHold) {
    auto& c = make();
    c.showWindow();
    EXPECT_TRUE(window->keptAbove);
    setActive(false);
    EXPECT_FALSE(window->keptAbove);
    setActive(true);
    EXPECT_TRUE(window->keptAbove);
}

TEST_F(SettingsWindowControllerTest, ReturnToFrontHoldsTheWindowAboveFor15SecondsThenDropsItIfInactive) {
    auto& c = make();
    c.showWindow();
    active = false;
    c.returnToFront();
    EXPECT_EQ(*c.holdFrontUntil(), queue.now() + 15);
    EXPECT_EQ(activations, 1);
    queue.advance(5);
    setActive(false);  // focus lost 5 s in: the hold keeps it above
    EXPECT_TRUE(window->keptAbove);
    queue.advance(10.05);  // 15.05 s: the hold has passed, the level step has not run yet
    EXPECT_TRUE(window->keptAbove);
    queue.advance(0.1);
    EXPECT_FALSE(window->keptAbove);
}

TEST_F(SettingsWindowControllerTest, ReturnToFrontKeepsTheWindowAboveWhenTessaneIsActiveAgainAtTheLevelStep) {
    auto& c = make();
    c.showWindow();
    c.returnToFront();
    queue.advance(5);
    setActive(false);
    queue.advance(9);
    active = true;  // back in front, without a notification reaching the window yet
    queue.advance(2);
    EXPECT_TRUE(window->keptAbove);
}

TEST_F(SettingsWindowControllerTest, ReturnToFrontTriesOnceMoreWhenAnotherApplicationTookTheFocusBack) {
    auto& c = make();
    c.showWindow();
    c.returnToFront();
    EXPECT_EQ(window->frontings, 2);
    active = false;  // another application came forward again
    queue.advance(0.5);
    EXPECT_EQ(window->frontings, 3);
    EXPECT_EQ(activations, 2);
    active = false;
    queue.advance(3);  // no third attempt
    EXPECT_EQ(window->frontings, 3);
    EXPECT_EQ(activations, 2);

    // Active at the half-second step: nothing more.
    c.returnToFront();
    queue.advance(0.5);
    EXPECT_EQ(window->frontings, 4);
    EXPECT_EQ(activations, 3);
}

TEST_F(SettingsWindowControllerTest, ACalledAgainReturnToFrontMovesTheHoldAndEachLevelStepReadsWhatItFinds) {
    auto& c = make();
    activationSticks = false;
    c.showWindow();
    c.returnToFront();
    queue.advance(10);
    c.returnToFront();
    setActive(false);
    queue.advance(5.2);  // the first pair's level step runs inside the second hold
    EXPECT_TRUE(window->keptAbove);
    queue.advance(10);
    EXPECT_FALSE(window->keptAbove);
}

TEST_F(SettingsWindowControllerTest, AHiddenWindowIgnoresReturnToFrontAndDismissHidesOnlyAVisibleOne) {
    auto& c = make();
    c.returnToFront();
    EXPECT_FALSE(c.holdFrontUntil());
    EXPECT_EQ(window->frontings, 0);
    EXPECT_EQ(queue.pendingCount(), 0u);

    context->onDismiss();
    EXPECT_EQ(std::count(window->calls.begin(), window->calls.end(), "out"), 0);
    c.showWindow();
    context->onReturnToFront();
    EXPECT_TRUE(c.holdFrontUntil());
    context->onDismiss();
    EXPECT_FALSE(window->visible);
}

TEST_F(SettingsWindowControllerTest, ScheduledStepsAndTheViewsCommandsDoNothingOnceTheControllerIsGone) {
    auto& c = make();
    c.showWindow();
    c.returnToFront();
    auto dismiss = context->onDismiss;
    controller.reset();
    dismiss();
    queue.advance(20);
    setActive(false);
    SUCCEED();
}

TEST_F(SettingsWindowControllerTest, WithoutAWindowOnlyTheRouterIsThere) {
    SettingsWindowController::Services services;
    services.queue = &queue;
    services.screens = &screens;
    SettingsWindowController c(services, nullptr, nullptr);
    c.showWindow(right);
    c.returnToFront();
    c.applyLevel(true);
    c.dismiss();
    EXPECT_FALSE(c.isWindowVisible());
    EXPECT_TRUE(loggedMessages().empty());
    EXPECT_EQ(SettingsRouter::title(SettingsRouter::Tab::advanced), std::string("Advanced"));
}

}  // namespace
}  // namespace tessane
