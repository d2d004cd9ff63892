#pragma once

#include "base/Lifetime.h"
#include "base/Signal.h"
#include "base/WaitBounds.h"
#include "platform/MainQueue.h"
#include "platform/linux/x11/X11Connection.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

namespace tessane::linux_backend {

// Round trips through the window manager (X11Connection's echo, which every manager answers)
// whose answers are heard as events on the main loop, nothing waiting for them: when one is
// heard, the manager has handled every request sent before it, and the events of what it did
// then are in hand. A verdict on what the manager did is taken there, however slow a busy
// machine makes it; the bound only ends the wait for a manager that answers nothing.
class ManagerAnswers {
public:
    ManagerAnswers(X11Connection& x, MainQueue& queue);
    ManagerAnswers(const ManagerAnswers&) = delete;
    ManagerAnswers& operator=(const ManagerAnswers&) = delete;

    // Asks now. `heard(true)` once the answer is heard; `heard(false)` once `bound` ran out first
    // (logged once, by WaitBounds). Nothing is called once this is gone.
    void ask(const WaitBound& bound, std::function<void(bool answered)> heard);

private:
    struct Question {
        const WaitBound* bound = nullptr;
        std::function<void(bool)> heard;
        std::shared_ptr<WorkItem> boundTimer;
    };
    void onEvent();
    void settle(uint64_t echo, bool answered);

    X11Connection& x_;
    MainQueue& queue_;
    std::map<uint64_t, Question> open_;  // by echo, oldest first
    Subscription events_;                // while some are open
    LifetimeToken lifetime_;
};

}  // namespace tessane::linux_backend
