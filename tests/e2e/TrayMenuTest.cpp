// The tray icon and its menu in the running program: a small XEmbed tray (started before Tessane,
// as a desktop's panel would be) docks the icon; the test clicks it and drives the open menu with
// the keyboard, as a user may. Without a tray the program says so once and its hot keys still
// work; Quit, from the menu or with Ctrl+Q in one of our windows, runs the whole quit sequence.
#include "EndToEndTest.h"

#include "x11/support/ShownOnScreen.h"
#include <X11/Xlib.h>
#include <X11/Xutil.h>  // the ICCCM window states

#include <algorithm>
#include <cstdio>

namespace tessane::e2e {
namespace {

constexpr const char* kNoTrayLine = "[Tessane] No system tray on this desktop";

class TrayMenuTest : public EndToEndTest {
protected:
    void TearDown() override {
        EndToEndTest::TearDown();
        host_.reset();
    }

    void startHost() {
        host_ = ChildProcess::start({TESSANE_TRAY_HOST, "--at", "1600,0"}, server_->display(),
                                    server_->logFolder() + "/tray.log");
        ASSERT_NE(host_, nullptr);
        ASSERT_TRUE(host_->waitForLine("ready", kAnswer.limit)) << "the tray host did not come up";
    }
    // The place where the tray docked Tessane's icon, as the host reports it.
    std::optional<RootRect> waitForIcon() {
        const auto line = host_->waitForLine("docked ", kAnswer.limit);
        if (!line) return std::nullopt;
        RootRect r;
        unsigned long window = 0;
        if (std::sscanf(line->c_str(), "docked 0x%lx %d,%d %dx%d", &window, &r.x, &r.y, &r.width, &r.height) != 5)
            return std::nullopt;
        return r;
    }

    // How the icon looks: its ink (our icon is dark on the tray's light background), and how much
    // of the line down the middle of each of the symbol's two panes is inked: all of it in the
    // filled symbol, none in the outline. It is read from the window docked in the icon's place,
    // not from the screen, where a compositor (Mutter under load) may leave the tray's older
    // pixels. (The tray is no panel that the window manager keeps free: the thin edge of a shown
    // workspace's chrome may cross the icon.)
    struct Ink {
        int dark = 0;
        int panePoints = 0, darkPanePoints = 0;
    };
    static bool dark(unsigned long p) { return ((p >> 16) & 0xFF) < 0x60 && ((p >> 8) & 0xFF) < 0x60 && (p & 0xFF) < 0x60; }
    Window dockedAt(const RootRect& icon) {
        Display* d = x_->display();
        const Window tray = XGetSelectionOwner(d, XInternAtom(d, "_NET_SYSTEM_TRAY_S0", False));
        Window root = 0, parent = 0, *children = nullptr;
        unsigned n = 0;
        if (!tray || !XQueryTree(d, tray, &root, &parent, &children, &n)) return 0;
        Window found = 0;
        for (unsigned i = 0; i < n && !found; ++i) {
            int x = 0, y = 0;
            Window child = 0;
            XTranslateCoordinates(d, children[i], root, 0, 0, &x, &y, &child);
            if (x == icon.x && y == icon.y) found = children[i];
        }
        if (children) XFree(children);
        return found;
    }
    Ink ink(const RootRect& icon) {
        Ink seen;
        const Window docked = dockedAt(icon);
        XImage* image = docked ? XGetImage(x_->display(), docked, 0, 0, icon.width, icon.height, AllPlanes, ZPixmap) : nullptr;
        if (!image) return seen;
        for (int y = 0; y < icon.height; ++y)
            for (int x = 0; x < icon.width; ++x) seen.dark += dark(XGetPixel(image, x, y));
        // The symbol on its 18-unit canvas: two panes 8 units wide from 1 to 17 across, 3 to 15 down.
        for (const double unitsX : {5.0, 13.0})
            for (int y = 5 * icon.height / 18; y <= 13 * icon.height / 18; ++y) {
                ++seen.panePoints;
                seen.darkPanePoints += dark(XGetPixel(image, static_cast<int>(unitsX * icon.width / 18), y));
            }
        XDestroyImage(image);
        return seen;
    }
    bool showsOutline(const RootRect& icon) {
        const Ink seen = ink(icon);
        return seen.dark > 10 && seen.darkPanePoints == 0;
    }
    bool showsFilled(const RootRect& icon) {
        const Ink seen = ink(icon);
        return seen.darkPanePoints >= seen.panePoints / 2;
    }
    std::string describe(const Ink& seen) {
        return "dark pixels " + std::to_string(seen.dark) + ", inked pane points " + std::to_string(seen.darkPanePoints) +
               " of " + std::to_string(seen.panePoints);
    }

    // A left click on the icon, as a user opens the menu.
    void openMenu(const RootRect& icon) {
        // The test's tray is a strip of its own, not a panel the manager keeps above the windows
        // (Mutter raises one over it after a hide): it comes up before the click, as a panel is.
        Display* d = x_->display();
        if (const Window tray = XGetSelectionOwner(d, XInternAtom(d, "_NET_SYSTEM_TRAY_S0", False))) {
            XRaiseWindow(d, tray);
            XSync(d, False);
        }
        ASSERT_EQ(server_->run({"xdotool", "mousemove", std::to_string(icon.x + icon.width / 2),
                                std::to_string(icon.y + icon.height / 2), "click", "1"}),
                  0);
        ASSERT_TRUE(waitFor([&] { return openMenuWindow() != 0; })) << "no menu after a click on the icon";
    }
    // Keys typed into the open menu, one after the other.
    void typeIntoMenu(const std::vector<std::string>& keys) {
        for (const auto& key : keys) press(key);
    }

    // Whether every one of `upper` lies above every one of `lower` in the stacking order (their
    // frames, as children of the root).
    bool stackedAbove(const std::vector<XWindowId>& upper, const std::vector<XWindowId>& lower) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned n = 0;
        if (!XQueryTree(x_->display(), x_->root(), &root, &parent, &children, &n)) return false;
        const std::vector<Window> order(children, children + n);  // bottom to top
        if (children) XFree(children);
        const auto at = [&](XWindowId client) {
            const auto top = topLevelOf(x_->display(), client);
            return top ? std::find(order.begin(), order.end(), *top) - order.begin() : -1;
        };
        for (XWindowId u : upper)
            for (XWindowId l : lower)
                if (at(l) < 0 || at(u) <= at(l)) return false;
        return true;
    }

    // What the quit must undo: the pair shown, then hidden by Tessane.
    void showThenHidePair() {
        showPair();
        press("super+alt+h");
        ASSERT_TRUE(waitForState({alpha_, beta_}, IconicState)) << log();
    }

    std::unique_ptr<ChildProcess> host_;
};

// Two workspaces: the menu's second workspace row shows the second one, tiled.
TEST_F(TrayMenuTest, AClickOnTheIconOpensTheMenuAndAWorkspaceRowShowsThatWorkspace) {
    for (const char* name : {"Alpha", "Beta", "Gamma", "Delta"}) home_->installApp(name);
    alpha_ = runApp("Alpha").windows.at(0);
    beta_ = runApp("Beta").windows.at(0);
    const XWindowId gamma = runApp("Gamma").windows.at(0);
    const XWindowId delta = runApp("Delta").windows.at(0);
    home_->storeWorkspaces({home_->workspace("Pair", {"Alpha", "Beta"}), home_->workspace("Other", {"Gamma", "Delta"})});
    startHost();
    ASSERT_NO_FATAL_FAILURE(startReadyTessane());
    const auto icon = waitForIcon();
    ASSERT_TRUE(icon) << "the tray docked no icon\n" << log();
    EXPECT_EQ(logCount(kNoTrayLine), 0u) << log();

    ASSERT_NO_FATAL_FAILURE(openMenu(*icon));
    // Down skips the disabled title row: the first workspace row, then the second.
    typeIntoMenu({"Down", "Down", "Return"});
    EXPECT_TRUE(waitFor([&] { return openMenuWindow() == 0; })) << "the menu stayed open";
    EXPECT_TRUE(waitUntilTiled(gamma, delta)) << frames(gamma, delta) << "\n" << log();
    EXPECT_FALSE(tiled()) << "the other workspace was shown too: " << frames();
}

// The shown workspace's primary app takes no keyboard input (as xclock): managers that go by that
// will not activate it. The show raises its windows all the same, over the windows of another
// workspace's apps that lay over its panes, and the workspace's other app comes up with it.
TEST_F(TrayMenuTest, AShowFromTheMenuRaisesAWorkspaceWhosePrimaryAppTakesNoInput) {
    for (const char* name : {"Alpha", "Beta", "Delta"}) home_->installApp(name);
    home_->installApp("Gamma", {"--no-input"});
    const XWindowId gamma = runApp("Gamma", {"--no-input"}).windows.at(0);
    const XWindowId delta = runApp("Delta").windows.at(0);
    // Opened last, over where the left pane and the right pane will be.
    alpha_ = runApp("Alpha", {"--pos", "200,200", "--size", "600x600"}).windows.at(0);
    beta_ = runApp("Beta", {"--pos", "1100,200", "--size", "600x600"}).windows.at(0);
    home_->storeWorkspaces({home_->workspace("Pair", {"Alpha", "Beta"}), home_->workspace("Clock", {"Gamma", "Delta"})});
    startHost();
    ASSERT_NO_FATAL_FAILURE(startReadyTessane());
    const auto icon = waitForIcon();
    ASSERT_TRUE(icon) << "the tray docked no icon\n" << log();
    ASSERT_TRUE(waitFor([&] { return stackedAbove({alpha_, beta_}, {gamma, delta}); }))
        << "the windows opened last lie over the others";

    ASSERT_NO_FATAL_FAILURE(openMenu(*icon));
    // The second workspace row.
    typeIntoMenu({"Down", "Down", "Return"});
    ASSERT_TRUE(waitUntilTiled(gamma, delta)) << frames(gamma, delta) << "\n" << log();
    EXPECT_TRUE(waitFor([&] { return stackedAbove({gamma, delta}, {alpha_, beta_}); }))
        << "another app's window lies over a pane of the shown workspace\n" << log();
}

TEST_F(TrayMenuTest, TheIconTurnsFromTheOutlineToTheFilledSymbolOnceAWorkspaceShows) {
    startHost();
    startWithPair();
    const auto icon = waitForIcon();
    ASSERT_TRUE(icon) << "the tray docked no icon\n" << log();
    ASSERT_TRUE(waitFor([&] { return showsOutline(*icon); })) << describe(ink(*icon));

    ASSERT_NO_FATAL_FAILURE(showPair());
    EXPECT_TRUE(waitFor([&] { return showsFilled(*icon); })) << describe(ink(*icon));
}

TEST_F(TrayMenuTest, WithoutATrayTheProgramSaysSoOnceAndItsHotKeysStillWork) {
    startWithPair();
    ASSERT_TRUE(waitForLog(kNoTrayLine)) << log();
    // The show and the hide change what the menu holds; its refreshes do not say it again.
    ASSERT_NO_FATAL_FAILURE(showThenHidePair());
    EXPECT_EQ(logCount(kNoTrayLine), 1u) << log();
    EXPECT_TRUE(tessane_->running());
}

// Settings, opened from the menu over a shown workspace, lies above every strip of its chrome and
// takes the pointer where it covers the gutter between the two apps.
TEST_F(TrayMenuTest, SettingsFromTheMenuCoversTheChromeAndTakesThePointerOverTheGutter) {
    startHost();
    startWithPair();
    const auto icon = waitForIcon();
    ASSERT_TRUE(icon) << "the tray docked no icon\n" << log();
    ASSERT_NO_FATAL_FAILURE(showPair());
    Display* d = x_->display();
    // The first show's tips card is up: a card shown later would close the open menu.
    ASSERT_TRUE(waitFor([&] { return viewableRootChildNamed("Tessane tips"); }));

    // On the icon's upper edge: the chrome's top strip may cross its lower part.
    ASSERT_NO_FATAL_FAILURE(openMenu({icon->x, icon->y, icon->width, 8}));
    // Up from no row: Quit, Report a Bug…, Settings… (Check for Updates… is off in a build run
    // from its folder).
    typeIntoMenu({"Up", "Up", "Up", "Return"});
    const XWindowId settings = waitForSettingsWindow();
    ASSERT_NE(settings, 0u) << log();
    const RootRect s = frame(settings), a = frame(alpha_), b = frame(beta_);
    const int x = (a.x + a.width + b.x) / 2, y = s.y + s.height / 2;
    ASSERT_TRUE(s.x < x && x < s.x + s.width) << "the settings window lies over the gutter: " << frameText(settings);

    const auto topLevelOf = [&](Window w) {
        for (;;) {
            Window root = 0, parent = 0, *children = nullptr;
            unsigned n = 0;
            if (!XQueryTree(d, w, &root, &parent, &children, &n)) return Window(0);
            if (children) XFree(children);
            if (parent == root) return w;
            w = parent;
        }
    };
    const Window settingsFrame = topLevelOf(settings);
    const auto pointerChild = [&] {
        Window root = 0, child = 0;
        int rx = 0, ry = 0, wx = 0, wy = 0;
        unsigned mask = 0;
        XQueryPointer(d, x_->root(), &root, &child, &rx, &ry, &wx, &wy, &mask);
        return child;
    };
    ASSERT_EQ(server_->run({"xdotool", "mousemove", std::to_string(x), std::to_string(y)}), 0);
    EXPECT_TRUE(waitFor([&] { return pointerChild() == settingsFrame; }))
        << "the pointer over the gutter is in window 0x" << std::hex << pointerChild();
    // Every viewable strip of ours lies below the settings window, once the stacking rule has
    // heard of the manager's last restack (Metacity under load restacks the settings window's
    // frame a moment after it took the pointer).
    const auto stripsAbove = [&] {
        std::string above;
        Window root = 0, parent = 0, *children = nullptr;
        unsigned n = 0;
        if (!XQueryTree(d, x_->root(), &root, &parent, &children, &n)) return std::string("no tree");
        bool aboveSettings = false;
        for (unsigned i = 0; i < n; ++i) {
            if (children[i] == settingsFrame) aboveSettings = true;
            const auto name = x_->text(children[i], "_NET_WM_NAME").value_or("");
            if (aboveSettings && x11test::shownOnScreen(d, children[i]) &&
                (name == "Tessane shield" || name == "Tessane handle" || name == "Tessane rail"))
                above += name + " ";
        }
        if (children) XFree(children);
        return above;
    };
    std::string above;
    EXPECT_TRUE(waitFor([&] { return (above = stripsAbove()).empty(); })) << above << "above";
}

// Quit, the menu's last row, ends the program the way a signal does: the apps it hid come back.
TEST_F(TrayMenuTest, QuitFromTheMenuBringsBackEveryAppTessaneHid) {
    startHost();
    startWithPair();
    const auto icon = waitForIcon();
    ASSERT_TRUE(icon) << "the tray docked no icon\n" << log();
    ASSERT_NO_FATAL_FAILURE(showThenHidePair());

    ASSERT_NO_FATAL_FAILURE(openMenu(*icon));
    // Up from no row wraps round to the last one.
    typeIntoMenu({"Up", "Return"});
    ASSERT_EQ(tessane_->wait(kAnswer.limit), 0) << "the program did not end after Quit\n" << log();
    tessane_.reset();
    EXPECT_TRUE(waitForState({alpha_, beta_}, NormalState)) << log();
    EXPECT_EQ(logCount("[Tessane] Unhide-on-quit: asked 2 of 2 app(s) to come back"), 1u) << log();
    EXPECT_TRUE(preferences().contains("TessaneUnhideAskedAt")) << preferences().dump();
}

// Ctrl+Q in the settings window (opened by `tessane --settings`, which the running program is
// asked for) quits the same way.
TEST_F(TrayMenuTest, CtrlQInTheSettingsWindowQuitsTheSameWay) {
    startWithPair();
    ASSERT_NO_FATAL_FAILURE(showThenHidePair());

    const XWindowId settings = openSettingsWindow();
    ASSERT_NE(settings, 0u);
    // xfwm4 under load hands over the keyboard a moment before Qt hears that its window is
    // active, and a key in that moment is not a shortcut yet: the user presses again.
    std::optional<int> exit;
    for (int attempt = 0; attempt < 3 && !exit; ++attempt) {
        ASSERT_TRUE(activate(settings)) << "the settings window never had the keyboard";
        press("ctrl+q");
        exit = tessane_->wait(kAnswer.limit);
    }
    ASSERT_EQ(exit, 0) << "the program did not end after Ctrl+Q\n" << log();
    tessane_.reset();
    EXPECT_TRUE(waitForState({alpha_, beta_}, NormalState)) << log();
    EXPECT_EQ(logCount("[Tessane] Unhide-on-quit: asked 2 of 2 app(s) to come back"), 1u) << log();
}

}  // namespace
}  // namespace tessane::e2e
