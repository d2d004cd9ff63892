#include "shell/LoginItem.h"

#include "model/Log.h"
#include "platform/MainQueue.h"

namespace tessane {

namespace {
std::string raw(LoginItems::Status status) { return std::to_string(static_cast<int>(status)); }
}  // namespace

LoginItem::State LoginItem::stateFor(LoginItems::Status status) {
    switch (status) {
    case LoginItems::Status::enabled: return State::enabled;
    case LoginItems::Status::requiresApproval: return State::requiresApproval;
    default: return State::disabled;
    }
}

LoginItem::State LoginItem::state() const {
    if (!items_.isBundled()) return State::unavailable;
    return stateFor(items_.status());
}

std::optional<std::string> LoginItem::setEnabled(bool enabled) {
    if (enabled) {
        if (auto error = items_.registerItem()) {
            Log::line("[Tessane] Launch at Login: register failed \u2014 " + *error);
            return error;
        }
        Log::line("[Tessane] Launch at Login: registered (status=" + raw(items_.status()) + ")");
        return std::nullopt;
    }
    auto error = items_.unregisterItem();
    if (!error) {
        Log::line("[Tessane] Launch at Login: unregistered");
        return std::nullopt;
    }
    if (items_.status() != LoginItems::Status::enabled) {
        // The registration is gone all the same.
        Log::line("[Tessane] Launch at Login: unregister reported " + *error +
                  ", but it is no longer enabled \u2014 treating as success.");
        return std::nullopt;
    }
    Log::line("[Tessane] Launch at Login: unregister failed \u2014 " + *error);
    return error;
}

void LoginItem::logDiagnostics() {
    queue_.post([&items = items_] {
        const bool bundled = items.isBundled();
        State state = State::unavailable;
        std::string rawStatus = "n/a";
        if (bundled) {
            const auto status = items.status();
            state = stateFor(status);
            rawStatus = raw(status);
        }
        Log::line("[Tessane][LoginItem] state=" + toString(state) + " rawStatus=" + rawStatus +
                  " installed=" + (bundled ? "true" : "false") + " path=" + items.bundlePath());
    });
}

std::string LoginItem::toString(State state) {
    switch (state) {
    case State::enabled: return "enabled";
    case State::disabled: return "disabled";
    case State::requiresApproval: return "requiresApproval";
    case State::unavailable: return "unavailable";
    }
    return "unavailable";
}

std::string LoginItem::phrase(State state) {
    switch (state) {
    case State::enabled: return "enabled";
    case State::disabled: return "disabled";
    case State::requiresApproval: return "waiting for approval in the desktop's startup applications settings";
    case State::unavailable: return "unavailable (not running as an installed build)";
    }
    return "unavailable (not running as an installed build)";
}

}  // namespace tessane
