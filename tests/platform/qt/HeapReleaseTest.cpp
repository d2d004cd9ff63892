#include "platform/qt/HeapRelease.h"
#include "platform/qt/QtMainQueue.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

namespace tessane::qt_backend {
namespace {

using namespace std::chrono_literals;

class HeapReleaseTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    }
    // Runs the loop for `period` with nothing but one timer to end it: no turn of work of its own
    // until then.
    static void runQuietly(std::chrono::milliseconds period) {
        QEventLoop loop;
        QTimer::singleShot(period, &loop, &QEventLoop::quit);
        loop.exec();
    }
    QtMainQueue queue_;
};

TEST_F(HeapReleaseTest, ReleasesOnceAfterWorkWhenQuietAndNeverWakesAnIdleLoopAgain) {
    int releases = 0;
    const HeapRelease release(queue_, 200ms, [&] { ++releases; });
    // Work for a while, a turn every 20 ms: the release waits for the quiet after the last.
    QTimer work;
    int turns = 0;
    QObject::connect(&work, &QTimer::timeout, [&] {
        if (++turns == 20) work.stop();
    });
    work.start(20);
    EXPECT_TRUE(queue_.runUntil([&] { return !work.isActive(); }, 10.0));
    EXPECT_EQ(releases, 0);
    // One release, and its own turn is not work: a quiet loop stays quiet.
    runQuietly(2000ms);
    EXPECT_EQ(releases, 1);
    // New work (and the turn that ended the last run) arms it again.
    queue_.post([] {});
    runQuietly(2000ms);
    EXPECT_EQ(releases, 2);
}

}  // namespace
}  // namespace tessane::qt_backend
