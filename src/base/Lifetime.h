#pragma once

#include <functional>
#include <memory>
#include <utility>

namespace tessane {

// A token an object owns so that deferred closures can tell whether it still exists. Wrap a
// closure with guard(): once the owner (and with it the token) is gone, the closure does nothing.
class LifetimeToken {
public:
    LifetimeToken() : alive_(std::make_shared<bool>(true)) {}
    LifetimeToken(const LifetimeToken&) = delete;
    LifetimeToken& operator=(const LifetimeToken&) = delete;
    ~LifetimeToken() { *alive_ = false; }

    template <typename F>
    auto guard(F f) const {
        return [weak = std::weak_ptr<bool>(alive_), f = std::move(f)](auto&&... args) mutable {
            auto alive = weak.lock();
            if (!alive || !*alive) return;
            f(std::forward<decltype(args)>(args)...);
        };
    }

    std::weak_ptr<bool> weak() const { return alive_; }

private:
    std::shared_ptr<bool> alive_;
};

}  // namespace tessane
