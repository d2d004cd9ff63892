// Applications that run without a window to tile: the ones with nothing at all are asked to
// reopen, and a notice card says what the workspace is waiting for. The document choosers of a
// workspace's applications count as its own windows.
#include "controller/WorkspaceController.h"

#include "controller/NoticeChrome.h"
#include "controller/WorkspaceRules.h"
#include "layout/ScreenGeometry.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "system/ExternalAppController.h"

#include <filesystem>

namespace tessane {

void WorkspaceController::inviteWindowlessApps(const Workspace& workspace, bool reopenApps) {
    const TimeInterval now = queue.now();
    const auto awaited = [&](const ManagedApp& app) {
        const auto it = awaitingDocument.find(app.id);
        return it != awaitingDocument.end() && it->second > now;
    };

    std::vector<WindowlessApp> windowless;
    for (const auto& app : workspace.apps) {
        const auto running = appController->runningApplication(app.bundleIdentifier);
        if (!running || !running->isFinishedLaunching) continue;
        if (tiling.resolveWindow(app, *running)) continue;
        if (appHasNativeFullScreenWindow(running->pid)) continue;
        if (awaited(app)) continue;
        const auto dialog = AXWindowController::selectPendingDialog(axController.windowInfos(running->pid));
        const bool hasMain = axController.mainWindow(running->pid).has_value();
        const bool listed = std::any_of(windowless.begin(), windowless.end(),
                                        [&](const WindowlessApp& w) { return w.name == app.displayName; });
        if (!listed) windowless.push_back({app.displayName, dialog.has_value() && !hasMain, hasMain});
        if (!dialog && reopenApps) {
            Log::line("[Tessane] " + app.displayName + ": no window and no chooser — reopening so it shows one.");
            appController->reopen(app);
        }
    }

    const auto* session = sessions.find(workspace.id);
    const auto near = [&]() -> std::optional<Rect> {
        if (!session || !session->containerAXRect) return std::nullopt;
        return ScreenGeometry::screenRectFromAX(*session->containerAXRect,
                                                ScreenGeometry::primaryDisplayHeight(*env.platform.screens));
    }();

    if (windowless.empty()) {
        if (!near) return;
        std::vector<std::string> texts;
        for (const auto& app : workspace.apps)
            if (awaited(app) && app.lastDocumentPath)
                texts.push_back("“" + std::filesystem::path(*app.lastDocumentPath).filename().string() + "” in " +
                                app.displayName);
        if (texts.empty()) return;
        const std::string list = workspace_rules::joined(texts, ", ");
        notice->show(texts.size() == 1 ? "Opening a document…" : "Opening documents…",
                     "Waiting for " + list + ". It drops into its pane as soon as it opens.", std::nullopt, *near,
                     std::nullopt, nullptr);
        openingDocumentNoticeShown = true;
        if (lastOpeningNoticeLogged != list) {
            lastOpeningNoticeLogged = list;
            Log::line("[Tessane] Notice: opening " + list + ".");
        }
        return;
    }

    const auto message = workspace_rules::windowlessWaitMessage(windowless);
    if (message && near) notice->show(message->first, message->second, std::nullopt, *near, std::nullopt, nullptr);
}

void WorkspaceController::reopenWindowlessApps(const std::vector<ManagedApp>& apps,
                                               const std::set<std::string>& skipping) {
    std::set<std::string> reopened;
    for (const auto& app : apps) {
        if (skipping.count(app.bundleIdentifier) || reopened.count(app.bundleIdentifier)) continue;
        const auto running = appController->runningApplication(app.bundleIdentifier);
        if (!running || !running->isFinishedLaunching) continue;
        if (!axController.windowInfos(running->pid, 0.3f).empty()) continue;
        if (appHasNativeFullScreenWindow(running->pid)) continue;
        reopened.insert(app.bundleIdentifier);
        Log::line("[Tessane] " + app.displayName +
                  ": running with no window — reopening it now instead of after the wait.");
        appController->reopen(app);
    }
}

void WorkspaceController::noteOwnChooser(const AXElement& chooser, const Uuid& workspaceID) {
    if (const auto number = axController.windowNumber(chooser)) ownChooserWindowIDs[workspaceID].insert(*number);
}

bool WorkspaceController::workspaceIsStillLoading(const Uuid& workspaceID) {
    const auto ws = manager.workspace(workspaceID);
    const auto* session = sessions.find(workspaceID);
    if (!ws || !session) return false;
    for (const auto& app : ws->apps) {
        const auto running = appController->runningApplication(app.bundleIdentifier);
        if (!running) continue;
        const bool tracked = std::any_of(session->elements.begin(), session->elements.end(),
                                         [&](const TrackedWindow& t) { return t.pid == running->pid; });
        if (!tracked) return true;
    }
    return false;
}

}  // namespace tessane
