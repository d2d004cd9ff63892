#include "platform/qt/QtX11Pump.h"

#include "platform/linux/x11/X11Connection.h"
#include "platform/qt/QtMainQueue.h"

#include <memory>

namespace tessane::qt_backend {

Subscription pumpX11Events(QtMainQueue& queue, linux_backend::X11Connection& x) {
    auto readable = std::make_shared<Subscription>(queue.watchReadable(x.fd(), [&x] { x.processEvents(); }));
    auto idle = std::make_shared<Subscription>(queue.beforeWaiting([&x] {
        if (x.hasQueuedEvents()) x.processEvents();
        x.flush();
        x.beginTurn();
    }));
    return Subscription([readable, idle] {
        readable->reset();
        idle->reset();
    });
}

}  // namespace tessane::qt_backend
