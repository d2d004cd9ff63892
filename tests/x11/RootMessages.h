#pragma once

// Brings in Xlib, whose macros break Qt's headers: include it after them.

#include "platform/linux/x11/X11Connection.h"

#include <X11/Xlib.h>

#include <functional>
#include <optional>
#include <string>

namespace tessane::x11test {

// The window the root names active, or 0.
inline linux_backend::XWindowId activeWindowOf(linux_backend::X11Connection& x) {
    auto active = x.windowList(x.root(), "_NET_ACTIVE_WINDOW");
    return active && !active->empty() ? (*active)[0] : 0;
}

// The client messages of `type` about `window` (whose first datum is `first`, if given) that
// anyone sends to the root while `act` runs, as another client hears them.
inline int rootMessages(const std::string& display, const char* type, linux_backend::XWindowId window,
                        std::optional<long> first, const std::function<void()>& act) {
    Display* watcher = XOpenDisplay(display.c_str());
    if (!watcher) return -1;
    XSelectInput(watcher, DefaultRootWindow(watcher), SubstructureNotifyMask);
    XSync(watcher, False);
    act();
    XSync(watcher, False);
    const Atom atom = XInternAtom(watcher, type, False);
    int count = 0;
    for (XEvent e; XPending(watcher);) {
        XNextEvent(watcher, &e);
        count += e.type == ClientMessage && e.xclient.message_type == atom && e.xclient.window == window &&
                 (!first || e.xclient.data.l[0] == *first);
    }
    XCloseDisplay(watcher);
    return count;
}

}  // namespace tessane::x11test
