#include "controller/WindowDrag.h"

#include <utility>

namespace tessane {

bool WindowDrag::begin(const Uuid& workspaceID, std::function<void(const Uuid&)> onRelease) {
    if (draggingWorkspaceID) return false;
    draggingWorkspaceID = workspaceID;
    if (!input) return true;
    releaseWatch = input->addGlobalMonitor(
        GlobalInput::kLeftMouseUp, lifetime.guard([this, onRelease = std::move(onRelease)](const GlobalInput::Event&) {
            if (draggingWorkspaceID) onRelease(*draggingWorkspaceID);
        }));
    return true;
}

void WindowDrag::stopWatch() {
    if (releaseWatch && input) input->removeMonitor(*releaseWatch);
    releaseWatch.reset();
}

std::set<Uuid> WindowDrag::finish() {
    stopWatch();
    draggingWorkspaceID.reset();
    return std::exchange(touched, {});
}

std::set<Uuid> WindowDrag::appsChangedUnderPointer(const Uuid& workspaceID) const {
    const auto it = changedUnderPointer.find(workspaceID);
    return it == changedUnderPointer.end() ? std::set<Uuid>{} : it->second;
}

std::optional<Size> WindowDrag::lastSeenSize(const Uuid& workspaceID, const Uuid& appID) const {
    const auto seen = sizes.find(workspaceID);
    if (seen == sizes.end()) return std::nullopt;
    const auto it = seen->second.find(appID);
    return it == seen->second.end() ? std::nullopt : std::optional<Size>(it->second);
}

void WindowDrag::forget(const Uuid& workspaceID) {
    if (draggingWorkspaceID == workspaceID) {
        stopWatch();
        draggingWorkspaceID.reset();
    }
    sizes.erase(workspaceID);
    changedUnderPointer.erase(workspaceID);
    touched.erase(workspaceID);
}

}  // namespace tessane
