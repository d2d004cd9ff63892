#pragma once

#include "base/Lifetime.h"
#include "platform/MainQueue.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace tessane {

// Writes a file on one worker thread of its own, so that a slow disk never holds up the main
// thread. Every change asked for in one turn of the loop gives one write; changes asked for while
// a write runs give one more write, of what is there when it starts. `snapshot` makes a write's
// job on the main thread as a write starts, `write` does it on the worker (the job is all it
// shares with the main thread), and `told` hears its outcome back on the main thread. The worker
// starts with the first write; the destructor waits for every change asked for. Main thread
// only, except the worker inside.
template <class Job, class Outcome>
class BackgroundWrites {
public:
    BackgroundWrites(MainQueue& queue, std::function<Job()> snapshot, std::function<Outcome(Job&)> write,
                     std::function<void(Outcome&)> told)
        : queue_(queue), snapshot_(std::move(snapshot)), write_(std::move(write)), told_(std::move(told)) {}
    ~BackgroundWrites() {
        flush();
        if (!worker_.joinable()) return;
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        worker_.join();
    }
    BackgroundWrites(const BackgroundWrites&) = delete;
    BackgroundWrites& operator=(const BackgroundWrites&) = delete;

    // Something changed: write it soon (all changes of this turn of the loop in one write).
    void request() {
        requested_ = true;
        if (writing_ || startPosted_) return;  // the running write's outcome starts the next one
        startPosted_ = true;
        queue_.post(lifetime_.guard([this] {
            startPosted_ = false;
            start();
        }));
    }
    // Blocks until every change asked for is written (or failed), and tells their outcomes.
    void flush() {
        while (busy()) {
            start();  // a change still waiting for its turn goes now
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return done_.has_value(); });
            }
            collect();
        }
    }
    // A change is asked for or being written.
    bool busy() const { return requested_ || writing_; }

private:
    void start() {
        if (!requested_ || writing_) return;
        requested_ = false;
        writing_ = true;
        Job job = snapshot_();
        {
            const std::lock_guard lock(mutex_);
            job_ = std::move(job);
        }
        if (worker_.joinable())
            wake_.notify_all();
        else
            worker_ = std::thread([this] { run(); });
    }

    void run() {
        for (;;) {
            std::optional<Job> job;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return job_ || stopping_; });
                if (!job_) return;  // stopping with nothing to write
                job = std::move(job_);
                job_.reset();
            }
            Outcome outcome = write_(*job);
            job.reset();  // what the job held goes back before the main thread hears of it
            {
                const std::lock_guard lock(mutex_);
                done_ = std::move(outcome);
            }
            wake_.notify_all();
            queue_.postFromAnyThread(lifetime_.guard([this] { collect(); }));
        }
    }

    void collect() {
        std::optional<Outcome> outcome;
        {
            const std::lock_guard lock(mutex_);
            outcome = std::move(done_);
            done_.reset();
        }
        if (!outcome) return;  // flush() told it already
        writing_ = false;
        const auto alive = lifetime_.liveness();
        told_(*outcome);
        if (!alive) return;  // the owner went inside `told`
        if (requested_) start();
    }

    MainQueue& queue_;
    std::function<Job()> snapshot_;
    std::function<Outcome(Job&)> write_;
    std::function<void(Outcome&)> told_;
    bool requested_ = false;  // main thread: a change not yet handed to the worker
    bool startPosted_ = false;
    bool writing_ = false;  // main thread: a job handed over whose outcome is not yet told

    // Shared with the worker, under the mutex.
    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<Job> job_;
    std::optional<Outcome> done_;
    bool stopping_ = false;

    std::thread worker_;      // started by the first write
    LifetimeToken lifetime_;  // last: gone first
};

}  // namespace tessane
