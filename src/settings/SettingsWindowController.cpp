#include "settings/SettingsWindowController.h"

#include "model/Log.h"

#include <algorithm>
#include <cmath>

namespace tessane {

std::optional<ScreenInfo> screenHolding(const std::vector<ScreenInfo>& screens, Point point) {
    for (const auto& screen : screens) {
        const Rect& f = screen.frame;
        if (point.x >= f.minX() && point.x < f.maxX() && point.y > f.minY() && point.y <= f.maxY()) return screen;
    }
    return std::nullopt;
}

Rect frameCentredOn(const Rect& visibleFrame, const Rect& windowFrame) {
    const double width = std::min(windowFrame.width(), visibleFrame.width());
    const double height = std::min(windowFrame.height(), visibleFrame.height());
    const double x = visibleFrame.midX() - width / 2;
    const double y = visibleFrame.midY() - height / 2;
    // The smallest rectangle with whole edges that holds the centred one.
    const double minX = std::floor(x), minY = std::floor(y);
    const double maxX = std::ceil(x + width), maxY = std::ceil(y + height);
    return Rect(minX, minY, maxX - minX, maxY - minY);
}

SettingsWindowController::SettingsWindowController(Services services, std::function<void()> onNewWorkspace,
                                                   std::function<void()> onShowWelcome)
    : services_(std::move(services)) {
    if (services_.makeWindow) {
        SettingsViewContext context{
            .router = router_,
            .onNewWorkspace = std::move(onNewWorkspace),
            .onShowWelcome = std::move(onShowWelcome),
            .onDismiss = lifetime_.guard([this] { dismiss(); }),
            .onReturnToFront = lifetime_.guard([this] { returnToFront(); }),
        };
        window_ = services_.makeWindow(context);
    }
    if (window_) {
        // The stored frame is read first; the centring then puts the window in the middle anyway.
        window_->setFrameAutosaveName(kAutosaveName);
        window_->center();
    }
    if (services_.observeAppActivity) {
        activity_ = services_.observeAppActivity(lifetime_.guard([this](bool active) { applyLevel(active); }));
    }
}

SettingsWindowController::~SettingsWindowController() = default;

void SettingsWindowController::show(std::optional<SettingsRouter::Tab> tab,
                                    const std::optional<ScreenInfo>& fromDisplay) {
    showWindow(fromDisplay);
    if (tab) router_.setTab(*tab);
    if (services_.activateApp) services_.activateApp();
}

void SettingsWindowController::showWindow(const std::optional<ScreenInfo>& display) {
    if (window_ && display) {
        const Rect frame = window_->frame();
        const auto current = screenHolding(services_.screens->screens(), Point{frame.midX(), frame.midY()});
        // A window on no display is moved only to a display that has a number to tell.
        if (current ? current->displayNumber != display->displayNumber : display->displayNumber.has_value()) {
            window_->setFrame(frameCentredOn(display->visibleFrame, frame));
            Log::line("[Tessane] Settings: opened on " + display->localizedName + ", the display it was asked from.");
        }
    }
    showWindow();
}

void SettingsWindowController::showWindow() {
    if (!window_) return;
    applyLevel(true);
    window_->orderFrontAndFocus();
}

void SettingsWindowController::applyLevel(bool active) {
    if (!window_) return;
    const bool held = holdFrontUntil_ && services_.queue->now() < *holdFrontUntil_;
    window_->setKeptAbove(active || held);
}

void SettingsWindowController::returnToFront() {
    if (!window_ || !window_->isVisible()) return;
    const TimeInterval until = services_.queue->now() + kHoldSeconds;
    holdFrontUntil_ = until;
    // Once the hold has passed, an inactive Tessane lets other windows cover the window again.
    services_.queue->postAfter(kHoldSeconds + kLevelCheckDelay, lifetime_.guard([this] {
        applyLevel(services_.isAppActive && services_.isAppActive());
    }));
    showWindow();
    if (services_.activateApp) services_.activateApp();
    // Another application may have taken the focus back in the meantime: one more try.
    services_.queue->postAfter(kSecondTryDelay, lifetime_.guard([this] {
        if (!window_ || !window_->isVisible()) return;
        if (services_.isAppActive && services_.isAppActive()) return;
        showWindow();
        if (services_.activateApp) services_.activateApp();
    }));
}

void SettingsWindowController::dismiss() {
    if (window_ && window_->isVisible()) window_->orderOut();
}

}  // namespace tessane
