#include "base/Uuid.h"
#include "layout/DisplayTopology.h"
#include "x11/LinuxBackendTest.h"

#include <algorithm>

namespace tessane::x11test {
namespace {

// Notifications arrive on the main queue; waitFor() runs its loop.
using LinuxScreensTest = LinuxBackendTest;

TEST_F(LinuxScreensTest, TheXvfbScreenIsOnePrimaryDisplayWithAStableIdentity) {
    linux_backend::LinuxScreens& screens = *screens_;
    // Less what the manager's own panels reserve (Fluxbox's toolbar, IceWM's task bar), as its
    // work area says (KWin announces none); Openbox alone reserves nothing.
    const auto area = x_->cardinals(x_->root(), "_NET_WORKAREA");
    auto list = screens.screens();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].frame, Rect(0, 0, 1920, 1080));
    if (area && area->size() >= 4) {
        const auto& a = *area;  // screen coordinates grow upwards
        EXPECT_EQ(list[0].visibleFrame, Rect(a[0], 1080 - a[1] - a[3], a[2], a[3]));
    } else {
        EXPECT_EQ(list[0].visibleFrame, list[0].frame);
    }
    EXPECT_TRUE(list[0].displayNumber);
    ASSERT_TRUE(list[0].displayUUID);
    EXPECT_TRUE(Uuid::parse(*list[0].displayUUID));
    EXPECT_EQ(screens.screens(), list);
    EXPECT_EQ(screens.mainScreen(), list[0]);
    EXPECT_EQ(screens.primaryRootOrigin(), (Point{0, 0}));
}

TEST_F(LinuxScreensTest, ADockStrutShrinksTheVisibleFrameFromItsSide) {
    linux_backend::LinuxScreens& screens = *screens_;
    // Less what the manager's own panels reserve, at the bottom where it has one.
    const Rect before = screens.screens().at(0).visibleFrame;
    startClient({"--strut-top", "40", "--size", "1920x40", "--pos", "0,0"});
    // Screen coordinates grow upwards: the top strip goes, the bottom edge stays.
    const Rect expected(before.minX(), before.minY(), before.width(), std::min(before.maxY(), 1040.0) - before.minY());
    ASSERT_TRUE(waitFor([&] { return screens.screens().at(0).visibleFrame == expected; }))
        << "before " << before << ", now " << screens.screens().at(0).visibleFrame;
}

TEST_F(LinuxScreensTest, AnAddedMonitorChangesTheFingerprintAndRemovingItRestoresIt) {
    linux_backend::LinuxScreens& screens = *screens_;
    // How many displays each notification finds: the change must be told, not only be there.
    std::vector<size_t> told;
    auto subscription = screens.observe(Screens::Notification::screenParametersChanged,
                                        [&] { told.push_back(screens.screens().size()); });
    const auto before = DisplayTopology::currentFingerprint(screens.screens());
    ASSERT_TRUE(before);
    const auto toldOf = [&](size_t count) { return std::find(told.begin(), told.end(), count) != told.end(); };

    ASSERT_EQ(server_->run({"xrandr", "--setmonitor", "SIDE", "960/254x540/143+960+540", "none"}), 0);
    ASSERT_TRUE(waitFor([&] { return toldOf(2); }));
    auto list = screens.screens();
    ASSERT_EQ(list.size(), 2u);
    // Screen coordinates: the monitor's bottom edge is the primary's bottom edge.
    EXPECT_EQ(list[1].frame, Rect(960, 0, 960, 540));
    const auto with = DisplayTopology::currentFingerprint(list);
    EXPECT_NE(with, before);

    told.clear();
    ASSERT_EQ(server_->run({"xrandr", "--delmonitor", "SIDE"}), 0);
    ASSERT_TRUE(waitFor([&] { return toldOf(1); }));
    EXPECT_EQ(screens.screens().size(), 1u);
    EXPECT_EQ(DisplayTopology::currentFingerprint(screens.screens()), before);
}

// A display at scale 2 is reported in points, what docks and panels leave of it too.
TEST_F(LinuxScreensTest, AtScaleTwoTheFrameAndWhatDocksLeaveAreInPoints) {
    linux_backend::LinuxScreens& screens = *screens_;
    startClient({"--strut-top", "40", "--size", "1920x40", "--pos", "0,0"});
    ASSERT_TRUE(waitFor([&] { return screens.screens().at(0).visibleFrame.height() <= 1040; }));
    const Rect pixels = screens.screens().at(0).visibleFrame;  // the window manager's own panels may take more
    screens.setScaleSource([](const Rect&) { return 2.0; });
    const auto atTwo = screens.screens().at(0);
    EXPECT_EQ(atTwo.frame, Rect(0, 0, 960, 540));
    EXPECT_EQ(atTwo.visibleFrame, Rect(pixels.minX() / 2, pixels.minY() / 2, pixels.width() / 2, pixels.height() / 2));
}

}  // namespace
}  // namespace tessane::x11test
