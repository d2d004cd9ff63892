#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tessane::linux_backend {

// One running Tessane per user, and a way for a second one to hand it links: a local (Unix)
// socket in a folder only this user can enter, $XDG_RUNTIME_DIR/tessane (mode 0700). The socket
// takes connections from processes of the same user only (SO_PEERCRED), at most a few at a time,
// each with a cap on the bytes it may send. It carries bytes; what they mean is the caller's.
namespace InstanceSocket {

// $XDG_RUNTIME_DIR/tessane, else /tmp/tessane-<uid>: made with mode 0700 when missing, and taken
// only when it is a real folder (not a link) of this user that nobody else can enter; a folder
// of ours with looser modes is tightened. None, with the reason, otherwise.
std::optional<std::filesystem::path> runtimeFolder(std::string* why);
// The same checks for a given folder (for tests and the fallback).
bool prepareFolder(const std::filesystem::path& folder, std::string* why);

// The running instance's end. Non-blocking: poll() does whatever can be done now (accept,
// read, reply) and returns; call it whenever pollFd() is readable. A connection that runs out of
// time is closed by the next poll().
class Server {
public:
    // Per connection: takes the bytes as they come; returns the reply once the exchange is over
    // (the connection is then answered and closed).
    using Session = std::function<std::optional<std::string>(std::string_view bytes)>;
    using SessionFactory = std::function<Session()>;
    using LogLine = std::function<void(const std::string&)>;

    struct Limits {
        size_t maxConnections = 8;       // at once; more are closed at once
        size_t maxBytes = 128 * 1024;     // per connection; more closes it (a backstop to the session's own cap)
        std::chrono::milliseconds timeout{5000};  // a connection that takes longer is closed
    };

    // Binds `socketPath` (replacing a stale socket there) and listens. None, with the reason,
    // when it cannot.
    static std::unique_ptr<Server> listen(const std::filesystem::path& socketPath, SessionFactory sessions,
                                          LogLine log, std::string* why);
    static std::unique_ptr<Server> listen(const std::filesystem::path& socketPath, SessionFactory sessions,
                                          LogLine log, Limits limits, std::string* why);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Readable whenever poll() has something to do: one descriptor for an event loop to watch.
    int pollFd() const { return epollFd_; }
    size_t openConnections() const { return connections_.size(); }
    void poll();

private:
    struct Connection {
        Session session;
        size_t received = 0;
        std::chrono::steady_clock::time_point started;
    };
    Server(int fd, int epollFd, std::filesystem::path path, SessionFactory sessions, LogLine log, Limits limits);
    void accept();
    // False when the connection is over (closed).
    bool read(int fd, Connection& connection);
    void finish(int fd, std::string_view reply);

    int listenFd_;
    int epollFd_;
    std::filesystem::path path_;
    SessionFactory sessions_;
    LogLine log_;
    Limits limits_;
    std::map<int, Connection> connections_;
};

// The lock that makes one process the running instance: held for the life of the process.
class InstanceLock {
public:
    // Tries to take folder/instance.lock without waiting: none when another process holds it.
    static std::unique_ptr<InstanceLock> tryTake(const std::filesystem::path& folder, std::string* why);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

private:
    explicit InstanceLock(int fd) : fd_(fd) {}
    int fd_;
};

// The second instance's end: connects, sends `message`, waits up to `timeout` for the one-line
// reply and returns it (without its line feed). None, with the reason, when the exchange fails.
std::optional<std::string> exchange(const std::filesystem::path& socketPath, std::string_view message,
                                    std::chrono::milliseconds timeout, std::string* why);

}  // namespace InstanceSocket

}  // namespace tessane::linux_backend
