#include "shell/UpdateManager.h"

#include "platform/MainQueue.h"
#include "platform/Updater.h"

namespace tessane {

UpdateManager::UpdateManager(Updater& updater, MainQueue& queue) : updater_(updater), queue_(queue) {
    // Each callback takes what it needs at once and changes the version on a later turn of the
    // main queue, also when it already runs there. The framework may call after we are gone: the
    // callbacks hold only the queue (which outlives us) and our lifetime token, never `this` bare.
    auto later = [queue = &queue_, alive = lifetime_.liveness(), self = this](std::optional<std::string> version) {
        queue->post([alive, self, version = std::move(version)] {
            if (alive) self->availableUpdateVersion_.set(version);
        });
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
