#pragma once

#include <QGuiApplication>

#include <xcb/xcb.h>

struct _XDisplay;  // Xlib's Display: its header's macros stay out of here

namespace tessane::qt_backend {

// Qt's own Xlib display, for what we ask on it ourselves (our panels' shapes and places, the tray
// icon's backdrop); none without one, or once its connection broke. Xlib ends the process at the
// first call on a broken display, and the quit that the break sets off (bringing hidden windows
// back, on our own connection) would end halfway, inside a panel's update that its events cause.
inline _XDisplay* toolkitDisplay() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;  // none off X (offscreen)
    return connection && !xcb_connection_has_error(connection) ? x11->display() : nullptr;
}

}  // namespace tessane::qt_backend
