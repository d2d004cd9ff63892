#pragma once

#include "base/Signal.h"
#include "controller/GlobalInput.h"

#include <map>
#include <vector>

namespace tessane {

class EventMonitors;

// The workspace controller's global input over the platform's event monitors: one platform
// monitor per event kind a mask asks for, all removed together with the controller's token.
class EventMonitorsInput final : public GlobalInput {
public:
    // Modifier bits of a flags-changed event, as the controller reads them.
    static constexpr uint64_t kShiftKeyMask = 1ull << 17;
    static constexpr uint64_t kControlKeyMask = 1ull << 18;
    static constexpr uint64_t kOptionKeyMask = 1ull << 19;
    static constexpr uint64_t kCommandKeyMask = 1ull << 20;

    explicit EventMonitorsInput(EventMonitors& monitors) : monitors_(monitors) {}

    std::optional<Token> addGlobalMonitor(uint64_t mask, std::function<void(const Event&)> handler) override;
    void removeMonitor(Token token) override;
    Point mouseLocation() const override;
    bool isMouseButtonDown() const override;

    // The platform's modifier bits in the controller's terms.
    static uint64_t modifierFlags(uint32_t platformModifiers);

private:
    EventMonitors& monitors_;
    std::map<Token, std::vector<Subscription>> live_;
    Token next_ = 1;
};

}  // namespace tessane
