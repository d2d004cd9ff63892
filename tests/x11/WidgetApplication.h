#pragma once

#include <QApplication>

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

}  // namespace tessane::x11test
