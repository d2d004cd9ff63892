#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessane::linux_backend {

// One running Tessane per user, and a way for a second one to hand it links: a local (Unix)
// socket in a folder only this user can enter, $XDG_RUNTIME_DIR/tessane (mode 0700). The socket
// takes connections from processes of the same user only (SO_PEERCRED), at most a few at a time,
// each with a cap on the bytes it may send. It carries bytes; what they mean is the caller's.
namespace InstanceSocket {

// Every folder a Tessane of this user may have chosen, the one to choose first:
// $XDG_RUNTIME_DIR/tessane, else <temporary folder>/tessane-<uid>. The first is made with mode
// 0700 when missing; either is taken only when it is a real folder (not a link) of this user that
// nobody else can enter, and a folder of ours with looser modes is tightened. The temporary one
// also stands in for a runtime folder that is refused, so that every start of this user still
// meets in one place; when the runtime folder is taken, the temporary one follows it if it
// exists, as a Tessane started while the runtime folder was missing or refused runs there.
// Empty when none can be chosen. `refused` gets the reason for each folder refused before the
// one chosen.
std::vector<std::filesystem::path> runtimeFolders(std::vector<std::string>* refused);
// The same checks for a given folder (for tests and the fallback); `make`: create it when missing.
bool prepareFolder(const std::filesystem::path& folder, std::string* why, bool make = true);

// The running instance's end. Non-blocking: poll() does whatever can be done now (accept,
// read, reply, close connections past their time) and returns; call it whenever pollFd() is
// readable, which it also becomes when a connection's time runs out.
class Server {
public:
    // Per connection: takes the bytes as they come; returns the reply once the exchange is over
    // (the connection is then answered and closed).
    using Session = std::function<std::optional<std::string>(std::string_view bytes)>;
    using SessionFactory = std::function<Session()>;
    using LogLine = std::function<void(const std::string&)>;

    struct Limits {
        // At once; a connection beyond it takes the place of the one that has been silent longest,
        // so that idle connections can never lock a real one out.
        size_t maxConnections = 8;
        size_t maxBytes = 128 * 1024;     // per connection; more closes it (a backstop to the session's own cap)
        std::chrono::milliseconds timeout{5000};  // each connection's own deadline, from when it came
        std::chrono::milliseconds logInterval{10000};  // the same complaint is logged at most this often
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

    // Readable whenever poll() has something to do (also when a count of complaints held back is
    // due): one descriptor for an event loop to watch.
    int pollFd() const { return epollFd_; }
    size_t openConnections() const { return connections_.size(); }
    void poll();

private:
    using Clock = std::chrono::steady_clock;
    struct Connection {
        Session session;
        size_t received = 0;
        Clock::time_point started;
        Clock::time_point lastHeard;
    };
    enum class Complaint { slow, crowded, cutOff, otherUser, tooMuch, count };
    Server(int fd, int epollFd, int timerFd, std::filesystem::path path, SessionFactory sessions, LogLine log,
           Limits limits);
    void accept();
    void readAll();
    void closeExpired();
    void makeRoom();
    // False when the connection is over (closed).
    bool read(int fd, Connection& connection);
    void finish(int fd, std::string_view reply);
    void armTimer();
    // Logs `text` unless the same complaint was logged less than logInterval ago; then it is counted
    // and the count goes with the next line, or with the last held back once the interval is over.
    void complain(Complaint kind, const std::string& text);
    void tellHeldBack();

    int listenFd_;
    int epollFd_;
    int timerFd_;
    std::filesystem::path path_;
    SessionFactory sessions_;
    LogLine log_;
    Limits limits_;
    std::map<int, Connection> connections_;
    struct Said {
        std::optional<Clock::time_point> at;
        size_t heldBack = 0;
        std::string lastHeldBack;
    };
    Said said_[static_cast<size_t>(Complaint::count)];
};

// The lock that makes one process the running instance: held for the life of the process.
class InstanceLock {
public:
    // Tries to take folder/instance.lock without waiting: none when another process holds it
    // (`held` then says so) or it can't be taken at all.
    static std::unique_ptr<InstanceLock> tryTake(const std::filesystem::path& folder, std::string* why,
                                                 bool* held = nullptr);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

private:
    explicit InstanceLock(int fd) : fd_(fd) {}
    int fd_;
};

// The second instance's end: connects, sends `message` and returns the one-line reply (without
// its line feed), all within `timeout`: a running instance that does not take the connection (its
// queue is full, it hangs, it is starting and does not listen yet) is waited for no longer than
// the rest. None, with the reason, when the
// exchange fails or runs out of time.
std::optional<std::string> exchange(const std::filesystem::path& socketPath, std::string_view message,
                                    std::chrono::milliseconds timeout, std::string* why);

}  // namespace InstanceSocket

}  // namespace tessane::linux_backend
