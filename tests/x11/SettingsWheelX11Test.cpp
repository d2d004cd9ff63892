// The workspace editor's boxes and the wheel on a real server: a notch over a box without the
// focus scrolls the page and stores nothing (a new layout may hide the shown workspace's apps);
// once the box has the focus, the wheel picks in it.
// Our own headers that use the word `emit` come before Qt's, which make it a keyword.
#include "x11/X11TestBase.h"
#include "settings/WorkspaceEditor.h"
#include "settings/qt/WorkspaceEditorView.h"
#include "support/ControllerScenario.h"
#include "x11/WidgetApplication.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QScrollBar>
#include <QTimer>

namespace tessane::x11test {
namespace {

class SettingsWheelX11Test : public X11TestBase {
protected:
    void SetUp() override {
        X11TestBase::SetUp();
        if (!ensureWidgetApplication(server_->display()))
            GTEST_SKIP() << "needs its own process (a QApplication on the private server)";
    }
    bool waitForQt(const std::function<bool()>& condition) {
        return waitUntil(condition, 30s, [] {
            QEventLoop loop;
            QTimer::singleShot(10, &loop, &QEventLoop::quit);
            loop.exec();
        });
    }
    // One notch down with the pointer on the middle of `widget`, as a mouse's wheel sends it.
    void wheelOver(const QWidget* widget) {
        const QPoint at = widget->mapToGlobal(widget->rect().center());
        ASSERT_EQ(server_->run({"xdotool", "mousemove", std::to_string(at.x()), std::to_string(at.y()), "click", "5"}), 0);
    }
};

TEST_F(SettingsWheelX11Test, TheWheelOverAnUnfocusedBoxScrollsThePageAndOnceFocusedPicksInTheBox) {
    testing::ControllerScenario s;
    const auto ws = s.addWorkspace("Write", {"Notes", "Mail"}, LayoutType::leftRightSplit);
    s.start();
    settings_qt::WorkspaceEditorView view(std::make_unique<WorkspaceEditor>(
        WorkspaceEditor::Services{.manager = s.manager.get(), .controller = &s.controller(), .alerts = &s.sim.alerts,
                                  .catalog = &s.sim.applications},
        ws.id, [] {}, [] {}));
    const auto layoutNow = [&] { return s.workspace(ws.id).layout; };
    const auto stored = layoutNow();
    // Shorter than the page, the layout box at its foot with more of the page below it.
    view.resize(480, 300);
    view.show();
    ASSERT_TRUE(waitForQt([&] { return view.isActiveWindow() && qtRoundTrip(view.winId()); }));
    QComboBox* box = view.layoutPicker();
    view.ensureWidgetVisible(box, 0, 0);
    QScrollBar* page = view.verticalScrollBar();
    const int top = page->value();
    ASSERT_LT(top, page->maximum());

    wheelOver(box);
    EXPECT_TRUE(waitForQt([&] { return page->value() > top; })) << "the page scrolled";
    EXPECT_TRUE(layoutNow() == stored) << "the box took the notch";
    EXPECT_FALSE(box->hasFocus());

    box->setFocus(Qt::TabFocusReason);
    wheelOver(box);
    EXPECT_TRUE(waitForQt([&] { return !(layoutNow() == stored); })) << "the focused box took the notch";
}

}  // namespace
}  // namespace tessane::x11test
