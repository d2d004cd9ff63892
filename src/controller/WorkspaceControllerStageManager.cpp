// While Stage Manager is on, Tessane draws no chrome and tiles nothing. This keeps the cached
// state current, runs each transition once per change, and watches for changes only while a
// workspace is shown.
#include "controller/WorkspaceController.h"

#include "controller/TipsChrome.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "system/StageManager.h"
#include "system/StageManagerWatcher.h"

namespace tessane {

bool WorkspaceController::refreshStageManagerState(bool deferTransition) {
    stage.lastStageManagerCheck = queue.now();
    const bool before = stage.stageManagerActive;
    const bool now = StageManager::isEnabled(*env.platform.preferences);
    stage.stageManagerActive = now;
    if (now == before) return now;
    if (!deferTransition)
        handleStageManagerTransition(now);
    else
        queue.post(lifetime.guard([this, now] { handleStageManagerTransition(now); }));
    return now;
}

void WorkspaceController::maybeRefreshStageManagerState() {
    if (queue.now() - stage.lastStageManagerCheck <= workspace_controller::StageManagerState::stageManagerRecheckInterval) return;
    refreshStageManagerState(false);
}

void WorkspaceController::handleStageManagerTransition(bool nowActive) {
    if (nowActive) {
        for (const auto& [id, session] : sessions) session->chrome->orderOut();
        if (workspaceTips->hasPanel()) workspaceTips->close();
        Log::line("[Tessane] Stage Manager enabled — hid chrome for " + std::to_string(sessions.size()) +
                  " shown workspace(s) (no bleed onto its desktop).");
        return;
    }
    const auto ids = sessions.keys();
    for (const auto& id : ids) {
        auto* session = sessions.find(id);
        if (!session || !session->fullScreenPids.empty()) continue;  // its fullscreen app keeps the desktop
        if (manager.activeWorkspaceID().get() == id) session->chrome->orderFront();
        if (solo.owns(id)) {
            restoreFromSolo();  // re-places the windows itself
            continue;
        }
        if (const auto ws = manager.workspace(id)) tiling.placeWindows(*ws, true, true);
    }
    Log::line("[Tessane] Stage Manager disabled — re-tiled " + std::to_string(ids.size()) +
              " shown workspace(s); chrome restored for the front one.");
    pulseChromeGuard();
}

void WorkspaceController::startStageManagerWatchesIfNeeded() {
    if (!stageManagerWatcher) {
        // Where the desktop keeps no such file (Linux) there is nothing to watch.
        if (const auto file = StageManager::preferencesFile(*env.platform.preferences)) {
            auto onChange = lifetime.guard([this] { stageManagerFileChanged(); });
            if (env.makeStageManagerWatcher)
                stageManagerWatcher = env.makeStageManagerWatcher(*file, onChange);
            else
                stageManagerWatcher =
                    std::make_unique<StageManagerWatcher>(*env.platform.fileWatch, queue, *file, onChange);
            stageManagerWatcher->start();
        }
    }
    if (!stage.stageManagerPointerMonitor && env.input)
        stage.stageManagerPointerMonitor =
            env.input->addGlobalMonitor(GlobalInput::kLeftMouseUp | GlobalInput::kRightMouseUp | GlobalInput::kMouseMoved,
                                        lifetime.guard([this](const GlobalInput::Event&) { maybeRefreshStageManagerState(); }));
}

void WorkspaceController::stageManagerFileChanged() {
    // A change of the file is news: read it now, whatever the pointer's rate limit says.
    stage.lastStageManagerCheck = kDistantPast;
    refreshStageManagerState(false);
}

void WorkspaceController::stopStageManagerWatchesIfIdle() {
    if (!sessions.empty()) return;
    if (stageManagerWatcher) stageManagerWatcher->stop();
    stageManagerWatcher.reset();
    if (stage.stageManagerPointerMonitor && env.input) env.input->removeMonitor(*stage.stageManagerPointerMonitor);
    stage.stageManagerPointerMonitor.reset();
}

}  // namespace tessane
