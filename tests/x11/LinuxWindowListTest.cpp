#include "platform/linux/windows/WindowManagerWaits.h"
#include "x11/LinuxBackendTest.h"

namespace tessane::x11test {
namespace {

using linux_backend::XWindowId;

class LinuxWindowListTest : public LinuxBackendTest {
protected:

    std::vector<uint32_t> order(WindowList::Option option) {
        std::vector<uint32_t> out;
        const auto entries = list_->windows(option);
        EXPECT_TRUE(entries);
        if (entries)
            for (auto& e : *entries) out.push_back(e.number);
        return out;
    }
    static uint32_t number(XWindowId w) { return static_cast<uint32_t>(w); }
};

TEST_F(LinuxWindowListTest, TheListFollowsTheStackingFrontToBackWithOwnersLayersAndBounds) {
    auto& a = startClient({"--class", "a.A", "--pos", "30,40", "--size", "500x300"});
    auto& b = startClient({"--class", "b.B", "--windows", "2"});
    auto& dock = startClient({"--strut-top", "30", "--size", "1920x30", "--pos", "0,0"});
    const XWindowId a1 = a.windows[0], b1 = b.windows[0], b2 = b.windows[1], panel = dock.windows[0];
    ASSERT_TRUE(x_->windowManagerRoundTrip(2));

    // Raising the oldest window puts it in front of the others; the dock stays listed. The raise
    // is asked, not waited for (a manager restacking many windows for it would hold the caller).
    const auto raise = [&](XWindowId w) { return ax_->performAction(AXElement::fromHandle(w), ax::kRaise); };
    WaitBounds::take();
    ASSERT_EQ(raise(a1), AXError::success);
    for (const auto& tally : WaitBounds::take()) EXPECT_NE(tally.name, linux_backend::waits::kAnswer.name);
    ASSERT_TRUE(waitFor([&] {
        auto o = order(WindowList::Option::allWindows);
        return !o.empty() && std::find(o.begin(), o.end(), number(a1)) < std::find(o.begin(), o.end(), number(b1));
    }));
    auto entries = *list_->windows(WindowList::Option::allWindows);
    auto at = [&](XWindowId w) {
        return std::find_if(entries.begin(), entries.end(), [&](auto& e) { return e.number == number(w); });
    };
    ASSERT_NE(at(a1), entries.end());
    ASSERT_NE(at(panel), entries.end());
    EXPECT_LT(at(a1), at(b2));
    EXPECT_LT(at(b2), at(b1));  // b's second window opened later, in front of its first
    EXPECT_EQ(at(a1)->ownerPid, static_cast<Pid>(a.process->pid()));
    EXPECT_TRUE(at(a1)->ownerName);
    EXPECT_EQ(at(a1)->layer, 0);
    EXPECT_EQ(at(panel)->layer, WindowList::kDockLayer);
    // The frame as the user sees it: decorations included, the invisible borders some managers
    // grab with (Metacity, Marco, Mutter) not.
    auto frame = visibleFrame(x_->display(), a1);
    ASSERT_TRUE(frame);
    EXPECT_EQ(at(a1)->bounds, Rect(frame->x, frame->y, frame->width, frame->height));
    EXPECT_GT(at(a1)->bounds.height(), 300);
    EXPECT_TRUE(at(a1)->isOnScreen);

    // Then raising another: it comes first among the windows at layer 0.
    ASSERT_EQ(raise(b1), AXError::success);
    ASSERT_TRUE(waitFor([&] {
        auto o = order(WindowList::Option::allWindows);
        return std::find(o.begin(), o.end(), number(b1)) < std::find(o.begin(), o.end(), number(a1));
    }));

    // A minimized window stays in the full list, off screen, and leaves the on-screen list.
    x_->requestIconify(b2);
    ASSERT_TRUE(waitFor([&] {
        auto o = order(WindowList::Option::onScreenOnly);
        return std::find(o.begin(), o.end(), number(b2)) == o.end();
    }));
    auto all = order(WindowList::Option::allWindows);
    EXPECT_NE(std::find(all.begin(), all.end(), number(b2)), all.end());
}

}  // namespace
}  // namespace tessane::x11test
