#pragma once

#include "base/Lifetime.h"
#include "platform/Accessibility.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace tessane {

class MainQueue;

// Watches whole applications: tells its owner, by process, when an application's focused or
// main window changes or when it creates a window. Each observe() replaces what the previous
// one set up; registrations the application could not complete in time are retried.
class AXAppFocusObserver final {
public:
    static constexpr double kRetryDelay = 1.0;

    AXAppFocusObserver(Accessibility& accessibility, MainQueue& queue);
    ~AXAppFocusObserver();
    AXAppFocusObserver(const AXAppFocusObserver&) = delete;
    AXAppFocusObserver& operator=(const AXAppFocusObserver&) = delete;

    // Called on the main queue with the process of the window concerned (0 when unreadable).
    std::function<void(Pid)> onFocusedWindowChanged;

    // Stops everything, then observes each distinct process. A process that could not be
    // observed fully because it did not answer in time makes the whole call run again once,
    // 1 s later, while `retriesLeft` lasts, unless a newer call or stop() came first.
    void observe(const std::vector<Pid>& pids, int retriesLeft);
    // Ends all observation, and any retry still scheduled.
    void stop();

    std::vector<Pid> observedPids() const;
    uint64_t generation() const { return generation_; }

private:
    void release();
    void notificationArrived(const AXElement& element);

    Accessibility& ax_;
    MainQueue& queue_;
    std::map<Pid, std::unique_ptr<AXObserver>> observers_;
    uint64_t generation_ = 0;
    LifetimeToken lifetime_;
};

}  // namespace tessane
