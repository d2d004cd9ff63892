#pragma once

#include "base/Signal.h"

#include <functional>
#include <memory>

namespace tessane {

// Seconds since 1970-01-01 UTC, as a date (the sim's clock is virtual).
using TimeInterval = double;

// A deferred piece of work that can be cancelled before it runs. Cancelling after it ran, or
// twice, does nothing.
class WorkItem {
public:
    virtual ~WorkItem() = default;
    virtual void cancel() = 0;
    virtual bool isCancelled() const = 0;
};

// A repeating timer; invalidate() stops it for good.
class RepeatingTimer {
public:
    virtual ~RepeatingTimer() = default;
    virtual void invalidate() = 0;
    virtual bool isValid() const = 0;
};

// The main thread's queue and clock. Everything except the log runs on it. Work posted for the
// same due time runs in the order it was posted.
class MainQueue {
public:
    virtual ~MainQueue() = default;

    virtual TimeInterval now() const = 0;
    virtual void post(std::function<void()> work) = 0;
    // post() for another thread (a worker handing its result back): the only call that may be
    // made off the main thread. The work runs on the main thread, after work already posted.
    virtual void postFromAnyThread(std::function<void()> work) = 0;
    virtual std::shared_ptr<WorkItem> postAfter(double seconds, std::function<void()> work) = 0;
    // Fires every `interval` seconds, first after one interval, until invalidated.
    virtual std::shared_ptr<RepeatingTimer> scheduleRepeating(double interval,
                                                              std::function<void()> tick) = 0;
    // Runs the loop (input and due work) nested in the current call for `seconds`, then
    // returns: a short blocking wait that keeps the desktop's events flowing. Whatever runs
    // meanwhile may call back into the caller.
    virtual void runNested(double seconds) = 0;
    // Runs `onReadable` on the main thread whenever the file descriptor `fd` has data, until the
    // subscription ends; an empty subscription where the queue watches no descriptors (the sim).
    [[nodiscard]] virtual Subscription watchReadable(int fd, std::function<void()> onReadable) {
        (void)fd;
        (void)onReadable;
        return {};
    }
};

}  // namespace tessane
