// A round trip through the window manager that every manager answers.
#include "platform/linux/x11/X11Connection.h"

#include <X11/Xlib.h>

namespace tessane::linux_backend {

bool X11Connection::windowManagerEcho(double timeoutSeconds) {
    if (!usable()) return false;
    if (!echoWindow_) {
        XSetWindowAttributes attributes{};
        attributes.event_mask = StructureNotifyMask;
        echoWindow_ = XCreateWindow(display_, root_, -10, -10, 1, 1, 0, 0, InputOnly, CopyFromParent, CWEventMask,
                                    &attributes);
    }
    // A width it has not had lately: a late answer to an earlier echo is not taken for this one,
    // and the server tells of a change only.
    echoWidth_ = echoWidth_ % 1000 + 1;
    XWindowChanges changes{};
    changes.width = echoWidth_;
    changes.height = 1;
    XConfigureWindow(display_, echoWindow_, CWWidth | CWHeight, &changes);
    const XWindowId window = echoWindow_;
    const double width = echoWidth_;
    bool heard = false;
    const auto listener = onEvent([&](const X11Event& e) {
        heard = heard || (e.kind == X11Event::Kind::configure && e.window == window && e.rect.width() == width);
    });
    return waitForWindowManager([&] { return heard; }, timeoutSeconds);
}

}  // namespace tessane::linux_backend
