// Processes' exits, heard by pidfd (polled only where there is none).
#include "platform/linux/apps/ProcessExits.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace tessane::linux_backend {

namespace {

int openPidfd(Pid pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0u));
#else
    (void)pid;
    return -1;
#endif
}

}  // namespace

ProcessExits::ProcessExits(MainQueue& queue, Ended ended) : queue_(queue), ended_(std::move(ended)) {}

ProcessExits::~ProcessExits() {
    if (poll_) poll_->invalidate();
    for (auto& [pid, w] : watches_) {
        w.readable.reset();
        if (w.fd >= 0) ::close(w.fd);
    }
}

bool ProcessExits::alive(Pid pid) {
    if (pid <= 0) return false;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(stat, text)) return false;
    const size_t paren = text.rfind(')');
    if (paren == std::string::npos || paren + 2 >= text.size()) return true;
    const char state = text[paren + 2];
    return state != 'Z' && state != 'X';
}

void ProcessExits::watch(Pid pid) {
    if (watches_.count(pid)) return;
    Watch& w = watches_[pid];
    w.fd = openPidfd(pid);
    if (w.fd >= 0) {
        // Readable once the process has exited (a zombie included).
        w.readable = queue_.watchReadable(w.fd, lifetime_.guard([this, pid] { exited(pid); }));
        if (!w.readable) {
            ::close(w.fd);
            w.fd = -1;
        }
    }
    // Gone before it could be watched (pidfd_open answers ESRCH), or a zombie already.
    if (!alive(pid)) {
        queue_.post(lifetime_.guard([this, pid] { exited(pid); }));
        return;
    }
    if (w.fd < 0 && !(poll_ && poll_->isValid()))
        poll_ = queue_.scheduleRepeating(kPollSeconds, lifetime_.guard([this] { poll(); }));
}

void ProcessExits::unwatch(Pid pid) {
    const auto it = watches_.find(pid);
    if (it == watches_.end()) return;
    it->second.readable.reset();
    if (it->second.fd >= 0) ::close(it->second.fd);
    watches_.erase(it);
    const bool polled = std::any_of(watches_.begin(), watches_.end(), [](const auto& e) { return e.second.fd < 0; });
    if (!polled && poll_) {
        poll_->invalidate();
        poll_.reset();
    }
}

void ProcessExits::exited(Pid pid) {
    if (!watches_.count(pid)) return;
    unwatch(pid);
    const Ended ended = ended_;
    ended(pid);
}

void ProcessExits::poll() {
    std::vector<Pid> gone;
    for (const auto& [pid, w] : watches_)
        if (w.fd < 0 && !alive(pid)) gone.push_back(pid);
    const auto self = lifetime_.liveness();
    for (Pid pid : gone) {
        exited(pid);
        if (!self) return;
    }
}

}  // namespace tessane::linux_backend
