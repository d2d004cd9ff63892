#include "controller/FrontOfRegion.h"
#include "x11/LinuxBackendTest.h"

namespace tessane::x11test {
namespace {

using Front = workspace_controller::RegionFront;

// The foreground guard's walk over the real window list: two windows of a workspace app tiled
// left and right in a 1000 x 700 container, and another client's window mapped on top.
class ForegroundWalkX11Test : public LinuxBackendTest {
protected:
    RegionWalk walk(Pid ours) {
        const auto entries = list_->windows(WindowList::Option::onScreenOnly);
        EXPECT_TRUE(entries);
        return frontOfRegionWalk(entries.value_or(std::vector<WindowListEntry>{}), kRegion, {ours}, {}, kPanes, kRail,
                                 {});
    }

    static constexpr Rect kRegion{0, 0, 1000, 700};
    const std::vector<Rect> kPanes{{3, 3, 494, 694}, {503, 3, 494, 694}};
    static constexpr Rect kRail{460, 0, 80, 12};
};

TEST_F(ForegroundWalkX11Test, ARealWindowMappedOverTheGutterCoversTheRegionAndOneInsideAPaneDoesNot) {
    // Each window listed and where it asked to be before the walk reads the list.
    const auto listed = [&](size_t count) {
        return waitFor([&] {
            const auto entries = list_->windows(WindowList::Option::onScreenOnly);
            return entries && entries->size() >= count;
        });
    };
    auto& ours = startClient({"--class", "ours.Ours", "--pos", "60,120", "--size", "300x300"});
    const Pid oursPid = static_cast<Pid>(ours.process->pid());
    ASSERT_TRUE(waitFor([&] { return placedAt(ours.windows.at(0), {60, 120}); }));
    ASSERT_TRUE(listed(1));
    EXPECT_EQ(walk(oursPid).front, Front::ownInFront);

    // Inside the right pane: no chrome is drawn there.
    auto& inside = startClient({"--class", "inside.Inside", "--pos", "600,200", "--size", "250x200"});
    ASSERT_TRUE(waitFor([&] { return placedAt(inside.windows.at(0), {600, 200}); }));
    ASSERT_TRUE(listed(2));
    EXPECT_EQ(walk(oursPid).front, Front::ownInFront);

    // Over the gutter between the panes: it covers the region.
    startClient({"--class", "over.Over", "--pos", "380,200", "--size", "250x200"});
    ASSERT_TRUE(x_->windowManagerRoundTrip(2));
    ASSERT_TRUE(waitFor([&] { return walk(oursPid).front == Front::foreignInFront; }));
    const auto found = walk(oursPid);
    ASSERT_TRUE(found.foreignWindow);
    EXPECT_EQ(found.foreignWindow->find(", a workspace app"), std::string::npos);
}

}  // namespace
}  // namespace tessane::x11test
