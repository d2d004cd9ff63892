#include "platform/qt/panels/QtPanels.h"

#include "platform/qt/panels/PanelX11.h"

#include <xcb/xcb.h>

#include <algorithm>

namespace tessane::qt_backend {

// Pointer events of panels' input windows, restacks of the chrome and of the root's children,
// and the compositing manager's coming and going.
bool QtPanels::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & ~0x80) {
    case XCB_BUTTON_PRESS:
    case XCB_BUTTON_RELEASE:
    case XCB_MOTION_NOTIFY:
    case XCB_ENTER_NOTIFY:
    case XCB_LEAVE_NOTIFY: {
        const auto window = reinterpret_cast<const xcb_button_press_event_t*>(event)->event;
        for (auto* p : panels_)
            if (p->inputWindow() && p->inputWindow() == window) {
                p->forwardPointer(event);
                return true;
            }
        return false;
    }
    case XCB_CONFIGURE_NOTIFY: {
        // A panel of the chrome restacked by someone else: its order among the chrome is kept,
        // nothing more (Mutter lifts them all over its windows in their order, and answering that
        // lift with a restack would only go on in turns with it).
        const auto* change = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
        if (change->event == change->window &&
            std::any_of(panels_.begin(), panels_.end(), [&](const QtPanel* p) {
                return p->windowId() == change->window && p->options().level >= 1 &&
                       p->options().level < PanelLevel::card && p->isMapped();
            }))
            scheduleOrderCheck();
        return false;
    }
    default: break;
    }
    if (compositingEvent_ && (event->response_type & ~0x80) == compositingEvent_) {
        // New panels get the kind of window that suits; kept windows of the other kind go.
        compositing_ = panel_x11::compositing();
        pool_.setCompositing(compositing_);
        return false;
    }
    if ((event->response_type & ~0x80) != XCB_PROPERTY_NOTIFY) return false;
    const auto* change = static_cast<const xcb_property_notify_event_t*>(message);
    // The window manager restacked its windows: ours go back in place, if any is up.
    if (change->window == root_ && change->atom == stackingAtom_ &&
        std::any_of(panels_.begin(), panels_.end(), [](const QtPanel* p) { return p->options().level >= 1 && p->isMapped(); }))
        scheduleRestack();
    return false;
}

}  // namespace tessane::qt_backend
