#pragma once

#include "base/Lifetime.h"
#include "platform/MainQueue.h"

#include <functional>
#include <memory>
#include <set>
#include <string>

namespace tessane {

class Alerts;
class Applications;
class Defaults;
class ExternalAppController;
class HiddenAppLedger;

// The guards around other applications' state as Tessane lets them go: the unhide settle, which
// asks the applications Tessane hid to come back until they do (keeping the ledger honest); the
// stop on hiding once the quit has asked them back; and the confirmation before a workspace's
// applications are quit.
class QuitGuards final {
public:
    using Presenter = std::function<bool(const std::string& workspaceName, int count)>;

    struct Ports {
        Applications& applications;
        Defaults& defaults;
        Alerts& alerts;
    };

    // `presenter`, when set, is asked for the quit confirmation instead of an alert.
    QuitGuards(MainQueue& queue, Ports ports, ExternalAppController& apps, HiddenAppLedger& hiddenApps,
               const Presenter& presenter);
    ~QuitGuards() { cancelUnhideSettle(); }
    QuitGuards(const QuitGuards&) = delete;
    QuitGuards& operator=(const QuitGuards&) = delete;

    // Looks a moment later (five times at most) whether the applications are back, asking those
    // still hidden again; those back or gone leave the ledger.
    void scheduleUnhideSettle(const std::set<std::string>& bundleIDs, int attempt);
    void cancelUnhideSettle();
    std::shared_ptr<WorkItem>& unhideSettleWorkItem() { return settle; }

    // The quit has asked the hidden apps back: no hide may start after it (the quit's alerts run
    // queued work and hot keys, which would hide apps for good).
    void noteUnhiddenForQuit() { unhiddenForQuit_ = true; }
    bool unhiddenForQuit() const { return unhiddenForQuit_; }

    // Whether the user lets the workspace's `count` applications be quit (asked unless told not to).
    bool confirmQuitApps(const std::string& workspaceName, int count);

private:
    MainQueue& queue;
    Ports ports;
    ExternalAppController& apps;
    HiddenAppLedger& hiddenApps;
    const Presenter& presenter;
    std::shared_ptr<WorkItem> settle;
    bool unhiddenForQuit_ = false;
    LifetimeToken lifetime;  // last: gone first
};

}  // namespace tessane
