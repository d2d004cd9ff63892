// A round trip through the window manager that every manager answers.
#include "platform/linux/x11/X11Connection.h"

#include <X11/Xlib.h>

#include <algorithm>

namespace tessane::linux_backend {

uint64_t X11Connection::askWindowManagerEcho() {
    if (!usable()) return ++echoesAsked_;  // never heard: its waits run out
    if (!echoWindow_) {
        XSetWindowAttributes attributes{};
        attributes.event_mask = StructureNotifyMask;
        echoWindow_ = XCreateWindow(display_, root_, -10, -10, 1, 1, 0, 0, InputOnly, CopyFromParent, CWEventMask,
                                    &attributes);
    }
    // A width it has not had lately (the server tells of a change only).
    const uint64_t echo = ++echoesAsked_;
    XWindowChanges changes{};
    changes.width = echoWidth(echo);
    changes.height = 1;
    XConfigureWindow(display_, echoWindow_, CWWidth | CWHeight, &changes);
    XFlush(display_);
    return echo;
}

// The newest echo asked with that width: answers come in the order asked.
void X11Connection::heardEcho(int width) {
    const uint64_t behind = static_cast<uint64_t>((echoWidth(echoesAsked_) - width + 1000) % 1000);
    if (width < 1 || width > 1000 || behind >= echoesAsked_) return;
    echoesHeard_ = std::max(echoesHeard_, echoesAsked_ - behind);
}

bool X11Connection::rootRedirected() {
    if (!usable()) return false;
    XWindowAttributes attributes{};
    const auto waited = trip(replies::kAttributes);
    if (!XGetWindowAttributes(display_, root_, &attributes)) return false;
    return (attributes.all_event_masks & SubstructureRedirectMask) != 0;
}

ManagerSilence::Facts X11Connection::managerFacts(bool withRedirect) {
    return {echoesHeard_, managerLeavings_, withRedirect && rootRedirected()};
}

bool X11Connection::windowManagerEcho(double timeoutSeconds) {
    const uint64_t echo = askWindowManagerEcho();
    return waitForWindowManager([&] { return windowManagerEchoed(echo); }, timeoutSeconds);
}

}  // namespace tessane::linux_backend
