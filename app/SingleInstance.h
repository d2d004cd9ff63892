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

    // What later starts ask for goes to `take`, on the event loop, which queues it and says whether
    // it found room (the later start is told either way).
    void listen(qt_backend::QtMainQueue& queue, std::function<bool(const InstanceMessage::Request&)> take);
    void stopListening();

private:
    SingleInstance() = default;
    // Another Tessane holds the lock in `folder`: the request goes to it; the exit code.
    static int handOver(const std::filesystem::path& folder, const InstanceMessage::Request& request);

    std::filesystem::path folder_;  // where it listens: the first of the folders
    std::vector<std::unique_ptr<linux_backend::InstanceSocket::InstanceLock>> locks_;
    std::unique_ptr<linux_backend::InstanceSocket::Server> server_;
    Subscription watch_;
};

}  // namespace tessane::app
