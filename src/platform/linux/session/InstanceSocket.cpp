#include "platform/linux/session/InstanceSocket.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <sys/un.h>
#include <unistd.h>
#include <algorithm>
#include <utility>
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

bool prepareFolder(const fs::path& folder, std::string* why, bool make) {
    if (make && ::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
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

std::vector<fs::path> runtimeFolders(std::vector<std::string>* refused) {
    std::vector<fs::path> candidates;
    if (const char* v = std::getenv("XDG_RUNTIME_DIR"); v && *v == '/') candidates.push_back(fs::path(v) / "tessane");
    std::error_code noTemp;
    fs::path temp = fs::temp_directory_path(noTemp);
    if (noTemp) temp = "/tmp";
    candidates.push_back(temp / ("tessane-" + std::to_string(::geteuid())));
    std::vector<fs::path> folders;
    for (const auto& folder : candidates) {
        std::string why;
        struct stat st {};
        // Past the chosen one, a folder nobody made holds no Tessane, and none is made for it.
        const bool chosen = !folders.empty();
        if (chosen && ::lstat(folder.c_str(), &st) != 0) continue;
        if (prepareFolder(folder, &why, !chosen))
            folders.push_back(folder);
        else if (refused && !chosen)
            refused->push_back(why);
    }
    return folders;
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
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&*addr), sizeof *addr) != 0 || ::listen(fd, 16) != 0) {
        say(why, errnoText("cannot listen on " + socketPath.string()));
        ::close(fd);
        return nullptr;
    }
    ::chmod(socketPath.c_str(), 0600);
    const int epollFd = ::epoll_create1(EPOLL_CLOEXEC);
    // Fires at the earliest connection's deadline, so that one past its time is closed even when
    // nothing else happens on the socket.
    const int timerFd = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    epoll_event event{EPOLLIN, {.fd = fd}}, timerEvent{EPOLLIN, {.fd = timerFd}};
    if (epollFd < 0 || timerFd < 0 || ::epoll_ctl(epollFd, EPOLL_CTL_ADD, fd, &event) != 0 ||
        ::epoll_ctl(epollFd, EPOLL_CTL_ADD, timerFd, &timerEvent) != 0) {
        say(why, errnoText("epoll"));
        if (epollFd >= 0) ::close(epollFd);
        if (timerFd >= 0) ::close(timerFd);
        ::close(fd);
        ::unlink(socketPath.c_str());
        return nullptr;
    }
    return std::unique_ptr<Server>(
        new Server(fd, epollFd, timerFd, socketPath, std::move(sessions), std::move(log), limits));
}

Server::Server(int fd, int epollFd, int timerFd, fs::path path, SessionFactory sessions, LogLine log, Limits limits)
    : listenFd_(fd), epollFd_(epollFd), timerFd_(timerFd), path_(std::move(path)), sessions_(std::move(sessions)),
      log_(std::move(log)), limits_(limits) {}

Server::~Server() {
    for (auto& [fd, connection] : connections_) ::close(fd);
    ::close(listenFd_);
    ::close(timerFd_);
    ::close(epollFd_);
    ::unlink(path_.c_str());
}

void Server::poll() {
    uint64_t expirations = 0;
    // Only read to clear the timer: how often it expired does not matter.
    [[maybe_unused]] const ssize_t cleared = ::read(timerFd_, &expirations, sizeof expirations);
    closeExpired();
    // What has come on open connections first: a link already sent must not lose its place to
    // connections queued behind it.
    readAll();
    accept();
    tellHeldBack();
    armTimer();
}

void Server::readAll() {
    std::vector<int> fds;
    for (auto& [fd, connection] : connections_) fds.push_back(fd);
    for (int fd : fds)
        if (auto it = connections_.find(fd); it != connections_.end()) read(fd, it->second);
}

void Server::closeExpired() {
    const auto now = Clock::now();
    std::vector<int> expired;
    for (auto& [fd, connection] : connections_)
        if (now - connection.started >= limits_.timeout) expired.push_back(fd);
    for (int fd : expired) {
        complain(Complaint::slow, "[Tessane][URL] A link connection took too long \u2014 closed.");
        finish(fd, {});
    }
}

void Server::makeRoom() {
    while (!connections_.empty() && connections_.size() >= limits_.maxConnections) {
        auto quietest = connections_.begin();
        for (auto it = connections_.begin(); it != connections_.end(); ++it)
            if (it->second.lastHeard < quietest->second.lastHeard) quietest = it;
        complain(Complaint::crowded,
                 "[Tessane][URL] Too many link connections at once \u2014 closed the one silent longest.");
        finish(quietest->first, {});
    }
}

void Server::accept() {
    // A bounded number per call: clients that reconnect as fast as they are closed can't keep
    // the main thread here. The rest wait in the backlog for the next call.
    for (size_t taken = 0; taken < std::max<size_t>(limits_.maxConnections, 1); ++taken) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;  // EAGAIN: nothing more waiting (other errors: try again next time)
        ucred peer{};
        socklen_t length = sizeof peer;
        if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || length != sizeof peer ||
            peer.uid != ::geteuid()) {
            complain(Complaint::otherUser, "[Tessane][URL] Refused a link connection from another user (uid " +
                                               std::to_string(peer.uid) + ", pid " + std::to_string(peer.pid) + ").");
            ::close(fd);
            continue;
        }
        closeExpired();
        readAll();
        makeRoom();
        if (limits_.maxConnections == 0) {
            ::close(fd);
            continue;
        }
        epoll_event event{EPOLLIN, {.fd = fd}};
        if (::epoll_ctl(epollFd_, EPOLL_CTL_ADD, fd, &event) != 0) {
            ::close(fd);
            continue;
        }
        const auto now = Clock::now();
        auto [it, added] = connections_.emplace(fd, Connection{sessions_ ? sessions_() : Session{}, 0, now, now});
        // A client sends its message as soon as it is connected: often it is there already.
        read(fd, it->second);
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
            if (connection.received > 0)
                complain(Complaint::cutOff, "[Tessane][URL] A link connection ended in the middle of its message (" +
                                                std::to_string(connection.received) + " bytes) \u2014 dropped.");
            finish(fd, {});
            return false;
        }
        connection.received += static_cast<size_t>(n);
        connection.lastHeard = Clock::now();
        if (connection.received > limits_.maxBytes) {
            complain(Complaint::tooMuch, "[Tessane][URL] A link connection sent too much \u2014 closed.");
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

void Server::armTimer() {
    itimerspec when{};  // all zero: disarmed
    // The earliest of the connections' deadlines and the ends of complaints held back.
    std::optional<Clock::time_point> first;
    const auto due = [&first](Clock::time_point at) { first = first ? std::min(*first, at) : at; };
    for (auto& [fd, connection] : connections_) due(connection.started + limits_.timeout);
    for (const Said& said : said_)
        if (said.heldBack > 0) due(*said.at + limits_.logInterval);
    if (first) {
        // steady_clock is CLOCK_MONOTONIC; a deadline already past fires at once.
        const auto due = std::chrono::duration_cast<std::chrono::nanoseconds>(first->time_since_epoch());
        const auto ns = std::max<int64_t>(due.count(), 1);
        when.it_value.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
        when.it_value.tv_nsec = static_cast<long>(ns % 1'000'000'000);
    }
    ::timerfd_settime(timerFd_, TFD_TIMER_ABSTIME, &when, nullptr);
}

void Server::complain(Complaint kind, const std::string& text) {
    if (!log_) return;
    Said& said = said_[static_cast<size_t>(kind)];
    const auto now = Clock::now();
    if (said.at && now - *said.at < limits_.logInterval) {
        ++said.heldBack;
        said.lastHeldBack = text;
        return;
    }
    const size_t heldBack = std::exchange(said.heldBack, 0);
    said.at = now;
    log_(heldBack == 0 ? text : text + " (" + std::to_string(heldBack) + " more since the last such line)");
}

// A burst that ends has no next line to carry its count: the last line held back tells it.
void Server::tellHeldBack() {
    const auto now = Clock::now();
    for (Said& said : said_) {
        if (said.heldBack == 0 || now - *said.at < limits_.logInterval) continue;
        const size_t heldBack = std::exchange(said.heldBack, 0);
        said.at = now;
        if (log_) log_(said.lastHeldBack + " (the last of " + std::to_string(heldBack) + " held back since the last such line)");
    }
}

// ------------------------------------------------------------------------------------ lock

std::unique_ptr<InstanceLock> InstanceLock::tryTake(const fs::path& folder, std::string* why, bool* held) {
    const fs::path path = folder / "instance.lock";
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        say(why, errnoText("cannot open " + path.string()));
        return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (held) *held = errno == EWOULDBLOCK;
        say(why, errno == EWOULDBLOCK ? "another instance holds " + path.string() : errnoText("cannot lock " + path.string()));
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<InstanceLock>(new InstanceLock(fd));
}

InstanceLock::~InstanceLock() { ::close(fd_); }

// ------------------------------------------------------------------------------------ client

namespace {

// The one deadline of an exchange with the running instance, and how it is named in what we say.
struct Deadline {
    Clock::time_point at;
    std::string within;  // " within 5 s"

    explicit Deadline(std::chrono::milliseconds timeout)
        : at(Clock::now() + timeout),
          within(timeout.count() % 1000 == 0 ? " within " + std::to_string(timeout.count() / 1000) + " s"
                                             : " within " + std::to_string(timeout.count()) + " ms") {}

    int64_t left() const {
        return std::max<int64_t>(0, std::chrono::duration_cast<std::chrono::milliseconds>(at - Clock::now()).count());
    }

    // Whether fd is ready for events before the deadline.
    bool waitFor(int fd, short events) const {
        const int64_t ms = left();
        if (ms <= 0) return false;
        pollfd p{fd, events, 0};
        return ::poll(&p, 1, static_cast<int>(ms)) == 1;
    }
};

constexpr const char* kNothingHanded = "; nothing was handed to it";

bool connectBefore(int fd, const sockaddr_un& addr, const fs::path& socketPath, const Deadline& deadline,
                   std::string* why) {
    for (std::chrono::milliseconds pause{1};;) {
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0 || errno == EISCONN) return true;
        if (errno == EINTR) continue;
        if (errno == EINPROGRESS) {
            int error = 0;
            socklen_t length = sizeof error;
            if (!deadline.waitFor(fd, POLLOUT)) {
                say(why, "the running Tessane did not take the connection" + deadline.within + kNothingHanded);
                return false;
            }
            if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0) return true;
            errno = error;
        }
        // A full queue of connections waiting to be taken is refused at once, not waited on; and
        // a running one that is still starting (it holds the lock: that is why we are here) may
        // not listen yet, or not over the socket its last run left: both asked again, briefly
        // apart, until the deadline.
        const int refusal = errno;
        if (refusal != EAGAIN && refusal != ENOENT && refusal != ECONNREFUSED) {
            say(why, errnoText("cannot reach the running Tessane at " + socketPath.string()));
            return false;
        }
        if (deadline.left() <= 0) {
            say(why, refusal == EAGAIN ? "the running Tessane did not take the connection" + deadline.within + kNothingHanded
                                       : "cannot reach the running Tessane at " + socketPath.string() + deadline.within +
                                             " (" + std::strerror(refusal) + ")" + kNothingHanded);
            return false;
        }
        ::poll(nullptr, 0, static_cast<int>(std::min<int64_t>(pause.count(), deadline.left())));
        pause = std::min(pause * 2, std::chrono::milliseconds{50});
    }
}

bool sendBefore(int fd, std::string_view message, const Deadline& deadline, std::string* why) {
    size_t sent = 0;
    while (sent < message.size()) {
        if (!deadline.waitFor(fd, POLLOUT)) {
            say(why, "the running Tessane did not take the links" + deadline.within + kNothingHanded);
            return false;
        }
        const ssize_t n = ::send(fd, message.data() + sent, message.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) {
            say(why, errnoText("cannot send the links"));
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

// The first line of the answer, without its newline.
std::optional<std::string> replyBefore(int fd, const Deadline& deadline, std::string* why) {
    std::string reply;
    while (reply.find('\n') == std::string::npos && reply.size() < 256) {
        if (!deadline.waitFor(fd, POLLIN)) {
            say(why, "the running Tessane did not answer" + deadline.within);
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

}  // namespace

std::optional<std::string> exchange(const fs::path& socketPath, std::string_view message,
                                    std::chrono::milliseconds timeout, std::string* why) {
    const auto addr = address(socketPath, why);
    if (!addr) return std::nullopt;
    // Nothing here waits without a deadline: a running instance that is hung, or whose queue of
    // connections is full, would otherwise keep this start waiting for ever.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        say(why, errnoText("socket"));
        return std::nullopt;
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    const Deadline deadline(timeout);
    if (!connectBefore(fd, *addr, socketPath, deadline, why)) return std::nullopt;
    if (!sendBefore(fd, message, deadline, why)) return std::nullopt;
    return replyBefore(fd, deadline, why);
}

}  // namespace tessane::linux_backend::InstanceSocket
