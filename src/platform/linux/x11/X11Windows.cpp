// Reading other clients' windows and asking the window manager to change them.
#include "platform/linux/x11/X11Connection.h"

#include "platform/linux/x11/X11DesktopModel.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/Xlib-xcb.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <climits>
#include <cmath>

namespace tessane::linux_backend {

namespace {

std::string latin1ToUtf8(const uint8_t* data, size_t length) {
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        uint8_t c = data[i];
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

}  // namespace

std::optional<X11Property> X11Connection::property(XWindowId window, XAtomId prop) {
    return desktop_->property(window, prop);
}

std::optional<X11Property> X11Connection::readProperty(XWindowId window, XAtomId prop) {
    if (window == 0 || prop == 0 || !usable()) return std::nullopt;
    ErrorTrap trap(*this);
    const auto waited = trip(replies::kProperties);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    // Each property as far as its use goes (titles a few KiB): see X11PropertyCaps.cpp.
    int status = XGetWindowProperty(display_, window, prop, 0, propertyItemCap(prop), False, AnyPropertyType,
                                    &type, &format, &count, &after, &data);
    if (status != Success || !trap.received().ok() || type == None) {
        if (data) XFree(data);
        return std::nullopt;
    }
    X11Property result;
    result.type = type;
    result.format = format;
    if (data) {
        if (format == 8) {
            result.bytes.assign(data, data + count);
        } else if (format == 16) {
            auto* shorts = reinterpret_cast<short*>(data);
            result.items.assign(shorts, shorts + count);
        } else if (format == 32) {
            auto* longs = reinterpret_cast<long*>(data);
            result.items.assign(longs, longs + count);
        }
        XFree(data);
    }
    return result;
}

std::optional<std::vector<XWindowId>> X11Connection::windowList(XWindowId window,
                                                               std::string_view name) {
    auto p = property(window, atom(name));
    if (!p || p->format != 32) return std::nullopt;
    std::vector<XWindowId> out;
    out.reserve(p->items.size());
    for (long item : p->items) out.push_back(static_cast<XWindowId>(static_cast<unsigned long>(item)));
    return out;
}

std::optional<std::vector<XAtomId>> X11Connection::atomList(XWindowId window, std::string_view name) {
    auto p = property(window, atom(name));
    if (!p || p->format != 32 || p->type != XA_ATOM) return std::nullopt;
    std::vector<XAtomId> out;
    for (long item : p->items) out.push_back(static_cast<XAtomId>(static_cast<unsigned long>(item)));
    return out;
}

std::optional<std::vector<long>> X11Connection::cardinals(XWindowId window, std::string_view name) {
    auto p = property(window, atom(name));
    if (!p || p->format != 32) return std::nullopt;
    return std::move(p->items);
}

std::optional<std::string> X11Connection::text(XWindowId window, std::string_view name) {
    auto p = property(window, atom(name));
    if (!p || p->format != 8) return std::nullopt;
    size_t length = p->bytes.size();
    // Some clients count the terminating NUL; lists of strings keep only the first.
    for (size_t i = 0; i < p->bytes.size(); ++i) {
        if (p->bytes[i] == 0) {
            length = i;
            break;
        }
    }
    if (p->type == atom("UTF8_STRING")) {
        // A text read only up to its cap may end in part of a character: that part goes.
        size_t lead = length;
        while (lead > 0 && length - lead < 4 && (p->bytes[lead - 1] & 0xC0) == 0x80) --lead;
        if (lead > 0 && p->bytes[lead - 1] >= 0xC0) {
            const uint8_t c = p->bytes[lead - 1];
            const size_t needed = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
            if (length - (lead - 1) < needed) length = lead - 1;
        }
        return std::string(p->bytes.begin(), p->bytes.begin() + length);
    }
    return latin1ToUtf8(p->bytes.data(), length);
}

std::optional<X11WindowGeometry> X11Connection::geometry(XWindowId window) {
    return desktop_->geometry(window);
}

std::optional<X11WindowGeometry> X11Connection::freshGeometry(XWindowId window) {
    auto g = readGeometry(window);
    desktop_->prefetchGeometry({});  // nothing to fetch: only looks at the queued events
    return g;
}

std::optional<X11WindowGeometry> X11Connection::readGeometry(XWindowId window) {
    if (window == 0 || !usable()) return std::nullopt;
    ErrorTrap trap(*this);
    const auto waited = trip(replies::kGeometry, 2);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, window, &attributes) || !trap.received().ok())
        return std::nullopt;
    int rootX = 0, rootY = 0;
    Window child;
    if (!XTranslateCoordinates(display_, window, root_, 0, 0, &rootX, &rootY, &child) ||
        !trap.received().ok())
        return std::nullopt;
    X11WindowGeometry g;
    g.rootRect = Rect(rootX, rootY, attributes.width, attributes.height);
    g.borderWidth = attributes.border_width;
    g.viewable = attributes.map_state == IsViewable;
    g.overrideRedirect = attributes.override_redirect;
    g.inputOnly = attributes.c_class == InputOnly;
    return g;
}

std::optional<X11SizeHints> X11Connection::normalHints(XWindowId window) {
    // WM_SIZE_HINTS as ICCCM lays it out: flags, four obsolete fields, minimum, maximum,
    // increments, two aspect ratios, then (in the newer, longer form) base size and gravity.
    auto p = property(window, XA_WM_NORMAL_HINTS);
    if (!p || p->type != XA_WM_SIZE_HINTS || p->format != 32 || p->items.size() < 15) return std::nullopt;
    const auto& v = p->items;
    long flags = v[0];
    if (v.size() < 18) flags &= ~(PBaseSize | PWinGravity);
    auto size = [&](size_t i) { return Size{static_cast<double>(v[i]), static_cast<double>(v[i + 1])}; };
    X11SizeHints out;
    if (flags & PMinSize) out.minSize = size(5);
    else if (flags & PBaseSize) out.minSize = size(15);  // ICCCM: without a minimum, the base serves
    if (flags & PMaxSize) out.maxSize = size(7);
    if ((flags & PResizeInc) && v[9] >= 1 && v[10] >= 1) out.resizeIncrements = size(9);
    if ((flags & PAspect) && v[11] >= 1 && v[12] >= 1 && v[13] >= 1 && v[14] >= 1) {
        out.minAspect = size(11);
        out.maxAspect = size(13);
    }
    if ((flags & PBaseSize) && v[15] >= 0 && v[16] >= 0) out.baseSize = size(15);
    if (flags & PWinGravity) out.winGravity = static_cast<int>(v[17]);
    return out;
}

std::optional<std::pair<std::string, std::string>> X11Connection::wmClass(XWindowId window) {
    // Two NUL-terminated strings: the instance, then the class.
    auto p = property(window, XA_WM_CLASS);
    if (!p || p->type != XA_STRING || p->format != 8) return std::nullopt;
    const std::string all(p->bytes.begin(), p->bytes.end());
    const size_t end = all.find('\0');
    if (end == std::string::npos) return std::pair{all, std::string()};
    const std::string rest = all.substr(end + 1);
    return std::pair{all.substr(0, end), rest.substr(0, rest.find('\0'))};
}

std::optional<XWindowId> X11Connection::transientFor(XWindowId window) {
    auto p = property(window, XA_WM_TRANSIENT_FOR);
    if (!p || p->type != XA_WINDOW || p->format != 32 || p->items.empty()) return std::nullopt;
    return static_cast<XWindowId>(static_cast<unsigned long>(p->items[0]));
}

bool X11Connection::takesFocus(XWindowId window) {
    // WM_HINTS: flags, then the input field (InputHint tells it is there).
    const auto hints = property(window, XA_WM_HINTS);
    const bool inputHint = hints && hints->format == 32 && hints->items.size() >= 2 && (hints->items[0] & InputHint);
    if (!inputHint || hints->items[1] != 0) return true;
    const auto protocols = atomList(window, "WM_PROTOCOLS");
    return protocols && std::find(protocols->begin(), protocols->end(), atom("WM_TAKE_FOCUS")) != protocols->end();
}

bool X11Connection::windowExists(XWindowId window) { return desktop_->windowExists(window); }

X11Status X11Connection::sendToWindowManager(XWindowId window, std::string_view messageType,
                                             const std::array<long, 5>& data) {
    if (!usable()) return {X11Status::noConnection};
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = atom(messageType);
    event.xclient.format = 32;
    for (int i = 0; i < 5; ++i) event.xclient.data.l[i] = data[i];
    // Sent to the root: the window manager hears it through its substructure redirect, and a
    // window that vanished meanwhile costs nothing but a message the manager drops.
    XSendEvent(display_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(display_);
    return {};
}

X11Status X11Connection::requestMoveResize(XWindowId window, std::optional<Point> frameOrigin,
                                           std::optional<Size> clientSize) {
    // North-west gravity (1): x and y place the frame's top-left corner. Bits 8-11: which of x,
    // y, width and height are given. Bits 12-13 = 2: the request comes from a pager-like tool,
    // which window managers honour without the focus-stealing checks applied to applications.
    long flags = 1 | (2L << 12);
    std::array<long, 5> data{0, 0, 0, 0, 0};
    if (frameOrigin) {
        flags |= (1L << 8) | (1L << 9);
        data[1] = std::lround(frameOrigin->x);
        data[2] = std::lround(frameOrigin->y);
    }
    if (clientSize) {
        flags |= (1L << 10) | (1L << 11);
        data[3] = std::max(1L, std::lround(clientSize->width));
        data[4] = std::max(1L, std::lround(clientSize->height));
    }
    data[0] = flags;
    return sendToWindowManager(window, "_NET_MOVERESIZE_WINDOW", data);
}

X11Status X11Connection::requestConfigure(XWindowId window, std::optional<Point> position,
                                          std::optional<Size> size) {
    XWindowChanges changes{};
    unsigned mask = 0;
    if (position) {
        changes.x = static_cast<int>(std::lround(position->x));
        changes.y = static_cast<int>(std::lround(position->y));
        mask |= CWX | CWY;
    }
    if (size) {
        changes.width = static_cast<int>(std::max(1L, std::lround(size->width)));
        changes.height = static_cast<int>(std::max(1L, std::lround(size->height)));
        mask |= CWWidth | CWHeight;
    }
    if (mask == 0) return {};
    if (!usable()) return {X11Status::noConnection};
    ErrorTrap trap(*this);
    XConfigureWindow(display_, window, mask, &changes);
    return trap.check();
}

X11Status X11Connection::requestWmState(XWindowId window, long action, std::string_view first,
                                        std::string_view second) {
    return sendToWindowManager(window, "_NET_WM_STATE",
                               {action, static_cast<long>(atom(first)),
                                second.empty() ? 0L : static_cast<long>(atom(second)), 2, 0});
}

X11Status X11Connection::requestActivate(XWindowId window) {
    return sendToWindowManager(window, "_NET_ACTIVE_WINDOW", {2, CurrentTime, 0, 0, 0});
}

X11Status X11Connection::requestRaise(XWindowId window) {
    const auto supported = atomList(root_, "_NET_SUPPORTED");
    if (supported && std::find(supported->begin(), supported->end(), atom("_NET_RESTACK_WINDOW")) != supported->end())
        return sendToWindowManager(window, "_NET_RESTACK_WINDOW", {2, 0, Above, 0, 0});  // no sibling: the top
    return raiseWindow(window);
}

X11Status X11Connection::raiseWindow(XWindowId window) {
    if (!usable()) return {X11Status::noConnection};
    ErrorTrap trap(*this);
    XRaiseWindow(display_, window);
    XFlush(display_);
    return trap.received();
}

X11Status X11Connection::requestIconify(XWindowId window) {
    if (!usable()) return {X11Status::noConnection};
    ErrorTrap trap(*this);
    XIconifyWindow(display_, window, DefaultScreen(display_));
    XFlush(display_);
    return trap.received();
}

X11Status X11Connection::setCardinal(XWindowId window, std::string_view property, long value) {
    if (!usable()) return {X11Status::noConnection};
    ErrorTrap trap(*this);
    XChangeProperty(display_, window, atom(property), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&value), 1);
    written_.emit(window, atom(property));
    return trap.check();
}

X11Status X11Connection::requestMap(XWindowId window) {
    if (!usable()) return {X11Status::noConnection};
    ErrorTrap trap(*this);
    XMapWindow(display_, window);
    return trap.check();
}

// Checked, and the answers dropped unread, as event masks are sent: a window that has gone costs no
// error anywhere, and nothing waits for the server.
void X11Connection::setCardinals(std::span<const XWindowId> windows, std::string_view property, long value) {
    if (!usable()) return;
    XFlush(display_);  // after what Xlib holds
    xcb_connection_t* c = XGetXCBConnection(display_);
    const XAtomId a = atom(property);
    const uint32_t item = static_cast<uint32_t>(value);
    for (XWindowId w : windows) {
        const auto cookie = xcb_change_property_checked(c, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(w),
                                                        static_cast<xcb_atom_t>(a), XCB_ATOM_CARDINAL, 32, 1, &item);
        xcb_discard_reply(c, cookie.sequence);
        written_.emit(w, a);
    }
    xcb_flush(c);
}

void X11Connection::removeProperties(std::span<const XWindowId> windows, std::string_view property) {
    if (!usable()) return;
    XFlush(display_);
    xcb_connection_t* c = XGetXCBConnection(display_);
    const XAtomId a = atom(property);
    for (XWindowId w : windows) {
        const auto cookie = xcb_delete_property_checked(c, static_cast<xcb_window_t>(w), static_cast<xcb_atom_t>(a));
        xcb_discard_reply(c, cookie.sequence);
        written_.emit(w, a);
    }
    xcb_flush(c);
}

void X11Connection::requestMaps(std::span<const XWindowId> windows) {
    if (!usable()) return;
    XFlush(display_);
    xcb_connection_t* c = XGetXCBConnection(display_);
    for (XWindowId w : windows) {
        const auto cookie = xcb_map_window_checked(c, static_cast<xcb_window_t>(w));
        xcb_discard_reply(c, cookie.sequence);
    }
    xcb_flush(c);
}

X11Status X11Connection::requestNormalState(XWindowId window) {
    constexpr long normalState = 1;
    return sendToWindowManager(window, "WM_CHANGE_STATE", {normalState, 0, 0, 0, 0});
}

X11Status X11Connection::requestDelete(XWindowId window) {
    if (!usable()) return {X11Status::noConnection};
    auto protocols = atomList(window, "WM_PROTOCOLS");
    if (!protocols) return {windowExists(window) ? X11Status::badMatch : X11Status::badWindow};
    const XAtomId deleteWindow = atom("WM_DELETE_WINDOW");
    if (std::find(protocols->begin(), protocols->end(), deleteWindow) == protocols->end())
        return {X11Status::badMatch};
    ErrorTrap trap(*this);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = atom("WM_PROTOCOLS");
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(deleteWindow);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, window, False, NoEventMask, &event);
    XFlush(display_);
    return trap.received();
}

}  // namespace tessane::linux_backend
