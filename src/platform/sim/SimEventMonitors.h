#pragma once

#include "platform/EventMonitors.h"

#include <array>
#include <cstddef>

namespace tessane::sim {

// A scripted pointer and keyboard. Tests move the pointer, press buttons and send global events;
// they can make the next monitor requests fail, as a system that refuses a monitor would.
class SimEventMonitors final : public EventMonitors {
public:
    std::optional<Subscription> addGlobalMonitor(GlobalEventKind kind,
                                                 std::function<void(const GlobalEvent&)> handler) override;
    Point mouseLocation() const override { return mouse_; }
    uint32_t pressedMouseButtons() const override { return buttons_; }
    uint32_t modifierFlags() const override { return modifiers_; }

    // The next `count` monitor requests are refused.
    void refuseNextMonitors(int count) { refusals_ = count; }
    size_t monitorCount(GlobalEventKind kind) const;

    void setPressedMouseButtons(uint32_t buttons) { buttons_ = buttons; }
    // Moves the pointer and tells the mouse-moved monitors.
    void moveMouse(Point location);
    // Sends a left- or right-mouse-up at the pointer (and lifts the button).
    void mouseUp(GlobalEventKind kind);
    // Changes the held modifiers and tells the flags-changed monitors when they changed.
    void setModifierFlags(uint32_t modifiers);

private:
    void send(GlobalEventKind kind);

    std::array<Signal<GlobalEvent>, 4> monitors_;
    Point mouse_;
    uint32_t buttons_ = 0;
    uint32_t modifiers_ = 0;
    int refusals_ = 0;
};

}  // namespace tessane::sim
