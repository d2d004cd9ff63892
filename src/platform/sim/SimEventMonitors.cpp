#include "platform/sim/SimEventMonitors.h"

namespace tessane::sim {

std::optional<Subscription> SimEventMonitors::addGlobalMonitor(
    GlobalEventKind kind, std::function<void(const GlobalEvent&)> handler) {
    if (refusals_ > 0) {
        --refusals_;
        return std::nullopt;
    }
    return monitors_[static_cast<size_t>(kind)].subscribe(std::move(handler));
}

size_t SimEventMonitors::monitorCount(GlobalEventKind kind) const {
    return monitors_[static_cast<size_t>(kind)].observerCount();
}

void SimEventMonitors::send(GlobalEventKind kind) {
    monitors_[static_cast<size_t>(kind)].emit(GlobalEvent{kind, mouse_, modifiers_});
}

void SimEventMonitors::moveMouse(Point location) {
    mouse_ = location;
    send(GlobalEventKind::mouseMoved);
}

void SimEventMonitors::mouseUp(GlobalEventKind kind) {
    buttons_ &= kind == GlobalEventKind::leftMouseUp ? ~MouseButton::left : ~MouseButton::right;
    send(kind);
}

void SimEventMonitors::setModifierFlags(uint32_t modifiers) {
    if (modifiers == modifiers_) return;
    modifiers_ = modifiers;
    send(GlobalEventKind::flagsChanged);
}

}  // namespace tessane::sim
