// A new user's whole road on a real X server: a fresh home with two applications running, Tessane
// starts and shows the welcome panel, the user walks it to the create step and starts the builder
// with the two windows in front, Create & Show stores the workspace and tiles them, the settings
// window (asked for by a second start) lists it, and a link hides it.
#include "EndToEndTest.h"
#include "model/WorkspaceStore.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace tessane::e2e {
namespace {

// Our two panels' fixed sizes: how the test tells them among our windows.
struct OnboardingSize {
    static constexpr int width = 600, height = 520;
};
struct BuilderSize {
    static constexpr int width = 580, height = 480;
};

class WholeRoadTest : public EndToEndTest {
protected:
    // Tessane's top-level windows that the window manager shows.
    std::vector<XWindowId> tessaneWindows() {
        x_->processEvents();
        std::vector<XWindowId> found;
        for (XWindowId w : x_->windowList(x_->root(), "_NET_CLIENT_LIST").value_or(std::vector<XWindowId>{})) {
            const auto pid = x_->cardinals(w, "_NET_WM_PID");
            XWindowAttributes attributes;
            if (pid && !pid->empty() && pid->front() == tessane_->pid() &&
                XGetWindowAttributes(x_->display(), w, &attributes) && attributes.map_state == IsViewable)
                found.push_back(w);
        }
        return found;
    }
    std::vector<XWindowId> tessaneWindows(int width, int height) {
        std::vector<XWindowId> found;
        for (XWindowId w : tessaneWindows())
            if (const RootRect area = clientArea(w); area.width == width && area.height == height) found.push_back(w);
        return found;
    }
    // The one such window, once there is exactly one.
    std::optional<XWindowId> waitForTessaneWindow(int width, int height) {
        std::optional<XWindowId> window;
        waitFor(
            [&] {
                const auto found = tessaneWindows(width, height);
                if (found.size() == 1) window = found.front();
                return window.has_value();
            });
        return window;
    }
    bool tessaneWindowTitled(const std::string& title) {
        for (XWindowId w : tessaneWindows())
            if (x_->text(w, "_NET_WM_NAME") == title) return true;
        return false;
    }
    // A window's own area in root pixels.
    RootRect clientArea(XWindowId window) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(x_->display(), window, &attributes)) return {};
        int x = 0, y = 0;
        Window child = 0;
        XTranslateCoordinates(x_->display(), window, x_->root(), 0, 0, &x, &y, &child);
        return {x, y, attributes.width, attributes.height};
    }
    // The middle of the lowest control of the panel's step, in root pixels: going up the panel's
    // centre from above its footer, the first run of rows that differ from the panel's background
    // for at least a button's height. A run shorter than that is a line of text.
    std::optional<std::pair<int, int>> lowestControl(XWindowId panel) {
        constexpr int kFooter = 80, kStrip = 7, kButtonHeight = 24;
        const RootRect area = clientArea(panel);
        if (area.width < kStrip || area.height < 2 * kFooter) return std::nullopt;
        const int top = area.y + area.height / 2, bottom = area.y + area.height - kFooter;
        const int left = area.x + area.width / 2 - kStrip / 2;
        XImage* image = XGetImage(x_->display(), x_->root(), left, top, kStrip, bottom - top + 1, AllPlanes, ZPixmap);
        if (!image) return std::nullopt;
        const unsigned long background = XGetPixel(image, kStrip / 2, bottom - top);
        // A row differs when any pixel of the strip does: a letter's edge may match the background.
        auto differs = [&](int row) {
            for (int i = 0; i < kStrip; ++i)
                if (XGetPixel(image, i, row) != background) return true;
            return false;
        };
        std::optional<std::pair<int, int>> found;
        int runEnd = -1;
        for (int row = bottom - top; row >= 0 && !found; --row) {
            if (!differs(row)) {
                if (runEnd >= 0 && runEnd - row >= kButtonHeight) found = {left + kStrip / 2, top + (row + runEnd) / 2};
                runEnd = -1;
            } else if (runEnd < 0) {
                runEnd = row;
            }
        }
        XDestroyImage(image);
        return found;
    }
    // A click of the first button at a root position, through XTEST.
    void click(int x, int y) {
        ASSERT_EQ(server_->run({"xdotool", "mousemove", "--sync", std::to_string(x), std::to_string(y), "click", "1"}),
                  0);
    }
    std::vector<std::string> storedWorkspaceNames() const {
        std::vector<std::string> names;
        for (const auto& workspace : WorkspaceStore(home_->dataFolder()).load()) names.push_back(workspace.name);
        return names;
    }
};

TEST_F(WholeRoadTest, ANewUserGoesFromTheWelcomePanelToAWorkspaceShownListedAndHidden) {
    home_.reset();  // first: a home gives back the environment it found
    home_ = std::make_unique<PrivateHome>(TESSANE_X11_CLIENT, PrivateHome::User::fresh);
    home_->installApp("Alpha");
    home_->installApp("Beta");
    // Beta starts last, so it is the one in front.
    const XWindowId alpha = runApp("Alpha").windows.at(0);
    const XWindowId beta = runApp("Beta").windows.at(0);

    // The first start shows the welcome panel, focused, and remembers that it did.
    ASSERT_NO_FATAL_FAILURE(startReadyTessane());
    const auto welcome = waitForTessaneWindow(OnboardingSize::width, OnboardingSize::height);
    ASSERT_TRUE(welcome) << "no welcome panel on screen";
    ASSERT_TRUE(waitFor([&] { return hasFocus(*welcome); })) << "the welcome panel did not take the focus";
    // Written in the background: the file says so once it is written.
    EXPECT_TRUE(waitFor(
        [&] {
            const auto stored = preferences();
            return stored.is_object() && stored.value("TessaneHasSeenOnboarding", false);
        }))
        << preferences().dump();

    // Continue past the welcome and window control: the create step reads the windows in front.
    press("Return");
    press("Return");
    ASSERT_TRUE(waitForLog("[Tessane] Builder seed from current windows: Beta + Alpha ("));

    // "Start with Beta + Alpha", the lowest thing on the step, centred: the builder takes over.
    // (The step before has no button there, so none is found until the create step is drawn.)
    std::optional<std::pair<int, int>> button;
    ASSERT_TRUE(waitFor([&] { return (button = lowestControl(*welcome)).has_value(); }))
        << "no create button on the panel";
    click(button->first, button->second);
    ASSERT_TRUE(waitFor([&] { return tessaneWindows(OnboardingSize::width, OnboardingSize::height).empty(); }))
        << "the welcome panel stayed open";
    const auto builder = waitForTessaneWindow(BuilderSize::width, BuilderSize::height);
    ASSERT_TRUE(builder) << "no builder on screen";
    ASSERT_TRUE(waitFor([&] { return hasFocus(*builder); })) << "the builder did not take the focus";

    // Return is Create & Show: the seeded pair, named after its apps, stored and tiled in pane order.
    press("Return");
    ASSERT_TRUE(waitForLog("[Tessane] Builder created workspace: Beta + Alpha (2 apps) \u2014 showing"));
    EXPECT_TRUE(waitFor([&] { return sideBySide(beta, alpha); }))
        << "Beta " << frameText(beta) << "; Alpha " << frameText(alpha);
    EXPECT_TRUE(waitFor([&] { return storedWorkspaceNames() == std::vector<std::string>{"Beta + Alpha"}; }))
        << home_->workspacesFile();

    // A second start hands `--settings` over; the settings window opens on the new workspace.
    std::string text;
    EXPECT_EQ(runSecondTessane({"--settings"}, &text), 0) << text;
    EXPECT_TRUE(waitForLog("[Tessane] Asked by another start to open the settings window."));
    EXPECT_TRUE(waitFor([&] { return tessaneWindowTitled("Tessane Settings"); })) << "no settings window";
    EXPECT_TRUE(
        waitForLog("[Tessane] Settings selection changed to: Beta + Alpha (to edit; nothing is shown or hidden)"))
       ;

    // A link, handed over the same way, hides it.
    const std::string link = "tessane://hide/Beta%20%2B%20Alpha";
    EXPECT_EQ(runSecondTessane({link}, &text), 0) << text;
    EXPECT_TRUE(waitForLog("[Tessane][URL] " + link + " \u2192 hide(target: \"Beta + Alpha\")"));
    EXPECT_TRUE(waitForState({alpha, beta}, IconicState))
        << "WM_STATE: Alpha " << wmState(alpha).value_or(-1) << ", Beta " << wmState(beta).value_or(-1);
    EXPECT_EQ(logCount("[Tessane] starting Tessane"), 1u);
}

}  // namespace
}  // namespace tessane::e2e
