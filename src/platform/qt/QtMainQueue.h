#pragma once

#include "base/Signal.h"
#include "platform/MainQueue.h"

#include <functional>
#include <memory>

namespace tessane::qt_backend {

// The main queue on Qt's event loop. One precise QTimer wakes the loop for the earliest piece of
// due work; the queue itself keeps the order, so work due at the same time runs in the order it
// was posted, and a repeating timer that fell behind skips the ticks it missed rather than
// running them in a burst. Times are measured on a monotonic clock; now() is the wall clock.
//
// It also carries the loop's other inputs: file descriptors to watch for reading (the X
// connection, inotify) and hooks that run just before the loop goes to sleep. Needs a
// QCoreApplication (or QApplication); everything runs on its thread.
class QtMainQueue final : public MainQueue {
public:
    QtMainQueue();
    ~QtMainQueue() override;
    QtMainQueue(const QtMainQueue&) = delete;
    QtMainQueue& operator=(const QtMainQueue&) = delete;

    TimeInterval now() const override;
    void post(std::function<void()> work) override;
    void postFromAnyThread(std::function<void()> work) override;
    std::shared_ptr<WorkItem> postAfter(double seconds, std::function<void()> work) override;
    std::shared_ptr<RepeatingTimer> scheduleRepeating(double interval,
                                                      std::function<void()> tick) override;

    void runNested(double seconds) override;
    // Runs `onReadable` on the main thread whenever `fd` has data, until the subscription ends.
    [[nodiscard]] Subscription watchReadable(int fd, std::function<void()> onReadable) override;
    // Runs `hook` each time the loop is about to wait for input.
    [[nodiscard]] Subscription beforeWaiting(std::function<void()> hook);

    // Cancels every piece of work waiting, including the rest of a batch being run, and takes
    // no more: for a quit, after which nothing queued may hold the process up.
    void discardPending();

    // Runs the Qt event loop until `done` answers true or `timeoutSeconds` pass; answers `done`.
    // For tests and tools.
    bool runUntil(const std::function<bool()>& done, double timeoutSeconds);

private:
    struct Impl;
    std::shared_ptr<Impl> impl_;
};

}  // namespace tessane::qt_backend
