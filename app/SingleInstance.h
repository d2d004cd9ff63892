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

    // Each folder whose lock it holds, where it listens too: a later start that finds any of the
    // locks held hands over in that folder.
    struct Held {
        std::filesystem::path folder;
        std::unique_ptr<linux_backend::InstanceSocket::InstanceLock> lock;
        std::unique_ptr<linux_backend::InstanceSocket::Server> server;
        Subscription watch;
    };
    std::vector<Held> held_;
};

}  // namespace tessane::app
