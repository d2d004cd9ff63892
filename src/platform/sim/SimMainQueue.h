#pragma once

#include "platform/MainQueue.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>
#include <utility>

namespace tessane::sim {

// A main queue on a virtual clock. Nothing runs until the test advances time: advance(dt) runs
// every item due within dt in due order (FIFO at equal due times), moving the clock to each item's
// due time before running it, so work posted while running can also become due in the same
// advance. A cancelled item never runs.
class SimMainQueue final : public MainQueue {
public:
    explicit SimMainQueue(TimeInterval start = 1'800'000'000.0);
    ~SimMainQueue() override;

    TimeInterval now() const override { return now_; }
    void post(std::function<void()> work) override;
    // Taken in as posted work at the start of the next advance().
    void postFromAnyThread(std::function<void()> work) override;
    std::shared_ptr<WorkItem> postAfter(double seconds, std::function<void()> work) override;
    std::shared_ptr<RepeatingTimer> scheduleRepeating(double interval,
                                                      std::function<void()> tick) override;

    // Runs everything due up to now + seconds, then sets the clock to now + seconds.
    void advance(double seconds);
    void runNested(double seconds) override { advance(seconds); }
    // Runs work due now (posted items) without moving the clock.
    void runPending() { advance(0); }
    // Keeps running the earliest item until none is left or `limit` seconds have passed; returns
    // false when the limit stopped it (a repeating timer never lets the queue go idle).
    bool runUntilIdle(double limit = 3600);

    size_t pendingCount() const;
    // Moves the clock forward without running anything: a call that blocked the main thread.
    void block(double seconds) { now_ += seconds; }

private:
    struct Entry;
    using Key = std::pair<TimeInterval, uint64_t>;
    void schedule(TimeInterval due, const std::shared_ptr<Entry>& entry);

    TimeInterval now_;
    uint64_t seq_ = 0;
    std::map<Key, std::shared_ptr<Entry>> queue_;
    std::mutex fromOtherThreadsMutex_;
    std::vector<std::function<void()>> fromOtherThreads_;
};

}  // namespace tessane::sim
