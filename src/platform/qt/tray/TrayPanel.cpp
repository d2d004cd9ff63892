#include "platform/qt/tray/TrayPanel.h"

#include "platform/qt/ToolkitDisplay.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <cstdlib>
#include <string>
#include <type_traits>

namespace tessane::qt_backend {

namespace {

QNativeInterface::QX11Application* x11Application() {
    return qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
}

Display* x11Display() { return toolkitDisplay(); }

xcb_connection_t* xcbConnection() {
    auto* x11 = x11Application();
    return x11 ? x11->connection() : nullptr;
}

}  // namespace

TrayColours::TrayColours() = default;

TrayColours::~TrayColours() {
    // Replies still to come are dropped by the connection as they arrive.
    if (xcb_connection_t* c = xcbConnection(); c && open())
        for (const unsigned int sequence : pending_)
            if (sequence) xcb_discard_reply(c, sequence);
}

void TrayColours::ask() {
    xcb_connection_t* c = xcbConnection();
    Display* display = x11Display();
    if (open() || !c || !display) return;
    if (!coloursAtom_) {
        const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(display));
        pending_[0] = xcb_intern_atom(c, false, static_cast<uint16_t>(name.size()), name.c_str()).sequence;
        const char colours[] = "_NET_SYSTEM_TRAY_COLORS";
        pending_[1] = xcb_intern_atom(c, false, sizeof colours - 1, colours).sequence;
        step_ = Step::atoms;
    } else {
        pending_[0] = xcb_get_selection_owner(c, selectionAtom_).sequence;
        step_ = Step::owner;
    }
    xcb_flush(c);
}

bool TrayColours::take() {
    xcb_connection_t* c = xcbConnection();
    if (!open()) return false;
    if (!c) {
        answer(std::nullopt);
        return true;
    }
    // Whether the reply of `sequence` is in (into `out`; null for an error or a broken
    // connection), or was taken before (0).
    const auto reply = [&](unsigned int& sequence, auto*& out) {
        if (!sequence) return true;
        void* got = nullptr;
        xcb_generic_error_t* error = nullptr;
        if (!xcb_poll_for_reply(c, sequence, &got, &error)) return false;
        std::free(error);
        out = static_cast<std::remove_reference_t<decltype(out)>>(got);
        sequence = 0;
        return true;
    };
    if (step_ == Step::atoms) {
        xcb_intern_atom_reply_t *selection = nullptr, *colours = nullptr;
        const bool first = reply(pending_[0], selection), second = reply(pending_[1], colours);
        if (selection) selectionAtom_ = selection->atom;
        if (colours) coloursAtom_ = colours->atom;
        std::free(selection);
        std::free(colours);
        if (!first || !second) return false;
        if (!selectionAtom_ || !coloursAtom_) {
            answer(std::nullopt);
            return true;
        }
        pending_[0] = xcb_get_selection_owner(c, selectionAtom_).sequence;
        step_ = Step::owner;
        xcb_flush(c);
    }
    if (step_ == Step::owner) {
        xcb_get_selection_owner_reply_t* owner = nullptr;
        if (!reply(pending_[0], owner)) return false;
        const xcb_window_t tray = owner ? owner->owner : 0;
        std::free(owner);
        if (!tray) {
            answer(std::nullopt);
            return true;
        }
        // Twelve cardinals: foreground, error, warning and success, each as red, green, blue of 16 bits.
        pending_[0] = xcb_get_property(c, false, tray, coloursAtom_, XCB_ATOM_CARDINAL, 0, 12).sequence;
        step_ = Step::colours;
        xcb_flush(c);
    }
    xcb_get_property_reply_t* property = nullptr;
    if (!reply(pending_[0], property)) return false;
    std::optional<QColor> foreground;
    if (property && property->format == 32 && xcb_get_property_value_length(property) >= 12) {
        const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(property));
        auto channel = [](uint32_t v) { return int((v & 0xFFFF) >> 8); };
        foreground = QColor(channel(values[0]), channel(values[1]), channel(values[2]));
    }
    std::free(property);
    answer(foreground);
    return true;
}

void TrayColours::answer(std::optional<QColor> foreground) {
    foreground_ = foreground;
    step_ = Step::none;
    pending_[0] = pending_[1] = 0;
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
