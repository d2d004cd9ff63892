// While Stage Manager is on, Tessane draws no chrome and tiles nothing. This keeps the cached
// state current, runs each transition once per change, and watches for changes only while a
// workspace is shown.
#include "controller/StageManagerGate.h"

#include "controller/BlockedPrompt.h"
#include "controller/ChromeGuard.h"
#include "controller/SoloMemory.h"
#include "controller/TipsChrome.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Alerts.h"
#include "system/StageManager.h"
#include "system/StageManagerWatcher.h"

#include <utility>

namespace tessane {

namespace {
constexpr double kStageManagerRecheck = 0.1;
}  // namespace

StageManagerGate::StageManagerGate(MainQueue& queue, Ports ports, MakeWatcher makeWatcher, Shown shown,
                                   BlockedPrompt& prompt, Hooks hooks)
    : queue(queue),
      ports(ports),
      makeWatcher(std::move(makeWatcher)),
      shown(shown),
      prompt(prompt),
      hooks(std::move(hooks)),
      active(StageManager::isEnabled(ports.preferences)) {}

StageManagerGate::~StageManagerGate() {
    if (pointerMonitor && ports.input) ports.input->removeMonitor(*pointerMonitor);
    if (watcher_) watcher_->stop();
}

bool StageManagerGate::refresh(bool deferTransition) {
    lastCheck_ = queue.now();
    const bool before = active;
    const bool now = StageManager::isEnabled(ports.preferences);
    active = now;
    if (now == before) return now;
    if (!deferTransition)
        transition(now);
    else
        queue.post(lifetime.guard([this, now] { transition(now); }));
    return now;
}

void StageManagerGate::maybeRefresh() {
    if (queue.now() - lastCheck_ <= kStageManagerRecheck) return;
    refresh(false);
}

void StageManagerGate::transition(bool nowActive) {
    const auto& sessions = shown.sessions;
    if (nowActive) {
        for (const auto& [id, session] : sessions) session->chrome->orderOut();
        if (shown.tips.hasPanel()) shown.tips.close();
        Log::line("[Tessane] Stage Manager enabled — hid chrome for " + std::to_string(sessions.size()) +
                  " shown workspace(s) (no bleed onto its desktop).");
        return;
    }
    const auto ids = sessions.keys();
    for (const auto& id : ids) {
        auto* session = sessions.find(id);
        if (!session || !session->fullScreenPids.empty()) continue;  // its fullscreen app keeps the desktop
        if (shown.manager.activeWorkspaceID().get() == id) session->chrome->orderFront();
        if (shown.solo.owns(id)) {
            hooks.restoreFromSolo();  // re-places the windows itself
            continue;
        }
        if (const auto ws = shown.manager.workspace(id)) hooks.retile(*ws);
    }
    Log::line("[Tessane] Stage Manager disabled — re-tiled " + std::to_string(ids.size()) +
              " shown workspace(s); chrome restored for the front one.");
    shown.guard.pulse();
}

void StageManagerGate::startWatchesIfNeeded() {
    if (!watcher_) {
        // Where the desktop keeps no such file (Linux) there is nothing to watch.
        if (const auto file = StageManager::preferencesFile(ports.preferences)) {
            auto onChange = lifetime.guard([this] { fileChanged(); });
            if (makeWatcher)
                watcher_ = makeWatcher(*file, onChange);
            else
                watcher_ = std::make_unique<StageManagerWatcher>(ports.fileWatch, queue, *file, onChange);
            watcher_->start();
        }
    }
    if (!pointerMonitor && ports.input)
        pointerMonitor = ports.input->addGlobalMonitor(
            GlobalInput::kLeftMouseUp | GlobalInput::kRightMouseUp | GlobalInput::kMouseMoved,
            lifetime.guard([this](const GlobalInput::Event&) { maybeRefresh(); }));
}

void StageManagerGate::fileChanged() {
    // A change of the file is news: read it now, whatever the pointer's rate limit says.
    lastCheck_ = workspace_controller::kDistantPast;
    refresh(false);
}

void StageManagerGate::stopWatchesIfIdle() {
    if (!shown.sessions.empty()) return;
    if (watcher_) watcher_->stop();
    watcher_.reset();
    if (pointerMonitor && ports.input) ports.input->removeMonitor(*pointerMonitor);
    pointerMonitor.reset();
}

bool StageManagerGate::blocks(const Uuid& workspaceID, const std::string& blockedLine, std::function<void()> retry) {
    if (!refresh(false)) return false;
    Log::line(blockedLine);
    presentBlock(workspaceID, std::move(retry));
    return true;
}

void StageManagerGate::presentBlock(const Uuid& workspaceID, std::function<void()> onRetry) {
    const auto ws = shown.manager.workspace(workspaceID);
    if (!ws || prompt.isUp()) return;
    const auto response = [&] {
        const auto held = prompt.hold();
        return ports.alerts.runModal(
            {AlertSpec::Style::informational, "“" + ws->name + "” can’t be tiled — Stage Manager is on",
             "Stage Manager rearranges windows itself, so Tessane would only fight it. Turn Stage Manager off in "
             "Control Center, then Retry.",
             {"Retry after turning it off", "Dismiss"}, std::nullopt});
    }();
    if (response.button != 0) return;
    if (onRetry)
        queue.post(lifetime.guard(std::move(onRetry)));
    else
        queue.post(lifetime.guard([this, workspaceID] { hooks.show(workspaceID); }));
}

}  // namespace tessane
