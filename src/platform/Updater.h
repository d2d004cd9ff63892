#pragma once

#include <functional>
#include <string>

namespace tessane {

// The update framework. Its callbacks may come on any thread; the update manager moves them to
// the main queue. linux: updates come from the package manager, so the backend never reports one.
class Updater {
public:
    struct Callbacks {
        std::function<void(const std::string& displayVersion)> didFindValidUpdate;
        std::function<void()> didNotFindUpdate;
        std::function<void()> willInstallUpdate;
    };

    virtual ~Updater() = default;

    // Starts the updater (its own scheduled checks) with the callbacks; called once.
    virtual void start(Callbacks callbacks) = 0;
    // A check the user asked for; the outcome comes back through the callbacks.
    virtual void checkForUpdates() = 0;
    // False when this build never offers updates itself: the menu's update rows stay hidden.
    virtual bool offersUpdates() const = 0;
};

}  // namespace tessane
