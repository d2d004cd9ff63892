#include "controller/QuitGuards.h"

#include "controller/ControllerDefaultsKeys.h"
#include "model/HiddenAppLedger.h"
#include "model/Log.h"
#include "platform/Alerts.h"
#include "platform/Applications.h"
#include "platform/Defaults.h"
#include "system/ExternalAppController.h"

namespace tessane {

namespace {
constexpr double kUnhideSettleDelay = 0.4;
constexpr int kLastUnhideAttempt = 4;  // five runs from attempt 0
}  // namespace

QuitGuards::QuitGuards(MainQueue& queue, Ports ports, ExternalAppController& apps, HiddenAppLedger& hiddenApps,
                       const Presenter& presenter)
    : queue(queue), ports(ports), apps(apps), hiddenApps(hiddenApps), presenter(presenter) {}

void QuitGuards::scheduleUnhideSettle(const std::set<std::string>& bundleIDs, int attempt) {
    if (settle) settle->cancel();
    settle = queue.postAfter(kUnhideSettleDelay, lifetime.guard([this, bundleIDs, attempt] {
        std::set<std::string> stillHidden;
        for (const auto& bundleID : bundleIDs) {
            const auto running = apps.runningApplication(bundleID);
            if (!running || !running->isHidden) {
                hiddenApps.forget({bundleID});  // back on screen, or gone: nothing is owed
                continue;
            }
            ports.applications.unhide(running->pid);
            stillHidden.insert(bundleID);
        }
        if (stillHidden.empty()) return;
        if (attempt < kLastUnhideAttempt) {
            scheduleUnhideSettle(stillHidden, attempt + 1);
            return;
        }
        std::string ids;
        for (const auto& bundleID : stillHidden) ids += (ids.empty() ? "" : ", ") + bundleID;
        Log::line("[Tessane] Unhide: " + ids +
                  " still hidden after retries — kept in the ledger so the next launch tries again.");
    }));
}

void QuitGuards::cancelUnhideSettle() {
    if (settle) settle->cancel();
    settle.reset();
}

bool QuitGuards::confirmQuitApps(const std::string& workspaceName, int count) {
    Defaults& defaults = ports.defaults;
    if (defaults.boolValue(ControllerDefaultsKeys::kSuppressQuitAppsConfirm) == true) return true;
    if (const Presenter ask = presenter) return ask(workspaceName, count);

    AlertSpec details;
    details.style = AlertSpec::Style::warning;
    details.messageText = "Quit " + std::to_string(count) + (count == 1 ? " app" : " apps") + " in “" + workspaceName + "”?";
    details.informativeText =
        "Quits the apps — the workspace stays, so you can reopen it later. Apps with unsaved changes will ask you first.";
    details.buttons = {"Quit Apps", "Cancel"};
    details.suppressionTitle = "Don’t ask again";
    const AlertResponse response = ports.alerts.runModal(details);
    if (response.button != 0) return false;  // the box counts only with the first button
    if (response.suppressed) defaults.set(ControllerDefaultsKeys::kSuppressQuitAppsConfirm, true);
    return true;
}

}  // namespace tessane
