// The chrome and the workspaces at the scale of each display: a drag of the rail at 2, two
// displays at 1 and 2 side by side, a container moving from one to the other, the text of a
// card beside Settings' at 2, and a new scale from the settings daemon while a workspace is shown.
#include "ChromeOnDesktop.h"

#include "model/RectModel.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tessane::e2e {
namespace {

// A settings daemon as desktops run one (the XSETTINGS protocol): it owns the screen's settings
// selection and publishes Xft/DPI (dots per inch times 1024) in its settings property, which
// toolkits re-read when it changes. Qt looks for the daemon once, as it starts.
class SettingsDaemon {
public:
    SettingsDaemon(linux_backend::X11Connection& x, int dpi) : x_(x) {
        Display* d = x_.display();
        window_ = XCreateSimpleWindow(d, DefaultRootWindow(d), -1, -1, 1, 1, 0, 0, 0);
        setDpi(dpi);
        const Atom selection = x_.atom("_XSETTINGS_S0");
        XSetSelectionOwner(d, selection, window_, CurrentTime);
        XClientMessageEvent announce{};
        announce.type = ClientMessage;
        announce.window = DefaultRootWindow(d);
        announce.message_type = x_.atom("MANAGER");
        announce.format = 32;
        announce.data.l[0] = CurrentTime;
        announce.data.l[1] = static_cast<long>(selection);
        announce.data.l[2] = static_cast<long>(window_);
        XSendEvent(d, DefaultRootWindow(d), False, StructureNotifyMask, reinterpret_cast<XEvent*>(&announce));
        x_.sync();
    }
    ~SettingsDaemon() {
        XDestroyWindow(x_.display(), window_);  // and with it the selection
        x_.sync();
    }
    SettingsDaemon(const SettingsDaemon&) = delete;
    SettingsDaemon& operator=(const SettingsDaemon&) = delete;
    bool owns() { return XGetSelectionOwner(x_.display(), x_.atom("_XSETTINGS_S0")) == window_; }

    void setDpi(int dpi) {
        // Byte order, serial, one setting: type integer, its name padded to four bytes, the
        // serial it last changed in, its value; all in this machine's byte order.
        const std::string name = "Xft/DPI";
        std::vector<unsigned char> data(12);
        const uint16_t one = 1;
        data[0] = *reinterpret_cast<const unsigned char*>(&one) == 1 ? LSBFirst : MSBFirst;
        ++serial_;
        put32(data, 4, serial_);
        put32(data, 8, 1);
        data.push_back(0);  // an integer
        data.push_back(0);
        const auto length = static_cast<uint16_t>(name.size());
        data.resize(data.size() + 2);
        std::memcpy(data.data() + data.size() - 2, &length, 2);
        data.insert(data.end(), name.begin(), name.end());
        data.resize((data.size() + 3) / 4 * 4);
        put32(data, data.size(), serial_);
        put32(data, data.size(), static_cast<uint32_t>(dpi * 1024));
        const Atom settings = x_.atom("_XSETTINGS_SETTINGS");
        XChangeProperty(x_.display(), window_, settings, settings, 8, PropModeReplace, data.data(),
                        static_cast<int>(data.size()));
        x_.sync();
    }

private:
    static void put32(std::vector<unsigned char>& data, size_t at, uint32_t value) {
        if (data.size() < at + 4) data.resize(at + 4);
        std::memcpy(data.data() + at, &value, 4);
    }
    linux_backend::X11Connection& x_;
    Window window_ = None;
    uint32_t serial_ = 0;
};

class ChromeAtScaleTest : public ChromeOnDesktopTest {
protected:
    // The server serves the whole suite: the next case finds it with one display again.
    void TearDown() override {
        ChromeOnDesktopTest::TearDown();
        for (const char* name : {"RIGHT", "LEFT"}) server_->run({"xrandr", "--delmonitor", name});
    }
    // Alpha and Beta running, the workspace "Pair" of the two stored with its container at
    // `container` (points, Accessibility coordinates), Tessane started and ready.
    void startWithPairAt(const Rect& container) {
        home_->installApp("Alpha");
        home_->installApp("Beta");
        alpha_ = runApp("Alpha").windows.at(0);
        beta_ = runApp("Beta").windows.at(0);
        Workspace pair = home_->workspace("Pair", {"Alpha", "Beta"});
        pair.lastContainerFrame = RectModel::from(container);
        home_->storeWorkspaces({pair});
        ASSERT_NO_FATAL_FAILURE(startReadyTessane());
    }
    // Two displays side by side: LEFT, 640 x 1080 pixels at scale 1, and RIGHT, 1280 x 1080 at
    // scale 2 (640 x 540 points). False when the server can't have them.
    bool twoDisplays() {
        if (server_->run({"xrandr", "--setmonitor", "LEFT", "640/169x1080/286+0+0", "screen"}) != 0 ||
            server_->run({"xrandr", "--setmonitor", "RIGHT", "1280/338x1080/286+640+0", "none"}) != 0)
            return false;
        setenv("QT_SCREEN_SCALE_FACTORS", "LEFT=1;RIGHT=2", 1);
        return true;
    }
    // How tall the text of each line in `area` (root pixels) is, top to bottom: from the top of
    // its tallest letters to its baseline, the last row that holds a third as much ink as its
    // fullest one (descenders hold less). Ink differs from the area's commonest colour by more
    // than 110 of 255 in brightness; a line is a run of rows with ink, at least 6 high. Only
    // what lies on the screen is read.
    std::vector<int> textHeights(RootRect area) {
        std::vector<int> out;
        const int right = std::min(area.x + area.width, kScreenWidth), bottom = std::min(area.y + area.height, 1080);
        area.x = std::max(area.x, 0), area.y = std::max(area.y, 0);
        area.width = right - area.x, area.height = bottom - area.y;
        if (area.width <= 0 || area.height <= 0) return out;
        XImage* image = XGetImage(x_->display(), x_->root(), area.x, area.y, area.width, area.height, AllPlanes, ZPixmap);
        if (!image) return out;
        std::vector<int> light(static_cast<size_t>(area.width) * area.height);
        std::map<int, int> count;
        for (int y = 0; y < area.height; ++y)
            for (int x = 0; x < area.width; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                const int l = static_cast<int>((299 * ((p >> 16) & 0xFF) + 587 * ((p >> 8) & 0xFF) + 114 * (p & 0xFF)) / 1000);
                light[static_cast<size_t>(y) * area.width + x] = l;
                ++count[l];
            }
        XDestroyImage(image);
        const int background =
            std::max_element(count.begin(), count.end(), [](const auto& a, const auto& b) { return a.second < b.second; })->first;
        std::vector<int> ink(area.height);
        for (int y = 0; y < area.height; ++y)
            for (int x = 0; x < area.width; ++x) ink[y] += std::abs(light[static_cast<size_t>(y) * area.width + x] - background) > 110;
        for (int top = 0; top < area.height;) {
            if (!ink[top]) {
                ++top;
                continue;
            }
            int end = top, fullest = 0;
            while (end < area.height && ink[end]) fullest = std::max(fullest, ink[end++]);
            int baseline = end - 1;
            while (baseline > top && 3 * ink[baseline] < fullest) --baseline;
            if (end - top >= 6) out.push_back(baseline - top + 1);
            top = end;
        }
        return out;
    }
    static int median(std::vector<int> v) {
        if (v.empty()) return 0;
        std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
        return v[v.size() / 2];
    }
    // Every rail up, for failure messages.
    std::string rails() {
        std::string out = "rails:";
        for (const auto& p : panels("rail")) out += " " + text(p.rect);
        return out;
    }
    // The one rail on this side of x = 640.
    std::optional<RootRect> railOn(bool right) {
        std::optional<RootRect> found;
        for (const auto& p : panels("rail"))
            if ((p.rect.x >= 640) == right) {
                if (found) return std::nullopt;
                found = p.rect;
            }
        return found;
    }
};

// At 2 the rail is dragged in X pixels and the container goes as far: the panes follow the
// pointer, and the rail stays on their top edge.
TEST_F(ChromeAtScaleTest, AtScaleTwoDraggingTheRailMovesTheContainerAsFarAsThePointer) {
    setenv("QT_SCALE_FACTOR", "2", 1);
    // The tips seen before: no card comes up over the rail while it is dragged.
    std::ofstream(home_->preferencesFile())
        << R"({"TessaneHasSeenOnboarding": true, "TessaneHasSeenWorkspaceTips.v1": true})" << "\n";
    // 1400 x 800 pixels at 80,120: room to move on the screen.
    ASSERT_NO_FATAL_FAILURE(startWithPairAt({40, 60, 700, 400}));
    ActivationRequests activations(server_->display());
    press("super+alt+1");
    RootRect a, b;
    ASSERT_TRUE(tiledAsAnswered(alpha_, beta_, a, b, [&] { return a.x >= 80 && panels("rail").size() == 1; }))
        << frames() << "\n" << latestLog();
    ASSERT_TRUE(showsActivationsDone(activations)) << latestLog();
    a = frame(alpha_), b = frame(beta_);
    const RootRect rail = panels("rail").at(0).rect;
    EXPECT_EQ(rail.width, 160) << text(rail);
    const int x0 = rail.x + rail.width / 2, y0 = rail.y + rail.height / 2, dx = 200, dy = 100;
    ASSERT_EQ(server_->run({"xdotool", "mousemove", std::to_string(x0), std::to_string(y0), "mousedown", "1"}), 0);
    for (int step = 1; step <= 10; ++step)
        ASSERT_EQ(server_->run({"xdotool", "mousemove", std::to_string(x0 + dx * step / 10),
                                std::to_string(y0 + dy * step / 10)}),
                  0);
    ASSERT_EQ(server_->run({"xdotool", "mouseup", "1"}), 0);
    const auto movedBy = [&](const RootRect& now, const RootRect& was) {
        return std::abs(now.x - was.x - dx) <= 2 && std::abs(now.y - was.y - dy) <= 2 && now.width == was.width &&
               now.height == was.height;
    };
    RootRect left, right;
    EXPECT_TRUE(waitFor(
        [&] {
            left = frame(alpha_), right = frame(beta_);
            const auto rails = panels("rail");
            return movedBy(left, a) && movedBy(right, b) && rails.size() == 1 && movedBy(rails[0].rect, rail);
        }))
        << "panes " << text(left) << " and " << text(right) << " after a drag of the rail by " << dx << "," << dy
        << " from " << text(a) << " and " << text(b) << "\n"
        << latestLog();
}

// A workspace on each display: each one's panes, gutter and chrome at its own display's scale,
// and neither reaching onto the other display. Only the front workspace's chrome is up; showing
// the first again brings its chrome back at its scale.
TEST_F(ChromeAtScaleTest, AWorkspaceOnEachOfTwoDisplaysHasItsOwnDisplaysScale) {
    if (!twoDisplays()) GTEST_SKIP() << "no second display on this server";
    for (const char* name : {"Alpha", "Beta", "Gamma", "Delta"}) home_->installApp(name);
    alpha_ = runApp("Alpha").windows.at(0);
    beta_ = runApp("Beta").windows.at(0);
    const XWindowId gamma = runApp("Gamma").windows.at(0), delta = runApp("Delta").windows.at(0);
    Workspace onRight = home_->workspace("Pair", {"Alpha", "Beta"}), onLeft = home_->workspace("Duo", {"Gamma", "Delta"});
    onRight.lastContainerFrame = RectModel::from({650, 10, 620, 500});
    onLeft.lastContainerFrame = RectModel::from({10, 10, 620, 1000});
    home_->storeWorkspaces({onRight, onLeft});
    ASSERT_NO_FATAL_FAILURE(startReadyTessane());
    const auto railAt = [&](bool right, int width, int height) {
        const auto rail = railOn(right);
        return rail && rail->width == width && rail->height == height && (rail->x >= 640) == right &&
               (right || rail->x + rail->width <= 640);
    };
    press("super+alt+1");
    RootRect a, b, c, d;
    ASSERT_TRUE(tiledAsAnswered(alpha_, beta_, a, b, [&] { return a.x >= 640 && railAt(true, 160, 24); }))
        << frames() << "; " << rails() << "\n" << latestLog();
    press("super+alt+2");
    ASSERT_TRUE(tiledAsAnswered(gamma, delta, c, d, [&] { return d.x + d.width <= 640 && railAt(false, 80, 12); }))
        << frames(gamma, delta) << "; " << rails() << "\n" << latestLog();
    EXPECT_EQ(d.x - c.x - c.width, 6) << "the gutter at 1: " << frames(gamma, delta);
    press("super+alt+1");
    EXPECT_TRUE(waitFor([&] { return railAt(true, 160, 24); })) << rails() << "\n" << latestLog();
    a = frame(alpha_), b = frame(beta_);
    EXPECT_TRUE(a.x >= 640 && b.x + b.width <= 1920) << frames();
    EXPECT_EQ(b.x - a.x - a.width, 12) << "the gutter at 2: " << frames();
    EXPECT_EQ(frames(gamma, delta), "left " + text(c) + "; right " + text(d)) << "the workspace at 1 stays as it was";
}

// The display at 2 goes away under a workspace: its container is sheltered on the display at 1
// at the same size in points, so half as many pixels each way, and its chrome at 1 with it.
TEST_F(ChromeAtScaleTest, AContainerMovedFromTheDisplayAtTwoToTheOneAtOneKeepsItsSizeInPoints) {
    if (!twoDisplays()) GTEST_SKIP() << "no second display on this server";
    ASSERT_NO_FATAL_FAILURE(startWithPairAt({650, 10, 620, 500}));
    press("super+alt+1");
    RootRect a, b;
    ASSERT_TRUE(tiledAsAnswered(alpha_, beta_, a, b, [&] { return a.x >= 640 && railOn(true); })) << frames() << "\n" << latestLog();
    const int wide = b.x + b.width - a.x, high = std::max(a.y + a.height, b.y + b.height) - std::min(a.y, b.y);
    ASSERT_EQ(server_->run({"xdotool", "mousemove", "300", "500"}), 0);
    ASSERT_EQ(server_->run({"xrandr", "--delmonitor", "RIGHT"}), 0);
    // Some managers move the windows off the display that is gone on their own first: the
    // program's move is what is waited for.
    ASSERT_TRUE(waitForLog("[Tessane] Displays changed: “Pair” display gone")) << latestLog();
    RootRect c, d;
    ASSERT_TRUE(tiledAsAnswered(alpha_, beta_, c, d, [&] { return c.x + c.width <= 640 && d.x + d.width <= 640 && railOn(false); }))
        << frames() << "\n" << latestLog();
    const int wideNow = d.x + d.width - c.x, highNow = std::max(c.y + c.height, d.y + d.height) - std::min(c.y, d.y);
    EXPECT_LE(std::abs(2 * wideNow - wide), 4) << "was " << wide << " pixels wide, now " << wideNow;
    EXPECT_LE(std::abs(2 * highNow - high), 4) << "was " << high << " pixels high, now " << highNow;
    EXPECT_EQ(d.x - c.x - c.width, 6) << frames();
    EXPECT_TRUE(waitFor([&] { const auto r = railOn(false); return r && r->width == 80 && r->height == 12; }))
        << rails();
}

// At 2 the text of a card is as legible as Settings' labels: its body lines (the middle of the
// tips card, clear of its symbols and its button) are at least as tall as the labels of the
// Settings window, each measured in X pixels as drawn.
TEST_F(ChromeAtScaleTest, AtScaleTwoACardsBodyTextIsAsTallAsTheSettingsLabels) {
    setenv("QT_SCALE_FACTOR", "2", 1);
    startWithPair();
    ASSERT_NO_FATAL_FAILURE(showPair());
    std::vector<int> card;
    ASSERT_TRUE(waitFor(
        [&] {
            const auto tips = panels("tips");
            if (tips.size() != 1) return false;
            const RootRect r = tips[0].rect;
            card = textHeights({r.x + r.width * 3 / 10, r.y, r.width * 4 / 10, r.height});
            return card.size() >= 6;
        }))
        << card.size() << " lines on the tips card\n" << latestLog();
    press("super+alt+h");
    ASSERT_TRUE(waitFor([&] { return panels("tips").empty(); })) << latestLog();
    const XWindowId settings = openSettingsWindow();
    ASSERT_NE(settings, 0u);
    std::vector<int> labels;
    ASSERT_TRUE(waitFor(
        [&] {
            const RootRect r = client(settings);
            labels = textHeights({r.x + r.width * 3 / 100, r.y + r.height / 10, r.width * 47 / 100, r.height * 9 / 10});
            return labels.size() >= 8;
        }))
        << labels.size() << " lines in Settings at " << text(client(settings));
    std::string seen = "card:";
    for (int h : card) seen += " " + std::to_string(h);
    seen += "; settings:";
    for (int h : labels) seen += " " + std::to_string(h);
    EXPECT_GE(median(card), median(labels) - 1) << seen;
    EXPECT_GE(median(card), 14) << "12-point text at 2 stands about 18 pixels above its baseline, at 1 about 10; " << seen;
}

// The settings daemon changes Xft/DPI from 96 to 192 while a workspace is shown: the container
// keeps its place and size in points, so twice as many pixels each way, its panes are tiled to
// it again, and its chrome is drawn at 2 around them; back at 96, all is as it was.
TEST_F(ChromeAtScaleTest, ANewScaleFromTheSettingsDaemonLaysTheShownWorkspaceOutAgainAtIt) {
    SettingsDaemon daemon(*x_, 96);
    ASSERT_TRUE(daemon.owns());
    // The tips seen before: no card lies over the rail.
    std::ofstream(home_->preferencesFile())
        << R"({"TessaneHasSeenOnboarding": true, "TessaneHasSeenWorkspaceTips.v1": true})" << "\n";
    // 700 x 400 points at 40,60: 1400 x 800 pixels at 2, still on the screen.
    ASSERT_NO_FATAL_FAILURE(startWithPairAt({40, 60, 700, 400}));
    press("super+alt+1");
    // The one rail and the one handle, read into `rail` and `handle`, the rail `width` x `height`.
    RootRect rail, handle;
    const auto chromeAt = [&](int width, int height) {
        const auto rails = panels("rail"), handles = panels("handle");
        if (rails.size() != 1 || handles.size() != 1) return false;
        rail = rails[0].rect, handle = handles[0].rect;
        return rail.width == width && rail.height == height;
    };
    RootRect a, b;
    ASSERT_TRUE(tiledAsAnswered(alpha_, beta_, a, b, [&] { return a.x >= 40 && chromeAt(80, 12); }))
        << frames() << "; " << rails() << "\n" << latestLog();
    EXPECT_EQ(b.x - a.x - a.width, 6) << frames();
    const RootRect railBefore = rail;

    daemon.setDpi(192);
    RootRect c, d;
    ASSERT_TRUE(tiledAsAnswered(alpha_, beta_, c, d, [&] {
        return chromeAt(160, 24) && std::abs(d.x + d.width - c.x - 2 * (b.x + b.width - a.x)) <= 3;
    }))
        << "panes " << frames() << " from " << text(a) << " and " << text(b) << "; " << rails() << "\n" << latestLog();
    EXPECT_LE(std::abs(c.x - 2 * a.x), 2) << frames();
    EXPECT_LE(std::abs(c.y - 2 * a.y), 2) << frames();
    EXPECT_LE(std::abs(c.height - 2 * a.height), 3) << frames();
    EXPECT_EQ(d.x - c.x - c.width, 12) << "the gutter at 2: " << frames();
    EXPECT_LE(std::abs(rail.x + rail.width / 2 - (c.x + d.x + d.width) / 2), 1) << text(rail);
    EXPECT_LE(std::abs(rail.y - 2 * railBefore.y), 2) << text(rail) << " was " << text(railBefore);
    EXPECT_EQ(handle.height, c.height) << text(handle);
    EXPECT_LE(std::abs(handle.x + handle.width / 2 - (c.x + c.width + d.x) / 2), 1) << text(handle);
    // The rail's pill (the middle half of the rail, 3 pixels below its top) is drawn at 2 all
    // along, not only over as many pixels as the rail had at 1.
    const int pillY = rail.y + 3, left = rail.x + rail.width / 4 + 2, right = rail.x + rail.width * 3 / 4 - 2;
    EXPECT_TRUE(waitFor([&] { return pixel(left, pillY) == pixel(right, pillY); }))
        << std::hex << pixel(left, pillY) << " at the pill's left end, " << pixel(right, pillY) << " at its right";

    // Back at 1, everything is where it was: nothing drifted on the way.
    daemon.setDpi(96);
    RootRect e, f;
    EXPECT_TRUE(tiledAsAnswered(alpha_, beta_, e, f,
                        [&] { return chromeAt(80, 12) && e.width < c.width && f.width < d.width; }))
        << frames() << "\n" << latestLog();
    EXPECT_EQ(frames(), "left " + text(a) + "; right " + text(b));
    EXPECT_EQ(text(rail), text(railBefore));
}

}  // namespace
}  // namespace tessane::e2e
