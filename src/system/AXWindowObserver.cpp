#include "system/AXWindowObserver.h"

namespace tessane {

AXWindowObserver::AXWindowObserver(Accessibility& accessibility) : ax_(accessibility) {}

AXWindowObserver::~AXWindowObserver() { stop(); }

void AXWindowObserver::stop() {
    for (auto& [pid, observer] : observers_) observer->detach();
    observers_.clear();
}

void AXWindowObserver::observe(const std::vector<Entry>& windows) {
    stop();

    std::vector<Pid> order;
    std::map<Pid, std::vector<AXElement>> byPid;
    for (const auto& w : windows) {
        auto& list = byPid[w.pid];
        if (list.empty()) order.push_back(w.pid);
        list.push_back(w.element);
    }

    for (Pid pid : order) {
        auto created = ax_.createObserver(
            pid, lifetime_.guard([this](const AXElement& element, const std::string& name) {
                // A copy: the owner may destroy us, and with us the function it runs in.
                if (const auto handler = onWindowEvent) handler(element, name);
            }));
        if (created.error != AXError::success || !created.observer) continue;
        for (const auto& element : byPid[pid]) {
            created.observer->addNotification(element, ax::kWindowResized);
            created.observer->addNotification(element, ax::kWindowMoved);
            created.observer->addNotification(element, ax::kUIElementDestroyed);
        }
        observers_[pid] = std::move(created.observer);
    }
}

std::vector<Pid> AXWindowObserver::observedPids() const {
    std::vector<Pid> out;
    for (auto& [pid, observer] : observers_) out.push_back(pid);
    return out;
}

}  // namespace tessane
