// Window control away for a moment: the window manager is being replaced (killed and started
// again, or `--replace`), or it does not answer (stopped). Nothing waits for its successor on the main thread: a show asked
// meanwhile waits by the platform's word that it is back, hot keys are served as ever, and what
// a placement could not do then is not taken for an application's refusal.
#include "controller/WorkspaceController.h"

#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"

#include <algorithm>
#include <utility>

namespace tessane {

bool WorkspaceController::windowControlAway(bool placeAgain) {
    auto& wait = windowControlWait;
    if (!wait.awaited)
        wait.awaited = env.platform.accessibility->awaitWindowControl(lifetime.guard([this] { windowControlSettled(); }));
    if (wait.awaited && placeAgain) wait.placeAgain = true;
    return wait.awaited;
}

bool WorkspaceController::showAwaitsWindowControl(const Workspace& ws, std::function<void()>& onShown) {
    auto& shows = windowControlWait.shows;
    const auto waiting = std::find_if(shows.begin(), shows.end(), [&](const auto& show) { return show.first == ws.id; });
    if (waiting == shows.end() && !windowControlAway(false)) return false;
    if (waiting == shows.end()) {
        Log::line("[Tessane] Show ‘" + ws.name + "’ waits for the window manager to take it.");
        shows.emplace_back(ws.id, std::move(onShown));
    } else if (onShown) {
        // Asked again: shown once, and both callers told.
        waiting->second = [first = std::move(waiting->second), then = std::move(onShown)] {
            if (first) first();
            then();
        };
    }
    return true;
}

void WorkspaceController::windowControlSettled() {
    auto& wait = windowControlWait;
    wait.awaited = false;
    const bool placeAgain = std::exchange(wait.placeAgain, false);
    auto shows = std::exchange(wait.shows, {});
    const bool back = env.platform.accessibility->isProcessTrusted();
    if (!shows.empty() || placeAgain)
        Log::line(back ? "[Tessane] Window control is back: carrying on."
                       : "[Tessane] No window manager took over in time.");
    // Placed where the shows would move the windows anyway only when no show follows.
    if (back && placeAgain)
        for (const auto& id : sessions.keys())
            if (const auto ws = manager.workspace(id)) tiling.placeWindows(*ws, false, false);
    const auto alive = lifetime.liveness();
    for (auto& [id, onShown] : shows) {
        if (!alive) return;
        showWorkspace(id, std::move(onShown));
    }
}

}  // namespace tessane
