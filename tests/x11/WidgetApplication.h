#pragma once

#include "platform/linux/x11/X11Connection.h"
#include "x11/support/X11TestServer.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QByteArray>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace tessane::x11test {

// A QApplication on the private server `display`, for tests of our own Qt windows. False when this
// process already has a plain application object: such a test needs a process of its own.
inline bool ensureWidgetApplication(const std::string& display) {
    if (QCoreApplication* app = QCoreApplication::instance()) return qobject_cast<QApplication*>(app) != nullptr;
    static int argc = 1;
    static char name[] = "tests_x11";
    static char* argv[] = {name, nullptr};
    setenv("DISPLAY", display.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    // No session bus: these tests need none (so Qt's tray icons use the XEmbed tray), and the
    // connection Qt would open to one lives on past the end of a test process.
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
    new QApplication(argc, argv);
    return true;
}

// Until Qt has handled every event the server sent it about what Qt asked of it so far: a
// property of Qt's window `window` changed through Qt's own connection comes back to Qt after
// every event its earlier requests caused. False when it never came back.
inline bool qtRoundTrip(uint32_t window) {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11) return false;
    xcb_connection_t* c = x11->connection();
    static const char kName[] = "_TESSANE_TEST_ROUND_TRIP";
    xcb_intern_atom_reply_t* interned = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof kName - 1, kName), nullptr);
    if (!interned) return false;
    struct Echo final : QAbstractNativeEventFilter {
        xcb_atom_t atom = 0;
        bool heard = false;
        bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
            const auto* event = static_cast<const xcb_generic_event_t*>(message);
            if (type == "xcb_generic_event_t" && (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY &&
                reinterpret_cast<const xcb_property_notify_event_t*>(event)->atom == atom)
                heard = true;
            return false;
        }
    } echo;
    echo.atom = interned->atom;
    free(interned);
    qApp->installNativeEventFilter(&echo);
    const uint32_t value = 0;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, echo.atom, XCB_ATOM_CARDINAL, 32, 1, &value);
    xcb_flush(c);
    waitFor([&] { return echo.heard; });
    qApp->removeNativeEventFilter(&echo);
    QCoreApplication::processEvents();  // what Qt queued while handling them
    return echo.heard;
}

// Until the window manager has acted on everything Qt asked so far and Qt has heard of what it
// did: Qt's round trip, the manager's, Qt's again.
inline bool qtAndManagerSettled(linux_backend::X11Connection& x, uint32_t window) {
    return qtRoundTrip(window) && x.windowManagerRoundTrip(30) && qtRoundTrip(window);
}

}  // namespace tessane::x11test
