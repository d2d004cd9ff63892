#pragma once

#include <memory>
#include <utility>

namespace tessane {

// Whether the owner of a LifetimeToken still exists. It shares the token's flag, which the
// token clears when its owner is destroyed; holding it keeps only the flag, never the owner, so
// nothing a caller holds can make it answer "alive" for an owner that is gone. A method that
// calls out (a callback, a signal) takes one first and asks it afterwards, before it touches
// its own members again:
//
//     const auto alive = lifetime_.liveness();
//     onChange();
//     if (!alive) return;  // the owner destroyed us from inside the callback
class Liveness {
public:
    explicit operator bool() const { return *flag_; }

private:
    friend class LifetimeToken;
    explicit Liveness(std::shared_ptr<const bool> flag) : flag_(std::move(flag)) {}
    std::shared_ptr<const bool> flag_;
};

// A token an object owns (as its last member, so that it goes first) so that deferred closures
// and callbacks can tell whether the object still exists. Wrap a closure with guard(): once the
// owner (and with it the token) is gone, the closure does nothing.
class LifetimeToken {
public:
    LifetimeToken() : alive_(std::make_shared<bool>(true)) {}
    LifetimeToken(const LifetimeToken&) = delete;
    LifetimeToken& operator=(const LifetimeToken&) = delete;
    ~LifetimeToken() { *alive_ = false; }

    Liveness liveness() const { return Liveness(alive_); }

    // The wrapped closure may be destroyed by the very call it makes (its owner drops the
    // source or timer that holds it): what it captured stays valid until the call returns.
    template <typename F>
    auto guard(F f) const {
        return [alive = liveness(), f = std::make_shared<F>(std::move(f))](auto&&... args) {
            if (!alive) return;
            const auto keep = f;
            (*keep)(std::forward<decltype(args)>(args)...);
        };
    }

private:
    std::shared_ptr<bool> alive_;
};

}  // namespace tessane
