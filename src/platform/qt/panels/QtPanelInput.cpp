#include "platform/qt/panels/QtPanel.h"

#include "platform/qt/panels/PanelX11.h"
#include "platform/qt/panels/QtPanelWidget.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QStyleHints>

#include <xcb/xcb.h>

#include <utility>

namespace tessane::qt_backend {

void QtPanel::syncInputWindow() {
    // Only for panels out of the window manager's hands: it reparents the others into frames.
    const bool want = isMapped() && widerInput_ && options_.level >= 1;
    if (!want) {
        if (inputWindow_) panel_x11::destroyWindow(std::exchange(inputWindow_, 0));
        inputShape_.reset();
        return;
    }
    if (!inputWindow_) inputWindow_ = panel_x11::makeInputWindow(rootFrame_, cursor_);
    cutInputWindow();
    panel_x11::mapAbove(inputWindow_, windowId());
}

void QtPanel::forwardPointer(const xcb_generic_event_t* event) {
    // Press, release, motion, enter and leave share the layout that matters here.
    const auto* e = reinterpret_cast<const xcb_button_press_event_t*>(event);
    const int type = event->response_type & ~0x80;
    const double ratio = widget_->devicePixelRatioF();
    const QPointF local(e->event_x / ratio, e->event_y / ratio), global(e->root_x / ratio, e->root_y / ratio);
    auto& canvas = widget_->canvas();
    const auto forward = [&](QEvent::Type kind, Qt::MouseButton button, Qt::MouseButtons buttons,
                             Qt::KeyboardModifiers modifiers) {
        QCoreApplication::postEvent(&canvas, new ForwardedPointer(kind, local, global, button, buttons, modifiers));
    };
    if (type == XCB_ENTER_NOTIFY) return forward(QEvent::Enter, Qt::NoButton, {}, {});
    if (type == XCB_LEAVE_NOTIFY) return forward(QEvent::Leave, Qt::NoButton, {}, {});
    Qt::MouseButtons held;
    if (e->state & XCB_BUTTON_MASK_1) held |= Qt::LeftButton;
    if (e->state & XCB_BUTTON_MASK_2) held |= Qt::MiddleButton;
    if (e->state & XCB_BUTTON_MASK_3) held |= Qt::RightButton;
    const Qt::KeyboardModifiers modifiers = (e->state & XCB_MOD_MASK_CONTROL) ? Qt::ControlModifier : Qt::NoModifier;
    const auto post = [&](QEvent::Type kind, Qt::MouseButton button, Qt::MouseButtons buttons) {
        forward(kind, button, buttons, modifiers);
    };
    if (type == XCB_MOTION_NOTIFY) return post(QEvent::MouseMove, Qt::NoButton, held);
    const Qt::MouseButton button = e->detail == 1   ? Qt::LeftButton
                                   : e->detail == 2 ? Qt::MiddleButton
                                   : e->detail == 3 ? Qt::RightButton
                                                    : Qt::NoButton;
    if (button == Qt::NoButton) return;  // the wheel: nothing on a panel takes it
    if (type == XCB_BUTTON_RELEASE) return post(QEvent::MouseButtonRelease, button, held & ~button);
    post(QEvent::MouseButtonPress, button, held | button);
    const auto interval = static_cast<unsigned>(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    if (e->detail == lastPressButton_ && e->time - lastPressTime_ < interval) {
        post(QEvent::MouseButtonDblClick, button, held | button);
        lastPressButton_ = 0;
    } else {
        lastPressButton_ = e->detail;
        lastPressTime_ = e->time;
    }
}

void QtPanel::setCursor(PanelCursor cursor) {
    switch (cursor) {
    case PanelCursor::arrow: widget_->canvas().setCursor(Qt::ArrowCursor); break;
    case PanelCursor::openHand: widget_->canvas().setCursor(Qt::OpenHandCursor); break;
    case PanelCursor::resizeLeftRight: widget_->canvas().setCursor(Qt::SizeHorCursor); break;
    case PanelCursor::resizeUpDown: widget_->canvas().setCursor(Qt::SizeVerCursor); break;
    }
    cursor_ = cursor;
    panel_x11::setPointerCursor(inputWindow_, cursor);
}

void QtPanel::setInputHandler(std::function<void(const PanelInput&)> handler) { input_ = std::move(handler); }

void QtPanel::setKeyHandler(std::function<void(PanelKey)> handler) {
    widget_->canvas().setKeySink(std::move(handler));
}

}  // namespace tessane::qt_backend
