// The foreground guard: for a short while after anything that may restack windows, the active
// workspace's chrome steps aside while another window (another app's, or Settings) covers its
// gutters or rail, and comes back once the workspace's own windows are in front again.
#include "controller/ChromeGuard.h"

#include "controller/FrontOfRegion.h"
#include "controller/TipsChrome.h"
#include "controller/WholePoints.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"
#include "platform/Environment.h"
#include "system/AXWindowController.h"
#include "system/ExternalAppController.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace tessane {

namespace {

using workspace_controller::RegionFront;

constexpr double kSubstantialArea = 4;
constexpr double kPaneSlack = 4;
constexpr double kRailWidth = 80;
constexpr double kRailHeight = 12;
constexpr double kGuardStep = 0.3;
constexpr double kGuardLength = 1.5;
// Longer than a guard step, so that one more step follows a raise.
constexpr double kGuardRecheck = 0.45;

bool overlapsSubstantially(const Rect& a, const Rect& b) {
    const Rect both = a.intersection(b);
    return !both.isNull() && both.width() * both.height() >= kSubstantialArea;
}

}  // namespace

RegionWalk frontOfRegionWalk(const std::vector<WindowListEntry>& frontToBack, const Rect& region,
                             const std::set<Pid>& managedPids, const std::set<uint32_t>& tiledWindowIDs,
                             const std::vector<Rect>& panes, const Rect& railAX, const std::set<uint32_t>& ownChoosers,
                             std::optional<Pid> ownPid) {
    using Front = RegionFront;
    std::set<uint32_t> ownFront;
    for (const auto& entry : frontToBack)
        if (tiledWindowIDs.count(entry.number) && entry.layer == 0 && overlapsSubstantially(entry.bounds, region))
            ownFront.insert(entry.number);
    if (frontToBack.empty()) return {Front::inconclusive, std::nullopt};

    size_t seen = 0;
    for (auto it = frontToBack.begin(); it != frontToBack.end(); ++it) {
        const auto& entry = *it;
        if (entry.layer != 0 || !overlapsSubstantially(entry.bounds, region)) continue;
        const bool managed = entry.ownerPid && managedPids.count(*entry.ownerPid);
        if (managed && (tiledWindowIDs.empty() || tiledWindowIDs.count(entry.number))) {
            if (ownFront.empty()) return {Front::ownInFront, std::nullopt};
            if (++seen >= ownFront.size()) return {Front::ownInFront, std::nullopt};
            continue;
        }
        if (managed && ownChoosers.count(entry.number)) continue;

        const Rect visible = entry.bounds.intersection(region);
        bool covers = visible.intersects(railAX);
        if (!covers) {
            covers = true;
            for (const auto& pane : panes)
                if (pane.contains(visible) || pane.insetBy(-kPaneSlack, -kPaneSlack).contains(entry.bounds)) {
                    covers = false;
                    break;
                }
        }
        if (!covers) continue;
        std::string description = entry.ownerName.value_or("?");
        if (managed) description += ", a workspace app";
        description += " " + wholePoints(entry.bounds.width()) + "×" + wholePoints(entry.bounds.height()) + " at " +
                       wholePoints(entry.bounds.minX()) + "," + wholePoints(entry.bounds.minY());
        if (seen >= 1) description += ", between our windows";
        const bool ours = ownPid && entry.ownerPid == ownPid;
        // The workspace is in front, yet another application's window lies over some of its
        // tiles: those are the ones to bring up.
        std::vector<uint32_t> buried;
        if (seen >= 1 && !managed && !ours)
            for (auto behind = std::next(it); behind != frontToBack.end(); ++behind)
                if (behind->layer == 0 && tiledWindowIDs.count(behind->number) &&
                    overlapsSubstantially(behind->bounds, entry.bounds))
                    buried.push_back(behind->number);
        return {Front::foreignInFront, description, ours, std::move(buried)};
    }
    return {seen >= 1 ? Front::ownInFront : Front::inconclusive, std::nullopt};
}

RegionFront ChromeGuard::frontOfRegion(const Rect& region, const std::set<Pid>& managedPids,
                                       const std::set<uint32_t>& tiledWindowIDs, const std::vector<Rect>& panes,
                                       const Rect& railAX, const std::set<uint32_t>& ownChoosers) {
    // Our own panels never reach this list as ordinary windows: the raised ones are not managed
    // by the window manager at all, and the mat is kept below every other window.
    const auto list = ports.windowList.windows(WindowList::Option::onScreenOnly);
    if (!list) return RegionFront::inconclusive;
    const RegionWalk walk = frontOfRegionWalk(*list, region, managedPids, tiledWindowIDs, panes, railAX, ownChoosers,
                                              ports.environment.processIdentifier());
    if (walk.front == RegionFront::foreignInFront) {
        lastForeignWindow_ = walk.foreignWindow;
        lastCoverIsOurs = walk.coverIsOurs;
        lastBuriedTiles = walk.buriedTiles;
    }
    return walk.front;
}

ChromeGuard::ChromeGuard(MainQueue& queue, Ports ports, WorkspaceManager& manager,
                         const SessionMap<WorkspaceSession>& sessions, ExternalAppController& apps,
                         AXWindowController& windows, TipsChrome& tips,
                         const std::map<Uuid, std::set<uint32_t>>& ownChoosers, Hooks hooks)
    : queue(queue),
      ports(ports),
      manager(manager),
      sessions(sessions),
      apps(apps),
      windows(windows),
      tips(tips),
      ownChoosers(ownChoosers),
      hooks(std::move(hooks)) {}

ChromeGuard::~ChromeGuard() { stop(); }

void ChromeGuard::stop() {
    if (timer_) timer_->invalidate();
    timer_.reset();
}

void ChromeGuard::pulse() {
    if (!timer_) raisedFromUnder.clear();  // a new pulse tries a buried tile again
    refresh();
    stopAt_ = queue.now() + kGuardLength;
    if (timer_) return;
    timer_ = queue.scheduleRepeating(kGuardStep, lifetime.guard([this] {
        if (queue.now() >= stopAt_) {
            auto timer = timer_;  // keeps the timer alive while its own tick returns
            if (timer) timer->invalidate();
            timer_.reset();
            return;
        }
        refresh();
    }));
}

void ChromeGuard::refresh() {
    const auto activeID = manager.activeWorkspaceID().get();
    if (!activeID) return stop();
    auto* session = sessions.find(*activeID);
    const auto ws = manager.workspace(*activeID);
    if (!session || !ws) return stop();

    if (!ports.accessibility.isProcessTrusted() || hooks.movingWindows() || !session->fullScreenPids.empty()) return;

    const Rect region = hooks.containerRect(*ws);
    std::set<Pid> managedPids;
    for (const auto& app : ws->apps)
        if (const auto running = apps.runningApplication(app.bundleIdentifier)) managedPids.insert(running->pid);
    std::set<uint32_t> tiledIDs;
    std::map<uint32_t, const TrackedWindow*> tiles;
    for (const auto& tracked : session->elements)
        if (const auto number = windows.windowNumber(tracked.element)) {
            tiledIDs.insert(*number);
            tiles.emplace(*number, &tracked);
        }
    ContainerChrome& chrome = *session->chrome;
    const std::vector<Rect> panes =
        (chrome.currentLayoutType() == LayoutType::mainSidebar || chrome.currentAppCount() < 2 ||
         chrome.dividersHidden())
            ? std::vector<Rect>{region}
            : hooks.tileRects(*ws);
    const Rect rail(region.midX() - kRailWidth / 2, region.minY(), kRailWidth, kRailHeight);
    const auto own = ownChoosers.find(ws->id);
    const auto choosers = own != ownChoosers.end() ? own->second : std::set<uint32_t>{};

    if (frontOfRegion(region, managedPids, tiledIDs, panes, rail, choosers) == RegionFront::foreignInFront) {
        if (raiseBuriedTiles(*ws, tiles)) return;  // they come up over it: the chrome stays with them
        if (!chrome.isVisible()) return;
        // Settings over the gutters takes the chrome aside too, but it is no foreign window.
        Log::line(std::string("[Tessane] Foreground guard: ") +
                  (lastCoverIsOurs ? "Tessane's own window" : "foreign window") + " covers region → chrome aside" +
                  (lastForeignWindow_ ? " (" + *lastForeignWindow_ + ")" : std::string()));
        chrome.orderOut();
        if (tips.hasPanel()) tips.close();
        return;
    }
    raisedFromUnder.clear();
    if (chrome.isVisible()) return;
    Log::line("[Tessane] Foreground guard: own window frontmost → restore chrome");
    chrome.orderFront();
}

bool ChromeGuard::raiseBuriedTiles(const Workspace& workspace, const std::map<uint32_t, const TrackedWindow*>& tiles) {
    // Another application's window left between the workspace's own (a window manager that
    // restored a tile under the window that had the focus) would stay over that tile for good.
    std::vector<AXElement> toRaise;
    std::string names;
    for (const uint32_t number : lastBuriedTiles) {
        const auto tile = tiles.find(number);
        if (tile == tiles.end() || !raisedFromUnder.insert(number).second) continue;
        toRaise.push_back(tile->second->element);
        const auto app = std::find_if(workspace.apps.begin(), workspace.apps.end(),
                                      [&](const ManagedApp& a) { return a.id == tile->second->appID; });
        names += (names.empty() ? "" : ", ") + (app != workspace.apps.end() ? app->displayName : "?");
    }
    if (toRaise.empty()) return false;
    for (const auto& window : toRaise) ports.accessibility.performAction(window, ax::kRaiseUnfocused);
    Log::line("[Tessane] Foreground guard: raised " + names + " from under " + lastForeignWindow_.value_or("?"));
    // A later step sees whether they came up.
    stopAt_ = std::max(stopAt_, queue.now() + kGuardRecheck);
    return true;
}

}  // namespace tessane
