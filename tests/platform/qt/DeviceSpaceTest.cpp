#include "platform/qt/DeviceSpace.h"

#include <gtest/gtest.h>

namespace tessane::qt_backend {
namespace {

// Two screens side by side in X pixels: 2560x1440 scaled by 2, then 1920x1080 scaled by 1.5. Qt
// keeps each top-left corner where X has it and divides the rest.
const std::vector<ScreenScale> kScreens{{QRect(0, 0, 1280, 720), 2}, {QRect(2560, 0, 1280, 720), 1.5}};

TEST(DeviceSpaceTest, EachScreenConvertsWithItsOwnRatioAndRoundTrips) {
    EXPECT_EQ(kScreens[1].root(), Rect(2560, 0, 1920, 1080));
    // The rail: (1240,12) 80x12 in X pixels on the screen scaled by 2.
    EXPECT_EQ(qtFromRoot(kScreens, Rect(1240, 12, 80, 12)), QRect(620, 6, 40, 6));
    EXPECT_EQ(qtFromRoot(kScreens, Rect(2560 + 300, 150, 600, 300)), QRect(2560 + 200, 100, 400, 200));
    EXPECT_EQ(rootFromQt(kScreens, QRect(2560 + 200, 100, 400, 200)), Rect(2560 + 300, 150, 600, 300));
    EXPECT_EQ(rootFromQt(kScreens, QPointF(640.5, 360)), Point(1281, 720));
    EXPECT_EQ(qtFromRoot(kScreens, Point(1281, 720)), QPoint(641, 360));
    // A point on the edge between the screens is the right one's; past every screen, the nearest.
    EXPECT_EQ(screenAtRoot(kScreens, {2560, 10}), &kScreens[1]);
    EXPECT_EQ(screenAtRoot(kScreens, {-50, 2000}), &kScreens[0]);
    EXPECT_EQ(qtFromRoot({}, Rect(1, 2, 3, 4)), QRect(1, 2, 3, 4)) << "without screens, one to one";
}

}  // namespace
}  // namespace tessane::qt_backend
