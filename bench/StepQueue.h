#pragma once

#include "platform/MainQueue.h"

#include <chrono>
#include <deque>
#include <functional>
#include <memory>

namespace tessane::bench {

// A main queue that runs its work one item at a time on request, so that each can be timed.
// Nothing measured with it waits for time or runs a worker thread.
class StepQueue final : public MainQueue {
public:
    TimeInterval now() const override {
        using namespace std::chrono;
        return duration<double>(steady_clock::now().time_since_epoch()).count();
    }
    void post(std::function<void()> work) override { work_.push_back(std::move(work)); }
    void postFromAnyThread(std::function<void()> work) override { post(std::move(work)); }
    std::shared_ptr<WorkItem> postAfter(double, std::function<void()>) override { return std::make_shared<Never>(); }
    std::shared_ptr<RepeatingTimer> scheduleRepeating(double, std::function<void()>) override {
        return std::make_shared<Never>();
    }
    void runNested(double) override {}
    bool runOne() {
        if (work_.empty()) return false;
        auto work = std::move(work_.front());
        work_.pop_front();
        work();
        return true;
    }
    void drain() {
        while (runOne()) {}
    }

private:
    struct Never final : WorkItem, RepeatingTimer {
        void cancel() override {}
        bool isCancelled() const override { return true; }
        void invalidate() override {}
        bool isValid() const override { return false; }
    };
    std::deque<std::function<void()>> work_;
};

}  // namespace tessane::bench
