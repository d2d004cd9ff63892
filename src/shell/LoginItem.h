#pragma once

#include "platform/LoginItems.h"

#include <optional>
#include <string>

namespace tessane {

class MainQueue;

// The launch-at-login switch over the system's login items, with a log line for every outcome.
// Keeps no state: the registration lives with the system, which the user may change elsewhere.
class LoginItem final {
public:
    enum class State { enabled, disabled, requiresApproval, unavailable };

    LoginItem(LoginItems& items, MainQueue& queue) : items_(items), queue_(queue) {}

    // Read afresh on every access; a program that cannot be a login item is not asked.
    State state() const;
    // Registers or unregisters. None when the change took effect or counts as done, else the
    // error's description. Every outcome is logged.
    std::optional<std::string> setEnabled(bool enabled);
    // Queues one line with the current state on the main queue and returns at once.
    void logDiagnostics();

    static State stateFor(LoginItems::Status status);
    static std::string toString(State state);  // the case name
    // How the diagnostics report words the state.
    static std::string phrase(State state);

private:
    LoginItems& items_;
    MainQueue& queue_;
};

}  // namespace tessane
