#pragma once

#include <X11/Xlib.h>

namespace tessane::bench {

// What a taskbar does when a minimized task is clicked: _NET_ACTIVE_WINDOW from a pager (source 2),
// which every one of the eight managers takes as "restore it and bring it to the front".
inline void activateAsTaskbar(Display* d, Window w) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d, "_NET_ACTIVE_WINDOW", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = 2;
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
}

}  // namespace tessane::bench
