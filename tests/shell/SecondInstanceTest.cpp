// Two Tessane processes over the real local socket: the second hands its links to the first,
// which reads them with the same parser as any other link, and is told when they found no room.
#include "platform/linux/session/InstanceSocket.h"
#include "platform/sim/SimMainQueue.h"
#include "shell/InstanceHandoff.h"
#include "shell/LinkRouter.h"
#include "shell/StartArguments.h"
#include "support/LoggedLines.h"

#include "RecordingLinkTarget.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <utility>
#include <poll.h>
#include <random>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tessane::testing {
namespace {

namespace fs = std::filesystem;
namespace InstanceSocket = linux_backend::InstanceSocket;
using namespace std::chrono_literals;

// Whether the process sleeps (waits on something) or has ended.
bool waitsOrEnded(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    std::getline(in, stat);
    const size_t name = stat.rfind(')');
    return name == std::string::npos || name + 2 >= stat.size() || stat[name + 2] == 'S' || stat[name + 2] == 'Z';
}

// The first instance, still starting: its own argument came before start-up finished, it holds
// the lock but does not listen yet, and a run it replaces left its socket.
class SecondInstance : public ::testing::Test {
protected:
    void SetUp() override {
        Log::resetForTesting();
        ASSERT_TRUE(InstanceSocket::prepareFolder(folder, nullptr));
        target.add("Writing");
        inbox.receive(StartArguments::parse({"tessane", "tessane://focus/left"}).links);
        lock = InstanceSocket::InstanceLock::tryTake(folder, nullptr);
        ASSERT_TRUE(lock);
        stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{AF_UNIX, {}};
        socket.string().copy(address.sun_path, sizeof address.sun_path - 1);
        ASSERT_EQ(::bind(stale, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    }
    void TearDown() override {
        server.reset();
        fs::remove_all(folder);
        Log::resetForTesting();
    }

    void listen() {
        ::close(stale);
        server = InstanceSocket::Server::listen(
            socket,
            [&] {
                return InstanceHandoff::session([&](const InstanceMessage::Request& request) {
                    if (!inbox.offer(request.links)) return false;
                    settingsRequests += request.openSettings;
                    return true;
                });
            },
            [](const std::string& line) { Log::line(line); }, nullptr);
        ASSERT_TRUE(server);
    }

    // A second start with `arguments`: its exit status.
    int second(std::vector<std::string> arguments) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            // A second instance finds the lock taken and hands over its links.
            if (InstanceSocket::InstanceLock::tryTake(folder, nullptr)) ::_exit(9);
            const auto parsed = StartArguments::parse(arguments);
            ::_exit(InstanceHandoff::forward(
                {parsed.links, parsed.openSettings},
                [&](std::string_view message, std::string* why) { return InstanceSocket::exchange(socket, message, 5s, why); },
                [](const std::string&) {}));
        }
        // The first start listens once the second is waiting for it (or has given up).
        if (!server) {
            while (!waitsOrEnded(pid)) ::poll(nullptr, 0, 1);
            listen();
        }
        int status = 0;
        while (::waitpid(pid, &status, WNOHANG) == 0) {
            pollfd p{server->pollFd(), POLLIN, 0};
            ::poll(&p, 1, 20);
            server->poll();
            links.runPending();
        }
        links.runPending();
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    const fs::path folder = fs::temp_directory_path() / ("tessane-second-" + std::to_string(std::random_device{}()));
    const fs::path socket = folder / "links.socket";
    RecordingLinkTarget target;
    sim::SimMainQueue links;  // the turns the inbox runs its links in
    LinkInbox inbox{links};
    int settingsRequests = 0;
    std::unique_ptr<InstanceSocket::InstanceLock> lock;
    int stale = -1;
    std::unique_ptr<InstanceSocket::Server> server;
};

TEST_F(SecondInstance, ForwardedLinksRunInTheFirstAndTheSecondExitsZero) {
    EXPECT_EQ(second({"tessane", "tessane://show/writing", "tessane://nope"}), 0);  // before it listened
    inbox.setTarget(&target);
    inbox.flush();
    EXPECT_EQ(second({"tessane", "tessane://toggle/1"}), 0);
    EXPECT_EQ(second({"tessane"}), 0);  // only says that Tessane runs
    EXPECT_EQ(settingsRequests, 0);
    EXPECT_EQ(second({"tessane", "--settings"}), 0);
    EXPECT_EQ(settingsRequests, 1);

    EXPECT_EQ(target.calls, (std::vector<std::string>{"focus -1", "show Writing", "show Writing"}));
    EXPECT_EQ(loggedMessages(),
              (std::vector<std::string>{
                  "[Tessane][URL] Arrived before launch finished — queued 1: tessane://focus/left",
                  "[Tessane][URL] Arrived before launch finished — queued 2: tessane://show/writing, tessane://nope",
                  "[Tessane][URL] Launch finished — running 3 queued command(s).",
                  "[Tessane][URL] tessane://focus/left → focus(offset: -1)",
                  "[Tessane][URL] tessane://show/writing → show(target: \"writing\")",
                  "[Tessane][URL] Ignored — not a command Tessane understands: tessane://nope",
                  "[Tessane][URL] tessane://toggle/1 → toggle(target: \"1\")",
                  "[Tessane] Asked by another start to open the settings window.",
              }));

    // A queue with no room left: the second start is told so, and the link is not taken.
    inbox.setTarget(nullptr);
    inbox.receive(std::vector<std::string>(LinkInbox::kCapacity, "tessane://toggle/1"));
    EXPECT_EQ(second({"tessane", "tessane://show/writing"}), 1);
    EXPECT_EQ(inbox.waiting(), LinkInbox::kCapacity);
    EXPECT_EQ(loggedMessages().back(),
              "[Tessane][URL] Refused 1 link(s) from another start — 256 wait to run already.");
}

}  // namespace
}  // namespace tessane::testing
