#include "builder/qt/FloatingPanel.h"

#include "platform/qt/panels/PanelX11.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyleHints>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace tessane::builder_qt {

FloatingPanelWindow::FloatingPanelWindow(const char* objectName, QSize size, const QString& title, double cornerRadius)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), cornerRadius_(cornerRadius) {
    setObjectName(objectName);
    // Named for task lists, window switchers and screen readers, though it has no title bar.
    setWindowTitle(title);
    // Rounded corners need a compositing manager; without one the panel stays a plain rectangle.
    if (!qt_backend::panel_x11::available() || qt_backend::panel_x11::compositing())
        setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(size);
}

FloatingPanelWindow::~FloatingPanelWindow() {
    if (frameCounter_) qt_backend::panel_x11::destroyFrameCounter(frameCounter_);
}

void FloatingPanelWindow::showEvent(QShowEvent* event) {
    // Before the window is first mapped: a compositing manager reads the counters as it takes it.
    if (!frameCounter_ && qt_backend::panel_x11::available()) {
        frameCounter_ = qt_backend::panel_x11::addFrameCounter(winId());
        // A compositing manager's shadow is cast by the window's whole rectangle and would darken
        // the desktop in the rounded corners; the panel stands out by its own colour.
        if (testAttribute(Qt::WA_TranslucentBackground)) qt_backend::panel_x11::markShadowless(winId(), false);
    }
    QWidget::showEvent(event);
}

bool FloatingPanelWindow::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    // A frame is drawn once the widgets have painted and the picture has gone to the window.
    if (event->type() == QEvent::UpdateRequest && frameCounter_) {
        qt_backend::panel_x11::setFrameCounter(frameCounter_, nextFrame_);
        if (!std::exchange(repairing_, false)) lastFrame_ = nextFrame_;
        nextFrame_ += 2;
    }
    return handled;
}

bool FloatingPanelWindow::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    if (frameCounter_ && eventType == "xcb_generic_event_t") {
        if (const auto value = qt_backend::panel_x11::syncRequestValue(message)) {
            // Answered by the frame drawn after the window manager's resize; the toolkit answers
            // on its own counter too.
            nextFrame_ = std::max(nextFrame_, *value + (*value & 1));
            update();
        } else if (const auto drawn = qt_backend::panel_x11::frameDrawnValue(message)) {
            // Mutter (seen without a GPU) asks the server to clear the window's damage as it
            // paints, but sends that request only later: whatever we drew in between is cleared
            // unseen and stays off the screen (the welcome panel kept showing its first step).
            // Its word that a frame is drawn goes out after that request, so the frames we drew
            // since the one it tells of are drawn again whole, once: their damage is then seen.
            if (*drawn < lastFrame_ && repaired_ < lastFrame_) {
                repaired_ = lastFrame_;
                repairing_ = true;
                update();
            }
        }
    }
    return QWidget::nativeEvent(eventType, message, result);
}

void FloatingPanelWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!testAttribute(Qt::WA_TranslucentBackground)) return;
    QPainterPath rounded;
    rounded.addRoundedRect(QRectF(rect()), cornerRadius_, cornerRadius_);
    setMask(QRegion(rounded.toFillPolygon().toPolygon()));
}

void FloatingPanelWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    // Nothing moves yet: a tap sends its press and release close together, and a move begun at
    // the press would go on after the release with no button held.
    pressedAt_ = event->globalPosition().toPoint();
    dragOffset_.reset();
}

void FloatingPanelWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return;
    const QPoint at = event->globalPosition().toPoint();
    if (dragOffset_) {
        move(at - *dragOffset_);
        return;
    }
    if (!pressedAt_ || (at - *pressedAt_).manhattanLength() < QGuiApplication::styleHints()->startDragDistance()) return;
    const QPoint pressed = *std::exchange(pressedAt_, std::nullopt);
    // Let the window manager move it where it can; otherwise follow the pointer ourselves.
    if (windowHandle() && windowHandle()->startSystemMove()) return;
    dragOffset_ = pressed - frameGeometry().topLeft();
    move(at - *dragOffset_);
}

void FloatingPanelWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressedAt_.reset();
        dragOffset_.reset();
    }
    QWidget::mouseReleaseEvent(event);
}

void paintPanelSurface(QWidget& view, const QColor& fill, double radius, bool dark) {
    QPainter p(&view);
    p.setRenderHint(QPainter::Antialiasing);
    if (view.window()->testAttribute(Qt::WA_TranslucentBackground)) {
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(QRectF(view.rect()), radius, radius);
        return;
    }
    p.fillRect(view.rect(), fill);
    const QColor border = dark ? QColor(255, 255, 255, 70) : QColor(0, 0, 0, 90);
    p.setPen(QPen(border, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(view.rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

void bringFloatingPanelToFront(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
    if (auto* handle = window->windowHandle()) handle->requestActivate();
    if (qt_backend::panel_x11::available()) qt_backend::panel_x11::raise(window->winId());
}

void presentFloatingPanel(QWidget* window) {
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
    }
    window->winId();  // the native window exists before it is mapped
    qt_backend::panel_x11::requestFloatingOnEveryDesktop(window->winId());
    bringFloatingPanelToFront(window);
    qt_backend::panel_x11::requestFloatingOnEveryDesktop(window->winId());
}

}  // namespace tessane::builder_qt
