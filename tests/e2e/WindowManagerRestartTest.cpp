// The window manager restarting while Tessane runs: a show at that moment waits for the next
// manager.
#include "EndToEndTest.h"

namespace tessane::e2e {
namespace {

constexpr const char* kSkipped = "[Tessane] Show: Accessibility not granted";

class WindowManagerRestartTest : public EndToEndTest {
protected:
    void TearDown() override {
        // The next case on this server finds a manager again.
        if (server_->windowManagerName().empty()) {
            EXPECT_EQ(server_->restartWindowManager(), "");
        }
        EndToEndTest::TearDown();
    }
};

// The manager goes and a new one comes up while the hot key's show is waiting for it: the pair
// is tiled by the new one, and nobody was told that no manager is there.
TEST_F(WindowManagerRestartTest, AShowAsTheManagerRestartsIsTiledByTheNextOneWithoutAnAlert) {
    startWithPair();
    server_->stopWindowManager();
    press("alt+super+1");
    ASSERT_EQ(server_->restartWindowManager(), "");
    EXPECT_TRUE(waitUntilTiled()) << frames() << "\n" << log();
    // The show asked for window control before it tiled: a refusal would have come first.
    EXPECT_EQ(logCount(kSkipped), 0u) << log();
}

}  // namespace
}  // namespace tessane::e2e
