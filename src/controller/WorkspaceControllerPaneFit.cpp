// How well the windows of the shown workspaces sit in their panes, for the diagnostics report.
// It only reads: it binds no window, stores nothing, logs nothing and closes no notice.
#include "controller/WorkspaceController.h"

#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"
#include "system/ExternalAppController.h"

#include <algorithm>

namespace tessane {

namespace {
constexpr double kFitTolerance = 8;
}  // namespace

WorkspaceController::PaneFitReport WorkspaceController::paneFitReport() {
    PaneFitReport report;
    if (!env.platform.accessibility->isProcessTrusted()) return report;
    for (const auto& ws : manager.workspaces().get()) {
        if (!sessions.contains(ws.id)) continue;
        const auto tiles = tiling.tileRects(ws).second;
        for (size_t i = 0; i < ws.apps.size() && i < tiles.size(); ++i) {
            ++report.checked;
            const ManagedApp& app = ws.apps[i];
            const Rect& tile = tiles[i];
            PaneFit fit{ws.name, static_cast<int>(i), app.displayName, static_cast<int>(tile.width()),
                        static_cast<int>(tile.height())};
            const auto running = appController->runningApplication(app.bundleIdentifier);
            if (!running) {
                fit.note = "not running";
                report.off.push_back(fit);
                continue;
            }
            std::optional<Rect> frame;
            if (running->isFinishedLaunching)
                if (const auto window = tiling.peekPaneWindow(app, *running)) {
                    const auto position = axController.point(*window, ax::kPosition);
                    const auto size = axController.sizeValue(*window, ax::kSize);
                    if (position && size) frame = Rect(*position, *size);
                }
            if (!frame) {
                fit.note = appHasNativeFullScreenWindow(running->pid) ? "in native fullscreen — deliberately not placed"
                                                                      : "no window";
                report.off.push_back(fit);
                continue;
            }
            if (AXWindowController::matches(*frame, tile, kFitTolerance)) continue;
            fit.gotWidth = static_cast<int>(frame->width());
            fit.gotHeight = static_cast<int>(frame->height());
            fit.offsetX = static_cast<int>(frame->minX() - tile.minX());
            fit.offsetY = static_cast<int>(frame->minY() - tile.minY());
            report.off.push_back(fit);
        }
    }
    return report;
}

}  // namespace tessane
