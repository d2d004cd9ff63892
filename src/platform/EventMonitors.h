#pragma once

#include "base/Geometry.h"
#include "base/Signal.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace tessane {

// The modifier keys in the desktop's own terms: Command is Super, Option is Alt.
namespace ModifierFlag {
inline constexpr uint32_t shift = 1u << 0;
inline constexpr uint32_t control = 1u << 1;
inline constexpr uint32_t option = 1u << 2;
inline constexpr uint32_t command = 1u << 3;
}  // namespace ModifierFlag

namespace MouseButton {
inline constexpr uint32_t left = 1u << 0;
inline constexpr uint32_t right = 1u << 1;
}  // namespace MouseButton

enum class GlobalEventKind { mouseMoved, leftMouseUp, rightMouseUp, flagsChanged };

struct GlobalEvent {
    GlobalEventKind kind = GlobalEventKind::mouseMoved;
    Point location;          // screen coordinates, y up
    uint32_t modifiers = 0;  // ModifierFlag bits after the event
    bool operator==(const GlobalEvent&) const = default;
};

// Global input, wherever it goes, and the pointer's state. Handlers run on the main thread.
//
// Linux (X11): XInput2 raw events on the root window; nothing polls. flagsChanged is sent when
// a key press or release changes the set of held modifiers.
class EventMonitors {
public:
    virtual ~EventMonitors() = default;

    // A monitor lives as long as its subscription. nullopt when the system refuses one (the
    // caller may try again later).
    [[nodiscard]] virtual std::optional<Subscription> addGlobalMonitor(
        GlobalEventKind kind, std::function<void(const GlobalEvent&)> handler) = 0;

    // Screen coordinates, y up.
    virtual Point mouseLocation() const = 0;
    // MouseButton bits held now.
    virtual uint32_t pressedMouseButtons() const = 0;
    // ModifierFlag bits held now.
    virtual uint32_t modifierFlags() const = 0;
};

}  // namespace tessane
