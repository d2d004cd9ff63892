#pragma once

#include "builder/OnboardingController.h"
#include "builder/qt/FloatingPanel.h"
#include "builder/qt/OnboardingView.h"

namespace tessane::builder_qt {

// The welcome panel's top-level window: a floating panel with no close button. A close asked for
// from outside (the window manager's close key) is refused: only Skip, Done and the create button
// end it.
class OnboardingWindow final : public FloatingPanelWindow {
public:
    OnboardingWindow(std::shared_ptr<OnboardingFlow> flow, bool dark);
    OnboardingView* view() const { return view_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    OnboardingView* view_;
};

using QtOnboardingPanel = QtFloatingPanel<OnboardingPanel, OnboardingWindow>;

// Makes panels that are centred on the screen under the pointer, shown, raised and focused.
OnboardingPanelFactory makeOnboardingPanelFactory();

}  // namespace tessane::builder_qt
