// The builder panel's view offscreen: its widgets follow the builder's state, its buttons run the
// actions, and it paints in light and dark (screenshots are written for people to look at).
#include "builder/qt/BuilderWidgets.h"
#include "builder/qt/QtBuilderPanel.h"
#include "model/AppRegistry.h"
#include "platform/qt/tray/StatusIconPainter.h"  // contrastRatio
#include "platform/sim/SimApplications.h"
#include "ui/OffscreenApplication.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace tessane::builder_qt {
namespace {

class BuilderViewTest : public ::testing::Test {
protected:
    BuilderViewTest() {
        uitest::ensureOffscreenApplication();
        const std::pair<const char*, uint32_t> apps[] = {
            {"Notes", 0xF2B233FF}, {"Mail", 0x3378E6FF}, {"Terminal", 0x333333FF}};
        for (auto [name, colour] : apps) {
            sim::SimApplications::Bundle bundle{std::string("org.example.") + name, name, name, colour};
            catalog.installApp(std::string("/Applications/") + name + ".app", bundle);
        }
    }

    ManagedApp record(const std::string& name) const {
        return AppRegistry(catalog).makeManagedApp("/Applications/" + name + ".app");
    }

    // A window with `seed` whose actions are recorded here.
    std::unique_ptr<BuilderWindow> open(const std::vector<ManagedApp>& seed, bool dark = false) {
        BuilderActions actions;
        actions.pick = [this](const std::vector<ManagedApp>& chosen) -> std::optional<ManagedApp> {
            pickedWith.push_back(chosen.size());
            return nextPick;
        };
        actions.create = [this](const std::string& name, LayoutType layout, const std::vector<ManagedApp>& apps) {
            created.push_back(name);
            createdLayout = layout;
            createdApps = apps;
        };
        actions.cancel = [this] { ++cancels; };
        auto window = std::make_unique<BuilderWindow>(seed, std::move(actions), nullptr, dark);
        window->show();
        QApplication::processEvents();
        return window;
    }

    static GalleryButton* galleryButton(BuilderView& view, LayoutType type) {
        for (auto* b : view.galleryButtons())
            if (b->type() == type) return b;
        return nullptr;
    }
    static QAbstractButton* child(BuilderView& view, const QString& pane, const char* name) {
        auto* cell = view.paneArea()->findChild<QWidget*>(pane);
        return cell ? cell->findChild<QAbstractButton*>(name) : nullptr;
    }
    static void save(QWidget& w, const std::string& file) { EXPECT_TRUE(uitest::saveScreenshot(w, file)); }

    sim::SimApplications catalog;
    std::vector<size_t> pickedWith;
    std::optional<ManagedApp> nextPick;
    std::vector<std::string> created;
    LayoutType createdLayout = LayoutType::mainSidebar;
    std::vector<ManagedApp> createdApps;
    int cancels = 0;
};

TEST_F(BuilderViewTest, ASeededPanelIsReadyToCreate) {
    auto window = open({record("Notes"), record("Mail")});
    BuilderView& view = *window->view();
    EXPECT_EQ(window->size(), QSize(580, 480));
    EXPECT_EQ(view.nameField()->text(), "Notes + Mail");
    EXPECT_EQ(view.nameField()->placeholderText(), "Workspace name");
    EXPECT_TRUE(view.createButton()->isEnabled());
    EXPECT_EQ(view.createButton()->text().replace("&&", "&"), "Create & Show");
    EXPECT_EQ(view.statusLabel()->text(), "From your open windows — change any pane with Remove");
    // The whole status line fits.
    EXPECT_GE(view.statusLabel()->width(), view.statusLabel()->sizeHint().width());
    ASSERT_EQ(view.galleryButtons().size(), 8u);
    EXPECT_EQ(view.galleryButtons()[6]->text(), "2 × 2 Grid");
    // Every layout in view, whole, and the name field as wide as allowed.
    for (auto* b : view.galleryButtons())
        EXPECT_TRUE(view.rect().contains(QRect(b->mapTo(&view, QPoint(0, 0)), b->size()))) << b->text().toStdString();
    EXPECT_EQ(view.nameField()->width(), 260);
    EXPECT_TRUE(galleryButton(view, LayoutType::leftRightSplit)->isSelected());
    EXPECT_FALSE(view.icon(view.state().slots[0].value()).isNull());
    // Two cells side by side, 8 points apart, filling the pane area.
    auto* left = view.paneArea()->findChild<QWidget*>("pane0");
    auto* right = view.paneArea()->findChild<QWidget*>("pane1");
    ASSERT_TRUE(left && right);
    EXPECT_EQ(right->geometry().left() - left->geometry().right() - 1, 8);
    EXPECT_EQ(left->height(), view.paneArea()->height());

    QTest::keyClick(view.nameField(), Qt::Key_Return);
    EXPECT_EQ(created, std::vector<std::string>{"Notes + Mail"});
    EXPECT_EQ(createdApps.size(), 2u);
    EXPECT_EQ(createdLayout, LayoutType::leftRightSplit);
}

// Tab, the arrow keys, Space and Return alone: a layout and two apps chosen, then created.
TEST_F(BuilderViewTest, TheKeyboardAloneCreatesAWorkspace) {
    auto window = open({});
    BuilderView& view = *window->view();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    view.nameField()->setFocus();
    auto focused = [] { return QApplication::focusWidget(); };
    auto press = [&](Qt::Key key) {
        QTest::keyClick(focused(), key);
        QApplication::processEvents();
    };
    press(Qt::Key_Tab);
    ASSERT_EQ(focused(), view.galleryButtons()[0]) << "the gallery follows the name";
    const QImage ringed = view.galleryButtons()[0]->grab().toImage();
    press(Qt::Key_Down);
    EXPECT_EQ(focused(), galleryButton(view, LayoutType::threeLeftTwoRightOne)) << "the tile below";
    EXPECT_NE(view.galleryButtons()[0]->grab().toImage(), ringed) << "the focus ring shows where the keyboard is";
    press(Qt::Key_Up);
    press(Qt::Key_Right);
    ASSERT_EQ(focused(), galleryButton(view, LayoutType::topBottomSplit));
    press(Qt::Key_Space);
    EXPECT_EQ(view.state().layout, LayoutType::topBottomSplit);
    EXPECT_TRUE(created.empty()) << "Return and Space on a tile press the tile, not Create";

    for (int i = 0; i < 10 && dynamic_cast<GalleryButton*>(focused()); ++i) press(Qt::Key_Tab);
    ASSERT_EQ(focused(), child(view, "pane0", "addApp")) << "the panes follow the gallery";
    nextPick = record("Notes");
    press(Qt::Key_Return);
    EXPECT_EQ(pickedWith, std::vector<size_t>{0});
    EXPECT_EQ(focused(), child(view, "pane0", "remove")) << "the keyboard stays on the pane just filled";
    press(Qt::Key_Tab);
    ASSERT_EQ(focused(), child(view, "pane1", "addApp"));
    nextPick = record("Mail");
    press(Qt::Key_Space);
    EXPECT_EQ(focused(), child(view, "pane1", "remove"));
    press(Qt::Key_Tab);
    EXPECT_EQ(focused(), view.cancelButton());
    press(Qt::Key_Tab);
    EXPECT_EQ(focused(), view.createButton());
    press(Qt::Key_Return);
    EXPECT_EQ(created, std::vector<std::string>{"Notes + Mail"});  // the name nobody typed follows the apps
    EXPECT_EQ(createdLayout, LayoutType::topBottomSplit);
    ASSERT_EQ(createdApps.size(), 2u);
    EXPECT_EQ(createdApps[1].displayName, "Mail");
}

TEST_F(BuilderViewTest, AnAppWithoutAStoredIconShowsTheSystemsOrNone) {
    auto window = open({});
    ManagedApp notes = record("Notes");
    notes.iconData = Bytes{1, 2, 3};  // unreadable
    EXPECT_TRUE(window->view()->icon(notes).isNull());
    BuilderView withLookup({}, {}, catalogIconLookup(catalog), false);
    EXPECT_FALSE(withLookup.icon(notes).isNull());
    notes.bundleIdentifier = "org.example.Unknown";
    EXPECT_TRUE(withLookup.icon(notes).isNull());
}

TEST_F(BuilderViewTest, TheGridAsksForTwoMorePanesAndAddFillsThem) {
    auto window = open({record("Notes"), record("Mail")});
    BuilderView& view = *window->view();
    galleryButton(view, LayoutType::grid2x2)->click();
    QApplication::processEvents();
    EXPECT_FALSE(view.createButton()->isEnabled());
    EXPECT_EQ(view.statusLabel()->text(), "Fill every pane to create");
    QTest::keyClick(view.nameField(), Qt::Key_Return);  // disabled: nothing
    EXPECT_TRUE(created.empty());

    nextPick = record("Terminal");
    child(view, "pane2", "addApp")->click();
    EXPECT_EQ(pickedWith, std::vector<size_t>{2});
    nextPick.reset();  // the user cancels the chooser: the pane stays empty
    child(view, "pane3", "addApp")->click();
    QApplication::processEvents();
    EXPECT_TRUE(child(view, "pane3", "addApp"));
    EXPECT_EQ(view.nameField()->text(), "Notes + Mail + 1 more");
    QTest::keyClicks(view.nameField(), " Desk");  // typed: the name no longer follows the apps
    nextPick = record("Terminal");
    child(view, "pane3", "addApp")->click();
    QApplication::processEvents();
    EXPECT_TRUE(view.createButton()->isEnabled());
    EXPECT_EQ(view.statusLabel()->text(), "From your open windows — change any pane with Remove");
    EXPECT_EQ(view.nameField()->text(), "Notes + Mail + 1 more Desk");
}

TEST_F(BuilderViewTest, RemoveEmptiesAPaneAndAnEmptyNameCreatesNewWorkspace) {
    auto window = open({record("Notes"), record("Mail")});
    BuilderView& view = *window->view();
    child(view, "pane1", "remove")->click();
    QApplication::processEvents();
    EXPECT_EQ(view.statusLabel()->text(), "Fill every pane to create");
    EXPECT_TRUE(child(view, "pane1", "addApp"));

    nextPick = record("Terminal");
    child(view, "pane1", "addApp")->click();
    view.nameField()->clear();
    view.createButton()->click();
    EXPECT_EQ(created, std::vector<std::string>{"New Workspace"});
    ASSERT_EQ(createdApps.size(), 2u);
    EXPECT_EQ(createdApps[1].displayName, "Terminal");
}

TEST_F(BuilderViewTest, EscapeAndCancelCancel) {
    auto window = open({});
    BuilderView& view = *window->view();
    EXPECT_EQ(view.nameField()->text(), "New Workspace");
    EXPECT_EQ(view.statusLabel()->text(), "Fill every pane to create");
    QTest::keyClick(view.nameField(), Qt::Key_Escape);
    view.cancelButton()->click();
    EXPECT_EQ(cancels, 2);
}

TEST_F(BuilderViewTest, ThePanelIsAFramelessFloatingWindowCentredOnTheScreen) {
    BuilderActions actions;
    auto panel = makeBuilderPanelFactory(nullptr)({record("Notes")}, actions);
    auto* qtPanel = dynamic_cast<QtBuilderPanel*>(panel.get());
    ASSERT_NE(qtPanel, nullptr);
    QPointer<BuilderWindow> window = qtPanel->window();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((window->geometry().center() - screen.center()).manhattanLength(), 2);  // QRect centres round down
    EXPECT_EQ(window->view()->nameField()->text(), "Notes");

    panel->close();
    EXPECT_FALSE(window->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

TEST_F(BuilderViewTest, PaintsInLightAndDark) {
    for (bool dark : {false, true}) {
        auto window = open({record("Notes"), record("Mail")}, dark);
        QImage image = window->grab().toImage();
        // The panel's own background in the middle of its left edge.
        const QColor background = image.pixelColor(4, image.height() / 2);
        EXPECT_EQ(background.lightness() < 128, dark);
        // The selected layout's tile is outlined in the accent colour.
        auto* selected = galleryButton(*window->view(), LayoutType::leftRightSplit);
        QImage tile = selected->grab().toImage();
        const QColor accent = color(ColorRole::accent, dark);
        bool sawAccent = false;
        for (int x = 0; x < tile.width() && !sawAccent; ++x)
            sawAccent = tile.pixelColor(x, tile.height() / 4) == accent;
        EXPECT_TRUE(sawAccent);
        // Secondary text reads at 4.5:1 or more on the panel and on its panes.
        for (ColorRole ground : {ColorRole::windowBackground, ColorRole::underPageBackground}) {
            QImage swatch(1, 1, QImage::Format_RGB32);
            swatch.fill(color(ground, dark));
            QPainter(&swatch).fillRect(0, 0, 1, 1, color(ColorRole::secondaryLabel, dark));
            EXPECT_GE(qt_backend::contrastRatio(swatch.pixelColor(0, 0), color(ground, dark)), 4.5);
        }
        save(*window, dark ? "builder-dark.png" : "builder-light.png");

        // A pane's small "Remove" reads on the pane; an empty pane's "+" is painted, never a hole.
        auto one = open({record("Notes")}, dark);
        EXPECT_GE(qt_backend::contrastRatio(child(*one->view(), "pane0", "remove")->palette().color(QPalette::ButtonText),
                                            color(ColorRole::underPageBackground, dark)), 4.5);
        const QImage add = child(*one->view(), "pane1", "addApp")->grab().toImage();
        EXPECT_EQ(add.pixelColor(add.width() / 2, add.height() / 2 - 12 * add.devicePixelRatio()).alpha(), 255);
    }
}

}  // namespace
}  // namespace tessane::builder_qt
