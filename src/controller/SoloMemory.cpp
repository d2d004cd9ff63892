#include "controller/SoloMemory.h"

namespace tessane {

std::optional<Uuid> SoloMemory::end() {
    if (!state_) return std::nullopt;
    const Uuid id = state_->workspaceID;
    state_.reset();
    return id;
}

void SoloMemory::forget(const Uuid& workspaceID) {
    if (owns(workspaceID)) state_.reset();
}

}  // namespace tessane
