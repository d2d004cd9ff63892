#include "platform/qt/TrayPanel.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <string>

namespace tessane::qt_backend {

namespace {

Display* x11Display() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

}  // namespace

std::optional<QColor> trayAnnouncedForeground() {
    Display* display = x11Display();
    if (!display) return std::nullopt;
    const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(display));
    const Window tray = XGetSelectionOwner(display, XInternAtom(display, name.c_str(), False));
    if (tray == 0) return std::nullopt;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const Atom colours = XInternAtom(display, "_NET_SYSTEM_TRAY_COLORS", False);
    // Twelve cardinals: foreground, error, warning and success, each as red, green, blue of 16 bits.
    if (XGetWindowProperty(display, tray, colours, 0, 12, False, XA_CARDINAL, &type, &format, &count, &after, &data) !=
        Success)
        return std::nullopt;
    std::optional<QColor> foreground;
    if (data && format == 32 && count >= 3) {
        const auto* values = reinterpret_cast<const unsigned long*>(data);
        auto channel = [](unsigned long v) { return int((v & 0xFFFF) >> 8); };
        foreground = QColor(channel(values[0]), channel(values[1]), channel(values[2]));
    }
    if (data) XFree(data);
    return foreground;
}

QImage grabScreenArea(const QRect& area) {
    if (!x11Display() || area.isEmpty()) return {};
    QScreen* screen = QGuiApplication::screenAt(area.center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return {};
    // Window 0 is the root: what the screen shows there, the tray's panel included.
    const QRect local = area.translated(-screen->geometry().topLeft());
    return screen->grabWindow(0, local.x(), local.y(), local.width(), local.height()).toImage();
}

}  // namespace tessane::qt_backend
