// The chrome of a shown workspace on a desktop as users have them: Qt scaling its geometry, the
// window manager raising a clicked app, a title-bar drag, a compositing manager with shadows.
#include "ChromeOnDesktop.h"

#include <QImage>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tessane::e2e {
namespace {

class ScaledChromeTest : public ChromeOnDesktopTest, public ::testing::WithParamInterface<const char*> {};

// The chrome and the layout are in points, drawn at the screen's scale: at 2 the rail, the gutter
// and the tips card are twice their size at 1, and every strip still lies in the gaps around the
// panes (whole X pixels, within one of the exact size at 1.5).
TEST_P(ScaledChromeTest, TheChromeIsAtTheScreensScaleAndLiesAroundThePanesInsideTheScreen) {
    setenv("QT_SCALE_FACTOR", GetParam(), 1);
    const double scale = std::stod(GetParam());
    const auto near = [&](int pixels, double points) { return std::abs(pixels - points * scale) <= 1; };
    startWithPair();
    ASSERT_NO_FATAL_FAILURE(showPair());
    // Side by side is not yet in place: a loaded app may take its last size a moment later. The
    // panes are read once they span the screen and no longer change, and the chrome once all of it
    // is up (the windows may be in place before it).
    RootRect a, b;
    ASSERT_TRUE(tiledAsAnswered(alpha_, beta_, a, b, [&] {
        return std::abs(a.x + b.x + b.width - kScreenWidth) <= 2 && panels("shield").size() == 7 &&
               panels("rail").size() == 1 && panels("handle").size() == 1 && panels("tips").size() == 1;
    }))
        << "panes " << text(a) << " and " << text(b);
    const auto inside = [](const RootRect& r, const RootRect& in) {
        return r.x >= in.x && r.y >= in.y && r.x + r.width <= in.x + in.width && r.y + r.height <= in.y + in.height;
    };
    const auto overlap = [](const RootRect& r, const RootRect& s) {
        return r.x < s.x + s.width && s.x < r.x + r.width && r.y < s.y + s.height && s.y < r.y + r.height;
    };
    const RootRect screen{0, 0, kScreenWidth, 1080};
    for (const auto& p : panels()) {
        EXPECT_TRUE(inside(p.rect, screen)) << p.name << " " << text(p.rect);
        if (p.name == "shield") {
            EXPECT_FALSE(overlap(p.rect, a) || overlap(p.rect, b)) << "over a pane: " << text(p.rect);
        }
    }
    const RootRect gap{a.x + a.width, a.y, b.x - a.x - a.width, a.height};
    const auto shields = panels("shield");
    EXPECT_TRUE(std::any_of(shields.begin(), shields.end(), [&](const Shown& s) { return inside(gap, s.rect); }))
        << "a shield covers the gutter " << text(gap);
    const RootRect handle = panels("handle").at(0).rect, rail = panels("rail").at(0).rect;
    const RootRect tips = panels("tips").at(0).rect;
    EXPECT_TRUE(near(gap.width, 6)) << "the gutter " << text(gap);
    EXPECT_LE(std::abs(handle.x + handle.width / 2 - (gap.x + gap.width / 2)), 1) << text(handle);
    EXPECT_EQ(handle.height, a.height);
    EXPECT_TRUE(near(rail.width, 80) && near(rail.height, 12)) << "the rail " << text(rail);
    EXPECT_LE(std::abs(rail.x + rail.width / 2 - (a.x + b.x + b.width) / 2), 1) << text(rail);
    EXPECT_TRUE(near(rail.y + rail.height - a.y, 9)) << "the rail on the container's top edge: " << text(rail);
    EXPECT_TRUE(near(tips.width, 412) && near(tips.height, 250)) << "the tips card " << text(tips);
    saveScreen(std::string("chrome-scale-") + GetParam() + ".png");
}

INSTANTIATE_TEST_SUITE_P(QtScale, ScaledChromeTest, ::testing::Values("1", "2", "1.5"));

// At scale 2 the handle is dragged in X pixels and moves the divider as far: the panes re-split
// under the pointer and keep their gutter.
TEST_F(ChromeOnDesktopTest, AtScaleTwoDraggingTheHandleReSplitsThePanes) {
    setenv("QT_SCALE_FACTOR", "2", 1);
    // The tips seen before: no card comes up over the handle while it is dragged.
    std::ofstream(home_->preferencesFile())
        << R"({"TessaneHasSeenOnboarding": true, "TessaneHasSeenWorkspaceTips.v1": true})" << "\n";
    startWithPair();
    ActivationRequests activations(server_->display());
    ASSERT_NO_FATAL_FAILURE(showPair());
    ASSERT_TRUE(waitFor([&] { return panels("handle").size() == 1 && panels("rail").size() == 1; }));
    ASSERT_TRUE(showsActivationsDone(activations)) << latestLog();
    const RootRect a = frame(alpha_), b = frame(beta_), handle = panels("handle").at(0).rect;
    const int x0 = handle.x + handle.width / 2, y = handle.y + handle.height / 2, x1 = x0 + 200;
    ASSERT_EQ(server_->run({"xdotool", "mousemove", std::to_string(x0), std::to_string(y), "mousedown", "1"}), 0);
    for (int step = 1; step <= 10; ++step)
        ASSERT_EQ(server_->run({"xdotool", "mousemove", std::to_string(x0 + (x1 - x0) * step / 10), std::to_string(y)}), 0);
    ASSERT_EQ(server_->run({"xdotool", "mouseup", "1"}), 0);
    RootRect left, right;
    EXPECT_TRUE(waitFor(
        [&] {
            left = frame(alpha_), right = frame(beta_);
            return std::abs(left.width - (a.width + 200)) <= 2 && right.x + right.width == b.x + b.width &&
                   right.x - left.x - left.width == b.x - a.x - a.width;
        }))
        << "panes " << text(left) << " and " << text(right) << " after a drag of 200 pixels from " << text(a) << " and "
        << text(b) << "\n" << latestLog();
}

// The window manager raises an app's frame when it is clicked: the rail goes back on top of it,
// all of it takes the pointer, and its right-click menu is the workspace's, not the window
// manager's.
TEST_F(ChromeOnDesktopTest, AfterAClickIntoATiledAppTheRailIsOnTopAndOpensTheActionsMenu) {
    clickAnAppThenRightClickTheRail();
}

// KWin with its compositor off: the panels take the shapes of what they draw, and the rail takes the
// pointer beyond its pill through an input-only window laid over it. KWin lays an input-only window
// of its own around each frame, right above it, to resize it by a border it does not draw: around
// Alpha's it covers the rail where the rail meets the gutter.
class KWinWithoutCompositingTest : public ChromeOnDesktopTest {
protected:
    static void SetUpTestSuite() {
        setenv("KWIN_COMPOSE", "N", 1);
        X11TestServer::Options options;
        options.windowManagerName = "kwin";
        startServer(options);
        unsetenv("KWIN_COMPOSE");
    }
};

TEST_F(KWinWithoutCompositingTest, AfterAClickIntoATiledAppTheRailOpensTheActionsMenu) {
    clickAnAppThenRightClickTheRail();
}

// A window dragged by its title bar (the window manager moves its frame; the app hears of the
// drop only) over the other pane: the drop preview shows there while the button is still down.
TEST_F(ChromeOnDesktopTest, ASlowTitleBarDragOverTheOtherPaneShowsThePreviewBeforeTheRelease) {
    startWithPair();
    ActivationRequests activations(server_->display());
    ASSERT_NO_FATAL_FAILURE(showPair());
    // Past the show's own placements, which a move during them would count as the program's: the
    // first show's tips card comes up once they are over. A window manager ends a move of a frame
    // when it activates another (Mutter).
    ASSERT_TRUE(waitFor([&] { return panels("tips").size() == 1; })) << latestLog();
    ASSERT_TRUE(showsActivationsDone(activations)) << latestLog();
    const RootRect a = frame(alpha_), b = frame(beta_);
    const int x0 = a.x + a.width / 2, y0 = a.y + 8, x1 = b.x + b.width / 2;
    ASSERT_EQ(server_->run({"xdotool", "mousemove", std::to_string(x0), std::to_string(y0), "mousedown", "1"}), 0);
    bool seen = false;
    constexpr testing::Bound kStep{"a preview before the pointer moves on", 50ms};
    for (int step = 1; step <= 30 && !seen; ++step) {
        ASSERT_EQ(server_->run({"xdotool", "mousemove", std::to_string(x0 + (x1 - x0) * step / 30), std::to_string(y0 + 3 * step)}), 0);
        seen = waitFor([&] { return !panels("preview").empty(); }, kStep);
    }
    if (!seen) seen = waitFor([&] { return !panels("preview").empty(); }, kAskAgain);
    const auto previews = panels("preview");
    ASSERT_EQ(server_->run({"xdotool", "mouseup", "1"}), 0);
    ASSERT_TRUE(seen) << "no preview during the drag\n" << latestLog();
    // The pane as it was: once the button is up, the swap may already have moved the window.
    EXPECT_EQ(text(previews.at(0).rect), text(b)) << "the preview covers the pane the window would take";
    EXPECT_TRUE(waitForLog("[Tessane] Swapped panes in “Pair”: Alpha ⇄ Beta.")) << latestLog();
}

// Two displays side by side, the left at scale 1 and the right at 2 (by their names, as a HiDPI
// desktop sets them): a workspace shown on the right one has that display's chrome and gutter.
TEST_F(ChromeOnDesktopTest, AWorkspaceShownOnTheDisplayAtTwoBesideOneAtOneHasTheChromeAtTwo) {
    if (server_->run({"xrandr", "--setmonitor", "LEFT", "640/169x1080/286+0+0", "screen"}) != 0 ||
        server_->run({"xrandr", "--setmonitor", "RIGHT", "1280/338x1080/286+640+0", "none"}) != 0)
        GTEST_SKIP() << "no second display on this server";
    setenv("QT_SCREEN_SCALE_FACTORS", "LEFT=1;RIGHT=2", 1);
    home_->installApp("Alpha");
    home_->installApp("Beta");
    // The apps' windows, the active one among them, are on the right display: the show goes there.
    alpha_ = runApp("Alpha", {"--pos", "800,100"}).windows.at(0);
    beta_ = runApp("Beta", {"--pos", "1000,200"}).windows.at(0);
    home_->storeWorkspaces({home_->workspace("Pair", {"Alpha", "Beta"})});
    ASSERT_NO_FATAL_FAILURE(startReadyTessane());
    press("super+alt+1");
    RootRect a, b;
    ASSERT_TRUE(tiledAsAnswered(alpha_, beta_, a, b, [&] {
        return a.x >= 640 && b.x + b.width <= 1920 && panels("rail").size() == 1 && panels("handle").size() == 1;
    }))
        << "panes " << text(a) << " and " << text(b) << "\n" << latestLog();
    const RootRect rail = panels("rail").at(0).rect;
    EXPECT_EQ(b.x - a.x - a.width, 12) << "the gutter between " << text(a) << " and " << text(b);
    EXPECT_EQ(rail.width, 160) << text(rail);
    EXPECT_EQ(rail.height, 24) << text(rail);
    EXPECT_GE(rail.x, 640) << text(rail);
}

// Under picom with the settings Debian ships as its example (shadows on), the strips cast none:
// the apps' pixels beside the gutter look like the rest of them, or still differ from it once the
// chrome is gone.
TEST_F(ChromeOnDesktopTest, UnderPicomNoAppPixelBesideTheGutterIsDarkened) {
    if (const auto whyNot = startPicom(); !whyNot.empty()) GTEST_SKIP() << whyNot;
    startWithPair();
    ASSERT_NO_FATAL_FAILURE(showPair());
    ASSERT_TRUE(waitFor([&] { return panels("shield").size() == 7; }));
    const bool chromeDrawn = picomDrew();
    if (picomTookOver()) GTEST_SKIP() << server_->windowManagerName() << " took over compositing from picom";
    ASSERT_TRUE(chromeDrawn) << "picom never showed and took away the probe";
    // The apps' own areas: the window manager's borders around them differ from one manager to the next.
    const RootRect a = client(alpha_), b = client(beta_);
    // A row is read at one instant: the show's last activations may still be moving the focus, and
    // with it picom's dimming, while a row read pixel by pixel straddles the change.
    const int left = a.x, width = b.x + b.width - a.x;
    const auto at = [&](const std::vector<unsigned long>& r, int x) { return r.at(static_cast<size_t>(x - left)); };
    struct Spot {
        int x, y;
        unsigned long middle;  // of the same app, on the same row
    };
    std::vector<Spot> darker;
    for (const int y : {a.y + a.height / 3, a.y + a.height * 2 / 3}) {
        const auto r = row(left, y, width);
        const unsigned long leftMiddle = at(r, a.x + a.width / 2), rightMiddle = at(r, b.x + b.width / 2);
        for (int dx = 1; dx <= 16; ++dx) {
            if (at(r, a.x + a.width - dx) != leftMiddle) darker.push_back({a.x + a.width - dx, y, leftMiddle});
            if (at(r, b.x + dx - 1) != rightMiddle) darker.push_back({b.x + dx - 1, y, rightMiddle});
        }
    }
    endTessane(SIGTERM);
    // KWin's own frames cast a shadow into the next window: what stays once the chrome is gone
    // was not the chrome's. (Against the app's middle again: the focus, and with it picom's
    // dimming, may have moved.)
    if (!darker.empty()) {
        ASSERT_TRUE(waitFor([&] { return panels("shield").empty(); }));
        ASSERT_TRUE(picomDrew()) << "picom never showed and took away the probe";
        for (const Spot& s : darker) {
            const auto r = row(left, s.y, width);
            const int middleX = s.x < b.x ? a.x + a.width / 2 : b.x + b.width / 2;
            EXPECT_NE(at(r, s.x), at(r, middleX))
                << "darkened by the chrome at " << s.x << "," << s.y << ": " << std::hex << s.middle;
        }
    }
}

// Under picom the tips card that comes up at the first show is on the screen as it draws itself:
// its button's accent blue is there, where a window the server fills would be one flat colour.
TEST_F(ChromeOnDesktopTest, UnderPicomTheTipsCardIsOnTheScreenAsItDrawsItself) {
    if (const auto whyNot = startPicom(); !whyNot.empty()) GTEST_SKIP() << whyNot;
    startWithPair();
    ASSERT_NO_FATAL_FAILURE(showPair());
    ASSERT_TRUE(waitFor([&] { return panels("tips").size() == 1; }));
    const RootRect card = panels("tips").at(0).rect;
    // The root's pixels: what picom composed, as seen (a window's own pixels are what it holds).
    const auto accentPixels = [&] {
        XImage* image = XGetImage(x_->display(), x_->root(), card.x, card.y, card.width, card.height, AllPlanes, ZPixmap);
        if (!image) return 0;
        int count = 0;
        for (int y = 0; y < card.height; ++y)
            for (int x = 0; x < card.width; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                const int red = static_cast<int>((p >> 16) & 0xFF), blue = static_cast<int>(p & 0xFF);
                if (blue > 200 && blue > red + 100) ++count;
            }
        XDestroyImage(image);
        return count;
    };
    const bool drawn = waitFor([&] { return picomTookOver() || accentPixels() > 100; });
    if (picomTookOver()) GTEST_SKIP() << server_->windowManagerName() << " took over compositing from picom";
    EXPECT_TRUE(drawn) << "no accent blue in the tips card at " << text(card) << ": " << accentPixels() << " pixels";
}

}  // namespace
}  // namespace tessane::e2e
