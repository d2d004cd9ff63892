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
    const auto folders = InstanceSocket::runtimeFolders(&refused);
    std::string reasons;
    for (const auto& why : refused) reasons += (reasons.empty() ? "" : "; ") + why;
    if (folders.empty()) {
        // Without the lock a second start could not tell it is one, and two would manage the
        // same windows.
        Log::line("[Tessane] Not starting: no private runtime folder to tell a second Tessane apart (" + reasons +
                  "). Remove what is in the way, or set XDG_RUNTIME_DIR to a folder of your own.");
        *exitCode = 1;
        return nullptr;
    }
    if (!refused.empty())
        Log::line("[Tessane] The runtime folder can't be used (" + reasons + "): using " + folders.front().string() +
                  " instead.");
    // The lock of every folder a Tessane may run in, always in the same order: one that started
    // while the runtime folder was missing holds the temporary folder's, and a start that found
    // the runtime folder since must hand over to it, not run beside it.
    for (const auto& folder : folders) {
        std::string why;
        bool held = false;
        if (auto lock = InstanceSocket::InstanceLock::tryTake(folder, &why, &held)) {
            instance->held_.push_back({folder, std::move(lock), nullptr, {}});
            continue;
        }
        if (held) {
            *exitCode = handOver(folder, request);
            return nullptr;
        }
        if (folder != folders.front()) continue;  // no Tessane could have taken it either
        Log::line("[Tessane] Not starting: " + why + ".");
        *exitCode = 1;
        return nullptr;
    }
    return instance;
}

int SingleInstance::handOver(const std::filesystem::path& folder, const InstanceMessage::Request& request) {
    const auto socket = folder / kSocketName;
    return InstanceHandoff::forward(
        request, [&](std::string_view message, std::string* reason) { return InstanceSocket::exchange(socket, message, 5s, reason); },
        [](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); });
}

SingleInstance::~SingleInstance() { stopListening(); }

void SingleInstance::listen(qt_backend::QtMainQueue& queue, std::function<bool(const InstanceMessage::Request&)> take) {
    for (auto& held : held_) {
        std::string why;
        held.server = InstanceSocket::Server::listen(
            held.folder / kSocketName, [take] { return InstanceHandoff::session(take); },
            [](const std::string& line) { Log::line(line); }, &why);
        if (!held.server) {
            Log::line("[Tessane] Links from later starts can't be taken: " + why + ".");
            continue;
        }
        held.watch = queue.watchReadable(held.server->pollFd(), [server = held.server.get()] { server->poll(); });
    }
}

void SingleInstance::stopListening() {
    for (auto& held : held_) {
        held.watch = {};
        held.server.reset();
    }
}

}  // namespace tessane::app
