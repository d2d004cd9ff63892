// The workspace controller at rest. Nothing shown must cost nothing: no timer, no wake-up, no
// polling, however long Tessane sits in the menu bar. This counts what the controller and the
// collaborators it builds put on the main queue over 60 s of virtual time with no workspace
// shown (the target is zero of each), the same with one workspace shown and left alone, and the
// heap one construction takes.
//
// Counters: timers = repeating timers created; deferred = delayed work items posted; posts =
// immediate posts; wakeups = closures and timer ticks that ran. heap_bytes / allocations are
// what constructing one controller allocates (the scenario's own setup excluded).
#include "support/ControllerScenario.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> gCounting{false};
std::atomic<size_t> gBytes{0};
std::atomic<size_t> gAllocations{0};

}  // namespace

// Global replacements that count while asked to; GCC cannot see that the delete below pairs with
// this new, hence the pragma.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(size_t size) {
    if (gCounting.load(std::memory_order_relaxed)) {
        gBytes += size;
        ++gAllocations;
    }
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

namespace tessane {
namespace {

// Counts what is scheduled through it, and what of that runs.
class CountingQueue final : public MainQueue {
public:
    explicit CountingQueue(MainQueue& inner) : inner_(inner) {}

    TimeInterval now() const override { return inner_.now(); }
    void post(std::function<void()> work) override {
        ++posts;
        inner_.post(counted(std::move(work)));
    }
    void postFromAnyThread(std::function<void()> work) override { inner_.postFromAnyThread(std::move(work)); }
    std::shared_ptr<WorkItem> postAfter(double seconds, std::function<void()> work) override {
        ++deferred;
        return inner_.postAfter(seconds, counted(std::move(work)));
    }
    std::shared_ptr<RepeatingTimer> scheduleRepeating(double interval, std::function<void()> tick) override {
        ++timers;
        return inner_.scheduleRepeating(interval, counted(std::move(tick)));
    }
    void runNested(double seconds) override { inner_.runNested(seconds); }

    int posts = 0, deferred = 0, timers = 0, wakeups = 0;

private:
    std::function<void()> counted(std::function<void()> work) {
        return [this, work = std::move(work)] {
            ++wakeups;
            work();
        };
    }
    MainQueue& inner_;
};

void addWorkspaces(testing::ControllerScenario& s) {
    s.launchApp("Notes");
    s.launchApp("Mail");
    s.addWorkspace("Write", {"Notes", "Mail"});
    s.addWorkspace("Listen", {"Music", "Photos", "Maps"}, LayoutType::threeLeftTwoRightOne);
}

// One idle minute after start, with nothing shown, or with one workspace shown and nobody
// touching anything.
void idleMinute(benchmark::State& state, bool oneShown) {
    for (auto _ : state) {
        state.PauseTiming();
        testing::ControllerScenario s;
        addWorkspaces(s);
        CountingQueue counting(s.sim.mainQueue);
        s.adjustEnvironment = [&](WorkspaceControllerEnvironment& env) { env.platform.mainQueue = &counting; };
        s.start();
        if (oneShown) {
            s.putUp(s.manager->workspaces().get().front());
            s.advance(5);  // whatever showing it started has settled
        }
        const int posts = counting.posts, deferred = counting.deferred, timers = counting.timers,
                  wakeups = counting.wakeups;
        state.ResumeTiming();

        s.advance(60);

        state.PauseTiming();
        state.counters["timers"] = counting.timers - timers;
        state.counters["deferred"] = counting.deferred - deferred;
        state.counters["posts"] = counting.posts - posts;
        state.counters["wakeups"] = counting.wakeups - wakeups;
        s.stop();
        state.ResumeTiming();
    }
}

void BM_IdleMinuteWithNothingShown(benchmark::State& state) { idleMinute(state, false); }
BENCHMARK(BM_IdleMinuteWithNothingShown)->Unit(benchmark::kMicrosecond)->Iterations(20);

void BM_IdleMinuteWithOneShown(benchmark::State& state) { idleMinute(state, true); }
BENCHMARK(BM_IdleMinuteWithOneShown)->Unit(benchmark::kMicrosecond)->Iterations(20);

void BM_Construction(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        testing::ControllerScenario s;
        addWorkspaces(s);
        state.ResumeTiming();

        gBytes = 0;
        gAllocations = 0;
        gCounting = true;
        s.start();
        gCounting = false;

        state.PauseTiming();
        state.counters["heap_bytes"] = static_cast<double>(gBytes.load());
        state.counters["allocations"] = static_cast<double>(gAllocations.load());
        s.stop();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Construction)->Unit(benchmark::kMicrosecond)->Iterations(200);

}  // namespace
}  // namespace tessane
