#include "platform/linux/windows/ActivationRaise.h"

#include <gtest/gtest.h>

namespace tessane::linux_backend {
namespace {

TEST(ActivationRaise, AFrameIsInFrontWhenNoShownClientFrameAboveItOverlapsIt) {
    const Rect pane{0, 0, 400, 300}, beside{500, 0, 400, 300}, over{100, 100, 400, 300}, corner{399, 299, 100, 100};
    struct Case {
        const char* what;
        std::vector<StackedFrame> bottomToTop;
        bool inFront;
    };
    const Case cases[] = {
        {"alone", {{1, pane, true}}, true},
        {"a client frame over it", {{1, pane, true}, {2, over, true}}, false},
        {"a client frame under it", {{2, over, true}, {1, pane, true}}, true},
        {"a client frame above, beside it", {{1, pane, true}, {2, beside, true}}, true},
        {"above, touching a corner of one pixel", {{1, pane, true}, {2, corner, true}}, true},
        {"a menu or panel (no client frame) over it", {{1, pane, true}, {2, over, false}}, true},
        {"not among the root's children", {{2, over, true}}, false},
    };
    for (const auto& c : cases) EXPECT_EQ(framesOver(c.bottomToTop, 1).value_or(std::vector<unsigned long>{2}).empty(), c.inFront) << c.what;
    EXPECT_EQ(framesOver({{1, pane, true}, {2, over, true}, {3, pane, true}, {4, beside, true}}, 1),
              (std::vector<unsigned long>{2, 3}));
}

TEST(ActivationRaise, TheRestackFollowsTheActivationOnlyWhereTheManagerDoesNotRaise) {
    struct Case {
        std::optional<bool> managerRaises;
        bool inFrontBefore;
        bool raiseNow, lookLater;
    };
    const Case cases[] = {
        {std::nullopt, false, false, true},  // learnt at the look
        {std::nullopt, true, false, false},  // teaches nothing, needs nothing
        {true, false, false, false},
        {false, false, true, false},
        {false, true, false, false},
    };
    for (const auto& c : cases) {
        const auto r = raiseAfterActivation(c.managerRaises, c.inFrontBefore);
        EXPECT_EQ(r.raiseNow, c.raiseNow) << c.managerRaises.value_or(-1) << c.inFrontBefore;
        EXPECT_EQ(r.lookLater, c.lookLater) << c.managerRaises.value_or(-1) << c.inFrontBefore;
    }
}

TEST(ActivationRaise, ALookAfterTheActivationLearnsFromWhatCoveredTheWindowBeforeAndNow) {
    using Frames = std::vector<unsigned long>;
    struct Case {
        const char* what;
        bool active;
        Frames before, now;
        std::optional<bool> managerRaises;
        bool raise;
    };
    const Case cases[] = {
        {"raised to the front", true, {7, 8}, {}, true, false},
        {"raised past one, under a newcomer", true, {7}, {9}, true, false},
        {"left where it was", true, {7, 8}, {7, 8}, false, true},
        {"left where it was, a newcomer over it too", true, {7}, {7, 9}, false, false},
        {"not made active yet", false, {7}, {7}, std::nullopt, false},
    };
    for (const auto& c : cases) {
        const auto look = lookAfterActivation(c.active, c.before, c.now);
        EXPECT_EQ(look.managerRaises, c.managerRaises) << c.what;
        EXPECT_EQ(look.raise, c.raise) << c.what;
    }
}

}  // namespace
}  // namespace tessane::linux_backend
