// A minimal system tray for the X11 tests: it owns the screen's _NET_SYSTEM_TRAY_S<n> selection,
// docks the icons that ask (XEmbed), side by side in a strip at a fixed place on the screen.
//
//   tessane-tray-host [options]
//     --at X,Y          the strip's top-left corner in root pixels (default 1600,0)
//     --background RGB  its colour as six hex digits (default d8d8d8, a light panel)
//     --foreground RGB  the icon colour it announces (_NET_SYSTEM_TRAY_COLORS); none by default
//     --depth 32        docks each icon in a socket of its own with an alpha channel, as trays of
//                       translucent panels do: it announces that visual (_NET_SYSTEM_TRAY_VISUAL),
//                       keeps the sockets off the screen (redirected) and lays each over the strip's
//                       background itself; a socket then reads back clear, not as the panel
//
// Prints "ready" once it owns the selection and has told the clients so, then
// "docked 0x<icon> X,Y WxH" (root pixels) for each icon it docks and "undocked 0x<icon>" for each
// that goes away. Ends on SIGTERM or when another tray takes the selection.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xcomposite.h>
#include <X11/extensions/Xrender.h>

#include <poll.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kIconSide = 24;
constexpr long kRequestDock = 0;     // _NET_SYSTEM_TRAY_OPCODE
constexpr long kEmbeddedNotify = 0;  // _XEMBED

struct Tray {
    Display* display = nullptr;
    Window window = 0;
    Atom opcode = 0, xembed = 0;
    std::vector<Window> icons;
    // With --depth 32: the visual of the sockets, and each icon's socket (same index as `icons`).
    XVisualInfo argb{};
    Colormap colormap = 0;
    bool translucent = false;
    unsigned long background = 0;
    std::vector<Window> sockets;
};

// A socket with an alpha channel for `icon` at `slot`, which the server keeps off the screen.
Window makeSocket(Tray& tray, int slot) {
    XSetWindowAttributes attributes{};
    attributes.background_pixel = 0;  // clear
    attributes.border_pixel = 0;
    attributes.colormap = tray.colormap;
    const Window socket = XCreateWindow(tray.display, tray.window, slot * kIconSide, 0, kIconSide, kIconSide, 0, 32,
                                        InputOutput, tray.argb.visual, CWBackPixel | CWBorderPixel | CWColormap,
                                        &attributes);
    XCompositeRedirectWindow(tray.display, socket, CompositeRedirectManual);
    XMapWindow(tray.display, socket);
    return socket;
}

// Lays every socket, the icon in it included, over the strip's background: composed off the screen
// and copied in one request, so that no reader sees the bare background between.
void paintSockets(const Tray& tray) {
    Display* d = tray.display;
    const int screen = DefaultScreen(d);
    XRenderPictFormat* stripFormat = XRenderFindVisualFormat(d, DefaultVisual(d, screen));
    XRenderPictFormat* socketFormat = XRenderFindVisualFormat(d, tray.argb.visual);
    const Pixmap scratch = XCreatePixmap(d, tray.window, kIconSide, kIconSide, DefaultDepth(d, screen));
    const Picture composed = XRenderCreatePicture(d, scratch, stripFormat, 0, nullptr);
    XRenderColor background{};
    background.red = static_cast<unsigned short>(((tray.background >> 16) & 0xFF) * 0x101);
    background.green = static_cast<unsigned short>(((tray.background >> 8) & 0xFF) * 0x101);
    background.blue = static_cast<unsigned short>((tray.background & 0xFF) * 0x101);
    background.alpha = 0xFFFF;
    XRenderPictureAttributes inferiors{};
    inferiors.subwindow_mode = IncludeInferiors;
    const GC gc = XCreateGC(d, tray.window, 0, nullptr);
    for (std::size_t i = 0; i < tray.sockets.size(); ++i) {
        XRenderFillRectangle(d, PictOpSrc, composed, &background, 0, 0, kIconSide, kIconSide);
        const Picture socket = XRenderCreatePicture(d, tray.sockets[i], socketFormat, CPSubwindowMode, &inferiors);
        XRenderComposite(d, PictOpOver, socket, None, composed, 0, 0, 0, 0, 0, 0, kIconSide, kIconSide);
        XRenderFreePicture(d, socket);
        XCopyArea(d, scratch, tray.window, gc, 0, 0, kIconSide, kIconSide, static_cast<int>(i) * kIconSide, 0);
    }
    XFreeGC(d, gc);
    XRenderFreePicture(d, composed);
    XFreePixmap(d, scratch);
    XFlush(d);
}

void sendEmbeddedNotify(const Tray& tray, Window icon) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = icon;
    event.xclient.message_type = tray.xembed;
    event.xclient.format = 32;
    event.xclient.data.l[0] = CurrentTime;
    event.xclient.data.l[1] = kEmbeddedNotify;
    event.xclient.data.l[3] = static_cast<long>(tray.window);
    XSendEvent(tray.display, icon, False, NoEventMask, &event);
}

// An icon window can be gone by the time its request is read (a toolkit that makes its icon's
// window again with another visual): as real trays do, the errors that causes are let pass.
int ignoreErrors(Display*, XErrorEvent*) { return 0; }

void dock(Tray& tray, Window icon) {
    for (Window docked : tray.icons)
        if (docked == icon) return;
    const int slot = static_cast<int>(tray.icons.size());
    tray.icons.push_back(icon);
    XSelectInput(tray.display, icon, StructureNotifyMask);
    if (tray.translucent) {
        tray.sockets.push_back(makeSocket(tray, slot));
        XReparentWindow(tray.display, icon, tray.sockets.back(), 0, 0);
    } else {
        XReparentWindow(tray.display, icon, tray.window, slot * kIconSide, 0);
    }
    XResizeWindow(tray.display, icon, kIconSide, kIconSide);
    sendEmbeddedNotify(tray, icon);
    XMapRaised(tray.display, icon);
    XSync(tray.display, False);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(tray.display, icon, &attributes)) {  // gone before or meanwhile
        tray.icons.pop_back();
        if (tray.translucent) {
            XDestroyWindow(tray.display, tray.sockets.back());
            tray.sockets.pop_back();
        }
        return;
    }
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(tray.display, icon, DefaultRootWindow(tray.display), 0, 0, &x, &y, &child);
    std::printf("docked 0x%lx %d,%d %dx%d\n", icon, x, y, kIconSide, kIconSide);
    std::fflush(stdout);
}

// The socket `icon` is docked in; 0 without sockets or for an icon not docked.
Window socketOf(const Tray& tray, Window icon) {
    for (std::size_t i = 0; i < tray.sockets.size(); ++i)
        if (tray.icons[i] == icon) return tray.sockets[i];
    return 0;
}

void undock(Tray& tray, Window icon) {
    for (auto it = tray.icons.begin(); it != tray.icons.end(); ++it)
        if (*it == icon) {
            if (tray.translucent) {
                auto socket = tray.sockets.begin() + (it - tray.icons.begin());
                XDestroyWindow(tray.display, *socket);
                tray.sockets.erase(socket);
            }
            tray.icons.erase(it);
            std::printf("undocked 0x%lx\n", icon);
            std::fflush(stdout);
            return;
        }
}

// An unmanaged strip (the window manager neither moves nor decorates it) at `atX`,`atY`, laid out
// horizontally, with the icon colour announced when `foreground` is one.
void makeStrip(Tray& tray, int atX, int atY, long foreground) {
    Display* d = tray.display;
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = tray.background;
    attributes.event_mask = SubstructureNotifyMask | StructureNotifyMask;
    tray.window = XCreateWindow(d, DefaultRootWindow(d), atX, atY, 10 * kIconSide, kIconSide, 0, CopyFromParent,
                                InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel | CWEventMask,
                                &attributes);
    XMapRaised(d, tray.window);
    tray.opcode = XInternAtom(d, "_NET_SYSTEM_TRAY_OPCODE", False);
    tray.xembed = XInternAtom(d, "_XEMBED", False);
    const long horizontal = 0;
    XChangeProperty(d, tray.window, XInternAtom(d, "_NET_SYSTEM_TRAY_ORIENTATION", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&horizontal), 1);
    if (foreground >= 0) {
        // Foreground, error, warning and success colours, 16 bits a channel; only the first matters here.
        long colours[12] = {};
        for (int c = 0; c < 3; ++c) colours[c] = ((foreground >> (16 - 8 * c)) & 0xFF) * 0x101;
        XChangeProperty(d, tray.window, XInternAtom(d, "_NET_SYSTEM_TRAY_COLORS", False), XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(colours), 12);
    }
}

// With --depth 32: the visual with an alpha channel its sockets get, announced; false (and said)
// when the server has none, or no Composite or Render.
bool announceVisual(Tray& tray) {
    Display* d = tray.display;
    const int screen = DefaultScreen(d);
    int event = 0, error = 0;
    if (!XMatchVisualInfo(d, screen, 32, TrueColor, &tray.argb) || !XCompositeQueryExtension(d, &event, &error) ||
        !XRenderQueryExtension(d, &event, &error)) {
        std::fprintf(stderr, "tray host: no visual with an alpha channel, or no Composite or Render\n");
        return false;
    }
    tray.colormap = XCreateColormap(d, RootWindow(d, screen), tray.argb.visual, AllocNone);
    const long visual = static_cast<long>(tray.argb.visualid);
    XChangeProperty(d, tray.window, XInternAtom(d, "_NET_SYSTEM_TRAY_VISUAL", False), XA_VISUALID, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&visual), 1);
    return true;
}

// Takes the screen's tray selection and tells the clients waiting for a tray that there is one
// now; false (and said) when another tray holds it.
bool takeSelection(const Tray& tray) {
    Display* d = tray.display;
    const int screen = DefaultScreen(d);
    const Window root = RootWindow(d, screen);
    const std::string selectionName = "_NET_SYSTEM_TRAY_S" + std::to_string(screen);
    const Atom selection = XInternAtom(d, selectionName.c_str(), False);
    XSetSelectionOwner(d, selection, tray.window, CurrentTime);
    if (XGetSelectionOwner(d, selection) != tray.window) {
        std::fprintf(stderr, "tray host: another tray owns %s\n", selectionName.c_str());
        return false;
    }
    XEvent manager{};
    manager.xclient.type = ClientMessage;
    manager.xclient.window = root;
    manager.xclient.message_type = XInternAtom(d, "MANAGER", False);
    manager.xclient.format = 32;
    manager.xclient.data.l[0] = CurrentTime;
    manager.xclient.data.l[1] = static_cast<long>(selection);
    manager.xclient.data.l[2] = static_cast<long>(tray.window);
    XSendEvent(d, root, False, StructureNotifyMask, &manager);
    XSync(d, False);
    return true;
}

// Docks and undocks icons until another tray takes the selection.
int serve(Tray& tray) {
    Display* d = tray.display;
    for (;;) {
        // Sockets kept off the screen are laid over the strip again and again, as often as a
        // tray repaints; the strip alone is left to the server.
        if (tray.translucent && !XPending(d)) {
            pollfd connection{ConnectionNumber(d), POLLIN, 0};
            if (poll(&connection, 1, 50) == 0) {
                paintSockets(tray);
                continue;
            }
        }
        XEvent event;
        XNextEvent(d, &event);
        switch (event.type) {
        case ClientMessage:
            if (event.xclient.message_type == tray.opcode && event.xclient.data.l[1] == kRequestDock)
                dock(tray, static_cast<Window>(event.xclient.data.l[2]));
            break;
        case DestroyNotify:
            undock(tray, event.xdestroywindow.window);
            break;
        case ReparentNotify:
            if (event.xreparent.parent != tray.window && event.xreparent.parent != socketOf(tray, event.xreparent.window))
                undock(tray, event.xreparent.window);
            break;
        case SelectionClear:
            return 0;
        default:
            break;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    int atX = 1600, atY = 0;
    long foreground = -1;
    Tray tray;
    tray.background = 0xd8d8d8;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--at")) std::sscanf(argv[i + 1], "%d,%d", &atX, &atY);
        if (!std::strcmp(argv[i], "--background")) tray.background = std::strtoul(argv[i + 1], nullptr, 16);
        if (!std::strcmp(argv[i], "--foreground")) foreground = std::strtol(argv[i + 1], nullptr, 16);
        if (!std::strcmp(argv[i], "--depth")) tray.translucent = std::atoi(argv[i + 1]) == 32;
    }
    tray.display = XOpenDisplay(nullptr);
    if (!tray.display) {
        std::fprintf(stderr, "tray host: no display\n");
        return 1;
    }
    XSetErrorHandler(ignoreErrors);
    makeStrip(tray, atX, atY, foreground);
    if (tray.translucent && !announceVisual(tray)) return 1;
    if (!takeSelection(tray)) return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    return serve(tray);
}
