#include "controller/DriftMemory.h"

#include <algorithm>

namespace tessane {

namespace {

constexpr double kDriftWindow = 10;
constexpr size_t kCorrectionsPerWindow = 2;

bool isRecent(TimeInterval date, TimeInterval now) { return now - date < kDriftWindow; }

}  // namespace

bool DriftMemory::mayCorrect(const std::vector<TimeInterval>& previous, TimeInterval now) {
    const auto recent = std::count_if(previous.begin(), previous.end(), [&](TimeInterval d) { return isRecent(d, now); });
    return static_cast<size_t>(recent) < kCorrectionsPerWindow;
}

bool DriftMemory::queueCheck(const AXElement& window) { return checksQueued_.insert(window).second; }

void DriftMemory::checkRan(const AXElement& window) { checksQueued_.erase(window); }

DriftMemory::Verdict DriftMemory::judge(const AXElement& window, TimeInterval now) {
    const auto found = corrections.find(window);
    const std::vector<TimeInterval> previous = found != corrections.end() ? found->second : std::vector<TimeInterval>{};
    if (!mayCorrect(previous, now)) return gaveUp.insert(window).second ? Verdict::giveUp : Verdict::givenUp;

    std::vector<TimeInterval> kept;
    std::copy_if(previous.begin(), previous.end(), std::back_inserter(kept),
                 [&](TimeInterval d) { return isRecent(d, now); });
    kept.push_back(now);
    corrections[window] = std::move(kept);
    return Verdict::putBack;
}

void DriftMemory::forget(const AXElement& window) {
    checksQueued_.erase(window);
    corrections.erase(window);
    gaveUp.erase(window);
}

}  // namespace tessane
