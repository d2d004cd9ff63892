#include "builder/qt/QtOnboardingPanel.h"

#include "platform/qt/panels/PanelPainter.h"

#include <QCloseEvent>
#include <QVBoxLayout>

namespace tessane::builder_qt {

OnboardingWindow::OnboardingWindow(std::shared_ptr<OnboardingFlow> flow, bool dark)
    : FloatingPanelWindow("onboardingPanel", {OnboardingPanel::kWidth, OnboardingPanel::kHeight},
                          "Welcome to Tessane", OnboardingView::kCornerRadius) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new OnboardingView(std::move(flow), dark, this);
    layout->addWidget(view_);
}

// Our own close hides the window and deletes it; any close event comes from elsewhere.
void OnboardingWindow::closeEvent(QCloseEvent* event) { event->ignore(); }

OnboardingPanelFactory makeOnboardingPanelFactory() {
    return [](std::shared_ptr<OnboardingFlow> flow) -> std::unique_ptr<OnboardingPanel> {
        auto* window = new OnboardingWindow(std::move(flow), qt_backend::chromeIsDark());
        auto panel = std::make_unique<QtOnboardingPanel>(window);
        presentFloatingPanel(window);
        return panel;
    };
}

}  // namespace tessane::builder_qt
