#include "platform/sim/SimMainQueue.h"

namespace tessane::sim {

struct SimMainQueue::Entry : WorkItem, RepeatingTimer {
    std::function<void()> work;
    double interval = 0;  // > 0 for a repeating timer
    bool cancelled = false;

    void cancel() override { cancelled = true; }
    bool isCancelled() const override { return cancelled; }
    void invalidate() override { cancelled = true; }
    bool isValid() const override { return !cancelled; }
};

SimMainQueue::SimMainQueue(TimeInterval start) : now_(start) {}

SimMainQueue::~SimMainQueue() {
    // Invalidate outstanding items so that handles kept by objects report them as gone.
    for (auto& [key, entry] : queue_) entry->cancelled = true;
}

void SimMainQueue::schedule(TimeInterval due, const std::shared_ptr<Entry>& entry) {
    queue_.emplace(Key{due, seq_++}, entry);
}

void SimMainQueue::post(std::function<void()> work) {
    auto e = std::make_shared<Entry>();
    e->work = std::move(work);
    schedule(now_, e);
}

void SimMainQueue::postFromAnyThread(std::function<void()> work) {
    const std::lock_guard lock(fromOtherThreadsMutex_);
    fromOtherThreads_.push_back(std::move(work));
}

std::shared_ptr<WorkItem> SimMainQueue::postAfter(double seconds, std::function<void()> work) {
    auto e = std::make_shared<Entry>();
    e->work = std::move(work);
    schedule(now_ + std::max(0.0, seconds), e);
    return e;
}

std::shared_ptr<RepeatingTimer> SimMainQueue::scheduleRepeating(double interval,
                                                                std::function<void()> tick) {
    auto e = std::make_shared<Entry>();
    e->work = std::move(tick);
    e->interval = interval > 0 ? interval : 1e-3;
    schedule(now_ + e->interval, e);
    return e;
}

void SimMainQueue::advance(double seconds) {
    std::vector<std::function<void()>> handedOver;
    {
        const std::lock_guard lock(fromOtherThreadsMutex_);
        handedOver.swap(fromOtherThreads_);
    }
    for (auto& work : handedOver) post(std::move(work));
    const TimeInterval end = now_ + std::max(0.0, seconds);
    while (!queue_.empty()) {
        auto it = queue_.begin();
        if (it->first.first > end) break;
        auto entry = it->second;
        const TimeInterval due = it->first.first;
        queue_.erase(it);
        if (entry->cancelled) continue;
        if (due > now_) now_ = due;
        if (entry->interval > 0) schedule(now_ + entry->interval, entry);
        auto work = entry->work;  // the item may cancel itself while running
        work();
    }
    if (end > now_) now_ = end;
}

bool SimMainQueue::runUntilIdle(double limit) {
    const TimeInterval end = now_ + limit;
    while (!queue_.empty()) {
        const TimeInterval due = queue_.begin()->first.first;
        if (due > end) return false;
        advance(std::max(0.0, due - now_));
    }
    return true;
}

size_t SimMainQueue::pendingCount() const {
    size_t n = 0;
    for (auto& [key, entry] : queue_)
        if (!entry->cancelled) ++n;
    return n;
}

}  // namespace tessane::sim
