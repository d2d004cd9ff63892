#pragma once

#include "base/Lifetime.h"
#include "builder/OnboardingFlow.h"
#include "model/ManagedApp.h"

#include <functional>
#include <memory>
#include <vector>

namespace tessane {

class Accessibility;
class AccessibilityPermission;
class Defaults;
class MainQueue;

// The welcome panel while it is open: a frameless floating panel of 600 x 520 above normal
// windows, on every desktop, movable by its background, with no close button and no reaction to
// Escape; it hosts the view of an OnboardingFlow.
class OnboardingPanel {
public:
    static constexpr int kWidth = 600;
    static constexpr int kHeight = 520;

    virtual ~OnboardingPanel() = default;
    // Makes it the focused window again and brings it and our application to the front.
    virtual void bringToFront() = 0;
    // Orders it out; the panel is dropped right after.
    virtual void close() = 0;
};

// Makes, centres, shows and focuses a panel whose view follows `flow`.
using OnboardingPanelFactory = std::function<std::unique_ptr<OnboardingPanel>(std::shared_ptr<OnboardingFlow> flow)>;

// Owns the welcome panel: marks the welcome as seen, builds the panel at the first or the
// window-control step, or brings the open one forward as it is, and hands over to the builder.
// One instance lives as long as its owner (the tray menu's presenter); its panels come and go.
class OnboardingController {
public:
    static constexpr const char* kHasSeenOnboardingKey = "TessaneHasSeenOnboarding";

    using OnCreateWorkspace = std::function<void(const std::vector<ManagedApp>& apps)>;
    using SeedApps = std::function<std::vector<ManagedApp>()>;

    struct Services {
        Defaults* defaults = nullptr;
        MainQueue* mainQueue = nullptr;
        Accessibility* accessibility = nullptr;            // the reading of window control
        const AccessibilityPermission* permission = nullptr;  // its help page
        OnboardingPanelFactory makePanel;
    };

    OnboardingController(Services services, OnCreateWorkspace onCreateWorkspace, SeedApps seedApps);
    ~OnboardingController();
    OnboardingController(const OnboardingController&) = delete;
    OnboardingController& operator=(const OnboardingController&) = delete;

    // Stores the seen flag first, every time; then brings the open panel forward unchanged, or
    // builds one at the window-control step when `startAtAccessibility`, else at the welcome step.
    void show(bool startAtAccessibility);

    // Whether the welcome panel was ever shown (start-up reads it; absent reads as false).
    static bool hasSeenOnboarding(const Defaults& defaults);

    bool isOpen() const { return panel_ != nullptr; }
    // The open panel's state, for its owner and tests; null while closed.
    const OnboardingFlow* flow() const { return flow_.get(); }

private:
    void closePanel();

    Services services_;
    OnCreateWorkspace onCreateWorkspace_;
    SeedApps seedApps_;
    std::shared_ptr<OnboardingFlow> flow_;
    std::unique_ptr<OnboardingPanel> panel_;
    LifetimeToken lifetime_;  // last: the view's callbacks do nothing once the controller is gone
};

}  // namespace tessane
