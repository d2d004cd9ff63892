#include "builder/OnboardingFlow.h"

#include "platform/MainQueue.h"

namespace tessane {

OnboardingFlow::OnboardingFlow(MainQueue& queue, OnboardingActions actions, OnboardingStep start, bool trusted)
    : queue_(queue), actions_(std::move(actions)), step_(start), trusted_(trusted) {
    updatePoll();
}

OnboardingFlow::~OnboardingFlow() { stop(); }

void OnboardingFlow::stop() {
    stopped_ = true;
    if (poll_) poll_->invalidate();
    poll_.reset();
}

void OnboardingFlow::leading() {
    if (step_ == OnboardingStep::welcome) {
        if (actions_.onClose) actions_.onClose();  // may end this flow
        return;
    }
    back();
}

void OnboardingFlow::back() { go(onboarding_steps::previous(step_)); }

void OnboardingFlow::continueOrDone() {
    if (onboarding_steps::isLast(step_)) {
        if (actions_.onClose) actions_.onClose();  // may end this flow
        return;
    }
    go(onboarding_steps::next(step_));
}

void OnboardingFlow::create() {
    // The apps opened while the step was showing count too: the seed is looked up again at the
    // press. Closing drops the panel and may take this flow with it: what the builder gets is
    // copied first.
    const auto seed = actions_.seedApps ? actions_.seedApps() : seed_;
    const auto onClose = actions_.onClose;
    const auto onCreate = actions_.onCreateWorkspace;
    if (onClose) onClose();
    if (onCreate) onCreate(seed);
}

void OnboardingFlow::openWindowControlHelp() {
    if (actions_.openWindowControlHelp) actions_.openWindowControlHelp();
}

void OnboardingFlow::go(OnboardingStep step) {
    if (stopped_) return;
    step_ = step;
    // The seed is looked up each time the create step appears: the open windows may have changed.
    if (step_ == OnboardingStep::create) seed_ = actions_.seedApps ? actions_.seedApps() : std::vector<ManagedApp>{};
    updatePoll();
    changed();
}

void OnboardingFlow::updatePoll() {
    // Window control is read only while its step is shown; no timer runs on the other steps.
    const bool wanted = !stopped_ && step_ == OnboardingStep::accessibility;
    if (wanted == (poll_ != nullptr)) return;
    if (!wanted) {
        poll_->invalidate();
        poll_.reset();
        return;
    }
    poll_ = queue_.scheduleRepeating(kPollInterval, lifetime_.guard([this] { tick(); }));
}

void OnboardingFlow::tick() {
    if (stopped_ || step_ != OnboardingStep::accessibility || !actions_.isTrusted) return;
    const bool now = actions_.isTrusted();
    if (now == trusted_) return;
    trusted_ = now;
    changed();
}

void OnboardingFlow::changed() {
    if (onChange_) onChange_();
}

}  // namespace tessane
