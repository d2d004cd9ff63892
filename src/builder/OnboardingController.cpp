#include "builder/OnboardingController.h"

#include "platform/Accessibility.h"
#include "platform/Defaults.h"
#include "system/AccessibilityPermission.h"

namespace tessane {

OnboardingController::OnboardingController(Services services, OnCreateWorkspace onCreateWorkspace, SeedApps seedApps)
    : services_(std::move(services)),
      onCreateWorkspace_(std::move(onCreateWorkspace)),
      seedApps_(std::move(seedApps)) {}

OnboardingController::~OnboardingController() { closePanel(); }

bool OnboardingController::hasSeenOnboarding(const Defaults& defaults) {
    return defaults.boolValue(kHasSeenOnboardingKey).value_or(false);
}

void OnboardingController::show(bool startAtAccessibility) {
    // First, whatever follows: a panel that fails to appear must not come back at every start.
    services_.defaults->set(kHasSeenOnboardingKey, true);
    if (panel_) {
        panel_->bringToFront();
        return;
    }

    OnboardingActions actions;
    actions.onCreateWorkspace = lifetime_.guard([this](const std::vector<ManagedApp>& apps) {
        if (onCreateWorkspace_) onCreateWorkspace_(apps);
    });
    actions.seedApps = [this, alive = lifetime_.liveness()]() -> std::vector<ManagedApp> {
        if (!alive || !seedApps_) return {};
        return seedApps_();
    };
    actions.onClose = lifetime_.guard([this] { closePanel(); });
    Accessibility* ax = services_.accessibility;
    actions.isTrusted = [ax] { return ax && ax->isProcessTrusted(); };
    const AccessibilityPermission* permission = services_.permission;
    // The help page says all that the desktop's prompt would, and the user asked for it.
    actions.openWindowControlHelp = [permission] {
        if (permission) permission->openSystemSettings();
    };

    const bool trusted = actions.isTrusted();
    flow_ = std::make_shared<OnboardingFlow>(
        *services_.mainQueue, std::move(actions),
        startAtAccessibility ? OnboardingStep::accessibility : OnboardingStep::welcome, trusted);
    panel_ = services_.makePanel(flow_);
}

void OnboardingController::closePanel() {
    if (flow_) flow_->stop();
    flow_.reset();
    if (!panel_) return;
    auto closing = std::move(panel_);
    closing->close();
}

}  // namespace tessane
