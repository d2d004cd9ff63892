#pragma once

#include "base/Signal.h"

namespace tessane::linux_backend {
class X11Connection;
}

namespace tessane::qt_backend {

class QtMainQueue;

// Drives the X connection from the main loop: events are read when the socket has data, and
// before the loop sleeps the events Xlib already read (during some round trip) are handed out
// and buffered requests are sent. Ends with the subscription.
[[nodiscard]] Subscription pumpX11Events(QtMainQueue& queue, linux_backend::X11Connection& x);

}  // namespace tessane::qt_backend
