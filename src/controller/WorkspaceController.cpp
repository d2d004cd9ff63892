#include "controller/WorkspaceController.h"

#include "controller/NoticeChrome.h"
#include "controller/SwitcherChrome.h"
#include "controller/TipsChrome.h"
#include "model/HiddenAppLedger.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "system/AXAppFocusObserver.h"
#include "system/AXWindowObserver.h"
#include "system/DisplayTopologyWatcher.h"
#include "system/ExternalAppController.h"
#include "system/StageManager.h"
#include "system/StageManagerWatcher.h"

#include <algorithm>

namespace tessane {

namespace {

std::unique_ptr<AXWindowObserver> makeWindowObserver(const WorkspaceControllerEnvironment& env) {
    if (env.makeWindowObserver) return env.makeWindowObserver();
    return std::make_unique<AXWindowObserver>(*env.platform.accessibility);
}

std::unique_ptr<AXAppFocusObserver> makeAppFocusObserver(const WorkspaceControllerEnvironment& env) {
    if (env.makeAppFocusObserver) return env.makeAppFocusObserver();
    return std::make_unique<AXAppFocusObserver>(*env.platform.accessibility, *env.platform.mainQueue);
}

}  // namespace

WorkspaceController::WorkspaceController(WorkspaceControllerEnvironment environment)
    : env(std::move(environment)),
      queue(*env.platform.mainQueue),
      manager(*env.manager),
      hiddenApps(*env.hiddenApps),
      appController(std::make_unique<ExternalAppController>(*env.platform.applications, *env.platform.mainQueue)),
      axController(*env.platform.accessibility),
      windowObserver(makeWindowObserver(env)),
      appFocusObserver(makeAppFocusObserver(env)),
      notice(env.makeNotice()),
      workspaceTips(env.makeTips()),
      raise(queue, env.ownBundleIdentifier),
      learns(queue),
      displays(*env.platform.screens, queue, env.input, [this] { return focusedManagedWindowFrameCocoa(); }),
      homeOffers(queue, manager, sessions, *notice, displays, *env.platform.screens,
                 {.stageManagerActive = [this] { return stage.stageManagerActive; },
                  .windowFrames = [this](const Workspace& ws) { return managedWindowFramesAX(ws); },
                  .moveShownWorkspace = [this](const Uuid& id,
                                               const Rect& target) { moveShownWorkspace(id, target, false); }}),
      frames(queue, manager, sessions, displays, *env.platform.accessibility,
             [this](const Workspace& ws) {
                 refreshStageManagerState(false);
                 placeWindows(ws, false, true);
             }),
      drag(env.input),
      switcher(makeSwitcher()) {
    observeWorkspaceEdits();
    observeAppActivation();
    observeAppTermination();
    observeAppLaunch();
    observeSpaceChange();
    observeScreenParameters();
    observeWake();

    topologyWatcher().start();
    displays.currentTopology();
    stage.stageManagerActive = StageManager::isEnabled(*env.platform.preferences);

    windowObserver->onWindowEvent = lifetime.guard(
        [this](const AXElement& element, const std::string& notification) { handleWindowEvent(element, notification); });
    appFocusObserver->onFocusedWindowChanged = lifetime.guard([this](Pid) { handleFocusedWindowChanged(); });
}

WorkspaceController::~WorkspaceController() {
    // The notification registrations end with their tokens; the timers and every piece of
    // deferred work we keep are stopped here, and so are the global monitors we installed: a
    // late callback must never reach a controller that is gone.
    activationObserver.reset();
    terminationObserver.reset();
    launchObserver.reset();
    spaceObserver.reset();
    screenParametersObserver.reset();
    wakeObservers.clear();
    workspaceEditObserver.reset();
    if (guardTimer) guardTimer->invalidate();
    guardTimer.reset();
    if (fsReconcileTimer) fsReconcileTimer->invalidate();
    fsReconcileTimer.reset();

    auto cancel = [](std::shared_ptr<WorkItem>& item) {
        if (item) item->cancel();
        item.reset();
    };
    learns.cancelAll();
    for (auto* item : {&enforceSnapWorkItem, &reconcileSweepWorkItem, &dividerSettleWorkItem, &unhideSettleWorkItem,
                       &fsSettleWorkItem})
        cancel(*item);

    if (env.input) {
        if (stage.stageManagerPointerMonitor) env.input->removeMonitor(*stage.stageManagerPointerMonitor);
    }
    stage.stageManagerPointerMonitor.reset();
    drag.finish();
    switcher.reset();

    if (stageManagerWatcher) stageManagerWatcher->stop();
    if (topologyWatcher_) topologyWatcher_->stop();
    windowObserver->onWindowEvent = nullptr;
    appFocusObserver->onFocusedWindowChanged = nullptr;
}

DisplayTopologyWatcher& WorkspaceController::topologyWatcher() {
    if (!topologyWatcher_) {
        auto onChange = lifetime.guard(
            [this](const std::optional<std::string>& previous, const std::optional<std::string>& current,
                   bool reframed) { handleTopologyChange(previous, current, reframed); });
        if (env.makeTopologyWatcher)
            topologyWatcher_ = env.makeTopologyWatcher(onChange);
        else
            topologyWatcher_ = std::make_unique<DisplayTopologyWatcher>(
                *env.platform.screens, queue, nullptr, DisplayTopologyWatcher::kScreenSettle,
                DisplayTopologyWatcher::kWakeSettle, onChange);
    }
    return *topologyWatcher_;
}

void WorkspaceController::publishShownWorkspaces() {
    std::vector<std::string> names;
    for (const auto& [id, session] : sessions)
        if (const auto ws = manager.workspace(id)) names.push_back(ws->name);
    std::sort(names.begin(), names.end());
    if (names != shownWorkspaceNames_.get()) shownWorkspaceNames_.set(std::move(names));
}

void WorkspaceController::stampFront(const Uuid& workspaceID) {
    ++frontSequence;
    if (auto* session = sessions.find(workspaceID)) session->frontOrder = frontSequence;
    std::erase(recentWorkspaceIDs, workspaceID);
    recentWorkspaceIDs.insert(recentWorkspaceIDs.begin(), workspaceID);
}


}  // namespace tessane
