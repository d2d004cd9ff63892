#pragma once

#include "base/Lifetime.h"
#include "base/Signal.h"
#include "platform/MainQueue.h"
#include "platform/RunningApplications.h"

#include <functional>
#include <map>
#include <memory>

namespace tessane::linux_backend {

// Hears processes end. Each is watched by a pidfd on the main loop: the kernel tells the exit,
// and nothing wakes the program meanwhile. Where there is none (a kernel without pidfd_open, a
// queue that watches no descriptors), /proc is looked at every kPollSeconds, only while such a
// process is watched.
class ProcessExits {
public:
    using Ended = std::function<void(Pid)>;
    ProcessExits(MainQueue& queue, Ended ended);
    ~ProcessExits();
    ProcessExits(const ProcessExits&) = delete;
    ProcessExits& operator=(const ProcessExits&) = delete;

    // Tells `ended` once, on the main queue, when `pid` has exited (at once if it has already),
    // unless unwatch() came first. Watching a watched process again does nothing.
    void watch(Pid pid);
    void unwatch(Pid pid);
    // Gone, or a zombie nobody has reaped yet.
    static bool alive(Pid pid);

    static constexpr double kPollSeconds = 0.5;

private:
    struct Watch {
        int fd = -1;  // the pidfd; none: polled
        Subscription readable;
    };
    void exited(Pid pid);
    void poll();

    MainQueue& queue_;
    Ended ended_;
    std::map<Pid, Watch> watches_;
    std::shared_ptr<RepeatingTimer> poll_;
    LifetimeToken lifetime_;
};

}  // namespace tessane::linux_backend
