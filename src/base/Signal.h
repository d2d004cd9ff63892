#pragma once

#include "base/Lifetime.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace tessane {

// Ends its subscription when destroyed (or reset). Move-only.
class Subscription {
public:
    Subscription() = default;
    explicit Subscription(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    Subscription(Subscription&& o) noexcept : cancel_(std::exchange(o.cancel_, nullptr)) {}
    Subscription& operator=(Subscription&& o) noexcept {
        if (this != &o) {
            reset();
            cancel_ = std::exchange(o.cancel_, nullptr);
        }
        return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { reset(); }

    void reset() {
        if (auto c = std::exchange(cancel_, nullptr)) c();
    }
    explicit operator bool() const { return static_cast<bool>(cancel_); }

private:
    std::function<void()> cancel_;
};

// A list of observers told synchronously, in subscription order. An observer may cancel any
// subscription (its own included) while being told; one that was cancelled is not called again.
template <typename... Args>
class Signal {
public:
    using Handler = std::function<void(const Args&...)>;

    Signal() : state_(std::make_shared<State>()) {}
    // Handlers not yet told by an emit that is under way are not told once the signal is gone.
    ~Signal() { state_->handlers.clear(); }
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    [[nodiscard]] Subscription subscribe(Handler h) {
        const auto id = state_->next++;
        state_->handlers.emplace(id, std::make_shared<Handler>(std::move(h)));
        std::weak_ptr<State> weak = state_;
        return Subscription([weak, id] {
            if (auto s = weak.lock()) s->handlers.erase(id);
        });
    }

    void emit(const Args&... args) const {
        // Hold the state so that a handler may destroy the signal's owner (and the signal).
        // Handlers may subscribe or cancel while being told: the walk goes on after the last one
        // told, among those subscribed before it began, with no copy of the list (the X
        // connection emits once per event, tens of thousands a second under a client's flood).
        const std::shared_ptr<State> state = state_;
        const uint64_t end = state->next;
        const auto& handlers = state->handlers;
        for (auto it = handlers.begin(); it != handlers.end() && it->first < end;) {
            const uint64_t id = it->first;
            const std::shared_ptr<Handler> handler = it->second;  // alive while it cancels itself
            (*handler)(args...);
            it = handlers.upper_bound(id);
        }
    }

    size_t observerCount() const { return state_->handlers.size(); }

private:
    struct State {
        std::map<uint64_t, std::shared_ptr<Handler>> handlers;
        uint64_t next = 0;
    };
    std::shared_ptr<State> state_;
};

// An observable value. Observers are told *before* each change with the new value (like a
// published property's will-set); an observer that needs the state after the change posts to
// the main queue.
template <typename T>
class Published {
public:
    explicit Published(T initial = T{}) : value_(std::move(initial)) {}

    const T& get() const { return value_; }
    const T& operator*() const { return value_; }
    const T* operator->() const { return &value_; }

    void set(T newValue) {
        const auto alive = lifetime_.liveness();
        willChange_.emit(newValue);
        if (!alive) return;  // an observer destroyed the value's owner
        value_ = std::move(newValue);
    }

    // Changes the value where it is, for a value too large to copy for a small change (a list
    // of thousands): the observers are told after the change rather than before it, with the
    // value as it now is. Only for values whose observers all look at a change on a later turn.
    template <typename Change>
    void modify(Change&& change) {
        change(value_);
        willChange_.emit(value_);
    }

    [[nodiscard]] Subscription observe(std::function<void(const T& newValue)> h) {
        return willChange_.subscribe(std::move(h));
    }

private:
    T value_;
    Signal<T> willChange_;
    LifetimeToken lifetime_;
};

}  // namespace tessane
