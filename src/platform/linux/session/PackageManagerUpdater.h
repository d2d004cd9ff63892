#pragma once

#include "platform/Updater.h"

namespace tessane::linux_backend {

// On Linux, Tessane is updated by the package manager that installed it: this updater never
// checks and never reports an update, and the menu keeps its update rows hidden.
class PackageManagerUpdater final : public Updater {
public:
    void start(Callbacks) override {}
    void checkForUpdates() override {}
    bool offersUpdates() const override { return false; }
};

}  // namespace tessane::linux_backend
