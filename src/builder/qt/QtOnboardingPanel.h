#pragma once

#include "builder/OnboardingController.h"
#include "builder/qt/OnboardingView.h"

#include <QPointer>
#include <QWidget>

#include <optional>

namespace tessane::builder_qt {

// The welcome panel's top-level window: frameless, floating above normal windows, on every
// desktop, moved by dragging its background. It has no close button, and a close asked for from
// outside (the window manager's close key) is refused: only Skip, Done and the create button end it.
class OnboardingWindow final : public QWidget {
public:
    OnboardingWindow(std::shared_ptr<OnboardingFlow> flow, bool dark);
    OnboardingView* view() const { return view_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    OnboardingView* view_;
    std::optional<QPoint> dragOffset_;
};

// The welcome panel over an OnboardingWindow. Closing hides the window at once and deletes it on
// the next turn of the event loop (the click that closed it may still be on its way out).
class QtOnboardingPanel final : public OnboardingPanel {
public:
    explicit QtOnboardingPanel(OnboardingWindow* window) : window_(window) {}
    ~QtOnboardingPanel() override { close(); }
    void bringToFront() override;
    void close() override;
    OnboardingWindow* window() const { return window_; }

private:
    QPointer<OnboardingWindow> window_;
};

// Makes panels that are centred on the screen under the pointer, shown, raised and focused.
OnboardingPanelFactory makeOnboardingPanelFactory();

}  // namespace tessane::builder_qt
