#include "builder/qt/QtOnboardingPanel.h"

#include "platform/qt/PanelPainter.h"
#include "platform/qt/PanelX11.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

namespace tessane::builder_qt {

OnboardingWindow::OnboardingWindow(std::shared_ptr<OnboardingFlow> flow, bool dark)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName("onboardingPanel");
    // Rounded corners need a compositing manager; without one the panel stays a plain rectangle.
    if (!qt_backend::panel_x11::available() || qt_backend::panel_x11::compositing())
        setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new OnboardingView(std::move(flow), dark, this);
    layout->addWidget(view_);
    setFixedSize(OnboardingPanel::kWidth, OnboardingPanel::kHeight);
}

void OnboardingWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    // Let the window manager move it where it can; otherwise follow the pointer ourselves.
    if (windowHandle() && windowHandle()->startSystemMove()) return;
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void OnboardingWindow::mouseMoveEvent(QMouseEvent* event) {
    if (dragOffset_ && (event->buttons() & Qt::LeftButton)) move(event->globalPosition().toPoint() - *dragOffset_);
}

// Our own close hides the window and deletes it; any close event comes from elsewhere.
void OnboardingWindow::closeEvent(QCloseEvent* event) { event->ignore(); }

void QtOnboardingPanel::bringToFront() {
    if (!window_) return;
    window_->show();
    window_->raise();
    window_->activateWindow();
    if (auto* handle = window_->windowHandle()) handle->requestActivate();
    if (qt_backend::panel_x11::available()) qt_backend::panel_x11::raise(window_->winId());
}

void QtOnboardingPanel::close() {
    if (!window_) return;
    window_->hide();
    window_->deleteLater();
    window_ = nullptr;
}

OnboardingPanelFactory makeOnboardingPanelFactory() {
    return [](std::shared_ptr<OnboardingFlow> flow) -> std::unique_ptr<OnboardingPanel> {
        auto* window = new OnboardingWindow(std::move(flow), qt_backend::chromeIsDark());
        QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
        if (!screen) screen = QGuiApplication::primaryScreen();
        if (screen) {
            const QRect area = screen->availableGeometry();
            window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
        }
        window->winId();  // the native window exists before it is mapped
        qt_backend::panel_x11::requestFloatingOnEveryDesktop(window->winId());
        auto panel = std::make_unique<QtOnboardingPanel>(window);
        panel->bringToFront();
        qt_backend::panel_x11::requestFloatingOnEveryDesktop(window->winId());
        return panel;
    };
}

}  // namespace tessane::builder_qt
