#pragma once

#include "base/Signal.h"
#include "shell/InstanceMessage.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tessane::linux_backend::InstanceSocket {
class InstanceLock;
class Server;
}  // namespace tessane::linux_backend::InstanceSocket

namespace tessane::qt_backend {
class QtMainQueue;
}

namespace tessane::app {

// One running Tessane per user session: the first start holds the lock for its whole life; a
// later start hands its links and requests to it (or says it is already running) and ends.
class SingleInstance {
public:
    // The running instance's lock, or none when another Tessane holds it: then the request went
    // to that one and `exitCode` says how the hand-over went. Without any private runtime folder
    // there is nothing to lock: none, and `exitCode` 1.
    static std::unique_ptr<SingleInstance> take(const InstanceMessage::Request& request, int* exitCode);
    ~SingleInstance();

    // What later starts ask for goes to `deliver`, on the event loop.
    void listen(qt_backend::QtMainQueue& queue, std::function<void(const InstanceMessage::Request&)> deliver);
    void stopListening();

private:
    SingleInstance() = default;

    std::filesystem::path folder_;
    std::unique_ptr<linux_backend::InstanceSocket::InstanceLock> lock_;
    std::unique_ptr<linux_backend::InstanceSocket::Server> server_;
    Subscription watch_;
};

}  // namespace tessane::app
