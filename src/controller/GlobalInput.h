#pragma once

#include "base/Geometry.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace tessane {

// What the workspace controller needs of global input: monitors of events delivered to other
// applications, and the pointer. (The chrome's event-monitor port serves this through an
// adapter.)
class GlobalInput {
public:
    // Event kinds, as mask bits.
    static constexpr uint64_t kLeftMouseUp = 1ull << 2;
    static constexpr uint64_t kRightMouseUp = 1ull << 4;
    static constexpr uint64_t kMouseMoved = 1ull << 5;
    static constexpr uint64_t kFlagsChanged = 1ull << 12;

    using Token = uint64_t;
    struct Event {
        uint64_t kind = 0;           // one of the bits above
        uint64_t modifierFlags = 0;  // for kFlagsChanged: the ModifierFlag bits held after it
    };

    virtual ~GlobalInput() = default;

    // Absent when the system refuses the monitor.
    virtual std::optional<Token> addGlobalMonitor(uint64_t mask, std::function<void(const Event&)> handler) = 0;
    virtual void removeMonitor(Token token) = 0;

    // The pointer, in screen coordinates (y up), and whether any mouse button is held.
    virtual Point mouseLocation() const = 0;
    virtual bool isMouseButtonDown() const = 0;
};

}  // namespace tessane
