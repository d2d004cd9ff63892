#include "builder/qt/QtBuilderPanel.h"

#include "model/AppRegistry.h"
#include "platform/Applications.h"
#include "platform/qt/PanelPainter.h"
#include "platform/qt/PanelX11.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

namespace tessane::builder_qt {

BuilderWindow::BuilderWindow(const std::vector<ManagedApp>& seed, BuilderActions actions,
                             BuilderView::IconLookup iconLookup, bool dark)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName("builderPanel");
    // Rounded corners need a compositing manager; without one the panel stays a plain rectangle.
    if (!qt_backend::panel_x11::available() || qt_backend::panel_x11::compositing())
        setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new BuilderView(seed, std::move(actions), std::move(iconLookup), dark, this);
    layout->addWidget(view_);
    setFixedSize(BuilderView::kWidth, BuilderView::kHeight);
}

void BuilderWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    // Let the window manager move it where it can; otherwise follow the pointer ourselves.
    if (windowHandle() && windowHandle()->startSystemMove()) return;
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void BuilderWindow::mouseMoveEvent(QMouseEvent* event) {
    if (dragOffset_ && (event->buttons() & Qt::LeftButton)) move(event->globalPosition().toPoint() - *dragOffset_);
}

void QtBuilderPanel::bringToFront() {
    if (!window_) return;
    window_->show();
    window_->raise();
    window_->activateWindow();
    if (auto* handle = window_->windowHandle()) handle->requestActivate();
    if (qt_backend::panel_x11::available()) qt_backend::panel_x11::raise(window_->winId());
}

void QtBuilderPanel::close() {
    if (!window_) return;
    window_->hide();
    window_->deleteLater();
    window_ = nullptr;
}

BuilderView::IconLookup catalogIconLookup(const AppCatalog& catalog) {
    return [&catalog](const ManagedApp& app) -> std::optional<Bytes> {
        auto url = catalog.urlForApplication(app.bundleIdentifier);
        if (!url) return std::nullopt;
        return catalog.iconPNG(*url, AppRegistry::kIconSide);
    };
}

BuilderPanelFactory makeBuilderPanelFactory(BuilderView::IconLookup iconLookup) {
    return [iconLookup](const std::vector<ManagedApp>& seed, BuilderActions actions) -> std::unique_ptr<BuilderPanel> {
        auto* window = new BuilderWindow(seed, std::move(actions), iconLookup, qt_backend::chromeIsDark());
        QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
        if (!screen) screen = QGuiApplication::primaryScreen();
        if (screen) {
            const QRect area = screen->availableGeometry();
            window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
        }
        window->winId();  // the native window exists before it is mapped
        qt_backend::panel_x11::requestFloatingOnEveryDesktop(window->winId());
        auto panel = std::make_unique<QtBuilderPanel>(window);
        panel->bringToFront();
        qt_backend::panel_x11::requestFloatingOnEveryDesktop(window->winId());
        window->view()->nameField()->setFocus();
        return panel;
    };
}

}  // namespace tessane::builder_qt
