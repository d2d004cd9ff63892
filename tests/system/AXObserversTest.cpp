#include "support/LoggedLines.h"
#include "system/AXAppFocusObserver.h"
#include "system/AXWindowObserver.h"
#include "system/AXWindowController.h"

#include "model/Log.h"
#include "platform/sim/SimPlatform.h"

#include <gtest/gtest.h>

using tessane::testing::loggedMessages;

using namespace tessane;
using namespace tessane::sim;

namespace {

class AXObserversTest : public ::testing::Test {
protected:
    void SetUp() override { Log::resetForTesting(); }
    void TearDown() override { Log::resetForTesting(); }

    SimPlatform sim;
    SimAccessibility& ax = sim.accessibility;
    SimApp& notes = sim.windowServer.addApp(100, "Notes");
    SimApp& mail = sim.windowServer.addApp(200, "Mail");
};

// ---------------------------------------------------------------- focus observer

class AXAppFocusObserverTest : public AXObserversTest {
protected:
    AXAppFocusObserverTest() {
        observer.onFocusedWindowChanged = [this](Pid pid) { heard.push_back(pid); };
    }
    AXAppFocusObserver observer{sim.accessibility, sim.mainQueue};
    std::vector<Pid> heard;
};

TEST_F(AXAppFocusObserverTest, ReportsFocusMainAndNewWindowsByProcess) {
    auto& first = notes.addWindow();
    observer.observe({100, 200, 100}, 3);
    EXPECT_EQ(observer.observedPids(), (std::vector<Pid>{100, 200}));
    EXPECT_EQ(ax.observersCreated(100), 1);
    EXPECT_EQ(ax.registrationCount(100), 3u);

    mail.addWindow();  // created + main + focused
    notes.addWindow({.becomesMain = false});  // created only
    first.moveTo({5, 5});                     // not a focus notification
    sim.mainQueue.runPending();
    EXPECT_EQ(heard, (std::vector<Pid>{200, 200, 200, 100}));
    EXPECT_TRUE(loggedMessages().empty());
    EXPECT_EQ(sim.mainQueue.pendingCount(), 0u);
}

TEST_F(AXAppFocusObserverTest, EmptyListObservesNothingAndSchedulesNothing) {
    observer.observe({100}, 3);
    observer.observe({}, 3);
    EXPECT_TRUE(observer.observedPids().empty());
    EXPECT_EQ(ax.liveObserverCount(), 0u);
    EXPECT_EQ(sim.mainQueue.pendingCount(), 0u);
}

TEST_F(AXAppFocusObserverTest, TimedOutRegistrationIsRetriedASecondLater) {
    ax.failRegistrations(100, AXError::cannotComplete, 1);
    observer.observe({100, 200}, 3);
    EXPECT_EQ(loggedMessages(), std::vector<std::string>{
                              "[Tessane] Focus observer: pid 100 only partly observed (focused "
                              "-25204, main 0, created 0) — will retry."});
    EXPECT_EQ(ax.registrationCount(100), 2u);  // the partial observer is kept

    sim.mainQueue.advance(0.9);
    EXPECT_EQ(ax.observersCreated(100), 1);
    sim.mainQueue.advance(0.1);
    EXPECT_EQ(ax.observersCreated(100), 2);  // every process again, from scratch
    EXPECT_EQ(ax.observersCreated(200), 2);
    EXPECT_EQ(ax.registrationCount(100), 3u);
    sim.mainQueue.advance(5);
    EXPECT_EQ(ax.observersCreated(100), 2);  // nothing left to retry
}

TEST_F(AXAppFocusObserverTest, HungApplicationIsTriedFourTimesAtMost) {
    notes.setResponseDelay(60);  // past the default time-out: every registration times out
    observer.observe({100}, 3);
    sim.mainQueue.runUntilIdle();
    EXPECT_EQ(ax.observersCreated(100), 4);
    auto lines = loggedMessages();
    ASSERT_EQ(lines.size(), 4u);
    const std::string partly =
        "[Tessane] Focus observer: pid 100 only partly observed (focused -25204, main -25204, "
        "created -25204)";
    EXPECT_EQ(lines[0], partly + " — will retry.");
    EXPECT_EQ(lines[3], partly + ".");
}

TEST_F(AXAppFocusObserverTest, CreationFailuresAreLoggedAndOnlyTimeOutsRetry) {
    ax.failObserverCreation(100, AXError::cannotComplete, 1);
    ax.failObserverCreation(200, AXError::failure);
    observer.observe({100, 200}, 0);
    EXPECT_EQ(loggedMessages(),
              (std::vector<std::string>{
                  "[Tessane] Focus observer: could not observe pid 100 (AXObserverCreate -25204).",
                  "[Tessane] Focus observer: could not observe pid 200 (AXObserverCreate -25200)."}));
    EXPECT_EQ(sim.mainQueue.pendingCount(), 0u);  // no retries left

    ax.failObserverCreation(100, AXError::cannotComplete, 1);
    observer.observe({100}, 1);
    sim.mainQueue.advance(1.0);
    EXPECT_EQ(observer.observedPids(), std::vector<Pid>{100});
}

TEST_F(AXAppFocusObserverTest, RetryOfAnEarlierCallDoesNothingAfterANewerOne) {
    ax.failRegistrations(100, AXError::cannotComplete, 1);
    observer.observe({100}, 3);  // schedules a retry
    observer.observe({100}, 3);  // same processes, succeeds
    sim.mainQueue.advance(2.0);
    EXPECT_EQ(ax.observersCreated(100), 2);

    ax.failRegistrations(100, AXError::cannotComplete, 1);
    observer.observe({100}, 3);
    observer.stop();  // an explicit stop also ends the pending retry
    sim.mainQueue.advance(2.0);
    EXPECT_EQ(ax.observersCreated(100), 3);
    EXPECT_TRUE(observer.observedPids().empty());
}

TEST_F(AXAppFocusObserverTest, NoCallbackAfterStopEvenForNotificationsOnTheirWay) {
    observer.observe({100}, 3);
    notes.addWindow();
    observer.stop();
    sim.mainQueue.runPending();
    EXPECT_TRUE(heard.empty());
    EXPECT_EQ(ax.liveObserverCount(), 0u);

    // Nor once the observer object is gone.
    {
        AXAppFocusObserver shortLived{sim.accessibility, sim.mainQueue};
        shortLived.onFocusedWindowChanged = [this](Pid pid) { heard.push_back(pid); };
        shortLived.observe({100}, 3);
        notes.addWindow();
    }
    sim.mainQueue.runPending();
    EXPECT_TRUE(heard.empty());
}

TEST_F(AXObserversTest, FocusObserverMayBeDestroyedInsideItsCallback) {
    auto observer = std::make_unique<AXAppFocusObserver>(sim.accessibility, sim.mainQueue);
    std::vector<Pid> heard;
    observer->onFocusedWindowChanged = [&](Pid pid) {
        observer.reset();
        heard.push_back(pid);  // captures outlive the observer
    };
    observer->observe({100}, 3);
    notes.addWindow();  // created, main and focused: three on their way
    sim.mainQueue.runPending();
    EXPECT_EQ(observer, nullptr);
    EXPECT_EQ(heard, std::vector<Pid>{100});
    EXPECT_EQ(ax.liveObserverCount(), 0u);
}

// An Accessibility service that cannot tell which process an element belongs to.
class PidBlindAccessibility final : public Accessibility {
public:
    explicit PidBlindAccessibility(Accessibility& inner) : inner_(inner) {}
    AXElement applicationElement(Pid pid) override { return inner_.applicationElement(pid); }
    std::optional<Pid> pid(const AXElement&) override { return std::nullopt; }
    AXAttributeResult copyAttribute(const AXElement& e, std::string_view a) override {
        return inner_.copyAttribute(e, a);
    }
    AXError setAttribute(const AXElement& e, std::string_view a, const AXValue& v) override {
        return inner_.setAttribute(e, a, v);
    }
    AXError performAction(const AXElement& e, std::string_view a) override {
        return inner_.performAction(e, a);
    }
    AXError setMessagingTimeout(const AXElement& e, float s) override {
        return inner_.setMessagingTimeout(e, s);
    }
    ObserverResult createObserver(Pid pid, ObserverCallback cb) override {
        return inner_.createObserver(pid, std::move(cb));
    }
    bool isProcessTrusted() override { return inner_.isProcessTrusted(); }
    bool isProcessTrustedWithPrompt(bool p) override { return inner_.isProcessTrustedWithPrompt(p); }
    std::optional<uint32_t> windowNumber(const AXElement& e) override { return inner_.windowNumber(e); }

private:
    Accessibility& inner_;
};

TEST_F(AXObserversTest, UnreadableProcessReachesTheCallbackAsZero) {
    PidBlindAccessibility blind{sim.accessibility};
    AXAppFocusObserver observer{blind, sim.mainQueue};
    std::vector<Pid> heard;
    observer.onFocusedWindowChanged = [&](Pid pid) { heard.push_back(pid); };
    notes.addWindow();
    observer.observe({100}, 3);
    notes.addWindow({.becomesMain = false});
    sim.mainQueue.runPending();
    EXPECT_EQ(heard, std::vector<Pid>{0});
}

// ---------------------------------------------------------------- window observer

class AXWindowObserverTest : public AXObserversTest {
protected:
    AXWindowObserverTest() {
        observer.onWindowEvent = [this](const AXElement& e, const std::string& n) {
            heard.emplace_back(e, n);
        };
    }
    AXWindowObserver observer{sim.accessibility};
    std::vector<std::pair<AXElement, std::string>> heard;
};

TEST_F(AXWindowObserverTest, OneObserverPerProcessWithThreeRegistrationsPerWindow) {
    auto& a = notes.addWindow();
    auto& b = notes.addWindow();
    auto& c = mail.addWindow();
    observer.observe({{100, a.element()}, {200, c.element()}, {100, b.element()}});
    EXPECT_EQ(ax.observersCreated(100), 1);
    EXPECT_EQ(ax.registrationCount(100), 6u);
    EXPECT_EQ(ax.registrationCount(200), 3u);
    EXPECT_TRUE(loggedMessages().empty());
}

TEST_F(AXWindowObserverTest, HearsMovesResizesAndClosesIncludingItsOwnPlacements) {
    auto& a = notes.addWindow({.frame = {0, 0, 400, 300}});
    auto& b = notes.addWindow();
    observer.observe({{100, a.element()}});

    a.moveTo({10, 10});
    AXWindowController(sim.accessibility).place(a.element(), {10, 10, 500, 300});
    b.moveTo({50, 50});  // not watched
    a.close();
    sim.mainQueue.runPending();
    using E = std::pair<AXElement, std::string>;
    EXPECT_EQ(heard, (std::vector<E>{{a.element(), "AXWindowMoved"},
                                     {a.element(), "AXWindowResized"},
                                     {a.element(), "AXUIElementDestroyed"}}));
}

TEST_F(AXWindowObserverTest, ProcessWithoutObserverIsSkippedQuietly) {
    auto& a = notes.addWindow();
    auto& c = mail.addWindow();
    ax.failObserverCreation(100, AXError::cannotComplete);
    observer.observe({{100, a.element()}, {200, c.element()}});
    EXPECT_EQ(observer.observedPids(), std::vector<Pid>{200});
    EXPECT_TRUE(loggedMessages().empty());
}

TEST_F(AXObserversTest, WindowObserverMayBeDestroyedInsideItsCallback) {
    auto& a = notes.addWindow();
    auto observer = std::make_unique<AXWindowObserver>(sim.accessibility);
    std::vector<std::string> heard;
    observer->onWindowEvent = [&](const AXElement&, const std::string& name) {
        observer.reset();
        heard.push_back(name);  // captures outlive the observer
    };
    observer->observe({{100, a.element()}});
    a.moveTo({10, 10});
    a.close();
    sim.mainQueue.runPending();
    EXPECT_EQ(observer, nullptr);
    EXPECT_EQ(heard, std::vector<std::string>{"AXWindowMoved"});
    EXPECT_EQ(ax.liveObserverCount(), 0u);
}

TEST_F(AXWindowObserverTest, NewSetReplacesTheOldAndStopEndsEverything) {
    auto& a = notes.addWindow();
    auto& c = mail.addWindow();
    observer.observe({{100, a.element()}});
    a.moveTo({1, 1});  // on its way when the set changes
    observer.observe({{200, c.element()}});
    a.moveTo({2, 2});
    c.moveTo({3, 3});
    sim.mainQueue.runPending();
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].first, c.element());

    heard.clear();
    c.resizeTo({10, 10});
    observer.stop();
    sim.mainQueue.runPending();
    EXPECT_TRUE(heard.empty());
    EXPECT_EQ(ax.liveObserverCount(), 0u);
}

}  // namespace
