// The workspace editor's boxes and a real wheel: over a box without the focus a notch scrolls the
// page and stores nothing (a new layout may hide the shown workspace's apps); focused, it picks.
// Our own headers that use the word `emit` come before Qt's, which make it a keyword.
#include "x11/X11TestBase.h"
#include "settings/WorkspaceEditor.h"
#include "settings/qt/WorkspaceEditorView.h"
#include "support/ControllerScenario.h"
#include "x11/WidgetApplication.h"

#include <QComboBox>
#include <QEventLoop>
#include <QScrollBar>
#include <QTimer>

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
    const auto changed = [&] { return !(s.workspace(ws.id).layout == stored); };
    const auto settle = [](const std::function<bool()>& done) {
        return waitUntil(done, 30s, [] {
            QEventLoop loop;
            QTimer::singleShot(10, &loop, &QEventLoop::quit);
            loop.exec();
        });
    };
    const auto notchOver = [&](const QWidget* w) {
        const QPoint at = w->mapToGlobal(w->rect().center());
        ASSERT_EQ(server_->run({"xdotool", "mousemove", std::to_string(at.x()), std::to_string(at.y()), "click", "5"}), 0);
    };
    view.resize(480, 300);  // shorter than the page
    view.show();
    ASSERT_TRUE(settle([&] { return view.isActiveWindow() && qtRoundTrip(view.winId()); }));
    QComboBox* box = view.layoutPicker();
    view.ensureWidgetVisible(box, 0, 0);  // at the window's foot, more of the page below
    const int top = view.verticalScrollBar()->value();

    notchOver(box);
    EXPECT_TRUE(settle([&] { return view.verticalScrollBar()->value() > top; })) << "the page scrolled";
    EXPECT_FALSE(changed()) << "the box took the notch";
    EXPECT_FALSE(box->hasFocus());
    box->setFocus(Qt::TabFocusReason);
    notchOver(box);
    EXPECT_TRUE(settle(changed)) << "the focused box took the notch";
}

}  // namespace
}  // namespace tessane::x11test
