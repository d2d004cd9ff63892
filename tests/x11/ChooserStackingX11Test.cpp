// The application chooser on a real window manager: it opens as a child of the window whose button
// asked (the builder panel, which floats above other windows, or the settings window kept above)
// and the window manager stacks it above that window, never behind it.
// Our own headers that use the word `emit` come before Qt's, which make it a keyword.
#include "x11/X11TestBase.h"
#include "builder/qt/QtAppChooser.h"
#include "builder/qt/QtBuilderPanel.h"
#include "platform/sim/SimApplications.h"
#include "platform/sim/SimDefaults.h"
#include "settings/qt/QtSettingsWindow.h"
#include "x11/WidgetApplication.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <X11/Xlib.h>

#include <algorithm>

namespace tessane::x11test {
namespace {

class ChooserStackingX11Test : public X11TestBase {
protected:
    void SetUp() override {
        X11TestBase::SetUp();
        if (!ensureWidgetApplication(server_->display()))
            GTEST_SKIP() << "needs its own process (a QApplication on the private server)";
    }

    // Where the window manager stacks a window of ours among its clients; -1 when it has none.
    int stackingIndex(const QWidget* window) {
        const auto list = x_->windowList(x_->root(), "_NET_CLIENT_LIST_STACKING").value_or(std::vector<linux_backend::XWindowId>{});
        const auto it = std::find(list.begin(), list.end(), static_cast<linux_backend::XWindowId>(window->winId()));
        return it == list.end() ? -1 : static_cast<int>(it - list.begin());
    }
    // Opens the chooser as the builder or the settings window would, and answers whether, while it
    // was open, it was a child of `served` stacked above it, and whether the keyboard went back to
    // `served` once it closed.
    bool opensAbove(QWidget* served) {
        EXPECT_TRUE(waitFor([&] { return stackingIndex(served) >= 0; })) << "the window manager never took it";
        served->activateWindow();
        waitFor([&] { return QApplication::activeWindow() == served; });
        bool above = false, child = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            child = dialog->parentWidget() == served;
            above = waitFor([&] {
                const int chooser = stackingIndex(dialog);
                return chooser >= 0 && chooser > stackingIndex(served);
            });
            dialog->reject();
        });
        builder_qt::QtAppChooser chooser(catalog_, [] { return std::vector<std::filesystem::path>{}; });
        chooser.chooseApplications({});
        const bool focused = waitFor([&] {
            Window focus = 0;
            int revert = 0;
            XGetInputFocus(x_->display(), &focus, &revert);
            return focus == served->winId();
        });
        EXPECT_TRUE(focused) << "the keyboard went back to the window that asked";
        return child && above && focused;
    }

    sim::SimApplications catalog_;
};

TEST_F(ChooserStackingX11Test, TheChooserOpensAboveTheBuilderAndAboveTheSettingsWindowKeptAbove) {
    // Another program's window, which a window manager may focus when the chooser goes.
    auto& editor = startClient({"--pos", "100,100", "--size", "700x500"});
    ASSERT_EQ(editor.windows.size(), 1u);
    auto panel = builder_qt::makeBuilderPanelFactory(nullptr)({}, {});
    auto* builder = static_cast<builder_qt::QtBuilderPanel*>(panel.get())->window();
    EXPECT_TRUE(opensAbove(builder)) << "over the builder";
    panel->close();

    sim::SimDefaults defaults;
    settings_qt::QtSettingsWindow settings(new QWidget, defaults, {600, 400}, {400, 300}, "Tessane Settings");
    settings.setKeptAbove(true);
    settings.orderFrontAndFocus();
    EXPECT_TRUE(opensAbove(&settings)) << "over the settings window";
}

}  // namespace
}  // namespace tessane::x11test
