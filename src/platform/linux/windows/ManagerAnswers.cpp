#include "platform/linux/windows/ManagerAnswers.h"

#include "platform/linux/x11/X11ManagerWatch.h"

#include <utility>

namespace tessane::linux_backend {

ManagerAnswers::ManagerAnswers(X11Connection& x, MainQueue& queue) : x_(x), queue_(queue) {}

void ManagerAnswers::ask(const WaitBound& bound, std::function<void(bool answered)> heard) {
    const uint64_t echo = x_.manager().askEcho();
    Question& q = open_[echo];
    q.bound = &bound;
    q.heard = std::move(heard);
    q.boundTimer = queue_.postAfter(bound.seconds, lifetime_.guard([this, echo] { settle(echo, false); }));
    if (!events_) events_ = x_.onEvent(lifetime_.guard([this](const X11Event&) { onEvent(); }));
}

void ManagerAnswers::onEvent() {
    // Answers come in the order asked: the oldest open one is the first to be heard.
    while (!open_.empty() && x_.manager().echoed(open_.begin()->first)) {
        const auto alive = lifetime_.liveness();
        settle(open_.begin()->first, true);
        if (!alive) return;
    }
}

void ManagerAnswers::settle(uint64_t echo, bool answered) {
    const auto it = open_.find(echo);
    if (it == open_.end()) return;
    Question q = std::move(it->second);
    open_.erase(it);
    if (open_.empty()) events_.reset();
    if (q.boundTimer) q.boundTimer->cancel();
    // Nothing was held while it was out: only a bound that ran out counts.
    WaitBounds::note(*q.bound, 0, !answered);
    q.heard(answered);
}

}  // namespace tessane::linux_backend
