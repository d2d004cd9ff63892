// The workspace editor's boxes and a real wheel: over a box without the focus a notch scrolls the
// page and stores nothing (a new layout may hide the shown workspace's apps); focused, it picks.
// Our own headers that use the word `emit` come before Qt's, which make it a keyword.
#include "x11/X11TestBase.h"
#include "settings/WorkspaceEditor.h"
#include "settings/qt/WorkspaceEditorView.h"
#include "support/ControllerScenario.h"
#include "x11/WidgetApplication.h"

#include <QComboBox>
#include <QScrollBar>

namespace tessane::x11test {
namespace {

using SettingsWheelX11Test = X11TestBase;

TEST_F(SettingsWheelX11Test, TheWheelOverAnUnfocusedBoxScrollsThePageAndOnceFocusedPicksInTheBox) {
    if (!ensureWidgetApplication(server_->display())) GTEST_SKIP() << "needs a QApplication of its own";
    testing::ControllerScenario s;
    const auto ws = s.addWorkspace("Write", {"Notes", "Mail"});
    s.start();
    settings_qt::WorkspaceEditorView view(std::make_unique<WorkspaceEditor>(
        WorkspaceEditor::Services{.manager = s.manager.get(), .controller = &s.controller(), .catalog = &s.sim.applications},
        ws.id, [] {}, [] {}));
    const auto stored = s.workspace(ws.id).layout;
    QComboBox* box = view.layoutPicker();
    // A notch down over the box, once Qt has handled all the server sent about it.
    const auto notch = [&] {
        const QPoint at = box->mapToGlobal(box->rect().center());
        EXPECT_EQ(server_->run({"xdotool", "mousemove", std::to_string(at.x()), std::to_string(at.y()), "click", "5"}), 0);
        EXPECT_TRUE(qtRoundTrip(view.winId()));
    };
    view.resize(480, 300);  // shorter than the page
    view.show();
    // Where Qt has the window is where the server has it: KWin moves a new window after mapping
    // it, and a notch aimed by an old place misses the window.
    const auto placed = [&] {
        const auto g = x_->freshGeometry(view.winId());
        const QPoint at = view.mapToGlobal(QPoint(0, 0));
        return g && g->rootRect.origin == Point(at.x(), at.y());
    };
    ASSERT_TRUE(waitFor([&] { return view.isActiveWindow() && qtRoundTrip(view.winId()) && placed(); }));
    view.ensureWidgetVisible(box, 0, 0);  // at the window's foot, more of the page below
    const int top = view.verticalScrollBar()->value();

    notch();
    EXPECT_GT(view.verticalScrollBar()->value(), top) << "the page scrolled";
    EXPECT_TRUE(s.workspace(ws.id).layout == stored) << "the box took the notch";
    box->setFocus(Qt::TabFocusReason);
    notch();
    EXPECT_FALSE(s.workspace(ws.id).layout == stored) << "the focused box took the notch";
}

}  // namespace
}  // namespace tessane::x11test
