#pragma once

#include "base/Lifetime.h"
#include "base/Signal.h"
#include "layout/DisplayTopology.h"
#include "platform/MainQueue.h"
#include "platform/Screens.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessane {

// Turns a burst of display notifications (a monitor plugged in, a lid closed, a wake, a return
// to the session) into at most one report: once the notifications have been quiet for their
// settle time, it compares the display-set fingerprint with the one it reported last and calls
// back only when it differs, or when a display still attached has another frame (its resolution,
// place or scale changed): everything laid out on it in points is then out of place.
// The fingerprint and the frames are read once per settled burst.
//
// The settle deadline only ever moves later: a wake (2.5 s) followed by a screen change (0.8 s)
// keeps the wake's deadline.
class DisplayTopologyWatcher {
public:
    using ReadFingerprint = std::function<std::optional<std::string>()>;
    // `reframed`: a display attached at the last report (or the baseline) and now has another
    // frame (DisplayTopology::reframed).
    using OnChange = std::function<void(const std::optional<std::string>& previous,
                                        const std::optional<std::string>& current, bool reframed)>;

    static constexpr double kScreenSettle = 0.8;
    static constexpr double kWakeSettle = 2.5;

    // `readFingerprint` empty: the fingerprint of `screens`' current displays.
    DisplayTopologyWatcher(Screens& screens, MainQueue& queue, ReadFingerprint readFingerprint,
                           double screenSettle, double wakeSettle, OnChange onChange);
    ~DisplayTopologyWatcher();
    DisplayTopologyWatcher(const DisplayTopologyWatcher&) = delete;
    DisplayTopologyWatcher& operator=(const DisplayTopologyWatcher&) = delete;

    // Registers for the notifications and takes the baseline (no callback for it); does nothing
    // when already started.
    void start();
    // Removes the registrations and cancels the pending check. Reported state is kept, and a
    // restart takes a fresh baseline.
    void stop();

    bool hasPendingCheck() const { return pending_ != nullptr; }
    TimeInterval settleAt() const { return settleAt_; }

private:
    void observe(Screens::Notification notification, double settle);
    void noteEvent(double settle);
    void arm();
    void settleFired();

    Screens& screens_;
    MainQueue& queue_;
    const ReadFingerprint readFingerprint_;
    const OnChange onChange_;
    const double screenSettle_;
    const double wakeSettle_;
    std::vector<Subscription> observers_;
    std::shared_ptr<WorkItem> pending_;
    TimeInterval settleAt_;
    std::optional<std::string> lastReported_;
    DisplayTopology::DisplayFrames lastFrames_;
    bool hasReported_ = false;
    LifetimeToken lifetime_;
};

}  // namespace tessane
