#include "controller/PaneDocuments.h"

#include "model/WorkspaceManager.h"
#include "platform/Applications.h"
#include "system/AXWindowController.h"

#include <algorithm>
#include <filesystem>

namespace tessane {

PaneDocuments::PaneDocuments(AXWindowController& axController, WorkspaceManager& manager,
                             const SessionMap<WorkspaceSession>& sessions, Applications& applications, Log log)
    : axController(axController), manager(manager), sessions(sessions), applications(applications),
      log(std::move(log)) {}

void PaneDocuments::remember(const AXElement& window, const ManagedApp& app) {
    const auto path = axController.documentPath(window);
    if (!path) return;
    if (!manager.setLastDocument(*path, app.id)) return;
    log("[Tessane] " + app.displayName + ": its pane now reopens “" +
        std::filesystem::path(*path).filename().string() + "”.");
}

void PaneDocuments::rememberAll(const Uuid& workspaceID) {
    const auto* session = sessions.find(workspaceID);
    const auto ws = manager.workspace(workspaceID);
    if (!session || !ws) return;
    // Storing a document republishes the list; the session's windows stay as they are.
    const auto elements = session->elements;
    for (const auto& tracked : elements)
        for (const auto& app : ws->apps)
            if (app.id == tracked.appID) {
                remember(tracked.element, app);
                break;
            }
}

std::vector<ManagedApp> PaneDocuments::siblingPanes(const ManagedApp& app) const {
    for (const auto& ws : manager.workspaces().get()) {
        const bool holds = std::any_of(ws.apps.begin(), ws.apps.end(), [&](const ManagedApp& a) { return a.id == app.id; });
        if (!holds) continue;
        std::vector<ManagedApp> out;
        for (const auto& other : ws.apps)
            if (other.bundleIdentifier == app.bundleIdentifier && other.id != app.id) out.push_back(other);
        return out;
    }
    return {};
}

std::vector<PaneDocuments::RememberedDocument> PaneDocuments::remembered(const std::vector<ManagedApp>& apps) const {
    std::vector<RememberedDocument> out;
    for (const auto& app : apps)
        if (app.lastDocumentPath && applications.fileExists(*app.lastDocumentPath))
            out.push_back({app, std::filesystem::path(*app.lastDocumentPath)});
    return out;
}

}  // namespace tessane
