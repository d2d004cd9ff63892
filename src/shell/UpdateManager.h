#pragma once

#include "base/Lifetime.h"
#include "base/Signal.h"

#include <functional>
#include <optional>
#include <string>

namespace tessane {

class MainQueue;
class Updater;

// The one owner of the update framework: starts it when built and publishes the version of an
// update that is ready, which the status menu shows. The framework's callbacks are moved to the
// main queue and do nothing once the manager is gone.
class UpdateManager final {
public:
    UpdateManager(Updater& updater, MainQueue& queue);
    UpdateManager(const UpdateManager&) = delete;
    UpdateManager& operator=(const UpdateManager&) = delete;

    const Published<std::optional<std::string>>& availableUpdateVersion() const { return availableUpdateVersion_; }
    // Told, with the new value, before each change.
    [[nodiscard]] Subscription observeAvailableUpdateVersion(std::function<void(const std::optional<std::string>&)> observer) {
        return availableUpdateVersion_.observe(std::move(observer));
    }
    // Whether this build offers updates itself (the menu hides its update rows otherwise).
    bool offersUpdates() const;
    void checkForUpdates();

private:
    Updater& updater_;
    MainQueue& queue_;
    Published<std::optional<std::string>> availableUpdateVersion_;
    LifetimeToken lifetime_;
};

}  // namespace tessane
