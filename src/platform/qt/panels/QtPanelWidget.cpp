#include "platform/qt/panels/QtPanelWidget.h"

#include "platform/qt/AppIcon.h"
#include "platform/qt/panels/PanelPainter.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace tessane::qt_backend {

PanelCanvas::PanelCanvas(QWidget* parent) : QWidget(parent) {
    setMouseTracking(false);
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_NoSystemBackground, true);
}

void PanelCanvas::setDrawing(PanelDrawing drawing) {
    drawing_ = std::move(drawing);
    update();
}

void PanelCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const bool dark = chromeIsDark();
    // Where nothing blends a transparent window with what lies below, the window is shaped to
    // its drawing and translucent colours are laid over the chrome's own surface colour.
    const bool translucent = window()->testAttribute(Qt::WA_TranslucentBackground);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), translucent ? QColor(Qt::transparent)
                                         : resolveColor({ColorRole::underPageBackground}, dark));
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    // The drawing is in points, as the widget: Qt paints it at the screen's scale, crisp.
    paintDrawing(painter, drawing_, drawingSize(), dark, translucent);
}

void PanelCanvas::send(PanelInput::Kind kind, QPointF global, int clicks, bool control) {
    if (sink_) sink_(kind, global, clicks, control);
}

void PanelCanvas::mousePressEvent(QMouseEvent* e) {
    const bool control = e->modifiers() & Qt::ControlModifier;
    // A panel that may have the keyboard takes it when clicked, never before.
    if (!window()->testAttribute(Qt::WA_X11DoNotAcceptFocus)) {
        window()->activateWindow();
        setFocus(Qt::MouseFocusReason);
    }
    if (e->button() == Qt::LeftButton) {
        pressed_ = true;
        send(PanelInput::Kind::leftDown, e->globalPosition(), 1, control);
    } else if (e->button() == Qt::RightButton) {
        send(PanelInput::Kind::rightDown, e->globalPosition(), 1, control);
    }
}

void PanelCanvas::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return mousePressEvent(e);
    pressed_ = true;
    send(PanelInput::Kind::leftDown, e->globalPosition(), 2, e->modifiers() & Qt::ControlModifier);
}

void PanelCanvas::mouseMoveEvent(QMouseEvent* e) {
    // The window system keeps sending motion to the pressed window (an implicit grab) wherever
    // the pointer goes.
    if (pressed_ && (e->buttons() & Qt::LeftButton)) send(PanelInput::Kind::leftDragged, e->globalPosition());
}

void PanelCanvas::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !pressed_) return;
    pressed_ = false;
    send(PanelInput::Kind::leftUp, e->globalPosition());
}

void PanelCanvas::keyPressEvent(QKeyEvent* e) {
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && keySink_) {
        auto sink = keySink_;
        sink(PanelKey::returnKey);
        return;
    }
    QWidget::keyPressEvent(e);
}

bool PanelCanvas::cancelPress() {
    if (!pressed_) return false;
    pressed_ = false;
    send(PanelInput::Kind::trackingCancelled, QPointF(QCursor::pos()));
    return true;
}

void PanelCanvas::enterEvent(QEnterEvent* e) { send(PanelInput::Kind::entered, e->globalPosition()); }
void PanelCanvas::leaveEvent(QEvent*) { send(PanelInput::Kind::exited, QPointF(QCursor::pos())); }

void PanelCanvas::changeEvent(QEvent* e) {
    // The light or dark palette changed: every role resolves anew.
    if (e->type() == QEvent::PaletteChange || e->type() == QEvent::ApplicationPaletteChange) appearanceChanged();
    QWidget::changeEvent(e);
}

void PanelCanvas::appearanceChanged() {
    update();
    if (appearanceSink_) appearanceSink_();
}

QEvent::Type ForwardedPointer::eventType() {
    static const auto registered = static_cast<QEvent::Type>(QEvent::registerEventType());
    return registered;
}

bool PanelCanvas::event(QEvent* e) {
    if (e->type() == QEvent::UngrabMouse) cancelPress();
    if (e->type() == ForwardedPointer::eventType()) {
        const auto& f = static_cast<const ForwardedPointer&>(*e);
        if (f.mouseType == QEvent::Enter) {
            QEnterEvent enter(f.local, f.local, f.global);
            return QCoreApplication::sendEvent(this, &enter);
        }
        if (f.mouseType == QEvent::Leave) {
            QEvent leave(QEvent::Leave);
            return QCoreApplication::sendEvent(this, &leave);
        }
        QMouseEvent mouse(f.mouseType, f.local, f.local, f.global, f.button, f.buttons, f.modifiers);
        return QCoreApplication::sendEvent(this, &mouse);
    }
    return QWidget::event(e);
}

namespace {
Qt::WindowFlags flagsFor(const PanelOptions& options) {
    // A tool window, not a plain one: Qt closes an open menu when a plain window shows, and a card
    // may come up while the user is in one.
    Qt::WindowFlags f = (options.level < 0 ? Qt::Window : Qt::Tool) | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint;
    if (!options.canTakeFocus) f |= Qt::WindowDoesNotAcceptFocus;
    // Below ordinary windows the window manager keeps the panel (and may decorate nothing);
    // above them we keep the order ourselves, out of its reach.
    f |= options.level < 0 ? Qt::WindowStaysOnBottomHint : Qt::X11BypassWindowManagerHint;
    return f;
}
}  // namespace

QtPanelWidget::QtPanelWidget(const PanelOptions& options, bool translucent) : QWidget(nullptr, flagsFor(options)) {
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    setAttribute(Qt::WA_X11DoNotAcceptFocus, !options.canTakeFocus);
    setAttribute(Qt::WA_TranslucentBackground, translucent);
    setWindowTitle(QString::fromStdString("Tessane " + options.name));
    setWindowIcon(panelIcon());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    canvas_ = new PanelCanvas(this);
    layout->addWidget(canvas_);
}

void QtPanelWidget::hideEvent(QHideEvent* e) {
    canvas_->cancelPress();
    QWidget::hideEvent(e);
}

}  // namespace tessane::qt_backend
