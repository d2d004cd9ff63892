#pragma once

#include "base/Uuid.h"

#include <optional>

namespace tessane {

// What the controller remembers of the one solo in the whole system: which workspace lets which
// of its applications fill it for a while. A soloed workspace's windows and chrome are the solo's
// until it ends, so the controller asks here before it places, checks or shows them.
class SoloMemory final {
public:
    struct State {
        Uuid workspaceID;
        Uuid appID;
        bool operator==(const State&) const = default;
    };

    // The solo under way, if any.
    const std::optional<State>& current() const { return state_; }
    // Whether the solo under way is this workspace's.
    bool owns(const Uuid& workspaceID) const { return state_ && state_->workspaceID == workspaceID; }

    // Begins the solo of `appID` in its workspace, in place of any other.
    void begin(const Uuid& workspaceID, const Uuid& appID) { state_ = State{workspaceID, appID}; }
    // Ends the solo under way; returns the workspace that was soloed.
    std::optional<Uuid> end();
    // Ends the workspace's solo, if it has one, with nothing to give back (its session is gone or
    // placed anew).
    void forget(const Uuid& workspaceID);

private:
    std::optional<State> state_;
};

}  // namespace tessane
