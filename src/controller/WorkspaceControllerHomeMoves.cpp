// Shown workspaces and their displays: moving a container (and its windows) to a new frame,
// telling whether the system already put a workspace's windows back on a returning display,
// and the offer to go home with its re-check a moment later.
#include "controller/WorkspaceController.h"

#include "controller/ContainerReach.h"
#include "controller/NoticeChrome.h"
#include "controller/WorkspaceRules.h"
#include "layout/DisplayResolver.h"
#include "layout/DisplayTopology.h"
#include "layout/ScreenGeometry.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"

namespace tessane {

namespace {

constexpr double kHomeOfferSeconds = 12;
constexpr double kHomeOfferRecheckDelay = 2.5;

double area(const Rect& r) { return r.isNull() ? 0 : r.width() * r.height(); }

}  // namespace

void WorkspaceController::moveShownWorkspace(const Uuid& id, const Rect& target, bool recordHome) {
    auto* session = sessions.find(id);
    auto ws = manager.workspace(id);
    if (!session || !ws) return;
    session->containerAXRect = target;
    if (session->chrome->hasHeaderPanel()) {
        session->chrome->setContainerCocoaRect(
            ScreenGeometry::screenRectFromAX(target, ScreenGeometry::primaryDisplayHeight(*env.platform.screens)));
        session->chrome->applyGeometry(true);
    }
    manager.update(rememberingContainerFrame(*ws, target, recordHome ? displays.currentTopology() : std::nullopt));
    if (!env.platform.accessibility->isProcessTrusted()) return;
    if (solo.owns(id)) {
        Log::line("[Tessane] “" + ws->name + "”: moved by a display change while soloed — clearing the solo + re-tiling.");
        restoreFromSolo();
        return;
    }
    placeWindows(*ws, false, true);
}

bool WorkspaceController::windowsAlreadyReturned(const Rect& target, const Workspace& workspace) {
    const auto frames = managedWindowFramesAX(workspace);
    if (frames.empty()) return false;
    const auto screen = DisplayTopology::bestScreen(target, displays.availableScreensVisibleAX());
    if (!screen) return false;
    size_t returned = 0;
    for (const auto& frame : frames)
        if (area(frame) > 0 && area(frame.intersection(*screen)) >= 0.5 * area(frame)) ++returned;
    return returned * 2 >= frames.size();
}

void WorkspaceController::presentHomeOffer(const std::vector<HomeOffer>& offers) {
    if (offers.empty()) return;
    const std::string count = std::to_string(offers.size());
    if (stage.stageManagerActive) {
        Log::line("[Tessane] Displays changed: " + count +
                  " workspace(s) could go home, but Stage Manager is on — not offering.");
        return;
    }
    std::optional<Rect> anchor;
    for (const auto& offer : offers) {
        const auto* session = sessions.find(offer.id);
        if (session && session->fullScreenPids.empty() && session->containerAXRect) {
            anchor = session->containerAXRect;
            break;
        }
    }
    if (!anchor) {
        Log::line("[Tessane] Displays changed: could offer " + count +
                  " workspace(s) a way home, but every one is behind a fullscreen app — not offering.");
        return;
    }
    const bool one = offers.size() == 1;
    const std::string message = one ? "“" + offers.front().name + "” has a spot on the display that just came back."
                                    : count + " workspaces have spots on the display that just came back.";
    std::vector<Uuid> ids;
    for (const auto& offer : offers) ids.push_back(offer.id);
    notice->show(std::nullopt, message, one ? "Move it back" : "Move them back",
                 ScreenGeometry::screenRectFromAX(*anchor, ScreenGeometry::primaryDisplayHeight(*env.platform.screens)),
                 kHomeOfferSeconds, lifetime.guard([this, ids] {
                     for (const auto& id : ids) moveHomeIfStillValid(id);
                 }));
}

void WorkspaceController::scheduleHomeOfferRecheck(const std::vector<HomeOffer>& offers) {
    if (offers.empty()) return;
    if (homeOfferRecheck) homeOfferRecheck->cancel();
    homeOfferRecheck = queue.postAfter(kHomeOfferRecheckDelay, lifetime.guard([this, offers] {
        homeOfferRecheck.reset();
        bool pending = false;
        for (const auto& offer : offers) {
            const auto ws = manager.workspace(offer.id);
            if (!sessions.contains(offer.id) || !ws) continue;
            if (windowsAlreadyReturned(offer.target, *ws)) {
                Log::line("[Tessane] Displays changed: “" + ws->name +
                          "” — the window manager returned its windows a moment later; following it home and dropping the offer.");
                moveHomeIfStillValid(offer.id);
            } else {
                pending = true;
            }
        }
        if (!pending) notice->close();
    }));
}

void WorkspaceController::moveHomeIfStillValid(const Uuid& workspaceID) {
    const auto screens = displays.availableScreensVisibleAX();
    const auto ws = manager.workspace(workspaceID);
    if (!sessions.contains(workspaceID) || !ws) return;
    const auto home = ws->homeFrame(displays.currentTopology());
    if (!home) return;
    if (!isReachable(*home, screens)) return;
    const Rect target = keptOnItsScreen(*home, screens);
    Log::line("[Tessane] Move back accepted: “" + ws->name + "” → " + workspace_rules::rectLog(target) + ".");
    moveShownWorkspace(workspaceID, target, false);
}

}  // namespace tessane
