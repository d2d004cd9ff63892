// Minimum-size learning against a real window manager: a client whose size hints refuse a narrow
// pane ends up beside its neighbour, both inside the grown container.
#include "x11/ControllerX11Fixture.h"

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
    ASSERT_TRUE(run([&] { return launched(narrow) && launched(wide); }, 10));
    const Workspace ws = makeWorkspace("Side by side", {{"Narrow", "org.tessane.Narrow"}, {"Wide", "org.tessane.Wide"}});
    makeController();
    WorkspaceControllerProbe probe{*controller_};

    // 1000 pt wide: 494 pt panes, too narrow for the wide client's 700.
    probe.putUp(ws.id, Rect{100, 100, 1000, 600});
    probe.placeWindowsLearning(*manager_->workspace(ws.id));
    // Learning runs 0.35 s after the pass, its re-tile after that, the on-screen check 0.4 s later.
    run(
        [&] {
            const auto left = frameOf(narrow);
            const auto right = frameOf(wide);
            return left && right && left->maxX() <= right->minX() + 1 &&
                   probe.session(ws.id)->containerAXRect->width() > 1000;
        },
        8.0);
    ASSERT_TRUE(runPast(0.6));  // past the on-screen check

    const Rect container = *probe.session(ws.id)->containerAXRect;
    const auto left = frameOf(narrow);
    const auto right = frameOf(wide);
    ASSERT_TRUE(left && right);
    EXPECT_GT(container.width(), 1000) << WorkspaceController::rectDescription(container);
    EXPECT_GE(right->width(), 700);
    for (const Rect& frame : {*left, *right})
        EXPECT_TRUE(container.insetBy(-1, -1).contains(frame))
            << WorkspaceController::rectDescription(frame) << " outside " << WorkspaceController::rectDescription(container);
    EXPECT_LE(left->maxX(), right->minX() + 1) << WorkspaceController::rectDescription(*left) << " overlaps "
                                               << WorkspaceController::rectDescription(*right);
}

}  // namespace
}  // namespace tessane::x11test
