// Hiding takes a workspace off the screen without closing anything: its applications are hidden
// (never quit) and noted in the ledger so that they come back at quit or at the next start, the
// documents of its panes are remembered, and its session is torn down.
#include "controller/WorkspaceController.h"

#include "model/HiddenAppLedger.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Alerts.h"
#include "platform/Applications.h"
#include "system/ExternalAppController.h"

#include <algorithm>

namespace tessane {

bool WorkspaceController::hideWorkspace(const Uuid& id) {
    const auto ws = manager.workspace(id);
    if (!ws) return true;
    if (quitGuards.unhiddenForQuit()) {
        Log::line("[Tessane] Hide workspace: " + ws->name + " — not hidden, Tessane is quitting.");
        return true;
    }
    Log::line("[Tessane] Hide workspace: " + ws->name);

    // An application that another shown workspace tiles too stays up: hiding it would leave that
    // workspace's pane dark. It is not recorded either, as Tessane did not hide it.
    const auto stillShownElsewhere = [&](const std::string& bundleID) -> std::optional<std::string> {
        for (const auto& otherID : sessions.keys()) {
            if (otherID == id) continue;
            const auto other = manager.workspace(otherID);
            if (other && std::any_of(other->apps.begin(), other->apps.end(),
                                     [&](const ManagedApp& a) { return a.bundleIdentifier == bundleID; }))
                return other->name;
        }
        return std::nullopt;
    };

    std::vector<std::string> hidden, keptLines;
    std::vector<Pid> toHide;
    std::set<std::string> kept;
    std::set<Pid> hiddenPids;
    const auto front = env.platform.applications->frontmostApplication();
    for (const auto& app : ws->apps) {
        if (const auto other = stillShownElsewhere(app.bundleIdentifier)) {
            if (kept.insert(app.bundleIdentifier).second)
                keptLines.push_back("[Tessane] Hide workspace: kept " + app.displayName + " visible — “" + *other +
                                    "” is still shown and tiles it.");
            continue;
        }
        const auto running = appController->runningApplication(app.bundleIdentifier);
        if (!running) continue;
        if (!running->isHidden) toHide.push_back(running->pid);
        hidden.push_back(app.bundleIdentifier);
        hiddenPids.insert(running->pid);
    }
    // What Tessane owes is on disk before the first app is asked to go: a crash or a kill right
    // after the hide must still find every app it hid at the next start. What it could not note,
    // it does not hide: nothing would bring it back after a crash.
    if (const auto unsaved = hiddenApps.record(hidden); unsaved && !hidden.empty()) {
        refuseUnrecordedHide(ws->name, *unsaved);
        return false;
    }
    show.dropWaitingShow(id);
    if (raiser.sequence().workspaceID() == id) raiser.supersedeRaiseSequence();
    // The focus was in the workspace (or goes back there once our own menu closes): the window
    // manager gives it to a window of its choosing.
    const auto& lastActivated = shownWorkspaces.lastActivatedBundleID();
    const bool hadFocus = (front && hiddenPids.count(front->pid)) ||
                          (lastActivated && std::count(hidden.begin(), hidden.end(), *lastActivated));
    if (hadFocus) raiser.sequence().noteHideHandsFocusBack(hiddenPids);

    // A settle still pending from the launch recovery must not unhide what is hidden now.
    quitGuards.cancelUnhideSettle();

    // The windows go down first, and the panes' documents are read after: telling a window's
    // document may parse a long recent-files list that changed. The lines come in their order.
    for (const Pid pid : toHide) env.platform.applications->hide(pid);
    documents.rememberAll(id);
    for (const auto& line : keptLines) Log::line(line);

    workspaceSessions.tearDownSession(id, true);
    if (manager.activeWorkspaceID().get() == id) shownWorkspaces.promoteFront();
    return true;
}

void WorkspaceController::presentError(const std::string& message, const std::string& informative) {
    env.platform.alerts->runModal({AlertSpec::Style::warning, message, informative, {"OK"}, std::nullopt});
}

void WorkspaceController::refuseUnrecordedHide(const std::string& name, const std::string& why) {
    Log::line("[Tessane] Hide workspace: " + name + " — not hidden, the apps it would hide could not be noted (" + why +
              ").");
    presentError("“" + name + "” was not hidden",
                 "Tessane could not note which apps it hides, so it could not bring them back if it ended "
                 "unexpectedly (" + why + "). Make room on the disk or make ~/.config/Tessane writable, then try again.");
}

void WorkspaceController::hideActiveWorkspace() {
    const auto active = manager.activeWorkspaceID().get();
    if (!active) {
        Log::line("[Tessane] Hide active workspace requested, but none is active — ignored.");
        return;
    }
    Log::line("[Tessane] Hide active workspace requested: " + shownWorkspaces.logName(active));
    hideWorkspace(*active);
}

void WorkspaceController::hideAllWorkspaces() {
    const auto ids = sessions.keys();
    if (ids.empty()) return;
    Log::line("[Tessane] Hide All Workspaces: " + std::to_string(ids.size()) + " shown.");
    // One refusal says it for all: the next would fail the same way.
    for (const auto& id : ids)
        if (!hideWorkspace(id)) return;
}

}  // namespace tessane
