#pragma once

#include "base/Uuid.h"

#include <cstdint>

namespace tessane {

// The stamp that deferred placement work carries: the generation it was planned in and the
// workspace it was planned for.
struct PlacementToken {
    int64_t generation = 0;
    Uuid workspaceID;
    bool operator==(const PlacementToken&) const = default;
};

// A counter that only goes up. Whoever must make earlier placement work stand down (a new
// tiling pass, a new container, a teardown, a quitting app) advances it; work holding an older
// token then finds itself stale and stops.
class PlacementGeneration {
public:
    int64_t current() const { return current_; }
    // Advances by one and returns the new generation.
    int64_t advance() { return ++current_; }

    PlacementToken token(const Uuid& workspaceID) const { return {current_, workspaceID}; }
    // True while nothing has advanced the generation since the token was made.
    bool isCurrent(const PlacementToken& token) const { return token.generation == current_; }

private:
    int64_t current_ = 0;
};

}  // namespace tessane
