#pragma once

#include "platform/Updater.h"

namespace tessane::sim {

// An update framework that tests drive by calling its callbacks.
class SimUpdater final : public Updater {
public:
    Callbacks callbacks;
    int starts = 0;
    int checks = 0;
    bool offers = true;

    void start(Callbacks c) override {
        callbacks = std::move(c);
        ++starts;
    }
    void checkForUpdates() override { ++checks; }
    bool offersUpdates() const override { return offers; }
};

}  // namespace tessane::sim
