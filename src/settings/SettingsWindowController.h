#pragma once

#include "base/Lifetime.h"
#include "base/Signal.h"
#include "platform/MainQueue.h"
#include "platform/Screens.h"
#include "settings/SettingsRouter.h"
#include "settings/SettingsWindow.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tessane {

// What the settings view is built with: the shared router and the four commands it may give.
struct SettingsViewContext {
    SettingsRouter& router;
    std::function<void()> onNewWorkspace;
    std::function<void()> onShowWelcome;
    std::function<void()> onDismiss;        // puts the window away
    std::function<void()> onReturnToFront;  // brings it back in front for a while
};

// Makes the window with the settings view inside, at its content size and minimum size, titled.
// The manager, the workspace controller and the other services the view needs are the
// factory's own.
using SettingsWindowFactory = std::function<std::unique_ptr<SettingsWindow>(const SettingsViewContext&)>;

// Owns the settings window, its router and the rules that keep it in front: it opens on the
// display it was asked from, stays above other applications' windows while Tessane is active,
// and after a workspace was shown from it comes back in front and stays there for a while.
// Made once, on first use, and kept; closing only hides the window. Main thread only.
class SettingsWindowController {
public:
    struct Services {
        MainQueue* queue = nullptr;
        const Screens* screens = nullptr;
        // Whether one of our own windows is the active one.
        std::function<bool()> isAppActive;
        // Brings Tessane to the front, whatever other application is active.
        std::function<void()> activateApp;
        // Tells `observer` each time Tessane becomes active (true) or stops being active (false).
        std::function<Subscription(std::function<void(bool active)> observer)> observeAppActivity;
        SettingsWindowFactory makeWindow;
    };

    static constexpr double kContentWidth = 780;
    // Tall enough for a workspace's whole editor (four apps, down to its actions).
    static constexpr double kContentHeight = 640;
    static constexpr double kMinimumWidth = 660;
    static constexpr double kMinimumHeight = 420;
    static constexpr const char* kTitle = "Tessane Settings";
    static constexpr const char* kAutosaveName = "TessaneSettingsWindow";
    static constexpr double kHoldSeconds = 15;
    static constexpr double kLevelCheckDelay = 0.1;  // after the hold ends
    static constexpr double kSecondTryDelay = 0.5;

    SettingsWindowController(Services services, std::function<void()> onNewWorkspace,
                             std::function<void()> onShowWelcome);
    ~SettingsWindowController();
    SettingsWindowController(const SettingsWindowController&) = delete;
    SettingsWindowController& operator=(const SettingsWindowController&) = delete;

    SettingsRouter& router() { return router_; }

    // What the status menu's settings command does: shows the window on `fromDisplay` (see
    // showWindow), then selects `tab` when one is asked for, then activates Tessane.
    void show(std::optional<SettingsRouter::Tab> tab, const std::optional<ScreenInfo>& fromDisplay);

    // Moves the window onto `display` unless it already stands there, then shows it.
    void showWindow(const std::optional<ScreenInfo>& display);
    // Raises the level as for an active application, then maps, raises and focuses the window.
    void showWindow();
    // After a workspace was shown from the window: back in front and held there for 15 s.
    void returnToFront();
    // Kept above while Tessane is active or while the hold runs; the normal level otherwise.
    void applyLevel(bool active);
    // Hides the window when it is visible (the view's onDismiss, the menu's on-shown step).
    void dismiss();

    bool isWindowVisible() const { return window_ && window_->isVisible(); }
    SettingsWindow* window() const { return window_.get(); }
    std::optional<TimeInterval> holdFrontUntil() const { return holdFrontUntil_; }

private:
    Services services_;
    SettingsRouter router_;
    std::optional<TimeInterval> holdFrontUntil_;
    std::unique_ptr<SettingsWindow> window_;
    Subscription activity_;
    LifetimeToken lifetime_;  // last: scheduled steps and the view's commands check it
};

// The first display, in the system's order, whose frame holds `point` as a pointer position is
// tested in y-up coordinates: the left and top edges count as inside, the right and bottom
// edges as outside.
std::optional<ScreenInfo> screenHolding(const std::vector<ScreenInfo>& screens, Point point);
// The frame `windowFrame` takes on `visibleFrame`: no larger than it, centred on it, with whole
// edges.
Rect frameCentredOn(const Rect& visibleFrame, const Rect& windowFrame);

}  // namespace tessane
