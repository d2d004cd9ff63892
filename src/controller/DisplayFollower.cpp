// Following the displays. Once a burst of display changes has settled, every shown workspace is
// looked at, front-most first: it stays, goes to the home it has on this set of displays, is
// pulled back into view, is sheltered on the display in use, or is offered a way back to a
// display that has just returned. When the displays' frames changed (a new scale or resolution
// changes them in points while the displays stay the same), one that stays is laid out again
// where it is. Window events are let through again at the end.
#include "controller/DisplayFollower.h"

#include "controller/ChromeGuard.h"
#include "controller/ContainerFrameRecord.h"
#include "controller/ContainerReach.h"
#include "controller/DisplaySet.h"
#include "controller/HomeOffers.h"
#include "controller/NoticeChrome.h"
#include "controller/PlacementPass.h"
#include "controller/SoloMemory.h"
#include "controller/StageManagerGate.h"
#include "controller/TipsChrome.h"
#include "controller/WorkspaceRules.h"
#include "layout/DisplayResolver.h"
#include "layout/DisplayTopology.h"
#include "layout/ScreenGeometry.h"
#include "model/Log.h"
#include "model/RectModel.h"
#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"

#include <algorithm>

namespace tessane {

DisplayFollower::DisplayFollower(MainQueue& queue, Screens& screens, Accessibility& accessibility, Shown shown,
                                 DisplaySet& displays, HomeOffers& homeOffers, NoticeChrome& notice,
                                 MakeWatcher makeWatcher, Hooks hooks)
    : queue(queue),
      screens(screens),
      accessibility(accessibility),
      shown(shown),
      displays(displays),
      homeOffers(homeOffers),
      notice(notice),
      makeWatcher(std::move(makeWatcher)),
      hooks(std::move(hooks)) {}

DisplayFollower::~DisplayFollower() {
    if (watcher) watcher->stop();
}

void DisplayFollower::start() {
    if (!watcher) {
        auto onChange = lifetime.guard(
            [this](const std::optional<std::string>& previous, const std::optional<std::string>& current,
                   bool reframed) { handleTopologyChange(previous, current, reframed); });
        if (makeWatcher)
            watcher = makeWatcher(onChange);
        else
            watcher = std::make_unique<DisplayTopologyWatcher>(screens, queue, nullptr,
                                                               DisplayTopologyWatcher::kScreenSettle,
                                                               DisplayTopologyWatcher::kWakeSettle, onChange);
    }
    watcher->start();
}


// What each shown workspace is judged against once the displays have settled.
struct DisplayFollower::Settled {
    const std::optional<std::string>& previous;
    const std::string& current;
    bool reframed;
    std::vector<Rect> screens;
    Rect inUse;
};

void DisplayFollower::handleTopologyChange(const std::optional<std::string>& previous,
                                           const std::optional<std::string>& current, bool reframed) {
    displays.forgetTopology();
    notice.close();
    homeOffers.cancelRecheck();
    follow(previous, current, reframed);
    displays.endFlux();
}

void DisplayFollower::follow(const std::optional<std::string>& previous, const std::optional<std::string>& current,
                             bool reframed) {
    if (!current) {
        Log::line("[Tessane] Display set changed to none (every display detached / asleep) — nothing moved.");
        return;
    }
    if (previous == current)
        Log::line("[Tessane] Display set settled with new frames (scale, resolution or arrangement): " + *current +
                  ". " + displays.screensLogSummary());
    else
        Log::line("[Tessane] Display set settled: " + previous.value_or("unknown") + " → " + *current + ". " +
                  displays.screensLogSummary());
    if (shown.sessions.empty()) return;
    shown.stage.refresh(false);

    const auto screens = displays.availableScreensVisibleAX();
    const auto inUse = displays.currentDisplayVisibleAX();
    if (screens.empty() || !inUse) return;
    const Settled settled{previous, *current, reframed, screens, inUse->first};

    std::vector<Uuid> order = shown.sessions.keys();
    std::stable_sort(order.begin(), order.end(), [this](const Uuid& a, const Uuid& b) {
        return shown.sessions.find(a)->frontOrder > shown.sessions.find(b)->frontOrder;
    });
    std::vector<HomeOffer> offers;
    for (const auto& id : order) follow(settled, id, offers);

    // A tips card up across a change of scale is drawn again at the new one, beside its
    // container where that now lies.
    if (reframed && shown.tips.hasPanel()) {
        shown.tips.close();
        const auto active = shown.manager.activeWorkspaceID().get();
        if (const auto* session = active ? shown.sessions.find(*active) : nullptr)
            shown.tips.show(session->chrome->containerCocoaRect());
    }
    if (!offers.empty()) {
        homeOffers.present(offers);
        homeOffers.scheduleRecheck(offers);
    }
    shown.guard.pulse();
}

void DisplayFollower::follow(const Settled& settled, const Uuid& id, std::vector<HomeOffer>& offers) {
    const auto ws = shown.manager.workspace(id);
    const auto* session = shown.sessions.find(id);
    if (!ws || !session || !session->containerAXRect) return;
    const Rect frame = *session->containerAXRect;
    const auto& screens = settled.screens;
    const auto storedHome = ws->homeFrame(settled.current);
    const std::optional<Rect> home = storedHome && isReachable(*storedHome, screens) ? storedHome : std::nullopt;
    const std::string quoted = "“" + ws->name + "”";

    if (!isReachable(frame, screens)) {
        Rect target;
        std::string reason;
        bool recordHome = true;
        if (home) {
            target = keptOnItsScreen(*home, screens);
            reason = "display gone — moved to this display set's home";
            recordHome = false;
        } else if (const auto best = DisplayTopology::bestScreen(frame, screens)) {
            target = DisplayResolver::clamped(frame, *best, kMinimumContainer);
            reason = "unreachable where it sits — pulled back into view on its own display";
        } else {
            target = DisplayResolver::clamped(frame, settled.inUse, kMinimumContainer);
            reason = "display gone — no home for this display set, sheltered on the current display";
        }
        Log::line("[Tessane] Displays changed: " + quoted + " " + reason + " → " + workspace_rules::rectLog(target) +
                  ".");
        moveShownWorkspace(id, target, recordHome);
        return;
    }
    // Where it stays, laid out again: at the same place and size in points, fitted onto
    // its display when that has become too small for it, as a stored frame is at a show.
    const Rect laidOut = settled.reframed ? fittedOntoItsScreen(frame, screens).value_or(frame) : frame;
    const auto layOutAgain = [&] {
        if (!settled.reframed) return;
        Log::line("[Tessane] Displays changed: " + quoted +
                  " stays; its display's frame changed (scale, resolution or arrangement) — laid out again at " +
                  workspace_rules::rectLog(laidOut) + ".");
        moveShownWorkspace(id, laidOut, false);
    };
    // A home is a place on a display that came back: the same displays have none to offer.
    if (home && settled.previous != settled.current) {
        const Rect target = keptOnItsScreen(*home, screens);
        if (DisplayTopology::isAt(frame, target)) {
            layOutAgain();
        } else if (homeOffers.windowsAlreadyReturned(target, *ws)) {
            Log::line(
                "[Tessane] Displays changed: " + quoted +
                " — the window manager already put its windows back on the returning display; following them to " +
                workspace_rules::rectLog(target) + " instead of offering.");
            moveShownWorkspace(id, target, false);
        } else {
            Log::line("[Tessane] Displays changed: " + quoted + " has a home at " + workspace_rules::rectLog(target) +
                      " on the returning display, windows still on the shelter display — offering to move it "
                      "back.");
            offers.push_back({id, ws->name, target});
            layOutAgain();
        }
    } else if (!storedHome) {
        Log::line("[Tessane] Displays changed: " + quoted +
                  " stays (frame still usable; no home for this display set) — filing it as this display "
                  "set's home.");
        Workspace filed = *ws;
        if (!filed.topologyFrames) filed.topologyFrames.emplace();
        (*filed.topologyFrames)[settled.current] = RectModel::from(laidOut);
        shown.manager.update(filed);
        layOutAgain();
    } else {
        layOutAgain();
    }
}


void DisplayFollower::moveShownWorkspace(const Uuid& id, const Rect& target, bool recordHome) {
    auto* session = shown.sessions.find(id);
    auto ws = shown.manager.workspace(id);
    if (!session || !ws) return;
    session->containerAXRect = target;
    if (session->chrome->hasHeaderPanel()) {
        session->chrome->setContainerCocoaRect(
            ScreenGeometry::screenRectFromAX(target, ScreenGeometry::primaryDisplayHeight(screens)));
        session->chrome->applyGeometry(true);
    }
    shown.manager.update(
        rememberingContainerFrame(*ws, target, recordHome ? displays.currentTopology() : std::nullopt));
    if (!accessibility.isProcessTrusted()) return;
    if (shown.solo.owns(id)) {
        Log::line("[Tessane] “" + ws->name + "”: moved by a display change while soloed — clearing the solo + re-tiling.");
        hooks.restoreFromSolo();
        return;
    }
    shown.tiling.placeWindows(*ws, false, true);
}

}  // namespace tessane
