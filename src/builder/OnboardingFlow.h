#pragma once

#include "base/Lifetime.h"
#include "builder/OnboardingSteps.h"
#include "model/ManagedApp.h"

#include <functional>
#include <memory>
#include <vector>

namespace tessane {

class MainQueue;
class RepeatingTimer;

// What the welcome panel's content may ask of the rest of the system.
struct OnboardingActions {
    std::function<void(const std::vector<ManagedApp>& apps)> onCreateWorkspace;  // hand over to the builder
    std::function<std::vector<ManagedApp>()> seedApps;                          // the apps open now
    std::function<void()> onClose;                                              // close the panel
    std::function<bool()> isTrusted;                 // whether window control is available now
    std::function<void()> openWindowControlHelp;     // the step's button
};

// The welcome panel's state and behaviour, without a toolkit: the step shown, the last reading of
// window control and the seed, the footer's and the create button's actions, and the 0.6 s poll
// that re-reads window control while its step is shown. It lives as long as the panel's view.
class OnboardingFlow {
public:
    static constexpr double kPollInterval = 0.6;

    OnboardingFlow(MainQueue& queue, OnboardingActions actions, OnboardingStep start, bool trusted);
    ~OnboardingFlow();
    OnboardingFlow(const OnboardingFlow&) = delete;
    OnboardingFlow& operator=(const OnboardingFlow&) = delete;

    OnboardingStep step() const { return step_; }
    bool trusted() const { return trusted_; }
    const std::vector<ManagedApp>& seed() const { return seed_; }
    OnboardingStepText text() const { return onboarding_text::forStep(step_, trusted_, seed_); }

    // Told after every change of step, reading or seed.
    void setOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

    // The footer: Skip on the first step, Back on the others; Continue, or Done on the last.
    void leading();
    void back();
    void continueOrDone();
    // The create step's button: closes the panel, then hands the apps open now to the builder.
    void create();
    // The window-control step's button.
    void openWindowControlHelp();
    // The panel has gone: no more polls.
    void stop();

private:
    void go(OnboardingStep step);
    void updatePoll();
    void tick();
    void changed();

    MainQueue& queue_;
    OnboardingActions actions_;
    OnboardingStep step_;
    bool trusted_;
    std::vector<ManagedApp> seed_;
    std::function<void()> onChange_;
    std::shared_ptr<RepeatingTimer> poll_;
    bool stopped_ = false;
    LifetimeToken lifetime_;  // last: the poll does nothing once the flow is gone
};

}  // namespace tessane
