#pragma once

#include "platform/EventMonitors.h"
#include "platform/linux/x11/X11Connection.h"

#include <array>
#include <functional>

namespace tessane {
class MainQueue;
}

namespace tessane::linux_backend {

class X11ScreenSpace;

// Global input from XInput2 raw events on the root window: they arrive whichever client the
// pointer or keyboard is grabbed by, and nothing polls. Raw events are selected only while some
// monitor exists. A burst of raw motion is handed out once per turn of the main loop, with the
// pointer read then. Without XInput2 (2.0 or later) every monitor is refused.
class X11EventMonitors final : public EventMonitors {
public:
    using LogSink = std::function<void(const std::string&)>;
    X11EventMonitors(X11Connection& x, const X11ScreenSpace& space, MainQueue& queue, LogSink log);
    ~X11EventMonitors() override;

    std::optional<Subscription> addGlobalMonitor(GlobalEventKind kind,
                                                 std::function<void(const GlobalEvent&)> handler) override;
    Point mouseLocation() const override;
    uint32_t pressedMouseButtons() const override;
    uint32_t modifierFlags() const override;

    bool hasXInput2() const { return xiOpcode_ >= 0; }
    // ModifierFlag bits for an X modifier state (Alt is Option, Super is Command).
    static uint32_t flagsFromX(uint32_t state);

private:
    void updateSelection();
    void handle(const X11Event& event);
    // Runs `work` from the main queue once for a burst of events; `pending` marks one queued.
    void postOnce(bool& pending, std::function<void()> work);
    void send(GlobalEventKind kind);
    size_t monitorTotal() const;

    X11Connection& x_;
    const X11ScreenSpace& space_;
    MainQueue& queue_;
    LogSink log_;
    int xiOpcode_ = -1;
    bool selected_ = false;
    bool motionPending_ = false;
    bool flagsPending_ = false;
    uint32_t lastFlags_ = 0;
    std::optional<X11Pointer> dispatching_;  // the pointer as read for the event being handed out
    std::array<Signal<GlobalEvent>, 4> monitors_;
    Subscription events_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace tessane::linux_backend
