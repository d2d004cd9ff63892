// Cards among our own windows on a real window manager: the builder, the welcome panel and alerts
// lie over the cards whichever came first; the settings window and a card share a level, so the
// one ordered front last lies above.
// Our own headers that use the word `emit` come before Qt's, which make it a keyword.
#include "x11/QtPanelsTest.h"
#include "builder/OnboardingFlow.h"
#include "builder/qt/QtBuilderPanel.h"
#include "builder/qt/QtOnboardingPanel.h"
#include "platform/linux/x11/LinuxScreens.h"
#include "platform/linux/x11/X11ScreenSpace.h"
#include "platform/linux/x11/X11ManagerWatch.h"
#include "platform/qt/QtAlerts.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/qt/panels/QtPanels.h"
#include "platform/sim/SimDefaults.h"
#include "settings/qt/QtSettingsWindow.h"
#include "x11/WidgetApplication.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWindow>

#include <X11/Xlib.h>
#include <xcb/xcb.h>

#include <algorithm>

namespace tessane::x11test {
namespace {

using linux_backend::XWindowId;

class CardStackingX11Test : public QtPanelsTest {
protected:
    void SetUp() override {
        QtPanelsTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        // Metacity keeps every window it manages below every override-redirect one: it moves its
        // frames back under a card restacked below them (even one lowered to the bottom of the
        // stack), with no change to its stacking list to tell. There the cards stay over our
        // windows, as they always did.
        if (x_->manager().name() == "Metacity") GTEST_SKIP() << "Metacity restacks its windows under the cards";
    }
    void TearDown() override {
        cards_.clear();
        QtPanelsTest::TearDown();
    }

    // A card, made now (a new window is made on top of the others) and ordered front.
    qt_backend::QtPanel& showCard() {
        cards_.push_back(panels_->makePanel({PanelLevel::card, false, true, false, "card"}));
        auto& card = static_cast<qt_backend::QtPanel&>(*cards_.back());
        card.setFrame({300, 300, 320, 120});
        card.orderFront();
        return card;
    }
    // Until the window manager has shown `window` and everything it and we did about it
    // is done: the window manager's restacking heard, our restack sent, and both seen by the server.
    void settle(const QWidget& window) {
        ASSERT_TRUE(waitFor([&] {
            const auto top = topLevelOf(x_->display(), window.winId());
            XWindowAttributes a{};
            return top && XGetWindowAttributes(x_->display(), *top, &a) && a.map_state == IsViewable;
        })) << "the window manager never showed it";
        for (int i = 0; i < 3; ++i) {
            xcb_connection_t* qt = qApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
            free(xcb_get_input_focus_reply(qt, xcb_get_input_focus(qt), nullptr));
            QCoreApplication::processEvents();
        }
    }
    // Whether `upper`'s top-level (its frame) lies above `lower`'s among the root's children.
    bool above(XWindowId upper, XWindowId lower) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned n = 0;
        XQueryTree(x_->display(), x_->root(), &root, &parent, &children, &n);
        const std::vector<XWindowId> order(children, children + n);
        if (children) XFree(children);
        const auto at = [&](XWindowId w) {
            return std::find(order.begin(), order.end(), topLevelOf(x_->display(), w).value_or(0)) - order.begin();
        };
        return at(upper) > at(lower) && at(upper) < static_cast<long>(order.size());
    }

    std::vector<std::unique_ptr<Panel>> cards_;
};

TEST_F(CardStackingX11Test, TheBuilderTheWelcomePanelAndAlertsLieOverCardsShownBeforeOrAfter) {
    auto& before = showCard();
    auto builderPanel = builder_qt::makeBuilderPanelFactory(nullptr)({}, {});
    auto* builder = static_cast<builder_qt::QtBuilderPanel*>(builderPanel.get())->window();
    settle(*builder);
    EXPECT_TRUE(waitFor([&] { return above(builder->winId(), before.windowId()); })) << "the builder opened over a card";
    auto& after = showCard();
    settle(*builder);
    EXPECT_TRUE(waitFor([&] { return above(builder->winId(), after.windowId()); })) << "a card shown over the builder goes under it";
    builderPanel->close();

    OnboardingFlow flow(*queue_, {}, OnboardingStep::welcome, true);
    auto welcomePanel = builder_qt::makeOnboardingPanelFactory()(std::shared_ptr<OnboardingFlow>(&flow, [](auto*) {}));
    auto* welcome = static_cast<builder_qt::QtOnboardingPanel*>(welcomePanel.get())->window();
    settle(*welcome);
    EXPECT_TRUE(waitFor([&] { return above(welcome->winId(), after.windowId()); })) << "the welcome panel opened over a card";
    auto& later = showCard();
    settle(*welcome);
    EXPECT_TRUE(waitFor([&] { return above(welcome->winId(), later.windowId()); })) << "a card shown over the welcome panel goes under it";
    welcomePanel->close();

    bool checked = false;
    QTimer::singleShot(0, [&] {
        QWidget* alert = nullptr;
        ASSERT_TRUE(waitFor([&] { return (alert = QApplication::activeModalWidget()) != nullptr; }));
        settle(*alert);
        EXPECT_TRUE(waitFor([&] { return above(alert->winId(), later.windowId()); })) << "an alert opened over a card";
        // Mutter decides a modal dialog's taskbar state itself: it drops the hint, asked for before
        // mapping or after, and keeps the pager one.
        const auto skips = [&](std::string_view state) {
            return waitFor([&] {
                const auto states = x_->atomList(alert->winId(), "_NET_WM_STATE").value_or(std::vector<linux_backend::XAtomId>{});
                return std::find(states.begin(), states.end(), x_->atom(state)) != states.end();
            });
        };
        if (server_->windowManagerName() != "mutter") {
            EXPECT_TRUE(skips("_NET_WM_STATE_SKIP_TASKBAR")) << "an alert has no taskbar button of its own";
        }
        EXPECT_TRUE(skips("_NET_WM_STATE_SKIP_PAGER")) << "nor a place in the pager";
        auto& last = showCard();
        settle(*alert);
        EXPECT_TRUE(waitFor([&] { return above(alert->winId(), last.windowId()); })) << "a card shown over an alert goes under it";
        checked = true;
        qobject_cast<QDialog*>(alert)->reject();
    });
    QtAlerts().runModal({.messageText = "Workspace not saved"});
    EXPECT_TRUE(checked);
}

TEST_F(CardStackingX11Test, TheSettingsWindowAndACardShareALevelTheOneOrderedFrontLastLiesAbove) {
    auto& card = showCard();
    sim::SimDefaults defaults;
    settings_qt::QtSettingsWindow settings(new QWidget, defaults, {600, 400}, {400, 300}, "Tessane Settings");
    settings.move(200, 200);
    settings.orderFrontAndFocus();
    ASSERT_TRUE(waitFor([&] { return QGuiApplication::focusWindow() == settings.windowHandle(); }));
    settle(settings);
    EXPECT_TRUE(waitFor([&] { return above(settings.winId(), card.windowId()); })) << "settings ordered front after the card";

    auto& later = showCard();
    settle(settings);
    EXPECT_TRUE(waitFor([&] { return above(later.windowId(), settings.winId()); })) << "a card ordered front after settings";
    EXPECT_TRUE(waitFor([&] { return above(settings.winId(), card.windowId()); })) << "the first card stays under settings";
}

}  // namespace
}  // namespace tessane::x11test
