#include "controller/WorkspaceController.h"

#include "controller/NoticeChrome.h"
#include "controller/SwitcherChrome.h"
#include "controller/TipsChrome.h"
#include "model/HiddenAppLedger.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Applications.h"
#include "platform/Screens.h"
#include "system/AXAppFocusObserver.h"
#include "system/AXWindowObserver.h"
#include "system/ExternalAppController.h"

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
      notice(env.makeNotice()),
      workspaceTips(env.makeTips()),
      icons(queue, *env.platform.applications, *appController),
      shownWorkspaces(manager, *env.platform.accessibility, *env.platform.applications, *appController, axController,
                      {.stageManagerActive = [this] { return stage.isActive(); },
                       .forgetCachedWindow = [this](const Uuid& appID) { tiling.windows().remove(appID); },
                       .rebuildObservers = [this] { observers.rebuild(); }}),
      sessions(shownWorkspaces.sessions()),
      quitGuards(queue, {*env.platform.applications, *env.platform.defaults, *env.platform.alerts}, *appController,
                 hiddenApps, quitConfirmPresenter),
      displays(*env.platform.screens, queue, env.input, [this] { return focusedManagedWindowFrameCocoa(); }),
      homeOffers(queue, manager, sessions, *notice, displays, *env.platform.screens, homeOfferHooks()),
      frames(queue, manager, sessions, displays, *env.platform.accessibility, *env.platform.screens,
             [this](const Workspace& ws) {
                 stage.refresh(false);
                 tiling.placeWindows(ws, false, true);
             }),
      drag(env.input),
      tiling(queue, env.platform, manager, sessions, *appController, axController, drag, placementHooks()),
      documents(axController, manager, sessions, *env.platform.applications,
                [this](const std::string& line) { tiling.log(line); }),
      sweep(queue, env.platform, manager, sessions, *appController, axController, tiling, solo, sweepHooks()),
      columns({manager, sessions, tiling, displays, *notice, *env.platform.screens}, columnHooks()),
      switcher(makeSwitcher()),
      choosers(manager, sessions, *appController, axController, solo),
      guard(queue, {*env.platform.accessibility, *env.platform.windowList, *env.platform.environment}, manager,
            sessions, *appController, axController, *workspaceTips, choosers.ownChooserWindowIDs(), guardHooks()),
      stage(queue, {*env.platform.preferences, *env.platform.fileWatch, *env.platform.alerts, env.input},
            env.makeStageManagerWatcher, {manager, sessions, solo, *workspaceTips, guard}, blockedPrompt,
            {[this] { restoreFromSolo(); }, [this](const Workspace& ws) { tiling.placeWindows(ws, true, true); },
             [this](const Uuid& id) { showWorkspace(id); }}),
      dividers(queue,
               {manager, sessions, axController, *env.platform.screens, displays, tiling, stage, drag, columns, solo},
               {[this](const Workspace& ws) { return currentContainerAXRect(ws); },
                [this](const Uuid& id, const Rect& frame) { frames.adopt(id, frame); },
                [this](const Workspace& ws) { return choosers.workspaceHasChooserUp(ws); }}),
      drift(queue,
            {manager, sessions, axController, tiling, drag, stage, solo, displays, *notice, *env.platform.screens,
             env.input},
            {[this] { return raiser.isResurfacing(); }}),
      fullScreen(queue, *env.platform.alerts, *appController, axController,
                 {manager, sessions, solo, *workspaceTips, guard, stage}, blockedPrompt, fullScreenHooks()),
      gestures(queue,
               {manager, sessions, axController, *env.platform.accessibility, *env.platform.screens, env.input,
                displays, frames, tiling, dividers, fullScreen, drag, solo}, gestureHooks()),
      raiser(queue, {*env.platform.applications, *env.platform.accessibility, *env.platform.environment},
             env.ownBundleIdentifier, {manager, hiddenApps, sessions, *appController, axController, stage, guard},
             {[this](const Uuid& id) { drift.checkAllWindowsStayed(id); }}),
      observers(queue,
                {manager, *env.platform.applications, *env.platform.screens, makeWindowObserver(env),
                 makeAppFocusObserver(env)},
                sessions, *appController, observerHandlers()),
      windowEvents(queue, *env.platform.accessibility, *env.platform.applications,
                   {shownWorkspaces, tiling, drag, displays, stage, drift, gestures, observers, sweep}),
      show(queue, env.platform, env.ownBundleIdentifier, env.identity,
           {manager, hiddenApps, sessions, *appController, axController, tiling, sweep, stage, fullScreen,
            raiser.sequence(), blockedPrompt, *notice, *workspaceTips, displays, frames}, showHooks()),
      edits(queue, {manager, sessions, show, tiling, columns},
            {[this](const Uuid& id) { hideWorkspace(id); }, [this](const Uuid& id) { showWorkspace(id); },
             [this](const Workspace& ws) { return icons.forWorkspace(ws); }}),
      follower(queue, *env.platform.screens, *env.platform.accessibility,
               {manager, sessions, solo, tiling, *workspaceTips, guard, stage}, displays, homeOffers, *notice,
               env.makeTopologyWatcher, {[this] { restoreFromSolo(); }}),
      workspaceSessions(env.makeChrome,
                        {manager, shownWorkspaces, solo, displays, *env.platform.screens, icons, frames, guard, drag,
                         dividers, stage, raiser, edits},
                        {choosers, show, gestures, sweep, tiling, observers, *notice, *workspaceTips}, sessionHooks()) {
    follower.start();
    displays.currentTopology();
}

WorkspaceController::~WorkspaceController() {
    // The parts end their registrations, timers and monitors themselves; every piece of
    // deferred work kept here is stopped here: a late callback must never reach a controller
    // that is gone.
    dividers.stop();
    gestures.stop();
    sweep.stop();

    drag.finish();
    switcher.reset();
}

// ------------------------------------------------------------------ what the parts ask of it

HomeOffers::Hooks WorkspaceController::homeOfferHooks() {
    return {.stageManagerActive = [this] { return stage.isActive(); },
            .windowFrames = [this](const Workspace& ws) { return managedWindowFramesAX(ws); },
            .moveShownWorkspace = [this](const Uuid& id, const Rect& target) {
                follower.moveShownWorkspace(id, target, false);
            }};
}

ThreeColumnsFold::Hooks WorkspaceController::columnHooks() {
    return {.containerRect = [this](const Workspace& ws) { return currentContainerAXRect(ws); },
            .appIcons = [this](const Workspace& ws) { return icons.forWorkspace(ws); },
            .scheduleDividerReconcile = [this](const Uuid& id) { dividers.scheduleReconcile(id); }};
}

ChromeGuard::Hooks WorkspaceController::guardHooks() {
    return {.movingWindows = [this] {
                return drag.isDraggingDivider() || tiling.isGuarding() || raiser.isResurfacing() || stage.isActive();
            },
            .containerRect = [this](const Workspace& ws) { return currentContainerAXRect(ws); },
            .tileRects = [this](const Workspace& ws) { return tiling.tileRects(ws).second; }};
}

FullScreenWatch::Hooks WorkspaceController::fullScreenHooks() {
    return {.hasFullScreenWindow = [this](Pid pid) { return appHasNativeFullScreenWindow(pid); },
            .restoreFromSolo = [this] { restoreFromSolo(); },
            .retile = [this](const Workspace& ws) { tiling.placeWindows(ws, true, true); },
            .tileAndReport = [this](const Workspace& ws) { show.tileAndReport(ws); }};
}

UserMoves::Hooks WorkspaceController::gestureHooks() {
    return {.isResurfacing = [this] { return raiser.isResurfacing(); },
            .containerRect = [this](const Workspace& ws) { return currentContainerAXRect(ws); },
            .appIcons = [this](const Workspace& ws) { return icons.forWorkspace(ws); },
            .storeOwnPaneEdit = [this](const Workspace& ws) { edits.storeOwnPaneEdit(ws); }};
}

ShowSequence::Hooks WorkspaceController::showHooks() {
    ShowSequence::Hooks hooks;
    hooks.supersedeRaise = [this] { raiser.supersedeRaiseSequence(); };
    hooks.presentError = [this](const std::string& message, const std::string& informative) {
        presentError(message, informative);
    };
    hooks.rememberedDocuments = [this](const std::vector<ManagedApp>& apps) { return documents.remembered(apps); };
    hooks.hasNativeFullScreenWindow = [this](Pid pid) { return appHasNativeFullScreenWindow(pid); };
    hooks.noteOwnChooser = [this](const AXElement& chooser, const Uuid& id) { choosers.noteOwnChooser(chooser, id); };
    hooks.chooserUp = [this](const Workspace& ws) { return choosers.workspaceHasChooserUp(ws); };
    hooks.containerRect = [this](const Workspace& ws) { return displays.containerRect(ws); };
    hooks.foldForFrame = [this](const Workspace& ws, const Rect& frame) {
        columns.beginOperation(ws.id);
        return columns.applyThreeColumnsFold(ws, frame, true);
    };
    hooks.openSession = [this](const Workspace& ws) { workspaceSessions.openSession(ws); };
    hooks.prepareChrome = [this](ContainerChrome& chrome, const Workspace& ws) {
        workspaceSessions.prepareChrome(chrome, ws);
    };
    hooks.hide = [this](const Uuid& id) { hideWorkspace(id); };
    return hooks;
}

// --------------------------------------------------------------------------- commands

void WorkspaceController::showWorkspace(const Uuid& id, std::function<void()> onShown) {
    show.show(id, std::move(onShown));
}

WorkspaceControllerParts WorkspaceController::parts() {
    return {shownWorkspaces, icons, solo, blockedPrompt, quitGuards, displays, homeOffers, frames, drag,
            tiling, documents, sweep, columns, choosers, guard, stage, dividers,
            drift, fullScreen, gestures, raiser, observers, windowEvents, show, edits, follower, workspaceSessions};
}

bool WorkspaceController::refreshStageManagerState(bool deferTransition) { return stage.refresh(deferTransition); }

}  // namespace tessane
