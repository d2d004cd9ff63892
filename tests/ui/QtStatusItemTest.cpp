#include "platform/qt/tray/QtStatusItem.h"
#include "platform/qt/tray/QtStatusMenu.h"
#include "ui/OffscreenApplication.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QMenu>
#include <QPalette>
#include <QPointer>
#include <QSystemTrayIcon>

#include <gtest/gtest.h>

namespace tessane::qt_backend {
namespace {

Bytes pngOf(const QColor& colour, int side = 64) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return Bytes(data.begin(), data.end());
}

// Lets posted work run: queued single shots and deferred deletions.
void turnEventLoop() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class QtStatusItemTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { uitest::ensureOffscreenApplication(); }
    void TearDown() override { turnEventLoop(); }

    // The status menu's shape in small: a heading, a hidden row, workspace rows (one checked, one
    // with an icon), a row with a submenu, and Quit.
    std::shared_ptr<StatusMenu> sampleMenu() {
        auto menu = std::make_shared<StatusMenu>();
        heading = menu->add({.title = "Tessane", .enabled = false});
        update = menu->add({.title = "", .hidden = true});
        menu->addSeparator();
        write = menu->add({.title = "Write", .shortcut = "Super+Alt+1", .toolTip = "Show this workspace.",
                           .iconPNG = pngOf(Qt::red), .action = [this] { ++writeChosen; }});
        research = menu->add({.title = "R&D", .shortcut = "Super+Alt+2",
                              .toolTip = "Already shown — choose it to bring the whole group back to the front.",
                              .checked = true, .action = [this] { ++researchChosen; }});
        focused = menu->add({.title = "Focused App", .submenu = std::make_shared<StatusMenu>()});
        next = focused->submenu->add({.title = "Focus Next Pane", .shortcut = "Super+Ctrl+Right"});
        focused->submenu->add({.title = "Focus Previous Pane", .shortcut = "Super+Ctrl+Left"});
        menu->addSeparator();
        quit = menu->add({.title = "Quit Tessane", .shortcut = "Ctrl+Q"});
        return menu;
    }
    QAction* actionOf(const std::shared_ptr<StatusMenuRow>& row) { return item.statusMenu()->actionFor(*row); }

    QtStatusItem item;
    std::shared_ptr<StatusMenuRow> heading, update, write, research, focused, next, quit;
    int writeChosen = 0, researchChosen = 0;
};

TEST_F(QtStatusItemTest, TheMenuShowsEveryRowAsItsOwnerDescribesIt) {
    item.setMenu(sampleMenu());
    QMenu* menu = item.menu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(item.trayIcon().contextMenu(), menu);
    EXPECT_TRUE(menu->toolTipsVisible());

    QStringList texts;
    for (QAction* action : menu->actions()) texts << (action->isSeparator() ? "--" : action->text());
    EXPECT_EQ(texts, (QStringList{"Tessane", "", "--", "Write\tSuper+Alt+1", "R&&D\tSuper+Alt+2", "Focused App",
                                  "--", "Quit Tessane\tCtrl+Q"}))
        << "an ampersand in a name is shown, not taken as a mnemonic";

    EXPECT_FALSE(actionOf(heading)->isEnabled());
    EXPECT_FALSE(actionOf(update)->isVisible());
    EXPECT_TRUE(actionOf(write)->isVisible());
    EXPECT_EQ(actionOf(write)->toolTip(), "Show this workspace.");
    EXPECT_FALSE(actionOf(write)->isChecked());
    EXPECT_TRUE(actionOf(research)->isChecked());

    const QIcon icon = actionOf(write)->icon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_TRUE(icon.availableSizes().contains(QSize(16, 16)));
    EXPECT_EQ(icon.pixmap(16).toImage().pixelColor(8, 8), QColor(Qt::red));
    EXPECT_TRUE(actionOf(research)->icon().isNull());

    QMenu* submenu = actionOf(focused)->menu<QMenu*>();
    ASSERT_NE(submenu, nullptr);
    ASSERT_EQ(submenu->actions().size(), 2);
    EXPECT_EQ(submenu->actions().at(0), actionOf(next));
    EXPECT_EQ(submenu->actions().at(0)->text(), "Focus Next Pane\tSuper+Ctrl+Right");
}

TEST_F(QtStatusItemTest, ChangesInPlaceUpdateTheSameMenuAndActions) {
    item.setMenu(sampleMenu());
    QMenu* menu = item.menu();
    QAction* writeAction = actionOf(write);
    QAction* updateAction = actionOf(update);
    QMenu* submenu = actionOf(focused)->menu<QMenu*>();

    write->title = "Write More";
    write->shortcut.clear();
    write->enabled = false;
    write->checked = true;
    write->toolTip = "Already shown.";
    write->iconPNG = pngOf(Qt::blue);
    update->hidden = false;
    update->title = "Update to 2.1 available";
    research->checked = false;
    research->iconPNG = {1, 2, 3};  // no image in these bytes
    next->enabled = false;
    item.menuChanged();

    EXPECT_EQ(item.menu(), menu);
    EXPECT_EQ(actionOf(write), writeAction);
    EXPECT_EQ(actionOf(update), updateAction);
    EXPECT_EQ(actionOf(focused)->menu<QMenu*>(), submenu);
    EXPECT_EQ(writeAction->text(), "Write More");
    EXPECT_FALSE(writeAction->isEnabled());
    EXPECT_TRUE(writeAction->isChecked());
    EXPECT_EQ(writeAction->toolTip(), "Already shown.");
    const QImage checkedIcon = writeAction->icon().pixmap(QSize(16, 16), 1.0).toImage();
    EXPECT_EQ(checkedIcon.pixelColor(4, 4), QColor(Qt::blue));
    // A checked row's image carries a check mark of its own in the selection colour, where a
    // style would show at most a faint frame.
    auto selectionPixels = [](const QImage& image) {
        int count = 0;
        for (int y = 8; y < 16; ++y)
            for (int x = 8; x < 16; ++x) count += image.pixelColor(x, y) == QApplication::palette().color(QPalette::Highlight);
        return count;
    };
    EXPECT_GT(selectionPixels(checkedIcon), 10);
    menu->adjustSize();
    EXPECT_TRUE(uitest::saveScreenshot(*menu, "tray-menu.png"));
    write->checked = false;
    item.menuChanged();
    EXPECT_EQ(selectionPixels(writeAction->icon().pixmap(QSize(16, 16), 1.0).toImage()), 0);
    EXPECT_TRUE(updateAction->isVisible());
    EXPECT_EQ(updateAction->text(), "Update to 2.1 available");
    EXPECT_FALSE(actionOf(research)->isChecked());
    EXPECT_TRUE(actionOf(research)->icon().isNull());
    EXPECT_FALSE(actionOf(next)->isEnabled());
}

TEST_F(QtStatusItemTest, RowsRefilledOrSubmenusReplacedAreBuiltAnewAndTheRestKept) {
    item.setMenu(sampleMenu());
    QMenu* menu = item.menu();
    QAction* writeAction = actionOf(write);
    QPointer<QMenu> oldSubmenu = actionOf(focused)->menu<QMenu*>();

    // A submenu replaced by a new one: a new QMenu with the new rows behind the same row.
    auto actions = std::make_shared<StatusMenu>();
    auto rename = actions->add({.title = "Rename…"});
    focused->submenu = actions;
    // Rows refilled in the top menu: one removed, one added, the rest kept in their new order.
    auto& rows = item.statusMenu()->source()->rows;
    rows.erase(std::find(rows.begin(), rows.end(), research));
    auto added = std::make_shared<StatusMenuRow>(StatusMenuRow{.title = "Mail"});
    rows.insert(rows.begin() + 3, added);
    item.menuChanged();
    turnEventLoop();

    EXPECT_EQ(item.menu(), menu);
    EXPECT_EQ(actionOf(write), writeAction);
    EXPECT_EQ(actionOf(research), nullptr);
    QStringList texts;
    for (QAction* action : menu->actions()) texts << (action->isSeparator() ? "--" : action->text());
    EXPECT_EQ(texts, (QStringList{"Tessane", "", "--", "Mail", "Write\tSuper+Alt+1", "Focused App", "--",
                                  "Quit Tessane\tCtrl+Q"}));
    QMenu* newSubmenu = actionOf(focused)->menu<QMenu*>();
    ASSERT_NE(newSubmenu, nullptr);
    EXPECT_TRUE(oldSubmenu.isNull()) << "the replaced submenu is gone";
    ASSERT_EQ(newSubmenu->actions().size(), 1);
    EXPECT_EQ(newSubmenu->actions().at(0), actionOf(rename));

    // A submenu taken away leaves a plain row.
    focused->submenu = nullptr;
    item.menuChanged();
    EXPECT_EQ(actionOf(focused)->menu<QMenu*>(), nullptr);
}

TEST_F(QtStatusItemTest, ANewMenuReplacesTheOldOneWithItsActions) {
    item.setMenu(sampleMenu());
    QPointer<QMenu> old = item.menu();
    auto fresh = std::make_shared<StatusMenu>();
    auto only = fresh->add({.title = "No Workspaces Yet — Create One…"});
    item.setMenu(fresh);
    turnEventLoop();
    EXPECT_TRUE(old.isNull());
    ASSERT_NE(item.menu(), nullptr);
    EXPECT_EQ(item.trayIcon().contextMenu(), item.menu());
    ASSERT_EQ(item.menu()->actions().size(), 1);
    EXPECT_EQ(item.menu()->actions().at(0), actionOf(only));
    EXPECT_EQ(actionOf(write), nullptr);

    item.setMenu(nullptr);
    EXPECT_EQ(item.menu(), nullptr);
    EXPECT_EQ(item.trayIcon().contextMenu(), nullptr);
    item.menuChanged();  // nothing to follow, nothing breaks
}

TEST_F(QtStatusItemTest, AChosenRowRunsItsActionOnlyOnceTheEventLoopTurns) {
    item.setMenu(sampleMenu());
    actionOf(write)->trigger();
    actionOf(research)->trigger();
    EXPECT_EQ(writeChosen, 0) << "not inside the click";
    EXPECT_TRUE(actionOf(research)->isChecked()) << "the check mark is the owner's";
    turnEventLoop();
    EXPECT_EQ(writeChosen, 1);
    EXPECT_EQ(researchChosen, 1);

    // The action in place at the click runs; a row without one does nothing.
    write->action = [this] { writeChosen += 10; };
    item.menuChanged();
    actionOf(write)->trigger();
    actionOf(quit)->trigger();
    turnEventLoop();
    EXPECT_EQ(writeChosen, 11);
}

TEST_F(QtStatusItemTest, OpeningTheMenuLetsTheOwnerRefreshItsRowsFirst) {
    item.setMenu(sampleMenu());
    int opened = 0;
    item.setMenuWillOpenHandler([&] {
        ++opened;
        write->checked = true;
        item.menuChanged();
    });
    // A left click on the icon opens the same menu as the host's right click.
    Q_EMIT item.trayIcon().activated(QSystemTrayIcon::Trigger);
    ASSERT_TRUE(item.menu()->isVisible());
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(actionOf(write)->isChecked());
    // Another left click while it is open does not open it twice.
    Q_EMIT item.trayIcon().activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(opened, 1);
    item.menu()->hide();
    // Other activations (a double click, the middle button) leave it closed.
    Q_EMIT item.trayIcon().activated(QSystemTrayIcon::MiddleClick);
    EXPECT_FALSE(item.menu()->isVisible());
}

TEST_F(QtStatusItemTest, TheIconFollowsTheStateAndThePanelsPalette) {
    EXPECT_FALSE(item.isAvailable()) << "no tray host offscreen";
    EXPECT_TRUE(item.trayIcon().isVisible()) << "kept shown, for a host that comes later";
    item.setToolTip("Tessane — showing A, B");
    EXPECT_EQ(item.trayIcon().toolTip(), "Tessane — showing A, B");

    const QPalette original = QApplication::palette();
    QPalette light = original;
    light.setColor(QPalette::Window, QColor(0xF0, 0xF0, 0xF0));
    QApplication::setPalette(light);
    turnEventLoop();
    item.setImage({.live = true, .badged = true, .description = "Tessane — a workspace is showing, update available"});
    EXPECT_EQ(item.description(), "Tessane — a workspace is showing, update available");
    const QColor onLight = item.iconColour();
    EXPECT_LT(onLight.lightness(), 64);
    // At 22 pixels: a point of the filled left half, and the badge's dot.
    QImage image = item.trayIcon().icon().pixmap(22).toImage();
    EXPECT_EQ(image.pixelColor(5, 10), onLight);
    EXPECT_EQ(image.pixelColor(17, 4), onLight);

    QPalette dark = original;
    dark.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
    QApplication::setPalette(dark);
    turnEventLoop();
    const QColor onDark = item.iconColour();
    EXPECT_GT(onDark.lightness(), 192);
    image = item.trayIcon().icon().pixmap(22).toImage();
    EXPECT_EQ(image.pixelColor(5, 10), onDark) << "repainted when the palette changed";

    item.setImage({.live = false});
    image = item.trayIcon().icon().pixmap(22).toImage();
    EXPECT_EQ(image.pixelColor(5, 10).alpha(), 0) << "an outline when nothing is shown";

    // Hides and shows go back and forth between icons made once for the ink in force.
    const auto shown = [&](bool live) { item.setImage({.live = live}); return item.trayIcon().icon().cacheKey(); };
    const qint64 idle = item.trayIcon().icon().cacheKey(), live = shown(true);
    EXPECT_EQ(std::vector<qint64>({shown(false), shown(true)}), std::vector<qint64>({idle, live}));
    QApplication::setPalette(light);
    turnEventLoop();
    EXPECT_NE(item.trayIcon().icon().cacheKey(), live) << "made anew for another ink";
    QApplication::setPalette(original);
}

}  // namespace
}  // namespace tessane::qt_backend
