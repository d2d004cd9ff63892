#include "base/Lifetime.h"
#include "base/Signal.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace tessane;

TEST(Published, ObserversAreToldBeforeTheChange) {
    Published<int> value(1);
    std::vector<std::pair<int, int>> seen;  // (value at the time, new value)
    auto sub = value.observe([&](const int& next) { seen.emplace_back(*value, next); });
    value.set(2);
    value.set(3);
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{1, 2}, {2, 3}}));
    EXPECT_EQ(*value, 3);
}

TEST(Published, SubscriptionEndsWithItsLifetime) {
    Published<int> value;
    int calls = 0;
    {
        auto sub = value.observe([&](const int&) { ++calls; });
        value.set(1);
    }
    value.set(2);
    EXPECT_EQ(calls, 1);
}

TEST(Signal, HandlerMayCancelAnotherDuringEmit) {
    Signal<int> signal;
    int second = 0, late = 0;
    Subscription b, c;
    auto a = signal.subscribe([&](const int&) { b.reset(); });
    b = signal.subscribe([&](const int&) { ++second; });
    signal.emit(1);
    signal.emit(2);
    EXPECT_EQ(second, 0);
    EXPECT_EQ(signal.observerCount(), 1u);
    // One subscribed while being told, and one that cancels itself: told from the next emit on.
    auto d = signal.subscribe([&](const int&) { if (!c) c = signal.subscribe([&](const int&) { ++late; }); });
    Subscription e;
    e = signal.subscribe([&](const int&) { e.reset(); });
    signal.emit(3);
    EXPECT_EQ(late, 0);
    signal.emit(4);
    EXPECT_EQ(late, 1);
    EXPECT_EQ(signal.observerCount(), 3u);
}

TEST(Signal, SubscriptionOutlivingSignalIsHarmless) {
    Subscription sub;
    {
        Signal<> signal;
        sub = signal.subscribe([] {});
    }
    sub.reset();  // must not touch the destroyed signal
    SUCCEED();
}

TEST(LifetimeToken, GuardedClosureDoesNothingOnceOwnerIsGone) {
    int runs = 0;
    std::function<void()> deferred;
    {
        auto owner = std::make_unique<LifetimeToken>();
        deferred = owner->guard([&] { ++runs; });
        deferred();
    }
    deferred();
    EXPECT_EQ(runs, 1);
}

TEST(Signal, HandlerMayDestroyTheSignalsOwner) {
    struct Owner {
        Signal<int> changed;
    };
    auto owner = std::make_unique<Owner>();
    int later = 0;
    Subscription first = owner->changed.subscribe([&](const int&) { owner.reset(); });
    Subscription second = owner->changed.subscribe([&](const int&) { ++later; });
    owner->changed.emit(1);
    EXPECT_EQ(owner, nullptr);
    // Cancelled with the signal, the second handler is not called.
    EXPECT_EQ(later, 0);
}

TEST(Published, ObserverMayDestroyTheValuesOwner) {
    struct Owner {
        Published<std::string> title{"before"};
    };
    auto owner = std::make_unique<Owner>();
    std::vector<std::string> seen;
    auto first = owner->title.observe([&](const std::string& next) {
        seen.push_back(next);
        owner.reset();
    });
    auto second = owner->title.observe([&](const std::string& next) { seen.push_back(next); });
    owner->title.set(std::string(64, 'x'));  // the value lands in no freed owner
    EXPECT_EQ(owner, nullptr);
    EXPECT_EQ(seen, std::vector<std::string>{std::string(64, 'x')});
}

TEST(LifetimeToken, ClosureDestroyedByItsOwnCallKeepsItsCapturesUntilItReturns) {
    // A source that drops its handler while calling it, as a watch cancelled from its own
    // callback does.
    auto owner = std::make_unique<LifetimeToken>();
    auto slot = std::make_unique<std::function<void()>>();
    std::string heard;
    *slot = owner->guard([&, text = std::string(64, 'y')] {
        slot.reset();
        owner.reset();
        heard = text;
    });
    (*slot)();
    EXPECT_EQ(heard, std::string(64, 'y'));
    EXPECT_EQ(slot, nullptr);
}

TEST(LifetimeToken, LivenessSeesTheOwnerGoEvenWhileItsGuardedCallRuns) {
    // What a method checks after calling out: the guard running around it must not hide that
    // the owner was destroyed meanwhile.
    auto owner = std::make_unique<LifetimeToken>();
    std::vector<bool> seen;
    auto callback = owner->guard([&] {
        const auto alive = owner->liveness();
        seen.push_back(static_cast<bool>(alive));
        owner.reset();
        seen.push_back(static_cast<bool>(alive));
    });
    callback();
    callback();  // nothing once the owner is gone
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));
}
