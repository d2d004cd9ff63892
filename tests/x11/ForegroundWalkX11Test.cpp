#include "controller/FrontOfRegion.h"
#include "platform/linux/windows/LinuxAccessibility.h"
#include "platform/linux/x11/LinuxScreens.h"
#include "platform/linux/windows/LinuxWindowList.h"
#include "platform/qt/QtMainQueue.h"
#include "x11/X11TestBase.h"

namespace tessane::x11test {
namespace {

using Front = WorkspaceController::RegionFront;

// The foreground guard's walk over the real window list: two windows of a workspace app tiled
// left and right in a 1000 x 700 container, and another client's window mapped on top.
class ForegroundWalkX11Test : public X11TestBase {
protected:
    void SetUp() override {
        X11TestBase::SetUp();
        ensureQtApplication();
        queue_ = std::make_unique<qt_backend::QtMainQueue>();
        screens_ = std::make_unique<linux_backend::LinuxScreens>(*x_, *queue_);
        ax_ = std::make_unique<linux_backend::LinuxAccessibility>(*x_, *screens_, *queue_);
        list_ = std::make_unique<linux_backend::LinuxWindowList>(*x_, *ax_);
    }
    void TearDown() override {
        list_.reset();
        ax_.reset();
        screens_.reset();
        queue_.reset();
        X11TestBase::TearDown();
    }
    RegionWalk walk(Pid ours) {
        const auto entries = list_->windows(WindowList::Option::onScreenOnly);
        EXPECT_TRUE(entries);
        return frontOfRegionWalk(entries.value_or(std::vector<WindowListEntry>{}), kRegion, {ours}, {}, kPanes, kRail,
                                 {});
    }

    static constexpr Rect kRegion{0, 0, 1000, 700};
    const std::vector<Rect> kPanes{{3, 3, 494, 694}, {503, 3, 494, 694}};
    static constexpr Rect kRail{460, 0, 80, 12};

    std::unique_ptr<qt_backend::QtMainQueue> queue_;
    std::unique_ptr<linux_backend::LinuxScreens> screens_;
    std::unique_ptr<linux_backend::LinuxAccessibility> ax_;
    std::unique_ptr<linux_backend::LinuxWindowList> list_;
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
