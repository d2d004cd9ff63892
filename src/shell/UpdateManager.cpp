#include "shell/UpdateManager.h"

#include "platform/MainQueue.h"
#include "platform/Updater.h"

namespace tessane {

UpdateManager::UpdateManager(Updater& updater, MainQueue& queue) : updater_(updater), queue_(queue) {
    // Each callback takes what it needs at once and changes the version on a later turn of the
    // main queue, also when it already runs there.
    auto later = [this](std::optional<std::string> version) {
        queue_.post(lifetime_.guard([this, version = std::move(version)] { availableUpdateVersion_.set(version); }));
    };
    updater_.start({
        .didFindValidUpdate = [later](const std::string& displayVersion) { later(displayVersion); },
        .didNotFindUpdate = [later] { later(std::nullopt); },
        .willInstallUpdate = [later] { later(std::nullopt); },
    });
}

bool UpdateManager::offersUpdates() const { return updater_.offersUpdates(); }

void UpdateManager::checkForUpdates() { updater_.checkForUpdates(); }

}  // namespace tessane
