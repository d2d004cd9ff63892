// Gestures against a real window manager: a client whose size hints refuse a narrow pane ends up
// beside its neighbour, both inside the grown container; beside a window resting short of its pane
// by its size steps a move is put back, nothing stored, and a drop of the resting one swaps.
#include "x11/ControllerX11Fixture.h"

#include "controller/WorkspaceRules.h"
#include "layout/ScreenGeometry.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <cmath>

namespace tessane::x11test {
namespace {

class GesturesX11Test : public ControllerX11Test {
protected:
    void writeEntries() override {
        writeEntry("org.tessane.Narrow", "Name=Narrow\nStartupWMClass=NarrowApp\nExec=narrow-not-installed\n");
        writeEntry("org.tessane.Wide", "Name=Wide\nStartupWMClass=WideApp\nExec=wide-not-installed\n");
    }
};

TEST_F(GesturesX11Test, AClientWithAMinimumWidthGetsItsShareAndBothFitTheGrownContainer) {
    const Pid narrow = startClient({"--class", "narrow.NarrowApp", "--size", "400x300"}).process->pid();
    const Pid wide = startClient({"--class", "wide.WideApp", "--size", "800x500", "--min", "700x400"}).process->pid();
    ASSERT_TRUE(waitFor([&] { return launched(narrow) && launched(wide); }));
    const Workspace ws = makeWorkspace("Side by side", {{"Narrow", "org.tessane.Narrow"}, {"Wide", "org.tessane.Wide"}});
    makeController();
    WorkspaceControllerProbe probe{*controller_, platform_, *manager_};

    // 1000 pt wide: 494 pt panes, too narrow for the wide client's 700.
    probe.putUp(ws.id, Rect{100, 100, 1000, 600});
    probe.placeWindowsLearning(*manager_->workspace(ws.id));
    // Learning runs 0.35 s after the pass, its re-tile after that, the on-screen check 0.4 s later.
    waitFor(
        [&] {
            const auto left = frameOf(narrow);
            const auto right = frameOf(wide);
            return left && right && left->maxX() <= right->minX() + 1 &&
                   probe.session(ws.id)->containerAXRect->width() > 1000;
        });
    ASSERT_TRUE(runPast(0.6));  // past the on-screen check

    const Rect container = *probe.session(ws.id)->containerAXRect;
    const auto left = frameOf(narrow);
    const auto right = frameOf(wide);
    ASSERT_TRUE(left && right);
    EXPECT_GT(container.width(), 1000) << workspace_rules::rectDescription(container);
    EXPECT_GE(right->width(), 700);
    for (const Rect& frame : {*left, *right})
        EXPECT_TRUE(container.insetBy(-1, -1).contains(frame))
            << workspace_rules::rectDescription(frame) << " outside " << workspace_rules::rectDescription(container);
    EXPECT_LE(left->maxX(), right->minX() + 1)
        << workspace_rules::rectDescription(*left) << " overlaps " << workspace_rules::rectDescription(*right);
}

TEST_F(GesturesX11Test, AMoveBesideAWindowRestingShortOfItsPaneIsPutBackItsDropSwapsThePanes) {
    Log::resetForTesting();
    // A terminal-like client that sizes in 40 px rows, beside a plain one.
    auto& rowsClient =
        startClient({"--class", "narrow.NarrowApp", "--size", "400x300", "--increments", "1x40", "--base", "0x0"});
    const Pid rows = rowsClient.process->pid();
    auto& movingClient = startClient({"--class", "wide.WideApp", "--size", "400x300"});
    const Pid moving = movingClient.process->pid();
    ASSERT_TRUE(waitFor([&] { return launched(rows) && launched(moving); }));
    const Workspace ws = makeWorkspace("Terminal", {{"Narrow", "org.tessane.Narrow"}, {"Wide", "org.tessane.Wide"}});
    makeController();
    WorkspaceControllerProbe probe{*controller_, platform_, *manager_};
    const auto tile = [&](size_t i) { return probe.tileRects(*manager_->workspace(ws.id)).at(i); };
    const auto shortfall = [&] {
        const auto frame = frameOf(rows);
        return frame ? tile(0).height() - frame->height() : -1.0;
    };

    // Whatever this manager's title bar, the container is made tall enough for the rows to rest
    // 10 px short of their pane (as a terminal with a large font does).
    probe.putUp(ws.id, Rect{100, 100, 1000, 600});
    probe.placeWindows(*manager_->workspace(ws.id));
    ASSERT_TRUE(waitFor([&] { return shortfall() >= 0 && shortfall() < 40; })) << shortfall();
    Rect container = *probe.session(ws.id)->containerAXRect;
    container.size.height += std::fmod(10 - shortfall() + 40, 40);
    probe.session(ws.id)->containerAXRect = container;
    probe.placeWindows(*manager_->workspace(ws.id));
    ASSERT_TRUE(waitFor([&] { return shortfall() == 10; })) << shortfall();
    const auto stored = *manager_->workspace(ws.id);
    // The manager focuses the client mapped last and the controller raises the workspace for it;
    // a move is the user's only once that and the placement have settled.
    const auto focusHeard = [] {
        const auto lines = Log::recentLines(200);
        return std::any_of(lines.begin(), lines.end(), [](const std::string& l) { return l.find("App focus:") != l.npos; });
    };
    waitFor([&] { return focusHeard() && probe.placementGuardCount() == 0 && !probe.isResurfacing(); });

    // The user drags the other window by (+160, +140): a move, not a resize.
    const std::unique_ptr<Display, int (*)(Display*)> connection(XOpenDisplay(server_->display().c_str()), XCloseDisplay);
    ASSERT_NE(connection, nullptr);
    const Rect home = tile(1);
    XMoveWindow(connection.get(), movingClient.windows.at(0), static_cast<int>(home.minX()) + 160,
                static_cast<int>(home.minY()) + 140);
    XFlush(connection.get());
    const auto atHome = [&] {
        const auto frame = frameOf(moving);
        return frame && std::abs(frame->minX() - home.minX()) <= 8 && std::abs(frame->minY() - home.minY()) <= 8;
    };
    ASSERT_TRUE(waitFor([&] { return !atHome(); }));
    waitFor([&] { return atHome() || *probe.session(ws.id)->containerAXRect != container; });

    EXPECT_TRUE(atHome());
    EXPECT_EQ(*probe.session(ws.id)->containerAXRect, container);
    EXPECT_EQ(manager_->workspace(ws.id)->lastContainerFrame, stored.lastContainerFrame);
    EXPECT_EQ(manager_->workspace(ws.id)->layout.ratios, stored.layout.ratios);
    EXPECT_EQ(shortfall(), 10);

    // The resting window dropped onto the other pane, the pointer over it: no resize, a swap.
    waitFor([&] { return probe.placementGuardCount() == 0; });
    input_.pointer = {home.midX(), ScreenGeometry::primaryDisplayHeight(*platform_.screens) - home.midY()};
    XMoveWindow(connection.get(), rowsClient.windows.at(0), static_cast<int>(home.minX()) + 40, 140);
    XFlush(connection.get());
    const auto swapped = [&] { return manager_->workspace(ws.id)->apps.at(0).displayName == "Wide"; };
    waitFor([&] { return swapped() && std::abs(frameOf(rows).value_or(Rect{}).minX() - tile(1).minX()) <= 8; });
    EXPECT_TRUE(swapped());
}

}  // namespace
}  // namespace tessane::x11test
