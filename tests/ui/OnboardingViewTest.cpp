// The welcome panel offscreen: clicks on its real buttons walk the steps and close it, Return is
// Continue, Escape and outside closes do nothing, the illustrations paint where they should, and
// every step is saved in light and dark for people to look at.
#include "builder/OnboardingController.h"
#include "builder/qt/OnboardingIllustrations.h"
#include "builder/qt/OnboardingPainting.h"
#include "builder/qt/QtOnboardingPanel.h"
#include "platform/sim/SimPlatform.h"
#include "system/AccessibilityPermission.h"
#include "support/BuilderFakes.h"
#include "platform/qt/tray/StatusIconPainter.h"  // contrastRatio
#include "ui/OffscreenApplication.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QLabel>
#include <QPushButton>
#include <QStyleHints>
#include <QTest>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace tessane::builder_qt {
namespace {

using S = OnboardingStep;

using testing::exampleApp;

class OnboardingViewTest : public ::testing::Test {
protected:
    OnboardingViewTest() { uitest::ensureOffscreenApplication(); }

    std::unique_ptr<OnboardingWindow> open(S start, bool dark = false) {
        OnboardingActions a;
        a.onCreateWorkspace = [this](const std::vector<ManagedApp>& apps) {
            events.push_back("create:" + std::to_string(apps.size()));
        };
        a.seedApps = [this] { return seed; };
        a.onClose = [this] { events.push_back("close"); };
        a.isTrusted = [this] { return trusted; };
        a.openWindowControlHelp = [this] { events.push_back("help"); };
        flow = std::make_shared<OnboardingFlow>(queue, std::move(a), start, trusted);
        auto window = std::make_unique<OnboardingWindow>(flow, dark);
        window->show();
        QApplication::processEvents();
        return window;
    }

    static QPushButton* button(OnboardingWindow& w, const char* name) {
        return w.view()->page()->findChild<QPushButton*>(name);
    }
    static void click(QWidget* w) {
        ASSERT_NE(w, nullptr);
        QTest::mouseClick(w, Qt::LeftButton);
        QApplication::processEvents();
    }
    static QString pageName(OnboardingWindow& w) { return w.view()->page()->objectName(); }
    static void save(QWidget& w, const std::string& file) { EXPECT_TRUE(uitest::saveScreenshot(w, file)); }

    sim::SimMainQueue queue;
    std::shared_ptr<OnboardingFlow> flow;
    std::vector<std::string> events;
    std::vector<ManagedApp> seed;
    bool trusted = true;
};

TEST_F(OnboardingViewTest, FooterClicksWalkEveryStepAndDoneCloses) {
    auto w = open(S::welcome);
    auto* leading = w->view()->leadingButton();
    auto* trailing = w->view()->trailingButton();
    EXPECT_EQ(leading->text(), "Skip");
    EXPECT_EQ(trailing->text(), "Continue");
    const char* pages[] = {"welcomePage", "windowControlPage", "createPage", "gesturesPage", "shortcutsPage"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(pageName(*w), pages[i]);
        EXPECT_EQ(leading->text(), i == 0 ? "Skip" : "Back");
        EXPECT_EQ(trailing->text(), i == 4 ? "Done" : "Continue");
        if (i < 4) click(trailing);
    }
    click(leading);
    EXPECT_EQ(pageName(*w), "gesturesPage");
    click(trailing);
    EXPECT_TRUE(events.empty());
    click(trailing);  // Done
    EXPECT_EQ(events, std::vector<std::string>{"close"});
}

TEST_F(OnboardingViewTest, SkipClosesAndBackReturnsToWelcome) {
    auto w = open(S::accessibility);
    click(w->view()->leadingButton());
    EXPECT_EQ(flow->step(), S::welcome);
    EXPECT_EQ(w->view()->leadingButton()->text(), "Skip");
    EXPECT_TRUE(events.empty());
    click(w->view()->leadingButton());
    EXPECT_EQ(events, std::vector<std::string>{"close"});
}

TEST_F(OnboardingViewTest, ReturnContinuesAndEscapeOrAnOutsideCloseDoNothing) {
    auto w = open(S::gestures);
    w->activateWindow();
    QTest::keyClick(w.get(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(flow->step(), S::gestures);
    QTest::keyClick(w.get(), Qt::Key_Return);
    EXPECT_EQ(flow->step(), S::shortcuts);
    QTest::keyClick(w.get(), Qt::Key_Enter);
    EXPECT_EQ(events, std::vector<std::string>{"close"});

    EXPECT_FALSE(w->close());  // as the window manager's close key would ask
    EXPECT_TRUE(w->isVisible());
}

TEST_F(OnboardingViewTest, WindowControlStepFollowsThePoll) {
    trusted = false;
    auto w = open(S::accessibility);
    EXPECT_NE(button(*w, "helpButton"), nullptr);
    EXPECT_EQ(button(*w, "helpButton")->text(), "Open Window Control Help");
    click(button(*w, "helpButton"));
    EXPECT_EQ(events, std::vector<std::string>{"help"});
    trusted = true;
    queue.advance(0.6);
    QApplication::processEvents();
    EXPECT_EQ(button(*w, "helpButton"), nullptr);
    auto* status = w->view()->page()->findChild<QLabel*>("statusLine");
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->text(), "Window control available");
    EXPECT_GE(qt_backend::contrastRatio(status->palette().color(QPalette::WindowText),
                                        w->view()->palette().color(QPalette::Window)),
              4.5);
}

TEST_F(OnboardingViewTest, CreateButtonLabelAndHandOver) {
    seed = {exampleApp("Mail"), exampleApp("Terminal")};
    auto w = open(S::accessibility);
    click(w->view()->trailingButton());
    ASSERT_EQ(button(*w, "createButton")->text(), "Start with Mail + Terminal");
    click(button(*w, "createButton"));
    EXPECT_EQ(events, (std::vector<std::string>{"close", "create:2"}));

    events.clear();
    seed.clear();
    click(w->view()->leadingButton());
    click(w->view()->trailingButton());
    EXPECT_EQ(button(*w, "createButton")->text(), "Create a Workspace");
    click(button(*w, "createButton"));
    EXPECT_EQ(events, (std::vector<std::string>{"close", "create:0"}));
}

TEST_F(OnboardingViewTest, ControllerShowsOneFramelessFloatingPanelAndDropsItOnClose) {
    sim::SimPlatform sim;
    AccessibilityPermission permission(sim.accessibility, {});
    OnboardingController controller({&sim.defaults, &sim.mainQueue, &sim.accessibility, &permission,
                                      makeOnboardingPanelFactory()},
                                     [](const std::vector<ManagedApp>&) {}, [] { return std::vector<ManagedApp>{}; });
    auto window = [] {
        for (auto* w : QApplication::topLevelWidgets())
            if (auto* o = dynamic_cast<OnboardingWindow*>(w); o && o->isVisible()) return QPointer<OnboardingWindow>(o);
        return QPointer<OnboardingWindow>();
    };
    controller.show(false);
    QPointer<OnboardingWindow> first = window();
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(first->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(first->size(), QSize(600, 520));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((first->geometry().center() - screen.center()).manhattanLength(), 2);

    controller.show(true);  // brought forward as it is
    EXPECT_EQ(window(), first);
    EXPECT_EQ(first->view()->flow().step(), S::welcome);

    click(first->view()->leadingButton());  // Skip
    EXPECT_FALSE(first->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    controller.show(true);
    ASSERT_TRUE(window());
    EXPECT_EQ(window()->view()->flow().step(), S::accessibility);
}

// A tap on the background (the pointer still or nearly) leaves the panel where it is; a drag past
// the drag distance moves it (offscreen, with no window manager to hand the move to) until the release.
TEST_F(OnboardingViewTest, OnlyADragPastTheDragDistanceMovesThePanel) {
    auto w = open(S::welcome);
    const QPoint start = w->pos(), at(40, 40), drag(QGuiApplication::styleHints()->startDragDistance() + 20, 5);
    ASSERT_EQ(qobject_cast<QAbstractButton*>(w->childAt(at)), nullptr);
    for (const QPoint by : {QPoint(1, 1), drag}) {
        QTest::mousePress(w->windowHandle(), Qt::LeftButton, {}, at);
        QTest::mouseMove(w->windowHandle(), at + by);
        QTest::mouseRelease(w->windowHandle(), Qt::LeftButton, {}, at);
        QTest::mouseMove(w->windowHandle(), at + drag);
        EXPECT_EQ(w->pos() - start, by == drag ? drag : QPoint()) << by.x();
    }
}

// The colour at a point of a widget's own image.
// The colour at a point of the widget (in its units), whatever the scale it is drawn at.
QColor pixel(const QImage& image, QPointF at) { return image.pixelColor((at * image.devicePixelRatio()).toPoint()); }
QColor pixel(QWidget& w, QPointF at) { return pixel(w.grab().toImage(), at); }

TEST_F(OnboardingViewTest, IllustrationsKeepTheirSizesAndMarks) {
    for (bool dark : {false, true}) {
        SCOPED_TRACE(dark);
        MoveIllustration move(dark);
        ResizeIllustration resize(dark);
        MenuIllustration menu(dark);
        for (QWidget* w : {static_cast<QWidget*>(&move), static_cast<QWidget*>(&resize), static_cast<QWidget*>(&menu)}) {
            w->resize(300, 200);  // always 74 x 52, whatever it is offered
            EXPECT_EQ(w->size(), QSize(74, 52));
        }
        // The rail sits at the top centre: 2 points down on the move drawing, 4 on the menu's.
        const QColor face = color(ColorRole::controlBackground, dark);
        EXPECT_NE(pixel(move, {37, 3}), face);
        EXPECT_EQ(pixel(move, {37, 8}), face);
        EXPECT_NE(pixel(menu, {37, 5}), face);
        EXPECT_EQ(pixel(menu, {37, 2}), face);
        // The divider handle covers the gap between the two panes; no rail at the top.
        EXPECT_EQ(pixel(resize, {37, 10}), color(ColorRole::accent, dark));
        EXPECT_NE(pixel(resize, {37, 1}), color(ColorRole::accent, dark));
        EXPECT_EQ(pixel(resize, {20, 2}), face);

        // Solid borders without the plus, dashed with it: along a pane's top edge the border
        // colour is continuous or interrupted.
        for (bool plus : {false, true}) {
            WorkspaceIllustration art(plus, dark);
            art.resize(260, 150);
            const QImage image = art.grab().toImage();
            const QColor under = color(ColorRole::underPageBackground, dark);
            int gaps = 0;
            for (int x = 30; x < 110; ++x) {
                const QColor c = pixel(image, QPointF(x, 10));
                if (c == under || c == face) ++gaps;
            }
            if (plus) EXPECT_GT(gaps, 20);
            else EXPECT_EQ(gaps, 0);
        }
    }
    WorkspaceIllustration wide(false, false);
    wide.resize(400, 90);  // fills what it is given
    EXPECT_EQ(wide.grab().deviceIndependentSize(), QSizeF(400, 90));
}

// The gestures step's note wraps: its last line holds more than one word.
TEST_F(OnboardingViewTest, AWrappedNoteLeavesNoWordAloneOnItsLastLine) {
    auto w = open(S::gestures);
    QLabel* note = nullptr;
    for (auto* l : w->view()->page()->findChildren<QLabel*>())
        if (l->text().startsWith("Is an app fullscreen?")) note = l;
    ASSERT_NE(note, nullptr);
    QTextLayout layout(note->text(), note->font());
    layout.beginLayout();
    QString lastLine;
    int lines = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine(), ++lines) {
        line.setLineWidth(note->contentsRect().width());
        lastLine = note->text().mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    EXPECT_GE(lines, 2) << "the note wraps at this width";
    EXPECT_TRUE(lastLine.contains(' ') || lastLine.contains(QChar(0x00A0))) << lastLine.toStdString();
}

TEST_F(OnboardingViewTest, ScreenshotsOfEveryStepInLightAndDark) {
    for (bool dark : {false, true}) {
        const std::string theme = dark ? "dark" : "light";
        seed = {exampleApp("Mail"), exampleApp("Terminal")};
        for (bool available : {true, false}) {
            trusted = available;
            auto w = open(S::welcome, dark);
            // The later steps' dots, faint, still stand out from the panel at 3:1.
            const QImage dots = w->view()->findChild<QWidget*>("stepDots")->grab().toImage();
            const QColor last = dots.pixelColor(QPointF(dots.width() - 4 * dots.devicePixelRatio(), 3 * dots.devicePixelRatio()).toPoint());
            EXPECT_GE(qt_backend::contrastRatio(last, color(ColorRole::windowBackground, dark)), 3.0);
            const char* names[] = {"1-welcome", "2-window-control", "3-create", "4-gestures", "5-shortcuts"};
            for (int i = 0; i < 5; ++i) {
                if (available || i == 1)
                    save(*w, "onboarding-" + std::string(names[i]) + (i == 1 && !available ? "-unavailable" : "") +
                                 "-" + theme + ".png");
                if (i < 4) click(w->view()->trailingButton());
            }
        }
        seed.clear();
        trusted = true;
        auto w = open(S::accessibility, dark);
        click(w->view()->trailingButton());
        save(*w, "onboarding-3-create-empty-" + theme + ".png");
    }
}

}  // namespace
}  // namespace tessane::builder_qt
