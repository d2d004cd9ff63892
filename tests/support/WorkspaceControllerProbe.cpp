#include "support/WorkspaceControllerProbe.h"

#include "layout/ScreenGeometry.h"

#include <algorithm>

namespace tessane {

WorkspaceControllerProbe::Session& WorkspaceControllerProbe::putUp(const Uuid& id, const Rect& containerAX) {
    const Workspace ws = *manager.workspace(id);
    auto made = parts().workspaceSessions.makeSession(id);
    Session& session = parts().shown.sessions().insert(id, std::move(made));
    session.containerAXRect = containerAX;

    // Both hold no state of their own: these find what the controller's would.
    const ExternalAppController apps(*platform.applications, *platform.mainQueue);
    const AXWindowController ax(*platform.accessibility);
    std::set<AXElement> bound;
    for (const auto& app : ws.apps) {
        auto running = apps.runningApplication(app.bundleIdentifier);
        if (!running) continue;
        for (const auto& info : ax.manageableWindows(running->pid)) {
            if (bound.count(info.element)) continue;
            bound.insert(info.element);
            session.elements.push_back({app.id, running->pid, info.element});
            parts().tiling.windows().store(info.element, app.id, running->pid);
            break;
        }
    }

    ContainerChrome& chrome = *session.chrome;
    if (!chrome.hasHeaderPanel()) chrome.makeRailPanel();
    chrome.setCurrentTitle(ws.name);
    chrome.setCurrentLayoutType(ws.layout.type);
    chrome.setCurrentAppCount(static_cast<int>(ws.apps.size()));
    chrome.setCurrentRatios(ws.layout.ratios.value_or(std::vector<double>{}));
    chrome.setIsMaximized(false);
    chrome.setPreMaximizeFrame(std::nullopt);
    chrome.setDividersHidden(false);
    chrome.paneMat().setShieldsHidden(false);
    chrome.setIsSoloed(false);
    chrome.setContainerCocoaRect(ScreenGeometry::screenRectFromAX(containerAX, ScreenGeometry::primaryDisplayHeight(*platform.screens)));
    chrome.applyGeometry(true);
    chrome.orderFront();

    parts().edits.noteTiled(ws);
    manager.setActiveWorkspace(id);
    parts().shown.stampFront(id);
    parts().shown.publishNames();
    parts().stage.startWatchesIfNeeded();
    parts().observers.rebuild();
    return session;
}

void WorkspaceControllerProbe::dropSession(const Uuid& id) {
    auto gone = parts().shown.sessions().take(id);
    if (!gone) return;
    gone->chrome->orderOut();
    parts().shown.publishNames();
    parts().stage.stopWatchesIfIdle();
    parts().observers.rebuild();
}

}  // namespace tessane
