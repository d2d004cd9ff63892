// A minimal system tray for the X11 tests: it owns the screen's _NET_SYSTEM_TRAY_S<n> selection,
// docks the icons that ask (XEmbed), side by side in a strip at a fixed place on the screen.
//
//   tessane-tray-host [options]
//     --at X,Y          the strip's top-left corner in root pixels (default 1600,0)
//     --background RGB  its colour as six hex digits (default d8d8d8, a light panel)
//     --foreground RGB  the icon colour it announces (_NET_SYSTEM_TRAY_COLORS); none by default
//
// Prints "ready" once it owns the selection and has told the clients so, then
// "docked 0x<icon> X,Y WxH" (root pixels) for each icon it docks and "undocked 0x<icon>" for each
// that goes away. Ends on SIGTERM or when another tray takes the selection.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

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
};

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
    XReparentWindow(tray.display, icon, tray.window, slot * kIconSide, 0);
    XResizeWindow(tray.display, icon, kIconSide, kIconSide);
    sendEmbeddedNotify(tray, icon);
    XMapRaised(tray.display, icon);
    XSync(tray.display, False);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(tray.display, icon, &attributes)) {  // gone before or meanwhile
        tray.icons.pop_back();
        return;
    }
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(tray.display, icon, DefaultRootWindow(tray.display), 0, 0, &x, &y, &child);
    std::printf("docked 0x%lx %d,%d %dx%d\n", icon, x, y, kIconSide, kIconSide);
    std::fflush(stdout);
}

void undock(Tray& tray, Window icon) {
    for (auto it = tray.icons.begin(); it != tray.icons.end(); ++it)
        if (*it == icon) {
            tray.icons.erase(it);
            std::printf("undocked 0x%lx\n", icon);
            std::fflush(stdout);
            return;
        }
}

}  // namespace

int main(int argc, char** argv) {
    int atX = 1600, atY = 0;
    unsigned long background = 0xd8d8d8;
    long foreground = -1;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--at")) std::sscanf(argv[i + 1], "%d,%d", &atX, &atY);
        if (!std::strcmp(argv[i], "--background")) background = std::strtoul(argv[i + 1], nullptr, 16);
        if (!std::strcmp(argv[i], "--foreground")) foreground = std::strtol(argv[i + 1], nullptr, 16);
    }
    Tray tray;
    tray.display = XOpenDisplay(nullptr);
    if (!tray.display) {
        std::fprintf(stderr, "tray host: no display\n");
        return 1;
    }
    Display* d = tray.display;
    XSetErrorHandler(ignoreErrors);
    const int screen = DefaultScreen(d);
    const Window root = RootWindow(d, screen);

    // An unmanaged strip: the window manager neither moves nor decorates it.
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = background;
    attributes.event_mask = SubstructureNotifyMask | StructureNotifyMask;
    tray.window = XCreateWindow(d, root, atX, atY, 10 * kIconSide, kIconSide, 0, CopyFromParent, InputOutput,
                                CopyFromParent, CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
    XMapRaised(d, tray.window);

    const std::string selectionName = "_NET_SYSTEM_TRAY_S" + std::to_string(screen);
    const Atom selection = XInternAtom(d, selectionName.c_str(), False);
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

    XSetSelectionOwner(d, selection, tray.window, CurrentTime);
    if (XGetSelectionOwner(d, selection) != tray.window) {
        std::fprintf(stderr, "tray host: another tray owns %s\n", selectionName.c_str());
        return 1;
    }
    // Tells the clients waiting for a tray that there is one now.
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
    std::printf("ready\n");
    std::fflush(stdout);

    for (;;) {
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
            if (event.xreparent.parent != tray.window) undock(tray, event.xreparent.window);
            break;
        case SelectionClear:
            return 0;
        default:
            break;
        }
    }
}
