#include "controller/HomeOffers.h"

#include "controller/ContainerReach.h"
#include "controller/DisplaySet.h"
#include "controller/NoticeChrome.h"
#include "controller/WorkspaceRules.h"
#include "layout/DisplayTopology.h"
#include "layout/ScreenGeometry.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"

namespace tessane {

namespace {

constexpr double kHomeOfferSeconds = 12;
constexpr double kHomeOfferRecheckDelay = 2.5;

double area(const Rect& r) { return r.isNull() ? 0 : r.width() * r.height(); }

}  // namespace

HomeOffers::HomeOffers(MainQueue& queue, WorkspaceManager& manager, const SessionMap<WorkspaceSession>& sessions,
                       NoticeChrome& notice, DisplaySet& displays, const Screens& screens, Hooks hooks)
    : queue(queue),
      manager(manager),
      sessions(sessions),
      notice(notice),
      displays(displays),
      screens(screens),
      hooks(std::move(hooks)) {}

bool HomeOffers::windowsAlreadyReturned(const Rect& target, const Workspace& workspace) const {
    const auto frames = hooks.windowFrames(workspace);
    if (frames.empty()) return false;
    const auto screen = DisplayTopology::bestScreen(target, displays.availableScreensVisibleAX());
    if (!screen) return false;
    size_t returned = 0;
    for (const auto& frame : frames)
        if (area(frame) > 0 && area(frame.intersection(*screen)) >= 0.5 * area(frame)) ++returned;
    return returned * 2 >= frames.size();
}

void HomeOffers::present(const std::vector<HomeOffer>& offers) {
    if (offers.empty()) return;
    const std::string count = std::to_string(offers.size());
    if (hooks.stageManagerActive()) {
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
    notice.show(std::nullopt, message, one ? "Move it back" : "Move them back",
                ScreenGeometry::screenRectFromAX(*anchor, ScreenGeometry::primaryDisplayHeight(screens)),
                kHomeOfferSeconds, lifetime.guard([this, ids] {
                    for (const auto& id : ids) moveHomeIfStillValid(id);
                }));
}

void HomeOffers::scheduleRecheck(const std::vector<HomeOffer>& offers) {
    if (offers.empty()) return;
    if (recheck) recheck->cancel();
    recheck = queue.postAfter(kHomeOfferRecheckDelay, lifetime.guard([this, offers] {
        recheck.reset();
        bool pending = false;
        for (const auto& offer : offers) {
            const auto ws = manager.workspace(offer.id);
            if (!sessions.contains(offer.id) || !ws) continue;
            if (windowsAlreadyReturned(offer.target, *ws)) {
                Log::line("[Tessane] Displays changed: “" + ws->name +
                          "” — the window manager returned its windows a moment later; following it home and dropping "
                          "the offer.");
                moveHomeIfStillValid(offer.id);
            } else {
                pending = true;
            }
        }
        if (!pending) notice.close();
    }));
}

void HomeOffers::cancelRecheck() {
    if (recheck) recheck->cancel();
    recheck.reset();
}

void HomeOffers::moveHomeIfStillValid(const Uuid& workspaceID) {
    const auto screensAX = displays.availableScreensVisibleAX();
    const auto ws = manager.workspace(workspaceID);
    if (!sessions.contains(workspaceID) || !ws) return;
    const auto home = ws->homeFrame(displays.currentTopology());
    if (!home) return;
    if (!isReachable(*home, screensAX)) return;
    const Rect target = keptOnItsScreen(*home, screensAX);
    Log::line("[Tessane] Move back accepted: “" + ws->name + "” → " + workspace_rules::rectLog(target) + ".");
    hooks.moveShownWorkspace(workspaceID, target);
}

}  // namespace tessane
