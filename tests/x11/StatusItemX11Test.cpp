// The tray icon on a private X server: docked by a small XEmbed tray, clicked with the pointer.
// Our own headers that use the word `emit` come before Qt's, which make it a keyword.
#include "x11/X11TestBase.h"
#include "platform/qt/tray/QtStatusItem.h"
#include "platform/qt/tray/QtStatusMenu.h"
#include "platform/qt/tray/StatusIconPainter.h"
#include "x11/WidgetApplication.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>

namespace tessane::x11test {
namespace {

class StatusItemX11Test : public X11TestBase {
protected:
    void SetUp() override {
        X11TestBase::SetUp();
        if (!ensureWidgetApplication(server_->display()))
            GTEST_SKIP() << "needs its own process (a QApplication on the private server)";
    }
    void TearDown() override {
        item_.reset();
        host_.reset();
        X11TestBase::TearDown();
    }

    void startHost(std::vector<std::string> options = {}) {
        std::vector<std::string> command{TESSANE_TRAY_HOST, "--at", "1600,0"};
        command.insert(command.end(), options.begin(), options.end());
        host_ = ChildProcess::start(command, server_->display(), server_->logFolder() + "/tray.log");
        ASSERT_NE(host_, nullptr);
        ASSERT_TRUE(host_->waitForLine("ready", kAnswer.limit)) << "the tray host did not come up";
    }
    // Waits, with Qt's events flowing, for the tray to dock an icon; its place in root pixels.
    std::optional<RootRect> waitForDocking() {
        std::optional<RootRect> docked;
        waitFor([&] {
            while (auto line = host_->readLine(10ms)) {
                RootRect r;
                unsigned long window = 0;
                if (std::sscanf(line->c_str(), "docked 0x%lx %d,%d %dx%d", &window, &r.x, &r.y, &r.width, &r.height) == 5)
                    docked = r;
            }
            return docked.has_value();
        });
        return docked;
    }
    bool viewable(QWidget* widget) {
        XWindowAttributes attributes;
        return XGetWindowAttributes(x_->display(), widget->winId(), &attributes) && attributes.map_state == IsViewable;
    }
    // The tray's pixels at `r` (root pixels), read from the tray's own window: what the tray shows,
    // whatever a compositing manager has put on the screen yet (Mutter beside a busy loop on every
    // core at times kept showing an icon's first drawing for good).
    XImage* trayImage(const RootRect& r) {
        const Window tray = XGetSelectionOwner(x_->display(), x_->atom("_NET_SYSTEM_TRAY_S0"));
        int x = 0, y = 0;
        Window child = 0;
        if (!tray || !XTranslateCoordinates(x_->display(), x_->root(), tray, r.x, r.y, &x, &y, &child)) return nullptr;
        return XGetImage(x_->display(), tray, x, y, r.width, r.height, AllPlanes, ZPixmap);
    }
    // Whether the icon's area shows the ink of our icon: dark on the tray's light background, which
    // still shows around it.
    bool showsIcon(const RootRect& r) {
        XImage* image = trayImage(r);
        if (!image) return false;
        int dark = 0;
        for (int y = 0; y < r.height; ++y)
            for (int x = 0; x < r.width; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                if (((p >> 16) & 0xFF) < 0x60 && ((p >> 8) & 0xFF) < 0x60 && (p & 0xFF) < 0x60) ++dark;
            }
        XDestroyImage(image);
        return dark > 10 && dark < r.width * r.height * 3 / 4;
    }
    // The icon's pixels on screen that stand out from the panel at `ratio` or more, and those of
    // exactly `ink`.
    std::pair<int, int> inkedPixels(const RootRect& r, const QColor& panel, double ratio, const QColor& ink) {
        XImage* image = trayImage(r);
        if (!image) return {0, 0};
        int standOut = 0, exact = 0;
        for (int y = 0; y < r.height; ++y)
            for (int x = 0; x < r.width; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                const QColor seen(int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF));
                standOut += qt_backend::contrastRatio(seen, panel) >= ratio;
                exact += seen == ink;
            }
        XDestroyImage(image);
        return {standOut, exact};
    }
    // A tray of `background` (announcing `foreground`, if given; docking in sockets of `depth`
    // bits) docks a live icon, which is inked for that panel (not with the outline kept for panels
    // nothing is known of) and stands out at 4.5:1.
    void expectLegibleOn(const char* background, const char* foreground = nullptr, int depth = 24) {
        std::vector<std::string> options{"--background", background, "--depth", std::to_string(depth)};
        if (foreground) options.insert(options.end(), {"--foreground", foreground});
        startHost(options);
        item_ = std::make_unique<qt_backend::QtStatusItem>();
        item_->setImage({.live = true});
        const auto docked = waitForDocking();
        ASSERT_TRUE(docked) << "the tray docked no icon";
        const QColor panel(QString("#") + background);
        const QColor announced = foreground ? QColor(QString("#") + foreground) : QColor();
        // The filled symbol covers about a third of the icon.
        EXPECT_TRUE(waitFor([&] {
            const auto [standOut, exact] = inkedPixels(*docked, panel, 4.5, announced);
            return !item_->iconInk().halo && standOut > docked->width * docked->height / 5 && (!foreground || exact > 20);
        })) << "ink " << item_->iconColour().name().toStdString();
    }
    bool click(int x, int y, int button = 1) {
        return server_->run({"xdotool", "mousemove", std::to_string(x), std::to_string(y), "click",
                             std::to_string(button)}) == 0;
    }
    std::shared_ptr<StatusMenu> menuWithRows() {
        auto menu = std::make_shared<StatusMenu>();
        menu->add({.title = "Tessane", .enabled = false});
        menu->addSeparator();
        write = menu->add({.title = "Write", .shortcut = "Super+Alt+1", .action = [this] { ++writeChosen; }});
        menu->add({.title = "Mail", .shortcut = "Super+Alt+2"});
        return menu;
    }

    std::unique_ptr<ChildProcess> host_;
    std::unique_ptr<qt_backend::QtStatusItem> item_;
    std::shared_ptr<StatusMenuRow> write;
    int writeChosen = 0;
};

TEST_F(StatusItemX11Test, AClickOnTheDockedIconOpensTheMenuAndAClickOnARowRunsIt) {
    startHost();
    item_ = std::make_unique<qt_backend::QtStatusItem>();
    item_->setImage({.live = true});
    item_->setMenu(menuWithRows());
    int opened = 0;
    item_->setMenuWillOpenHandler([&] { ++opened; });
    EXPECT_TRUE(item_->isAvailable());

    const auto docked = waitForDocking();
    ASSERT_TRUE(docked) << "the tray docked no icon";
    ASSERT_TRUE(waitFor([&] { return showsIcon(*docked); })) << "the icon is not painted in the tray";
    EXPECT_TRUE(waitFor([&] { return item_->trayIcon().geometry() == QRect(docked->x, docked->y, docked->width, docked->height); }))
        << "Qt places the icon where the tray docked it";

    // A left click opens the menu at the pointer.
    ASSERT_TRUE(click(docked->x + docked->width / 2, docked->y + docked->height / 2));
    QMenu* menu = item_->menu();
    ASSERT_TRUE(waitFor([&] { return menu->isVisible() && viewable(menu); })) << "no menu after a left click";
    EXPECT_EQ(opened, 1);

    QAction* row = item_->statusMenu()->actionFor(*write);
    const QPoint at = menu->mapToGlobal(menu->actionGeometry(row).center());
    ASSERT_TRUE(click(at.x(), at.y()));
    ASSERT_TRUE(waitFor([&] { return writeChosen == 1; })) << "the chosen row's action did not run";
    EXPECT_FALSE(menu->isVisible());

    // The host's own gesture, a right click, opens the same menu.
    ASSERT_TRUE(click(docked->x + docked->width / 2, docked->y + docked->height / 2, 3));
    ASSERT_TRUE(waitFor([&] { return menu->isVisible(); })) << "no menu after a right click";
    EXPECT_EQ(opened, 2);
    menu->hide();
}

// Whatever the application's palette guesses, the icon reads on the panel it is docked in: a black,
// a white and a mid-grey one, also where the tray docks it in a socket with an alpha channel (which
// reads back clear, as black), and one whose tray announces the colour its icons take.
TEST_F(StatusItemX11Test, TheIconStandsOutOnABlackPanel) { expectLegibleOn("000000"); }
TEST_F(StatusItemX11Test, TheIconStandsOutOnAWhitePanel) { expectLegibleOn("ffffff"); }
TEST_F(StatusItemX11Test, TheIconStandsOutOnAMidGreyPanel) { expectLegibleOn("808080"); }
TEST_F(StatusItemX11Test, TheIconStandsOutOnABlackPanelOfATranslucentTray) { expectLegibleOn("000000", nullptr, 32); }
TEST_F(StatusItemX11Test, TheIconStandsOutOnAWhitePanelOfATranslucentTray) { expectLegibleOn("ffffff", nullptr, 32); }
TEST_F(StatusItemX11Test, TheIconStandsOutOnAMidGreyPanelOfATranslucentTray) { expectLegibleOn("808080", nullptr, 32); }
TEST_F(StatusItemX11Test, TheIconTakesTheColourATrayAnnounces) {
    expectLegibleOn("404040", "ffcc00");
    // Read again while another client holds the server, the colours are not waited for: the read
    // returns, and their answer is taken once the server serves us again.
    XGrabServer(x_->display());
    XSync(x_->display(), False);
    item_->refreshInk();
    XUngrabServer(x_->display());
    XFlush(x_->display());
    EXPECT_TRUE(waitFor([&] { return item_->iconColour() == QColor("#ffcc00"); }));
}

TEST_F(StatusItemX11Test, WithoutATrayNothingShowsAndAnIconAppearsOnceOneComes) {
    item_ = std::make_unique<qt_backend::QtStatusItem>();
    EXPECT_FALSE(item_->isAvailable());
    item_->setImage({.live = false, .badged = true});
    item_->setToolTip("Tessane");
    item_->setMenu(menuWithRows());
    item_->menuChanged();
    Q_EMIT item_->trayIcon().activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(waitFor([&] { return item_->menu()->isVisible(); })) << "the menu still opens when asked";
    item_->menu()->hide();

    startHost();
    const auto docked = waitForDocking();
    ASSERT_TRUE(docked) << "the icon was not docked once a tray came";
    EXPECT_TRUE(item_->isAvailable());
    EXPECT_TRUE(waitFor([&] { return showsIcon(*docked); }));
}

}  // namespace
}  // namespace tessane::x11test
