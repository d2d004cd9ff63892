#include "platform/linux/InstanceSocket.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace tessane::linux_backend::InstanceSocket {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

std::string errnoText(const std::string& what) { return what + ": " + std::strerror(errno); }

void say(std::string* why, std::string text) {
    if (why) *why = std::move(text);
}

std::optional<sockaddr_un> address(const fs::path& path, std::string* why) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string p = path.string();
    if (p.empty() || p.size() >= sizeof addr.sun_path) {
        say(why, "socket path too long: " + p);
        return std::nullopt;
    }
    std::memcpy(addr.sun_path, p.c_str(), p.size() + 1);
    return addr;
}

}  // namespace

bool prepareFolder(const fs::path& folder, std::string* why) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        say(why, errnoText("cannot make " + folder.string()));
        return false;
    }
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) {
        say(why, errnoText("cannot read " + folder.string()));
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        say(why, folder.string() + " is not a folder");
        return false;
    }
    if (st.st_uid != ::geteuid()) {
        say(why, folder.string() + " belongs to another user");
        return false;
    }
    if ((st.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0) {
        say(why, errnoText("cannot close " + folder.string() + " to other users"));
        return false;
    }
    return true;
}

std::optional<fs::path> runtimeFolder(std::string* why) {
    fs::path base;
    if (const char* v = std::getenv("XDG_RUNTIME_DIR"); v && *v == '/') base = v;
    const fs::path folder = base.empty() ? fs::path("/tmp") / ("tessane-" + std::to_string(::geteuid()))
                                         : base / "tessane";
    if (!prepareFolder(folder, why)) return std::nullopt;
    return folder;
}

// ------------------------------------------------------------------------------------ server

std::unique_ptr<Server> Server::listen(const fs::path& socketPath, SessionFactory sessions, LogLine log,
                                       std::string* why) {
    return listen(socketPath, std::move(sessions), std::move(log), Limits{}, why);
}

std::unique_ptr<Server> Server::listen(const fs::path& socketPath, SessionFactory sessions, LogLine log,
                                       Limits limits, std::string* why) {
    const auto addr = address(socketPath, why);
    if (!addr) return nullptr;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        say(why, errnoText("socket"));
        return nullptr;
    }
    // A socket left by a run that ended without cleaning up; the instance lock says it is stale.
    ::unlink(socketPath.c_str());
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&*addr), sizeof *addr) != 0 || ::listen(fd, 8) != 0) {
        say(why, errnoText("cannot listen on " + socketPath.string()));
        ::close(fd);
        return nullptr;
    }
    ::chmod(socketPath.c_str(), 0600);
    const int epollFd = ::epoll_create1(EPOLL_CLOEXEC);
    epoll_event event{EPOLLIN, {.fd = fd}};
    if (epollFd < 0 || ::epoll_ctl(epollFd, EPOLL_CTL_ADD, fd, &event) != 0) {
        say(why, errnoText("epoll"));
        if (epollFd >= 0) ::close(epollFd);
        ::close(fd);
        ::unlink(socketPath.c_str());
        return nullptr;
    }
    return std::unique_ptr<Server>(new Server(fd, epollFd, socketPath, std::move(sessions), std::move(log), limits));
}

Server::Server(int fd, int epollFd, fs::path path, SessionFactory sessions, LogLine log, Limits limits)
    : listenFd_(fd), epollFd_(epollFd), path_(std::move(path)), sessions_(std::move(sessions)), log_(std::move(log)), limits_(limits) {}

Server::~Server() {
    for (auto& [fd, connection] : connections_) ::close(fd);
    ::close(listenFd_);
    ::close(epollFd_);
    ::unlink(path_.c_str());
}

void Server::poll() {
    accept();
    const auto now = Clock::now();
    std::vector<int> fds;
    for (auto& [fd, connection] : connections_) fds.push_back(fd);
    for (int fd : fds) {
        auto it = connections_.find(fd);
        if (it == connections_.end()) continue;
        if (!read(fd, it->second)) continue;
        if (now - it->second.started > limits_.timeout) {
            if (log_) log_("[Tessane][URL] A link connection took too long \u2014 closed.");
            finish(fd, {});
        }
    }
}

void Server::accept() {
    while (true) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;  // EAGAIN: nothing more waiting (other errors: try again next time)
        ucred peer{};
        socklen_t length = sizeof peer;
        if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || length != sizeof peer ||
            peer.uid != ::geteuid()) {
            if (log_)
                log_("[Tessane][URL] Refused a link connection from another user (uid " + std::to_string(peer.uid) +
                     ", pid " + std::to_string(peer.pid) + ").");
            ::close(fd);
            continue;
        }
        if (connections_.size() >= limits_.maxConnections) {
            if (log_) log_("[Tessane][URL] Too many link connections at once \u2014 closed one.");
            ::close(fd);
            continue;
        }
        epoll_event event{EPOLLIN, {.fd = fd}};
        if (::epoll_ctl(epollFd_, EPOLL_CTL_ADD, fd, &event) != 0) {
            ::close(fd);
            continue;
        }
        connections_.emplace(fd, Connection{sessions_ ? sessions_() : Session{}, 0, Clock::now()});
    }
}

bool Server::read(int fd, Connection& connection) {
    char buffer[4096];
    while (true) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK) return true;
            if (errno == EINTR) continue;
            finish(fd, {});
            return false;
        }
        if (n == 0) {  // the other end gave up before the exchange was over
            finish(fd, {});
            return false;
        }
        connection.received += static_cast<size_t>(n);
        if (connection.received > limits_.maxBytes) {
            if (log_) log_("[Tessane][URL] A link connection sent too much \u2014 closed.");
            finish(fd, {});
            return false;
        }
        if (!connection.session) continue;
        if (auto reply = connection.session(std::string_view(buffer, static_cast<size_t>(n)))) {
            finish(fd, *reply);
            return false;
        }
    }
}

void Server::finish(int fd, std::string_view reply) {
    // The reply is a few bytes on a fresh connection: it fits the socket buffer at once.
    if (!reply.empty()) (void)::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    ::epoll_ctl(epollFd_, EPOLL_CTL_DEL, fd, nullptr);
    ::close(fd);
    connections_.erase(fd);
}

// ------------------------------------------------------------------------------------ lock

std::unique_ptr<InstanceLock> InstanceLock::tryTake(const fs::path& folder, std::string* why) {
    const fs::path path = folder / "instance.lock";
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        say(why, errnoText("cannot open " + path.string()));
        return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        say(why, errno == EWOULDBLOCK ? "another instance holds " + path.string() : errnoText("cannot lock " + path.string()));
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<InstanceLock>(new InstanceLock(fd));
}

InstanceLock::~InstanceLock() { ::close(fd_); }

// ------------------------------------------------------------------------------------ client

std::optional<std::string> exchange(const fs::path& socketPath, std::string_view message,
                                    std::chrono::milliseconds timeout, std::string* why) {
    const auto addr = address(socketPath, why);
    if (!addr) return std::nullopt;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        say(why, errnoText("socket"));
        return std::nullopt;
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&*addr), sizeof *addr) != 0) {
        say(why, errnoText("cannot reach the running Tessane at " + socketPath.string()));
        return std::nullopt;
    }
    const auto deadline = Clock::now() + timeout;
    auto waitFor = [&](short events) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd p{fd, events, 0};
        return ::poll(&p, 1, static_cast<int>(left)) == 1;
    };
    size_t sent = 0;
    while (sent < message.size()) {
        if (!waitFor(POLLOUT)) {
            say(why, "the running Tessane did not take the links in time");
            return std::nullopt;
        }
        const ssize_t n = ::send(fd, message.data() + sent, message.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) {
            say(why, errnoText("cannot send the links"));
            return std::nullopt;
        }
        sent += static_cast<size_t>(n);
    }
    std::string reply;
    while (reply.find('\n') == std::string::npos && reply.size() < 256) {
        if (!waitFor(POLLIN)) {
            say(why, "the running Tessane did not answer in time");
            return std::nullopt;
        }
        char buffer[256];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) {
            say(why, "the running Tessane closed the connection without an answer");
            return std::nullopt;
        }
        reply.append(buffer, static_cast<size_t>(n));
    }
    return reply.substr(0, reply.find('\n'));
}

}  // namespace tessane::linux_backend::InstanceSocket
