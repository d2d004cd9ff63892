#include "base/WaitBounds.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <set>
#include <utility>

namespace tessane {

namespace {

struct State {
    std::mutex mutex;
    WaitBounds::Sink sink;
    std::set<std::string, std::less<>> logged;
    std::vector<WaitBounds::Tally> tallies;
};

State& state() {
    static State s;
    return s;
}

// The waits being timed on this thread: only the outermost is noted.
thread_local int timing = 0;

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string seconds(double s) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", s);
    return text;
}

}  // namespace

void WaitBounds::setSink(Sink sink) {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    s.sink = std::move(sink);
}

void WaitBounds::tell(const std::string& line) {
    Sink sink;
    {
        auto& s = state();
        std::lock_guard lock(s.mutex);
        sink = s.sink;
    }
    if (sink) sink(line);
    else std::fprintf(stderr, "%s\n", line.c_str());
}

void WaitBounds::note(const WaitBound& bound, double waitedSeconds, bool ranOut) {
    auto& s = state();
    {
        std::lock_guard lock(s.mutex);
        auto it = std::find_if(s.tallies.begin(), s.tallies.end(), [&](const Tally& t) { return t.name == bound.name; });
        if (it == s.tallies.end()) it = s.tallies.insert(s.tallies.end(), Tally{std::string(bound.name)});
        it->waitedSeconds += waitedSeconds;
        ++it->waits;
        if (!ranOut) return;
        ++it->ranOut;
        if (!s.logged.emplace(bound.name).second) return;
    }
    tell("[Tessane][wait] " + std::string(bound.name) + " did not come within " + seconds(bound.seconds) +
         " s: waiting no longer (said once; later ones are counted)");
}

bool WaitBounds::wait(const WaitBound& bound, const std::function<bool(double)>& wait, double limit,
                      const std::function<bool()>& cutShort) {
    const double span = limit >= 0 ? limit : bound.seconds;
    const auto start = std::chrono::steady_clock::now();
    ++timing;
    const bool done = wait(span);
    --timing;
    const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    note(bound, waited, !done && !(cutShort && cutShort()));
    return done;
}

WaitBounds::Timed::Timed(const WaitBound& what) : what_(timing++ == 0 ? &what : nullptr) {
    if (what_) start_ = steadySeconds();
}

WaitBounds::Timed::~Timed() {
    --timing;
    if (what_) note(*what_, steadySeconds() - start_, false);
}

std::vector<WaitBounds::Tally> WaitBounds::take() {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    auto out = std::exchange(s.tallies, {});
    std::stable_sort(out.begin(), out.end(), [](const Tally& a, const Tally& b) { return a.waitedSeconds > b.waitedSeconds; });
    return out;
}

void WaitBounds::resetForTesting() {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    s.tallies.clear();
    s.logged.clear();
}

}  // namespace tessane
