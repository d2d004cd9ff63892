// The welcome panel's owner: the seen flag before anything else, one panel at a time, a re-front
// that keeps the step, a fresh visit after every close, and callbacks that outlive nothing.
#include "builder/OnboardingController.h"
#include "platform/sim/SimPlatform.h"
#include "system/AccessibilityPermission.h"

#include <gtest/gtest.h>

namespace tessane {
namespace {

using S = OnboardingStep;

struct PanelRecord {
    std::shared_ptr<OnboardingFlow> flow;
    bool seenWhenMade = false;
    int fronted = 0;
    bool closed = false;
};

struct FakePanel : OnboardingPanel {
    explicit FakePanel(std::shared_ptr<PanelRecord> r) : record(std::move(r)) {}
    void bringToFront() override { ++record->fronted; }
    void close() override { record->closed = true; }
    std::shared_ptr<PanelRecord> record;
};

class OnboardingControllerTest : public ::testing::Test {
protected:
    OnboardingControllerTest() {
        make();
    }

    void make() {
        controller = std::make_unique<OnboardingController>(
            OnboardingController::Services{&sim.defaults, &sim.mainQueue, &sim.accessibility, &permission,
                                           [this](std::shared_ptr<OnboardingFlow> flow) {
                                               auto r = std::make_shared<PanelRecord>();
                                               r->flow = std::move(flow);
                                               r->seenWhenMade = OnboardingController::hasSeenOnboarding(sim.defaults);
                                               panels.push_back(r);
                                               return std::make_unique<FakePanel>(r);
                                           }},
            [this](const std::vector<ManagedApp>& apps) {
                createdWhileOpen = controller->isOpen();
                created.push_back(apps);
            },
            [this] {
                ++seedLookups;
                ManagedApp a;
                a.displayName = "Mail";
                return std::vector<ManagedApp>{a};
            });
    }

    OnboardingFlow& flow() { return *panels.back()->flow; }

    sim::SimPlatform sim;
    std::vector<std::string> opened;
    AccessibilityPermission permission{sim.accessibility, {}, [this](const std::string& url) {
                                           opened.push_back(url);
                                           return true;
                                       }};
    std::unique_ptr<OnboardingController> controller;
    std::vector<std::shared_ptr<PanelRecord>> panels;
    std::vector<std::vector<ManagedApp>> created;
    bool createdWhileOpen = true;
    int seedLookups = 0;
};

TEST_F(OnboardingControllerTest, SeenFlagIsStoredBeforeThePanelAndOnEveryShow) {
    EXPECT_FALSE(OnboardingController::hasSeenOnboarding(sim.defaults));
    controller->show(false);
    ASSERT_EQ(panels.size(), 1u);
    EXPECT_TRUE(panels[0]->seenWhenMade);
    EXPECT_EQ(sim.defaults.boolValue(OnboardingController::kHasSeenOnboardingKey), true);

    sim.defaults.remove(OnboardingController::kHasSeenOnboardingKey);
    controller->show(false);  // only fronts, and stores the flag again
    EXPECT_EQ(panels.size(), 1u);
    EXPECT_EQ(panels[0]->fronted, 1);
    EXPECT_TRUE(OnboardingController::hasSeenOnboarding(sim.defaults));

    sim.defaults.set(OnboardingController::kHasSeenOnboardingKey, std::string("yes"));  // wrong type reads as absent
    EXPECT_FALSE(OnboardingController::hasSeenOnboarding(sim.defaults));
}

TEST_F(OnboardingControllerTest, ReFrontKeepsStepSeedAndReading) {
    sim.accessibility.setTrusted(false);
    controller->show(false);
    EXPECT_EQ(flow().step(), S::welcome);
    EXPECT_FALSE(flow().trusted());
    flow().continueOrDone();
    flow().continueOrDone();
    EXPECT_EQ(flow().step(), S::create);
    EXPECT_EQ(flow().seed().size(), 1u);

    controller->show(true);
    EXPECT_EQ(panels.size(), 1u);
    EXPECT_EQ(controller->flow(), panels[0]->flow.get());
    EXPECT_EQ(flow().step(), S::create);
    EXPECT_EQ(flow().seed().size(), 1u);
    EXPECT_EQ(seedLookups, 1);
}

TEST_F(OnboardingControllerTest, EveryCloseStartsTheNextVisitAfresh) {
    sim.accessibility.setTrusted(true);
    controller->show(true);
    EXPECT_EQ(flow().step(), S::accessibility);
    EXPECT_TRUE(flow().trusted());
    flow().back();
    flow().leading();  // Skip
    EXPECT_TRUE(panels[0]->closed);
    EXPECT_FALSE(controller->isOpen());
    EXPECT_EQ(controller->flow(), nullptr);

    sim.accessibility.setTrusted(false);
    controller->show(false);
    ASSERT_EQ(panels.size(), 2u);
    EXPECT_EQ(flow().step(), S::welcome);
    EXPECT_FALSE(flow().trusted());  // read afresh
    EXPECT_TRUE(flow().seed().empty());

    // Done on the last step closes too.
    for (int i = 0; i < 4; ++i) flow().continueOrDone();
    flow().continueOrDone();
    EXPECT_TRUE(panels[1]->closed);
    controller->show(true);
    EXPECT_EQ(panels.size(), 3u);
    EXPECT_EQ(flow().step(), S::accessibility);
}

TEST_F(OnboardingControllerTest, CreateClosesThePanelThenOpensTheBuilderWithTheSeed) {
    controller->show(true);
    flow().continueOrDone();
    flow().create();
    EXPECT_TRUE(panels[0]->closed);
    ASSERT_EQ(created.size(), 1u);
    EXPECT_FALSE(createdWhileOpen);
    ASSERT_EQ(created[0].size(), 1u);
    EXPECT_EQ(created[0][0].displayName, "Mail");
}

TEST_F(OnboardingControllerTest, PollOfAClosedPanelStopsAndHelpOpensThePage) {
    sim.accessibility.setTrusted(false);
    controller->show(true);
    flow().openWindowControlHelp();
    EXPECT_EQ(opened, std::vector<std::string>{std::string(AccessibilityPermission::kHelpURL)});
    sim.accessibility.setTrusted(true);
    sim.mainQueue.advance(0.6);
    EXPECT_TRUE(flow().trusted());

    auto kept = panels[0]->flow;  // a view that outlives the close by a turn
    kept->back();
    kept->leading();  // Skip
    EXPECT_FALSE(controller->isOpen());
    kept->continueOrDone();  // a closed panel's view no longer moves
    EXPECT_EQ(kept->step(), S::welcome);
}

TEST_F(OnboardingControllerTest, CallbacksDoNothingOnceTheControllerIsGone) {
    controller->show(false);
    auto kept = panels[0]->flow;
    controller.reset();
    EXPECT_TRUE(panels[0]->closed);
    kept->continueOrDone();  // stopped: steps no longer change
    EXPECT_EQ(kept->step(), S::welcome);
    kept->create();
    EXPECT_TRUE(created.empty());
    kept->leading();
}

}  // namespace
}  // namespace tessane
