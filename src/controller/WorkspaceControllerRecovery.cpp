// The applications Tessane hid must not stay hidden because Tessane went away. At quit it asks
// them to come back and keeps the ledger; at the next launch it settles what the ledger still
// holds: owed applications are brought back, entries from a quit long ago are dropped (an
// application still hidden that long after is the user's own). Quit also writes the pending
// container-frame saves and remembers the documents of the shown panes.
#include "controller/WorkspaceController.h"

#include "controller/ControllerDefaultsKeys.h"
#include "model/HiddenAppLedger.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Applications.h"
#include "platform/Defaults.h"
#include "system/ExternalAppController.h"

namespace tessane {

namespace {
constexpr double kStaleLedgerAge = 90;
}  // namespace

void WorkspaceController::recoverHiddenAppsFromPreviousRun() {
    const auto stored = hiddenApps.hiddenBundleIDs();
    if (stored.empty()) return;

    Defaults& defaults = *env.platform.defaults;
    std::optional<TimeInterval> askedAt;
    if (const auto value = defaults.value(ControllerDefaultsKeys::kUnhideAskedAt))
        if (const auto* date = std::get_if<double>(&*value)) askedAt = *date;
    defaults.remove(ControllerDefaultsKeys::kUnhideAskedAt);

    const std::set<std::string> distinct(stored.begin(), stored.end());
    const std::string count = std::to_string(distinct.size());
    // A date in the future (the clock was set back) says nothing about the age: the entries are owed.
    if (askedAt && queue.now() - *askedAt > kStaleLedgerAge) {
        for (const auto& bundleID : distinct) hiddenApps.forget({bundleID});
        Log::line("[Tessane] Ledger had " + count + " stale entr(y/ies) from a clean quit — dropped without " +
                  "unhiding (a still-hidden app that long after a quit is the user's own).");
        return;
    }
    Log::line("[Tessane] Ledger has " + count + " app(s) owed — settling " +
              "(previous run was killed, or its unhide request didn't land).");
    unhideAppsTessaneHid(UnhideOccasion::launchRecovery);
}

void WorkspaceController::unhideAppsTessaneHid(UnhideOccasion occasion) {
    if (occasion == UnhideOccasion::quit) quitGuards.noteUnhiddenForQuit();
    const auto stored = hiddenApps.hiddenBundleIDs();
    const std::set<std::string> bundleIDs(stored.begin(), stored.end());
    if (bundleIDs.empty()) return;

    const bool atLaunch = occasion == UnhideOccasion::launchRecovery;
    int asked = 0;
    for (const auto& bundleID : bundleIDs) {
        if (const auto running = appController->runningApplication(bundleID)) {
            if (running->isHidden) env.platform.applications->unhide(running->pid);
            ++asked;
        } else if (atLaunch) {
            hiddenApps.forget({bundleID});  // gone with the previous session: nothing to bring back
        }
        // At quit a non-running entry stays: the next launch decides.
    }
    Log::line(std::string("[Tessane] Unhide-on-") + (atLaunch ? "launch-recovery" : "quit") + ": asked " +
              std::to_string(asked) + " of " + std::to_string(bundleIDs.size()) + " app(s) to come back" +
              (atLaunch ? " — will confirm and settle the ledger." : " (ledger kept; the next launch settles it)."));
    if (atLaunch) quitGuards.scheduleUnhideSettle(bundleIDs, 0);
}

void WorkspaceController::flushPendingFramePersists() { frames.flushAll(); }

void WorkspaceController::rememberAllDocuments() {
    for (const auto& id : sessions.keys()) documents.rememberAll(id);
}

}  // namespace tessane
