#include "shell/EventMonitorsInput.h"

#include "platform/EventMonitors.h"

#include <memory>
#include <utility>

namespace tessane {

uint64_t EventMonitorsInput::modifierFlags(uint32_t platformModifiers) {
    uint64_t flags = 0;
    if (platformModifiers & ModifierFlag::shift) flags |= kShiftKeyMask;
    if (platformModifiers & ModifierFlag::control) flags |= kControlKeyMask;
    if (platformModifiers & ModifierFlag::option) flags |= kOptionKeyMask;
    if (platformModifiers & ModifierFlag::command) flags |= kCommandKeyMask;
    return flags;
}

std::optional<GlobalInput::Token> EventMonitorsInput::addGlobalMonitor(uint64_t mask,
                                                                       std::function<void(const Event&)> handler) {
    static constexpr std::pair<uint64_t, GlobalEventKind> kinds[] = {
        {kLeftMouseUp, GlobalEventKind::leftMouseUp},
        {kRightMouseUp, GlobalEventKind::rightMouseUp},
        {kMouseMoved, GlobalEventKind::mouseMoved},
        {kFlagsChanged, GlobalEventKind::flagsChanged},
    };
    // Shared by the kind monitors; a handler may remove its own monitor while it runs.
    auto shared = std::make_shared<std::function<void(const Event&)>>(std::move(handler));
    std::vector<Subscription> subscriptions;
    for (const auto& [bit, kind] : kinds) {
        if (!(mask & bit)) continue;
        auto subscription = monitors_.addGlobalMonitor(kind, [shared, bit = bit](const GlobalEvent& event) {
            const auto keep = shared;
            (*keep)(Event{bit, modifierFlags(event.modifiers)});
        });
        // All or nothing: a monitor the system refuses refuses the whole request.
        if (!subscription) return std::nullopt;
        subscriptions.push_back(std::move(*subscription));
    }
    if (subscriptions.empty()) return std::nullopt;
    const Token token = next_++;
    live_.emplace(token, std::move(subscriptions));
    return token;
}

void EventMonitorsInput::removeMonitor(Token token) {
    // Taken out first: ending a subscription may run code that touches the map.
    auto node = live_.extract(token);
}

Point EventMonitorsInput::mouseLocation() const { return monitors_.mouseLocation(); }

bool EventMonitorsInput::isMouseButtonDown() const { return monitors_.pressedMouseButtons() != 0; }

}  // namespace tessane
