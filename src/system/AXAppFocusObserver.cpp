#include "system/AXAppFocusObserver.h"

#include "model/Log.h"
#include "platform/MainQueue.h"

#include <set>
#include <string>

namespace tessane {

AXAppFocusObserver::AXAppFocusObserver(Accessibility& accessibility, MainQueue& queue)
    : ax_(accessibility), queue_(queue) {}

AXAppFocusObserver::~AXAppFocusObserver() { stop(); }

void AXAppFocusObserver::release() {
    // The observers go as a whole; their registrations end with them.
    for (auto& [pid, observer] : observers_) observer->detach();
    observers_.clear();
}

void AXAppFocusObserver::stop() {
    release();
    ++generation_;  // a retry still waiting must not observe again after an explicit stop
}

void AXAppFocusObserver::observe(const std::vector<Pid>& pids, int retriesLeft) {
    release();
    const uint64_t generation = ++generation_;

    bool retry = false;
    std::set<Pid> seen;
    for (Pid pid : pids) {
        if (!seen.insert(pid).second) continue;

        auto created = ax_.createObserver(
            pid, lifetime_.guard([this](const AXElement& element, const std::string&) {
                notificationArrived(element);
            }));
        if (created.error != AXError::success || !created.observer) {
            Log::line("[Tessane] Focus observer: could not observe pid " + std::to_string(pid) +
                      " (AXObserverCreate " + std::to_string(code(created.error)) + ").");
            if (created.error == AXError::cannotComplete) retry = true;
            continue;
        }

        const AXElement app = ax_.applicationElement(pid);
        const AXError focused = created.observer->addNotification(app, ax::kFocusedWindowChanged);
        const AXError main = created.observer->addNotification(app, ax::kMainWindowChanged);
        const AXError windowCreated = created.observer->addNotification(app, ax::kWindowCreated);
        if (focused != AXError::success || main != AXError::success ||
            windowCreated != AXError::success) {
            const bool timedOut = focused == AXError::cannotComplete ||
                                  main == AXError::cannotComplete ||
                                  windowCreated == AXError::cannotComplete;
            Log::line("[Tessane] Focus observer: pid " + std::to_string(pid) +
                      " only partly observed (focused " + std::to_string(code(focused)) +
                      ", main " + std::to_string(code(main)) + ", created " +
                      std::to_string(code(windowCreated)) + ")" +
                      (timedOut && retriesLeft > 0 ? " — will retry." : "."));
            if (timedOut) retry = true;
        }
        // A partly registered observer is kept: what did register still works.
        observers_[pid] = std::move(created.observer);
    }

    if (retry && retriesLeft >= 1) {
        queue_.postAfter(kRetryDelay, lifetime_.guard([this, generation, pids, retriesLeft] {
            if (generation_ != generation) return;
            observe(pids, retriesLeft - 1);
        }));
    }
}

void AXAppFocusObserver::notificationArrived(const AXElement& element) {
    const Pid pid = ax_.pid(element).value_or(0);
    // A copy: the owner may destroy us, and with us the function it runs in.
    if (const auto handler = onFocusedWindowChanged) handler(pid);
}

std::vector<Pid> AXAppFocusObserver::observedPids() const {
    std::vector<Pid> out;
    for (auto& [pid, observer] : observers_) out.push_back(pid);
    return out;
}

}  // namespace tessane
