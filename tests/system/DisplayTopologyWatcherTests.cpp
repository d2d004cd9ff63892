#include "system/DisplayTopologyWatcher.h"

#include "platform/sim/SimMainQueue.h"
#include "platform/sim/SimScreens.h"

#include <gtest/gtest.h>

namespace tessane {
namespace {

using N = Screens::Notification;
using Fingerprint = std::optional<std::string>;

class DisplayTopologyWatcherTest : public ::testing::Test {
protected:
    // A watcher over a settable fingerprint that counts its reads.
    std::unique_ptr<DisplayTopologyWatcher> makeWatcher() {
        return std::make_unique<DisplayTopologyWatcher>(
            screens, queue,
            [this] {
                ++reads;
                readTimes.push_back(queue.now() - start);
                return fingerprint;
            },
            DisplayTopologyWatcher::kScreenSettle, DisplayTopologyWatcher::kWakeSettle,
            [this](const Fingerprint& previous, const Fingerprint& current, bool reframed) {
                reports.emplace_back(previous, current);
                reframes.push_back(reframed);
            });
    }

    sim::SimMainQueue queue;
    sim::SimScreens screens;
    const TimeInterval start = queue.now();
    Fingerprint fingerprint = "A";
    int reads = 0;
    std::vector<double> readTimes;
    std::vector<std::pair<Fingerprint, Fingerprint>> reports;
    std::vector<bool> reframes;
};

TEST_F(DisplayTopologyWatcherTest, EachNotificationSettlesForItsOwnTime) {
    struct Case {
        N notification;
        double settle;
    };
    for (auto c : {Case{N::screenParametersChanged, 0.8}, Case{N::didWake, 2.5},
                   Case{N::screensDidWake, 2.5}, Case{N::sessionDidBecomeActive, 2.5}}) {
        sim::SimMainQueue q;
        sim::SimScreens s;
        int checks = 0;
        DisplayTopologyWatcher watcher(
            s, q, [&] { return std::optional<std::string>("X" + std::to_string(checks++)); },
            0.8, 2.5, [](const Fingerprint&, const Fingerprint&, bool) {});
        watcher.start();
        ASSERT_EQ(checks, 1);  // the baseline
        s.notify(c.notification);
        q.advance(c.settle - 0.02);
        EXPECT_EQ(checks, 1) << int(c.notification);
        q.advance(0.02);
        EXPECT_EQ(checks, 2) << int(c.notification);
    }
}

TEST_F(DisplayTopologyWatcherTest, SpaceChangesAreNotDisplayChanges) {
    auto watcher = makeWatcher();
    watcher->start();
    screens.notify(N::activeSpaceDidChange);
    EXPECT_FALSE(watcher->hasPendingCheck());
}

TEST_F(DisplayTopologyWatcherTest, BaselineIsNotReportedAndChangeReportsBothFingerprints) {
    auto watcher = makeWatcher();
    watcher->start();
    EXPECT_TRUE(reports.empty());
    fingerprint = "A+B";
    screens.notify(N::screenParametersChanged);
    queue.advance(1);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], (std::pair<Fingerprint, Fingerprint>{"A", "A+B"}));
    EXPECT_FALSE(reframes[0]);

    screens.notify(N::screenParametersChanged);  // nothing changed since
    queue.advance(1);
    EXPECT_EQ(reports.size(), 1u);
}

// A new scale (or resolution) leaves the displays what they were but changes their frames in
// points: reported once, with the same fingerprint on both sides, and not again while it holds.
// A display plugged in beside it reframes nothing.
TEST_F(DisplayTopologyWatcherTest, TheSameDisplaysWithOtherFramesAreReportedAsReframed) {
    const auto a = sim::SimScreens::screen({0, 0, 960, 540}, 1, "UUID-A");
    screens.setScreens({sim::SimScreens::screen({0, 0, 1920, 1080}, 1, "UUID-A")});
    auto watcher = makeWatcher();
    watcher->start();
    screens.setScreens({a});
    screens.notify(N::screenParametersChanged);
    queue.advance(1);
    screens.notify(N::screenParametersChanged);
    queue.advance(1);
    fingerprint = "A+B";
    screens.setScreens({a, sim::SimScreens::screen({960, 0, 1920, 1080}, 2, "UUID-B")});
    screens.notify(N::screenParametersChanged);
    queue.advance(1);
    EXPECT_EQ(reports, (std::vector<std::pair<Fingerprint, Fingerprint>>{{"A", "A"}, {"A", "A+B"}}));
    EXPECT_EQ(reframes, (std::vector<bool>{true, false}));
}

TEST_F(DisplayTopologyWatcherTest, TenNotificationsHalfASecondApartMakeOneCheck) {
    auto watcher = makeWatcher();
    watcher->start();
    fingerprint = "B";
    for (int i = 0; i < 10; ++i) {
        screens.notify(N::screenParametersChanged);
        queue.advance(0.5);
    }
    queue.advance(5);
    EXPECT_EQ(reads, 2);
    ASSERT_EQ(readTimes.size(), 2u);
    EXPECT_NEAR(readTimes[1], 4.5 + 0.8, 1e-6);  // 0.8 s after the last (sent at 4.5 s)
    EXPECT_EQ(reports.size(), 1u);
}

TEST_F(DisplayTopologyWatcherTest, UnplugAndReplugWithinTheSettleTimeReportsNothing) {
    auto watcher = makeWatcher();
    watcher->start();
    fingerprint = std::nullopt;  // unplugged
    screens.notify(N::screenParametersChanged);
    queue.advance(0.3);
    fingerprint = "A";  // plugged back
    screens.notify(N::screenParametersChanged);
    queue.advance(2);
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(reads, 2);
}

TEST_F(DisplayTopologyWatcherTest, SettleDeadlineOnlyMovesLater) {
    auto watcher = makeWatcher();
    watcher->start();
    fingerprint = "B";

    // A wake during a screen settle moves the deadline later.
    screens.notify(N::screenParametersChanged);
    EXPECT_NEAR(watcher->settleAt() - start, 0.8, 1e-6);
    queue.advance(0.5);
    screens.notify(N::didWake);
    EXPECT_NEAR(watcher->settleAt() - start, 3.0, 1e-6);

    // A screen change during the wake settle does not pull it earlier.
    queue.advance(0.5);
    screens.notify(N::screenParametersChanged);
    EXPECT_NEAR(watcher->settleAt() - start, 3.0, 1e-6);

    queue.advance(1.9);  // 2.9 s: the screen change's own 0.8 s have passed
    EXPECT_EQ(reads, 1);
    queue.advance(0.1);
    EXPECT_EQ(reads, 2);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NEAR(readTimes[1], 3.0, 1e-6);
}

TEST_F(DisplayTopologyWatcherTest, ScreenChangeLaterThanAWakeDeadlineExtendsIt) {
    auto watcher = makeWatcher();
    watcher->start();
    screens.notify(N::screensDidWake);  // deadline 2.5
    queue.advance(2.0);
    screens.notify(N::screenParametersChanged);  // 2.0 + 0.8 = 2.8, later
    EXPECT_NEAR(watcher->settleAt() - start, 2.8, 1e-6);
    queue.advance(0.79);
    EXPECT_EQ(reads, 1);
    queue.advance(0.02);
    EXPECT_EQ(reads, 2);
}

TEST_F(DisplayTopologyWatcherTest, AbsentFingerprints) {
    struct Case {
        Fingerprint before, after;
        bool reported;
    };
    for (auto c : {Case{std::nullopt, std::nullopt, false}, Case{std::nullopt, "A", true},
                   Case{"A", std::nullopt, true}}) {
        reports.clear();
        fingerprint = c.before;
        auto watcher = makeWatcher();
        watcher->start();
        fingerprint = c.after;
        screens.notify(N::screenParametersChanged);
        queue.advance(1);
        ASSERT_EQ(reports.size(), c.reported ? 1u : 0u);
        if (c.reported) {
            EXPECT_EQ(reports[0], (std::pair<Fingerprint, Fingerprint>{c.before, c.after}));
        }
    }
}

TEST_F(DisplayTopologyWatcherTest, StartTwiceRegistersOnceAndRestartTakesANewBaseline) {
    auto watcher = makeWatcher();
    watcher->start();
    watcher->start();
    EXPECT_EQ(screens.observerCount(N::screenParametersChanged), 1u);
    EXPECT_EQ(screens.observerCount(N::didWake), 1u);
    EXPECT_EQ(reads, 1);

    screens.notify(N::didWake);
    watcher->stop();
    EXPECT_EQ(screens.observerCount(N::screenParametersChanged), 0u);
    EXPECT_EQ(screens.observerCount(N::sessionDidBecomeActive), 0u);
    fingerprint = "B";
    queue.advance(5);
    EXPECT_EQ(reads, 1);  // the pending check went with stop()
    screens.notify(N::screenParametersChanged);
    queue.advance(1);
    EXPECT_EQ(reads, 1);

    watcher->start();  // registers again; "B" is the new baseline
    EXPECT_EQ(screens.observerCount(N::screensDidWake), 1u);
    screens.notify(N::screenParametersChanged);
    queue.advance(1);
    EXPECT_TRUE(reports.empty());
}

TEST_F(DisplayTopologyWatcherTest, ReleasedWatcherIsNeverCalledBack) {
    auto watcher = makeWatcher();
    watcher->start();
    fingerprint = "B";
    screens.notify(N::screenParametersChanged);
    watcher.reset();
    queue.advance(5);
    screens.notify(N::screenParametersChanged);
    queue.advance(5);
    EXPECT_EQ(reads, 1);
    EXPECT_TRUE(reports.empty());
}

TEST_F(DisplayTopologyWatcherTest, OwnerMayDestroyTheWatcherInsideItsCallback) {
    std::unique_ptr<DisplayTopologyWatcher> watcher;
    watcher = std::make_unique<DisplayTopologyWatcher>(
        screens, queue, [this] { return fingerprint; }, 0.8, 2.5,
        [&](const Fingerprint& previous, const Fingerprint& current, bool) {
            watcher.reset();
            reports.emplace_back(previous, current);  // captures outlive the watcher
        });
    watcher->start();
    fingerprint = "B";
    screens.notify(N::screenParametersChanged);
    queue.advance(1);
    EXPECT_EQ(watcher, nullptr);
    EXPECT_EQ(reports, (std::vector<std::pair<Fingerprint, Fingerprint>>{{"A", "B"}}));
    EXPECT_EQ(screens.observerCount(N::screenParametersChanged), 0u);
    EXPECT_EQ(queue.pendingCount(), 0u);
}

TEST_F(DisplayTopologyWatcherTest, DefaultReaderFingerprintsTheSimulatedScreens) {
    screens.setScreens({sim::SimScreens::screen({0, 0, 1440, 900}, 1, "UUID-A")});
    std::vector<std::pair<Fingerprint, Fingerprint>> seen;
    DisplayTopologyWatcher watcher(screens, queue, nullptr, 0.8, 2.5,
                                   [&](const Fingerprint& p, const Fingerprint& c, bool) {
                                       seen.emplace_back(p, c);
                                   });
    watcher.start();
    screens.setScreens({sim::SimScreens::screen({0, 0, 1440, 900}, 1, "UUID-A"),
                        sim::SimScreens::screen({1440, 0, 1920, 1080})});
    screens.notify(N::screenParametersChanged);
    queue.advance(1);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].first, "UUID-A");
    EXPECT_EQ(seen[0].second, "UUID-A+geom:1920x1080@1440,0");
}

}  // namespace
}  // namespace tessane
