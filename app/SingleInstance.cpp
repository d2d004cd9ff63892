#include "SingleInstance.h"

#include "model/Log.h"
#include "platform/linux/session/InstanceSocket.h"
#include "platform/qt/QtMainQueue.h"
#include "shell/InstanceHandoff.h"

#include <chrono>
#include <cstdio>
#include <vector>

namespace tessane::app {

namespace InstanceSocket = linux_backend::InstanceSocket;
using namespace std::chrono_literals;

namespace {
constexpr const char* kSocketName = "links.socket";
}

std::unique_ptr<SingleInstance> SingleInstance::take(const InstanceMessage::Request& request, int* exitCode) {
    std::unique_ptr<SingleInstance> instance(new SingleInstance());
    std::vector<std::string> refused;
    const auto folder = InstanceSocket::runtimeFolder(&refused);
    std::string reasons;
    for (const auto& why : refused) reasons += (reasons.empty() ? "" : "; ") + why;
    if (!folder) {
        // Without the lock a second start could not tell it is one, and two would manage the
        // same windows.
        Log::line("[Tessane] Not starting: no private runtime folder to tell a second Tessane apart (" + reasons +
                  "). Remove what is in the way, or set XDG_RUNTIME_DIR to a folder of your own.");
        *exitCode = 1;
        return nullptr;
    }
    if (!refused.empty())
        Log::line("[Tessane] The runtime folder can't be used (" + reasons + "): using " + folder->string() + " instead.");
    std::string why;
    instance->folder_ = *folder;
    instance->lock_ = InstanceSocket::InstanceLock::tryTake(*folder, &why);
    if (instance->lock_) return instance;

    const auto socket = *folder / kSocketName;
    *exitCode = InstanceHandoff::forward(
        request, [&](std::string_view message, std::string* reason) { return InstanceSocket::exchange(socket, message, 5s, reason); },
        [](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); });
    return nullptr;
}

SingleInstance::~SingleInstance() { stopListening(); }

void SingleInstance::listen(qt_backend::QtMainQueue& queue, std::function<void(const InstanceMessage::Request&)> deliver) {
    if (!lock_) return;
    std::string why;
    server_ = InstanceSocket::Server::listen(
        folder_ / kSocketName,
        [deliver = std::move(deliver), &queue] {
            return InstanceHandoff::session(deliver, [&queue](std::function<void()> work) { queue.post(std::move(work)); });
        },
        [](const std::string& line) { Log::line(line); }, &why);
    if (!server_) {
        Log::line("[Tessane] Links from later starts can't be taken: " + why + ".");
        return;
    }
    watch_ = queue.watchReadable(server_->pollFd(), [server = server_.get()] { server->poll(); });
}

void SingleInstance::stopListening() {
    watch_ = {};
    server_.reset();
}

}  // namespace tessane::app
