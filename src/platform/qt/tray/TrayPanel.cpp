#include "platform/qt/tray/TrayPanel.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

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

QImage grabDockedArea(unsigned long icon, const QRect& area) {
    Display* display = x11Display();
    if (!display || !icon || area.isEmpty()) return grabScreenArea(area);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, icon, &root, &parent, &children, &count)) return {};
    if (children) XFree(children);
    if (parent == root || parent == 0) return grabScreenArea(area);
    XWindowAttributes own, holder;
    int x = 0, y = 0;
    Window child = 0;
    if (!XGetWindowAttributes(display, icon, &own) || !XGetWindowAttributes(display, parent, &holder) ||
        !XTranslateCoordinates(display, icon, parent, 0, 0, &x, &y, &child))
        return {};
    // A socket with an alpha channel holds no panel: it is clear where the icon is, and the tray
    // lays it over its panel itself. Only the screen shows what lies behind.
    if (holder.depth == 32) return grabScreenArea(area);
    // Within the window it is docked in, as a read must be.
    const QRect inside = QRect(x, y, own.width, own.height) & QRect(0, 0, holder.width, holder.height);
    if (inside.isEmpty()) return {};
    XImage* image = XGetImage(display, parent, inside.x(), inside.y(), static_cast<unsigned>(inside.width()),
                              static_cast<unsigned>(inside.height()), AllPlanes, ZPixmap);
    if (!image) return {};
    // True colour, each channel where the visual's masks put it.
    const auto channel = [](unsigned long pixel, unsigned long mask) {
        if (!mask) return 0;
        int shift = 0;
        while (!((mask >> shift) & 1)) ++shift;
        const unsigned long top = mask >> shift;
        return static_cast<int>(((pixel & mask) >> shift) * 255 / top);
    };
    QImage out(image->width, image->height, QImage::Format_RGB32);
    for (int row = 0; row < image->height; ++row)
        for (int column = 0; column < image->width; ++column) {
            const unsigned long p = XGetPixel(image, column, row);
            out.setPixel(column, row, qRgb(channel(p, image->red_mask), channel(p, image->green_mask),
                                           channel(p, image->blue_mask)));
        }
    XDestroyImage(image);
    return out;
}

}  // namespace tessane::qt_backend
