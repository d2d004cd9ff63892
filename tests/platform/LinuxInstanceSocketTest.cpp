#include "platform/linux/session/InstanceSocket.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>

#include <filesystem>
#include <fstream>
#include <poll.h>
#include <random>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tessane::linux_backend {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using InstanceSocket::Server;

class InstanceSocketTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("tessane-socket-" + std::to_string(std::random_device{}()));
        fs::create_directories(root);
        folder = root / "tessane";
        socket = folder / "links.socket";
    }
    void TearDown() override { fs::remove_all(root); }

    static mode_t mode(const fs::path& p) {
        struct stat st {};
        ::lstat(p.c_str(), &st);
        return st.st_mode & 0777;
    }

    // Runs `client` in a child process while the server polls; the child's exit code.
    static int withClient(Server& server, const std::function<int()>& client) {
        const pid_t pid = ::fork();
        if (pid == 0) ::_exit(client());
        int status = 0;
        while (::waitpid(pid, &status, WNOHANG) == 0) {
            pollfd p{server.pollFd(), POLLIN, 0};
            ::poll(&p, 1, 20);
            server.poll();
        }
        server.poll();
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // A session that answers "ok" once it has seen `want` bytes, keeping what came.
    Server::SessionFactory collecting(size_t want) {
        return [this, want] {
            return [this, want](std::string_view bytes) -> std::optional<std::string> {
                received += bytes;
                if (received.size() >= want) return std::string("ok\n");
                return std::nullopt;
            };
        };
    }

    // A session that answers "ok" once it has seen `want` bytes of its own.
    static Server::SessionFactory answering(size_t want) {
        return [want] {
            return [want, seen = size_t(0)](std::string_view bytes) mutable -> std::optional<std::string> {
                seen += bytes.size();
                return seen >= want ? std::optional<std::string>("ok\n") : std::nullopt;
            };
        };
    }

    static int rawConnect(const fs::path& path) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) return fd;
        ::close(fd);
        return -1;
    }
    static int connectTo(const fs::path& path) {
        const int fd = rawConnect(path);
        EXPECT_GE(fd, 0);
        return fd;
    }
    // Lets the server work once its descriptor says there is something to do; whether it did.
    static bool pollWhenReady(Server& server, std::chrono::milliseconds timeout) {
        pollfd p{server.pollFd(), POLLIN, 0};
        const bool ready = ::poll(&p, 1, static_cast<int>(timeout.count())) == 1;
        server.poll();
        return ready;
    }
    size_t loggedCount(const std::string& prefix) const {
        return static_cast<size_t>(std::count_if(logged.begin(), logged.end(),
                                                 [&](const std::string& line) { return line.starts_with(prefix); }));
    }

    fs::path root, folder, socket;
    std::string received;
    std::vector<std::string> logged;
};

TEST_F(InstanceSocketTest, TheFolderIsOnlyEverThisUsers) {
    std::string why;
    ASSERT_TRUE(InstanceSocket::prepareFolder(folder, &why)) << why;
    EXPECT_EQ(mode(folder), 0700u);
    ::chmod(folder.c_str(), 0755);
    ASSERT_TRUE(InstanceSocket::prepareFolder(folder, &why));
    EXPECT_EQ(mode(folder), 0700u);  // tightened

    fs::create_directory_symlink(folder, root / "link");
    EXPECT_FALSE(InstanceSocket::prepareFolder(root / "link", &why));
    EXPECT_EQ(why, (root / "link").string() + " is not a folder");
    std::ofstream(root / "file") << "x";
    EXPECT_FALSE(InstanceSocket::prepareFolder(root / "file", &why));

    if (::geteuid() == 0) {  // a folder of another user is never taken
        fs::create_directory(root / "theirs");
        ASSERT_EQ(::chown((root / "theirs").c_str(), 65534, 65534), 0);
        EXPECT_FALSE(InstanceSocket::prepareFolder(root / "theirs", &why));
        EXPECT_EQ(why, (root / "theirs").string() + " belongs to another user");
    }
}

TEST_F(InstanceSocketTest, OneProcessHoldsTheInstanceLock) {
    ASSERT_TRUE(InstanceSocket::prepareFolder(folder, nullptr));
    auto first = InstanceSocket::InstanceLock::tryTake(folder, nullptr);
    ASSERT_TRUE(first);
    std::string why;
    EXPECT_FALSE(InstanceSocket::InstanceLock::tryTake(folder, &why));
    EXPECT_NE(why.find("another instance"), std::string::npos);
    first.reset();
    EXPECT_TRUE(InstanceSocket::InstanceLock::tryTake(folder, nullptr));
}

TEST_F(InstanceSocketTest, AnotherProcessHandsOverBytesAndGetsTheReply) {
    ASSERT_TRUE(InstanceSocket::prepareFolder(folder, nullptr));
    std::ofstream(socket) << "stale";  // what a killed run left behind
    std::string why;
    auto server = Server::listen(socket, collecting(10), nullptr, &why);
    ASSERT_TRUE(server) << why;
    EXPECT_EQ(mode(socket), 0600u);
    const std::string message = "0123456789";
    EXPECT_EQ(withClient(*server, [&] {
                  const auto reply = InstanceSocket::exchange(socket, message, 5s, nullptr);
                  return reply == "ok" ? 0 : 1;
              }),
              0);
    EXPECT_EQ(received, message);
    EXPECT_EQ(server->openConnections(), 0u);
    server.reset();
    EXPECT_FALSE(fs::exists(socket));
    EXPECT_FALSE(InstanceSocket::exchange(socket, message, 100ms, &why));
    EXPECT_EQ(why, "cannot reach the running Tessane at " + socket.string() +
                       " within 100 ms (No such file or directory); nothing was handed to it");
}

// A running instance whose queue of connections is full (it hangs, or another program fills it):
// a second start gives up at its deadline and says why, instead of waiting for ever.
TEST_F(InstanceSocketTest, ASecondStartGivesUpOnAFullQueueAtItsDeadline) {
    ASSERT_TRUE(InstanceSocket::prepareFolder(folder, nullptr));
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, socket.c_str(), sizeof addr.sun_path - 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(listener, 0), 0);  // and never accepts
    std::vector<int> queued;
    for (int i = 0; i < 64; ++i) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
            ::close(fd);
            break;
        }
        queued.push_back(fd);
    }
    ASSERT_LT(queued.size(), 64u) << "the queue never filled";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(60);  // a start that waits for ever ends here, and the test sees it
        std::string why;
        const auto reply = InstanceSocket::exchange(socket, "links", 200ms, &why);
        ::_exit(!reply && why == "the running Tessane did not take the connection within 200 ms; nothing was handed to it"
                    ? 0
                    : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    for (int fd : queued) ::close(fd);
    ::close(listener);
}

TEST_F(InstanceSocketTest, SizeAndConnectionCaps) {
    ASSERT_TRUE(InstanceSocket::prepareFolder(folder, nullptr));
    auto log = [this](const std::string& line) { logged.push_back(line); };
    auto server = Server::listen(socket, collecting(1'000'000), log, {.maxConnections = 1, .maxBytes = 100}, nullptr);
    ASSERT_TRUE(server);
    // Too much from one connection: closed without an answer.
    EXPECT_EQ(withClient(*server, [&] { return InstanceSocket::exchange(socket, std::string(5000, 'x'), 5s, nullptr) ? 0 : 1; }),
              1);
    EXPECT_EQ(logged, (std::vector<std::string>{"[Tessane][URL] A link connection sent too much — closed."}));
    EXPECT_EQ(server->openConnections(), 0u);

    // One connection at a time: the newcomer takes the place of the one silent longest.
    logged.clear();
    const int a = connectTo(socket);
    server->poll();
    const int b = connectTo(socket);
    server->poll();
    EXPECT_EQ(server->openConnections(), 1u);
    char byte;
    EXPECT_EQ(::recv(a, &byte, 1, MSG_DONTWAIT), 0) << "the older connection is closed";
    EXPECT_EQ(logged, (std::vector<std::string>{
                          "[Tessane][URL] Too many link connections at once — closed the one silent longest."}));
    ::close(a);
    ::close(b);
    server->poll();
    EXPECT_EQ(server->openConnections(), 0u);
}

// Each connection runs out of time on its own, with nothing else going on: the server's descriptor
// wakes the loop for it. A message cut short by the other end is dropped with a line.
TEST_F(InstanceSocketTest, AConnectionThatTakesTooLongOrEndsHalfwayIsClosedAndLogged) {
    ASSERT_TRUE(InstanceSocket::prepareFolder(folder, nullptr));
    auto log = [this](const std::string& line) { logged.push_back(line); };
    auto server = Server::listen(socket, answering(100), log, {.timeout = 300ms}, nullptr);
    ASSERT_TRUE(server);
    const int silent = connectTo(socket);
    server->poll();
    ASSERT_EQ(server->openConnections(), 1u);
    EXPECT_TRUE(pollWhenReady(*server, 10s));
    EXPECT_EQ(server->openConnections(), 0u);

    const int halfway = connectTo(socket);
    ASSERT_EQ(::send(halfway, "tessane-li", 10, 0), 10);
    ::close(halfway);
    server->poll();
    EXPECT_EQ(server->openConnections(), 0u);
    EXPECT_EQ(logged, (std::vector<std::string>{
                          "[Tessane][URL] A link connection took too long — closed.",
                          "[Tessane][URL] A link connection ended in the middle of its message (10 bytes) — dropped."}));
    ::close(silent);
}

// Eight clients that connect and say nothing hold every place; a real link still gets through.
TEST_F(InstanceSocketTest, SilentClientsNeverLockOutALink) {
    ASSERT_TRUE(InstanceSocket::prepareFolder(folder, nullptr));
    auto log = [this](const std::string& line) { logged.push_back(line); };
    auto server = Server::listen(socket, answering(10), log, nullptr);
    ASSERT_TRUE(server);
    std::vector<int> silent;
    for (int i = 0; i < 8; ++i) {
        silent.push_back(connectTo(socket));
        server->poll();
    }
    ASSERT_EQ(server->openConnections(), 8u);
    EXPECT_EQ(withClient(*server, [&] { return InstanceSocket::exchange(socket, "0123456789", 5s, nullptr) == "ok" ? 0 : 1; }),
              0);
    EXPECT_EQ(server->openConnections(), 7u);
    EXPECT_EQ(loggedCount("[Tessane][URL] Too many link connections at once"), 1u);
    for (int fd : silent) ::close(fd);
}

// Sixteen idle connections, each renewed as soon as it is closed, while three links come: every
// link gets through, and the crowding is one log line, not one per connection.
TEST_F(InstanceSocketTest, RenewedIdleConnectionsNeverLockOutLinksAndAreLoggedOnce) {
    ASSERT_TRUE(InstanceSocket::prepareFolder(folder, nullptr));
    auto log = [this](const std::string& line) { logged.push_back(line); };
    auto server = Server::listen(socket, answering(10), log, nullptr);
    ASSERT_TRUE(server);
    const pid_t renewer = ::fork();
    if (renewer == 0) {
        std::vector<int> fds(16, -1);
        for (;;) {
            for (int& fd : fds) {
                pollfd p{fd, POLLIN, 0};
                char byte;
                if (fd >= 0 && ::poll(&p, 1, 0) == 1 && ::recv(fd, &byte, 1, MSG_DONTWAIT) <= 0) {
                    ::close(fd);
                    fd = -1;
                }
                if (fd < 0) fd = rawConnect(socket);
            }
            ::usleep(1000);
        }
    }
    // The renewer has filled every place before the links come.
    for (int i = 0; i < 50 && loggedCount("[Tessane][URL] Too many") == 0; ++i) pollWhenReady(*server, 100ms);
    const int linked = withClient(*server, [&] {
        int ok = 0;
        for (int i = 0; i < 3; ++i) ok += InstanceSocket::exchange(socket, "0123456789", 5s, nullptr) == "ok";
        return ok;
    });
    ::kill(renewer, SIGKILL);
    ::waitpid(renewer, nullptr, 0);
    EXPECT_EQ(linked, 3);
    EXPECT_EQ(loggedCount("[Tessane][URL] Too many link connections at once"), 1u);
}

// A process of another user never gets its bytes in, even with the folder and the socket open
// to everybody: the peer's credentials are checked on every connection.
TEST_F(InstanceSocketTest, AnotherUserIsRefused) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    ASSERT_TRUE(InstanceSocket::prepareFolder(folder, nullptr));
    auto log = [this](const std::string& line) { logged.push_back(line); };
    auto server = Server::listen(socket, collecting(1), log, nullptr);
    ASSERT_TRUE(server);
    ::chmod(root.c_str(), 0755);
    ::chmod(folder.c_str(), 0755);
    ::chmod(socket.c_str(), 0666);
    const int code = withClient(*server, [&] {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) return 3;
        std::string why;
        return InstanceSocket::exchange(socket, "tessane-links 0\n", 5s, &why) ? 0 : 1;
    });
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(received.empty());
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_TRUE(logged[0].starts_with("[Tessane][URL] Refused a link connection from another user (uid 65534, pid "))
        << logged[0];

    // With the folder closed again, as it is made, the other user cannot even reach the socket.
    ::chmod(folder.c_str(), 0700);
    logged.clear();
    EXPECT_EQ(withClient(*server, [&] {
                  if (::setgid(65534) != 0 || ::setuid(65534) != 0) return 3;
                  std::string why;
                  InstanceSocket::exchange(socket, "x", 5s, &why);
                  return why.find("Permission denied") != std::string::npos ? 0 : 1;
              }),
              0);
    EXPECT_TRUE(logged.empty());
}

}  // namespace
}  // namespace tessane::linux_backend
