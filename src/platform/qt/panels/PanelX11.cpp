#include "platform/qt/panels/PanelX11.h"

#include "platform/qt/ToolkitDisplay.h"

#include <QGuiApplication>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/shape.h>
#include <X11/extensions/sync.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace tessane::qt_backend::panel_x11 {

namespace {

Display* display() { return toolkitDisplay(); }

Atom atom(Display* d, const char* name) { return XInternAtom(d, name, False); }

void clientMessage(Display* d, WindowId window, const char* type, long a0, long a1, long a2) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = atom(d, type);
    e.xclient.format = 32;
    e.xclient.data.l[0] = a0;
    e.xclient.data.l[1] = a1;
    e.xclient.data.l[2] = a2;
    e.xclient.data.l[3] = 1;  // a normal application
    XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
}

}  // namespace

bool available() { return display() != nullptr; }

void internAtoms() {
    Display* d = display();
    if (!d) return;
    char* names[] = {const_cast<char*>("_COMPTON_SHADOW"),          const_cast<char*>("_NET_WM_WINDOW_TYPE"),
                     const_cast<char*>("_NET_WM_WINDOW_TYPE_DESKTOP"), const_cast<char*>("_KDE_NET_WM_WINDOW_TYPE_OVERRIDE"),
                     const_cast<char*>("_NET_WM_DESKTOP"),          const_cast<char*>("_NET_WM_STATE"),
                     const_cast<char*>("_NET_WM_STATE_BELOW"),      const_cast<char*>("_NET_WM_STATE_ABOVE"),
                     const_cast<char*>("_NET_WM_STATE_STICKY"),     const_cast<char*>("_NET_WM_STATE_SKIP_TASKBAR"),
                     const_cast<char*>("_NET_WM_STATE_SKIP_PAGER"), const_cast<char*>("_MOTIF_WM_HINTS"),
                     const_cast<char*>("_NET_FRAME_EXTENTS"),       const_cast<char*>("_NET_WM_STATE_DEMANDS_ATTENTION")};
    Atom atoms[std::size(names)];
    // Xlib keeps what it learns here: the names are not asked for again. A name first asked in a
    // show would cost it a round trip behind every request Qt has queued before it.
    XInternAtoms(d, names, static_cast<int>(std::size(names)), False, atoms);
}

bool compositing() {
    Display* d = display();
    if (!d) return false;
    const std::string name = "_NET_WM_CM_S" + std::to_string(DefaultScreen(d));
    return XGetSelectionOwner(d, atom(d, name.c_str())) != None;
}

int watchCompositing() {
    Display* d = display();
    int eventBase = 0, errorBase = 0;
    if (!d || !XFixesQueryExtension(d, &eventBase, &errorBase)) return 0;
    const std::string name = "_NET_WM_CM_S" + std::to_string(DefaultScreen(d));
    XFixesSelectSelectionInput(d, DefaultRootWindow(d), atom(d, name.c_str()),
                               XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask |
                                   XFixesSelectionClientCloseNotifyMask);
    XFlush(d);
    return eventBase + XFixesSelectionNotify;
}

void setEmptyInputShape(WindowId window) {
    if (Display* d = display()) XShapeCombineRectangles(d, window, ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);
}

namespace {
void setShape(WindowId window, int kind, const QRegion& region) {
    Display* d = display();
    if (!d) return;
    std::vector<XRectangle> rects;
    for (const QRect& r : region)
        rects.push_back({static_cast<short>(r.x()), static_cast<short>(r.y()), static_cast<unsigned short>(r.width()),
                         static_cast<unsigned short>(r.height())});
    XShapeCombineRectangles(d, window, kind, 0, 0, rects.data(), static_cast<int>(rects.size()), ShapeSet, YXBanded);
}
}  // namespace

void setInputShape(WindowId window, const QRegion& region) { setShape(window, ShapeInput, region); }
void setBoundingShape(WindowId window, const QRegion& region) { setShape(window, ShapeBounding, region); }

void setGeometry(WindowId window, const QRect& root) {
    if (Display* d = display())
        XMoveResizeWindow(d, window, root.x(), root.y(), static_cast<unsigned>(std::max(1, root.width())),
                          static_cast<unsigned>(std::max(1, root.height())));
}

void setFullInputShape(WindowId window, QSize size) {
    Display* d = display();
    if (!d) return;
    XRectangle all{0, 0, static_cast<unsigned short>(size.width()), static_cast<unsigned short>(size.height())};
    XShapeCombineRectangles(d, window, ShapeInput, 0, 0, &all, 1, ShapeSet, Unsorted);
}

namespace {
// One 8-bit channel scaled into the bits of `mask`.
unsigned long channel(int value, unsigned long mask) {
    if (!mask) return 0;
    const int shift = __builtin_ctzl(mask);
    const unsigned long max = mask >> shift;
    return ((static_cast<unsigned long>(value) * max + 127) / 255) << shift;
}

unsigned fontCursor(PanelCursor cursor) {
    switch (cursor) {
    case PanelCursor::openHand: return XC_hand2;
    case PanelCursor::resizeLeftRight: return XC_sb_h_double_arrow;
    case PanelCursor::resizeUpDown: return XC_sb_v_double_arrow;
    case PanelCursor::arrow: break;
    }
    return XC_left_ptr;
}

// Where a window's pixel keeps each channel.
struct Pixels {
    unsigned long red = 0, green = 0, blue = 0, alpha = 0;
};

// The toolkit gives every window of a kind the same visual: it is read once per kind.
const Pixels* pixelsOf(Display* d, WindowId window, bool translucent) {
    static std::optional<Pixels> kinds[2];
    static Display* readOn = nullptr;
    if (readOn != d) kinds[0] = kinds[1] = std::nullopt;
    readOn = d;
    auto& kind = kinds[translucent ? 1 : 0];
    if (!kind) {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(d, window, &attributes) || !attributes.visual) return nullptr;
        const Visual* v = attributes.visual;
        // A visual with an alpha channel (a translucent window's): the bits no colour uses hold it.
        const unsigned long alpha =
            attributes.depth == 32 ? 0xFFFFFFFFUL & ~(v->red_mask | v->green_mask | v->blue_mask) : 0;
        kind = Pixels{v->red_mask, v->green_mask, v->blue_mask, alpha};
    }
    return &*kind;
}
}  // namespace

void setBackgroundColor(WindowId window, const QColor& color, bool translucent) {
    Display* d = display();
    if (!d) return;
    const Pixels* kind = pixelsOf(d, window, translucent);
    if (!kind) return;
    const unsigned long pixel = channel(color.red(), kind->red) | channel(color.green(), kind->green) |
                                channel(color.blue(), kind->blue) | kind->alpha;
    XSetWindowBackground(d, window, pixel);
    XClearWindow(d, window);
    // The server handles these before anything the toolkit sends later on the same connection
    // (the map, a paint): no need to wait for it.
    XFlush(d);
}

void prepareFirstShow(WindowId window, bool translucent) {
    Display* d = display();
    if (!d) return;
    pixelsOf(d, window, translucent);
    int event = 0, error = 0;
    XShapeQueryExtension(d, &event, &error);
    XFreeCursor(d, XCreateFontCursor(d, fontCursor(PanelCursor::arrow)));
}

void clearBackground(WindowId window) {
    if (Display* d = display()) XSetWindowBackgroundPixmap(d, window, None);
}

void markShadowless(WindowId window, bool raised) {
    Display* d = display();
    if (!d) return;
    const long none = 0;
    XChangeProperty(d, window, atom(d, "_COMPTON_SHADOW"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&none), 1);
    // A window that draws its own frame and shadow (of no width here): picom's shipped settings
    // cast no shadow from it, and read it on the client window, under a window manager's frame.
    const long noExtents[] = {0, 0, 0, 0};
    XChangeProperty(d, window, atom(d, "_GTK_FRAME_EXTENTS"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(noExtents), 4);
    if (!raised) return;
    // Qt's own mark of a window that bypasses the window manager stays, after ours.
    const Atom types[] = {atom(d, "_NET_WM_WINDOW_TYPE_DESKTOP"), atom(d, "_KDE_NET_WM_WINDOW_TYPE_OVERRIDE")};
    XChangeProperty(d, window, atom(d, "_NET_WM_WINDOW_TYPE"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(types), 2);
}

void markUnframed(WindowId window) {
    Display* d = display();
    if (!d) return;
    const long extents[] = {0, 0, 0, 0};
    XChangeProperty(d, window, atom(d, "_NET_FRAME_EXTENTS"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(extents), 4);
}

void markSkipsTaskbar(WindowId window) {
    Display* d = display();
    if (!d) return;
    const Atom states[] = {atom(d, "_NET_WM_STATE_SKIP_TASKBAR"), atom(d, "_NET_WM_STATE_SKIP_PAGER")};
    XChangeProperty(d, window, atom(d, "_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(states), 2);
}

void markKeptBelow(WindowId window) {
    Display* d = display();
    if (!d) return;
    const long everyDesktop = 0xFFFFFFFF;
    XChangeProperty(d, window, atom(d, "_NET_WM_DESKTOP"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&everyDesktop), 1);
    const Atom states[] = {atom(d, "_NET_WM_STATE_BELOW"), atom(d, "_NET_WM_STATE_STICKY"),
                           atom(d, "_NET_WM_STATE_SKIP_TASKBAR"), atom(d, "_NET_WM_STATE_SKIP_PAGER")};
    XChangeProperty(d, window, atom(d, "_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(states), 4);
}

void declineAttention(WindowId window) {
    if (Display* d = display()) clientMessage(d, window, "_NET_WM_STATE", 0, atom(d, "_NET_WM_STATE_DEMANDS_ATTENTION"), 0);
}

void requestKeptBelow(WindowId window) {
    Display* d = display();
    if (!d) return;
    clientMessage(d, window, "_NET_WM_DESKTOP", 0xFFFFFFFF, 0, 0);
    clientMessage(d, window, "_NET_WM_STATE", 1, atom(d, "_NET_WM_STATE_BELOW"), atom(d, "_NET_WM_STATE_STICKY"));
    clientMessage(d, window, "_NET_WM_STATE", 1, atom(d, "_NET_WM_STATE_SKIP_TASKBAR"),
                  atom(d, "_NET_WM_STATE_SKIP_PAGER"));
}

void markNeverMaximized(WindowId window) {
    Display* d = display();
    if (!d) return;
    // flags, functions, decorations, input mode, status (the Motif layout every manager reads).
    constexpr long functionsGiven = 1L << 0, decorationsGiven = 1L << 1;
    constexpr long resize = 1L << 1, move = 1L << 2;
    const long hints[5] = {functionsGiven | decorationsGiven, resize | move, 0, 0, 0};
    const Atom motif = atom(d, "_MOTIF_WM_HINTS");
    XChangeProperty(d, window, motif, motif, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(hints), 5);
}

void setFixedSizeHints(WindowId window, const QRect& root) {
    Display* d = display();
    if (!d) return;
    XSizeHints hints{};
    hints.flags = USPosition | USSize | PMinSize | PMaxSize | PWinGravity;
    hints.x = root.x();
    hints.y = root.y();
    hints.width = hints.min_width = hints.max_width = std::max(1, root.width());
    hints.height = hints.min_height = hints.max_height = std::max(1, root.height());
    hints.win_gravity = StaticGravity;  // as the toolkit says it: the position is the window's own
    XSetWMNormalHints(d, window, &hints);
}

unsigned long addFrameCounter(WindowId window) {
    Display* d = display();
    int event = 0, error = 0, major = 0, minor = 0;
    if (!d || !XSyncQueryExtension(d, &event, &error) || !XSyncInitialize(d, &major, &minor)) return 0;
    const Atom name = atom(d, "_NET_WM_SYNC_REQUEST_COUNTER");
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(d, window, name, 0, 2, False, XA_CARDINAL, &type, &format, &count, &after, &data);
    const long basic = data && format == 32 && count >= 1 ? reinterpret_cast<long*>(data)[0] : 0;
    if (data) XFree(data);
    if (!basic) return 0;
    XSyncValue zero;
    XSyncIntToValue(&zero, 0);
    const XSyncCounter counter = XSyncCreateCounter(d, zero);
    const long counters[2] = {basic, static_cast<long>(counter)};
    XChangeProperty(d, window, name, XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(counters), 2);
    return counter;
}

void setFrameCounter(unsigned long counter, long value) {
    Display* d = display();
    if (!d || !counter) return;
    XSyncValue v;
    XSyncIntsToValue(&v, static_cast<unsigned>(value & 0xFFFFFFFF), static_cast<int>(value >> 32));
    XSyncSetCounter(d, counter, v);
    XFlush(d);
}

void destroyFrameCounter(unsigned long counter) {
    if (Display* d = display(); d && counter) XSyncDestroyCounter(d, counter);
}

std::optional<long> syncRequestValue(const void* xcbEvent) {
    const auto* e = static_cast<const xcb_client_message_event_t*>(xcbEvent);
    Display* d = display();
    if (!d || (e->response_type & ~0x80) != XCB_CLIENT_MESSAGE || e->format != 32) return std::nullopt;
    if (e->type != atom(d, "WM_PROTOCOLS") || e->data.data32[0] != atom(d, "_NET_WM_SYNC_REQUEST")) return std::nullopt;
    return static_cast<long>(e->data.data32[2]) | (static_cast<long>(e->data.data32[3]) << 32);
}

std::optional<long> frameDrawnValue(const void* xcbEvent) {
    const auto* e = static_cast<const xcb_client_message_event_t*>(xcbEvent);
    Display* d = display();
    if (!d || (e->response_type & ~0x80) != XCB_CLIENT_MESSAGE || e->format != 32) return std::nullopt;
    if (e->type != atom(d, "_NET_WM_FRAME_DRAWN")) return std::nullopt;
    return static_cast<long>(e->data.data32[0]) | (static_cast<long>(e->data.data32[1]) << 32);
}

void requestFloatingOnEveryDesktop(WindowId window) {
    Display* d = display();
    if (!d) return;
    const long everyDesktop = 0xFFFFFFFF;
    XChangeProperty(d, window, atom(d, "_NET_WM_DESKTOP"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&everyDesktop), 1);
    clientMessage(d, window, "_NET_WM_DESKTOP", everyDesktop, 0, 0);
    clientMessage(d, window, "_NET_WM_STATE", 1, atom(d, "_NET_WM_STATE_ABOVE"), atom(d, "_NET_WM_STATE_STICKY"));
}

void requestKeptAbove(WindowId window, bool above) {
    Display* d = display();
    if (!d) return;
    clientMessage(d, window, "_NET_WM_STATE", above ? 1 : 0, atom(d, "_NET_WM_STATE_ABOVE"), 0);
}

WindowId makeInputWindow(const QRect& root, PanelCursor cursor) {
    Display* d = display();
    if (!d) return 0;
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.event_mask = ButtonPressMask | ButtonReleaseMask | ButtonMotionMask | EnterWindowMask | LeaveWindowMask;
    const Window window = XCreateWindow(d, DefaultRootWindow(d), root.x(), root.y(), std::max(1, root.width()),
                                        std::max(1, root.height()), 0, 0, InputOnly, CopyFromParent,
                                        CWOverrideRedirect | CWEventMask, &attributes);
    setPointerCursor(window, cursor);
    return window;
}

void setPointerCursor(WindowId window, PanelCursor cursor) {
    Display* d = display();
    if (!d || !window) return;
    const Cursor shape = XCreateFontCursor(d, fontCursor(cursor));
    XDefineCursor(d, window, shape);
    XFreeCursor(d, shape);  // the window holds it
}

void mapAbove(WindowId window, WindowId sibling) {
    Display* d = display();
    if (!d) return;
    XWindowChanges changes{};
    changes.sibling = sibling;
    changes.stack_mode = Above;
    XConfigureWindow(d, window, CWSibling | CWStackMode, &changes);
    XMapWindow(d, window);
}

void destroyWindow(WindowId window) {
    if (Display* d = display()) XDestroyWindow(d, window);
}

WindowId rootWindow() {
    Display* d = display();
    return d ? DefaultRootWindow(d) : 0;
}

unsigned long watchRootProperty(const char* name) {
    Display* d = display();
    if (!d) return 0;
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(d, DefaultRootWindow(d), &attributes) && !(attributes.your_event_mask & PropertyChangeMask))
        XSelectInput(d, DefaultRootWindow(d), attributes.your_event_mask | PropertyChangeMask);
    return atom(d, name);
}

void raise(WindowId window) {
    if (Display* d = display()) XRaiseWindow(d, window);
}

void focus(WindowId window) {
    if (Display* d = display()) XSetInputFocus(d, window, RevertToParent, CurrentTime);
}

void ungrabPointer() {
    if (Display* d = display()) XUngrabPointer(d, CurrentTime);
}

void flush() {
    if (Display* d = display()) XFlush(d);
}

void withdrawWindow(WindowId window) {
    if (Display* d = display()) XWithdrawWindow(d, window, DefaultScreen(d));
}

void sync() {
    if (Display* d = display()) XSync(d, False);
}

void mapWindow(WindowId window) {
    if (Display* d = display()) XMapWindow(d, window);
}

void unmapWindow(WindowId window) {
    if (Display* d = display()) XUnmapWindow(d, window);
}

}  // namespace tessane::qt_backend::panel_x11
