// The window manager restarting, or leaving for good, while Tessane runs: a show at that moment
// waits for the next manager and tells the user nothing; with none coming, the user is told, and
// the alert holds nothing up.
#include "EndToEndTest.h"
#include "e2e/support/RequestsToManager.h"

#include <signal.h>

#include <X11/Xlib.h>

namespace tessane::e2e {
namespace {

constexpr const char* kTold = "[Tessane][AX] No window manager is running: the user is told so";
constexpr const char* kNotAnswering = "[Tessane][AX] The window manager is not answering: the user is told so";
constexpr const char* kSkipped = "[Tessane] Show: window control not available";

class WindowManagerRestartTest : public EndToEndTest {
protected:
    void TearDown() override {
        // The next case on this server finds a manager again.
        if (server_->windowManagerName().empty()) {
            EXPECT_EQ(server_->restartWindowManager(), "");
        }
        EndToEndTest::TearDown();
    }
    // Whether a window of ours titled "Tessane" (an alert) is shown.
    bool alertShown() { return viewableRootChildNamed("Tessane"); }
};

// The manager goes and a new one comes up while the hot key's show is waiting for it: the show
// waits without holding the program up (the next press is handled meanwhile), the pair is tiled
// by the new one, and nobody was told that no manager is there, nor blamed for its absence.
TEST_F(WindowManagerRestartTest, AShowAsTheManagerRestartsIsTiledByTheNextOneWithoutAnAlert) {
    startWithPair();
    server_->stopWindowManager();
    press("alt+super+1");
    ASSERT_TRUE(waitForLog("waits for the window manager to take it.")) << log();
    press("alt+super+1");
    ASSERT_TRUE(waitFor([&] { return logCount("[Tessane] Show workspace requested: ") == 2; })) << log();
    ASSERT_EQ(server_->restartWindowManager(), "");
    EXPECT_TRUE(waitUntilTiled()) << frames() << "\n" << log();
    // The show asked for window control before it tiled: any telling would have come first.
    EXPECT_EQ(logCount(kTold), 0u) << log();
    EXPECT_EQ(logCount(kSkipped), 0u) << log();
    EXPECT_EQ(logCount("refused its pane"), 0u) << log();
}

// The manager is killed while the show's moves wait for it (frozen first, so that it answers
// nothing, and killed once the moves are asked): the wait ends at its leaving, not at its bound,
// the pair is tiled by the next manager, and no app is blamed for the manager's absence.
TEST_F(WindowManagerRestartTest, AManagerKilledWhileTheMovesWaitForItEndsTheWaitWithoutBlamingAnApp) {
    startWithPair();
    RequestsToManager moves(server_->display(), "_NET_MOVERESIZE_WINDOW");
    server_->signalWindowManager(SIGSTOP);
    // By a link: a frozen IceWM holds the keyboard once a chord with Super begins.
    std::string text;
    ASSERT_EQ(runSecondTessane({"tessane://show/Pair"}, &text), 0) << text;
    ASSERT_TRUE(waitFor([&] { return moves.seen(alpha_) || moves.seen(beta_); })) << log();
    server_->signalWindowManager(SIGKILL);
    ASSERT_EQ(server_->restartWindowManager(), "");
    EXPECT_TRUE(waitUntilTiled()) << frames() << "\n" << log();
    EXPECT_EQ(logCount("[Tessane][wait] the window manager"), 0u) << "a wait ran to its bound\n" << log();
    EXPECT_EQ(logCount("refused its pane"), 0u) << log();
    EXPECT_EQ(logCount(kTold), 0u) << log();
}

// A stopped manager (a debugger, a frozen compositor) costs one bound: once a wait on it ran out
// with its echo unanswered too, nothing waits for it, links are taken and performed meanwhile,
// no app is blamed, and once it answers again the pair is tiled.
TEST_F(WindowManagerRestartTest, AStoppedManagerCostsOneBoundAndTheShowCarriesOnOnceItAnswers) {
    startWithPair();
    server_->signalWindowManager(SIGSTOP);
    struct Resume {
        X11TestServer& server;
        ~Resume() { server.signalWindowManager(SIGCONT); }
    } resume{*server_};
    std::string text;
    ASSERT_EQ(runSecondTessane({"tessane://show/Pair"}, &text), 0) << text;
    ASSERT_TRUE(waitForLog("is not answering: nothing waits for it")) << log();
    ASSERT_EQ(runSecondTessane({"tessane://show/Pair"}, &text), 0) << text;
    ASSERT_TRUE(waitForLog("[Tessane] Show ‘Pair’ waits for the window manager to take it.")) << log();
    server_->signalWindowManager(SIGCONT);
    EXPECT_TRUE(waitForLog("[Tessane] Window control is back: carrying on.")) << log();
    EXPECT_TRUE(waitUntilTiled()) << frames() << "\n" << log();
    EXPECT_EQ(logCount("is not answering: nothing waits"), 1u) << log();
    // Stopped for less than the wait for its answer: as a busy machine starves one, worth no alert.
    EXPECT_EQ(logCount(kNotAnswering), 0u) << log();
    EXPECT_EQ(logCount("refused its pane"), 0u) << log();
    EXPECT_EQ(logCount(kTold), 0u) << log();
}

// A client that holds the manager's selection and manages nothing costs one bound as well: the
// server answers its echoes for it, and nothing waits for it again while it squats.
TEST_F(WindowManagerRestartTest, AClientHoldingTheManagersSelectionCostsOneBoundAndNoAppIsBlamed) {
    startWithPair();
    server_->stopWindowManager();
    auto& squatter = startClient({"--squat", "--windows", "0"});
    struct Leave {
        ChildProcess& squatter;
        ~Leave() { squatter.terminate(); }
    } leave{*squatter.process};
    std::string text;
    ASSERT_EQ(runSecondTessane({"tessane://show/Pair"}, &text), 0) << text;
    ASSERT_TRUE(waitForLog("The window manager (Squatter) is not answering")) << log();
    ASSERT_EQ(runSecondTessane({"tessane://show/Pair"}, &text), 0) << text;
    EXPECT_TRUE(waitForLog("[Tessane] Show ‘Pair’ waits for the window manager to take it.")) << log();
    EXPECT_EQ(logCount("refused its pane"), 0u) << log();
    // Told once, by an alert its squatting does not keep from showing.
    EXPECT_TRUE(waitFor([&] { return alertShown(); })) << log();
    EXPECT_EQ(logCount(kNotAnswering), 1u) << log();
}

// With no manager coming, the user is told once the grace is over; the alert waits for the
// user without holding the program up: another press of the hot key is still handled.
TEST_F(WindowManagerRestartTest, AManagerGoneForGoodIsToldAndTheHotKeyIsStillHandledUnderTheAlert) {
    startWithPair();
    server_->stopWindowManager();
    press("alt+super+1");
    ASSERT_TRUE(waitForLog(kTold)) << log();
    ASSERT_TRUE(waitFor([&] { return alertShown(); })) << log();
    press("alt+super+1");
    EXPECT_TRUE(waitFor([&] { return logCount(kSkipped) == 2; })) << log();
    EXPECT_TRUE(alertShown());
    EXPECT_EQ(logCount(kTold), 1u) << "one alert at a time\n" << log();
}

}  // namespace
}  // namespace tessane::e2e
