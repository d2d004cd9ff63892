#include "system/DisplayTopologyWatcher.h"

#include "layout/DisplayTopology.h"

#include <algorithm>
#include <limits>

namespace tessane {

namespace {
constexpr TimeInterval kDistantPast = -std::numeric_limits<double>::infinity();
constexpr double kMinimumDelay = 0.05;
constexpr double kEarlyTolerance = 0.01;
}  // namespace

DisplayTopologyWatcher::DisplayTopologyWatcher(Screens& screens, MainQueue& queue,
                                               ReadFingerprint readFingerprint,
                                               double screenSettle, double wakeSettle,
                                               OnChange onChange)
    : screens_(screens),
      queue_(queue),
      readFingerprint_(readFingerprint ? std::move(readFingerprint)
                                       : ReadFingerprint([&screens] {
                                             return DisplayTopology::currentFingerprint(
                                                 screens.screens());
                                         })),
      onChange_(std::move(onChange)),
      screenSettle_(screenSettle),
      wakeSettle_(wakeSettle),
      settleAt_(kDistantPast) {}

DisplayTopologyWatcher::~DisplayTopologyWatcher() { stop(); }

void DisplayTopologyWatcher::start() {
    if (!observers_.empty()) return;
    lastReported_ = readFingerprint_();
    lastFrames_ = DisplayTopology::displayFrames(screens_.screens());
    hasReported_ = true;
    observe(Screens::Notification::screenParametersChanged, screenSettle_);
    observe(Screens::Notification::didWake, wakeSettle_);
    observe(Screens::Notification::screensDidWake, wakeSettle_);
    observe(Screens::Notification::sessionDidBecomeActive, wakeSettle_);
}

void DisplayTopologyWatcher::observe(Screens::Notification notification, double settle) {
    observers_.push_back(
        screens_.observe(notification, lifetime_.guard([this, settle] { noteEvent(settle); })));
}

void DisplayTopologyWatcher::noteEvent(double settle) {
    const TimeInterval candidate = queue_.now() + settle;
    if (candidate >= settleAt_) settleAt_ = candidate;
    arm();
}

void DisplayTopologyWatcher::arm() {
    if (pending_) pending_->cancel();
    const double delay = std::max(settleAt_ - queue_.now(), kMinimumDelay);
    pending_ = queue_.postAfter(delay, lifetime_.guard([this] { settleFired(); }));
}

void DisplayTopologyWatcher::settleFired() {
    pending_.reset();
    if (queue_.now() < settleAt_ - kEarlyTolerance) {
        arm();
        return;
    }
    auto current = readFingerprint_();
    auto frames = DisplayTopology::displayFrames(screens_.screens());
    if (!hasReported_) {
        lastReported_ = std::move(current);
        lastFrames_ = std::move(frames);
        hasReported_ = true;
        return;
    }
    const bool reframed = DisplayTopology::reframed(lastFrames_, frames);
    if (current == lastReported_ && !reframed) return;  // the burst ended where it began
    auto previous = std::exchange(lastReported_, current);
    lastFrames_ = std::move(frames);
    // A copy: the callback may destroy us, and with us the function it runs in.
    if (const auto onChange = onChange_) onChange(previous, current, reframed);
}

void DisplayTopologyWatcher::stop() {
    observers_.clear();
    if (pending_) pending_->cancel();
    pending_.reset();
    settleAt_ = kDistantPast;
}

}  // namespace tessane
