#include "platform/linux/session/LinuxFileWatch.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessane::linux_backend {

namespace {

constexpr uint32_t kFileMask = IN_MODIFY | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;
constexpr uint32_t kFolderMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB |
                                 IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

}  // namespace

struct LinuxFileWatch::Source final : FileWatchSource {
    std::weak_ptr<State> state;
    int wd = -1;
    uint32_t mask = 0;
    std::function<void(uint32_t)> handler;
    bool cancelled = false;
    bool folder = false;
    std::filesystem::path path;
    dev_t device = 0;
    ino_t inode = 0;
    bool movedAway = false;
    uint32_t pending = 0;

    ~Source() override { cancel(); }
    void cancel() override;
    bool isCancelled() const override { return cancelled; }
};

struct LinuxFileWatch::State {
    int fd = -1;
    // Watches of one inode share its descriptor; it is removed with the last of them.
    std::map<int, std::vector<std::weak_ptr<Source>>> byWatch;

    // Called from cancel(), also from a source's destructor (when its weak pointers are
    // already expired).
    void detach(Source* s) {
        auto it = byWatch.find(s->wd);
        if (it == byWatch.end()) return;
        std::erase_if(it->second, [s](const std::weak_ptr<Source>& w) {
            auto p = w.lock();
            return !p || p.get() == s;
        });
        if (it->second.empty()) {
            if (fd >= 0) inotify_rm_watch(fd, s->wd);
            byWatch.erase(it);
        }
    }
};

void LinuxFileWatch::Source::cancel() {
    if (cancelled) return;
    cancelled = true;
    pending = 0;
    if (auto s = state.lock()) s->detach(this);
}

LinuxFileWatch::LinuxFileWatch() : state_(std::make_shared<State>()) {
    state_->fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
}

LinuxFileWatch::~LinuxFileWatch() {
    for (auto& [wd, sources] : state_->byWatch)
        for (auto& w : sources)
            if (auto s = w.lock()) s->cancelled = true;
    state_->byWatch.clear();
    if (state_->fd >= 0) ::close(state_->fd);
    state_->fd = -1;
}

int LinuxFileWatch::fd() const { return state_->fd; }

std::shared_ptr<FileWatchSource> LinuxFileWatch::watch(const std::filesystem::path& path,
                                                       uint32_t events,
                                                       std::function<void(uint32_t)> handler) {
    if (state_->fd < 0) return nullptr;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return nullptr;
    const bool folder = S_ISDIR(st.st_mode);
    const int wd = inotify_add_watch(state_->fd, path.c_str(), folder ? kFolderMask : kFileMask);
    if (wd < 0) return nullptr;
    auto source = std::make_shared<Source>();
    source->state = state_;
    source->wd = wd;
    source->mask = events;
    source->handler = std::move(handler);
    source->folder = folder;
    source->path = path;
    source->device = st.st_dev;
    source->inode = st.st_ino;
    state_->byWatch[wd].push_back(source);
    return source;
}

FileStatus LinuxFileWatch::status(const std::filesystem::path& path) const {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return {true, double(st.st_mtim.tv_sec) + double(st.st_mtim.tv_nsec) / 1e9};
}

void LinuxFileWatch::processReadyEvents() {
    if (state_->fd < 0) return;
    // Collect first, deliver after: a handler may add or cancel watches.
    std::vector<std::weak_ptr<Source>> touched;
    auto note = [&](const std::shared_ptr<Source>& s, uint32_t events) {
        if (!s || s->cancelled || !(events & s->mask)) return;
        if (!s->pending) touched.push_back(s);
        s->pending |= events & s->mask;
    };

    alignas(struct inotify_event) char buffer[16 * 1024];
    for (;;) {
        const ssize_t n = ::read(state_->fd, buffer, sizeof buffer);
        if (n <= 0) break;  // EAGAIN: nothing more queued now
        for (ssize_t off = 0; off < n;) {
            auto* ev = reinterpret_cast<const struct inotify_event*>(buffer + off);
            off += ssize_t(sizeof(struct inotify_event)) + ev->len;

            if (ev->mask & IN_Q_OVERFLOW) {
                for (auto& [wd, sources] : state_->byWatch)
                    for (auto& w : sources) note(w.lock(), FileEvent::write);
                continue;
            }
            auto it = state_->byWatch.find(ev->wd);
            if (it == state_->byWatch.end()) continue;
            if (ev->mask & IN_IGNORED) {
                // The kernel dropped the watch (its object is gone); its sources stay silent.
                for (auto& w : it->second)
                    if (auto s = w.lock()) s->wd = -1;
                state_->byWatch.erase(it);
                continue;
            }
            for (auto& w : it->second) {
                auto s = w.lock();
                if (!s) continue;
                uint32_t out = 0;
                if (s->folder) {
                    if (ev->mask & (IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO))
                        out |= FileEvent::write;
                    if ((ev->mask & IN_ATTRIB) && ev->len == 0) out |= FileEvent::attrib;
                } else {
                    if (ev->mask & IN_MODIFY) out |= FileEvent::write;
                    if (ev->mask & IN_ATTRIB) {
                        out |= FileEvent::attrib;
                        struct stat st {};
                        const bool same = ::stat(s->path.c_str(), &st) == 0 &&
                                          st.st_dev == s->device && st.st_ino == s->inode;
                        if (!same && !s->movedAway) out |= FileEvent::deleted;
                    }
                }
                if (ev->mask & IN_DELETE_SELF) out |= FileEvent::deleted;
                if (ev->mask & IN_MOVE_SELF) {
                    out |= FileEvent::renamed;
                    s->movedAway = true;
                }
                if (out) note(s, out);
            }
        }
    }

    // A handler may cancel or drop another source touched in this batch: look each up again.
    for (auto& w : touched) {
        auto s = w.lock();
        if (!s || s->cancelled) continue;
        const uint32_t events = std::exchange(s->pending, 0);
        if (!events) continue;
        auto handler = s->handler;
        handler(events);
    }
}

bool LinuxFileWatch::waitAndProcess(int timeoutMs) {
    if (state_->fd < 0) return false;
    pollfd p{state_->fd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) return false;
    processReadyEvents();
    return true;
}

}  // namespace tessane::linux_backend
