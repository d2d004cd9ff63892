#include "controller/WindowEvents.h"

#include "controller/ControllerObservers.h"
#include "controller/DisplaySet.h"
#include "controller/DriftWatch.h"
#include "controller/PlacementPass.h"
#include "controller/ReconcileSweep.h"
#include "controller/ShownWorkspaces.h"
#include "controller/StageManagerGate.h"
#include "controller/UserMoves.h"
#include "controller/WindowDrag.h"
#include "model/Log.h"
#include "platform/Accessibility.h"
#include "platform/MainQueue.h"
#include "platform/RunningApplications.h"

#include <algorithm>

namespace tessane {

WindowEvents::WindowEvents(MainQueue& queue, Accessibility& accessibility, const RunningApplications& applications,
                           Shown shown)
    : queue(queue),
      accessibility(accessibility),
      applications(applications),
      shown(shown),
      sessions(shown.workspaces.sessions()) {}

void WindowEvents::handle(const AXElement& element, const std::string& notification) {
    // A closed window frees its pane whatever else is going on.
    if (notification == ax::kUIElementDestroyed) {
        windowDestroyed(element);
        return;
    }
    // Moves made by a divider drag, by the displays settling or by Stage Manager are not the
    // user's and are dropped, not deferred.
    if (shown.drag.isDraggingDivider()) return;
    if (shown.displays.inFlux()) return;
    shown.stage.maybeRefresh();
    if (shown.stage.isActive()) return;

    const auto pid = accessibility.pid(element);
    if (!pid) return;
    const auto app = applications.runningApplication(*pid);
    if (!app || !app->bundleIdentifier) return;
    const auto owner = shown.workspaces.owning(*app->bundleIdentifier);
    if (!owner) return;

    if (shown.tiling.isGuarding()) shown.drift.scheduleDriftCheck(element, owner->id);
    shown.gestures.handleManagedWindowChangedByUser(owner->id, element);
}

void WindowEvents::windowDestroyed(const AXElement& element) {
    // A report about a window that still answers, or that is only too busy to answer in time,
    // is not a closed window: only an element the system no longer knows counts as gone.
    if (accessibility.copyAttribute(element, ax::kRole).error != AXError::invalidUIElement) return;

    shown.drift.forget(element);

    for (const auto& id : sessions.keys()) {
        auto* session = sessions.find(id);
        const auto it = std::find_if(session->elements.begin(), session->elements.end(),
                                     [&](const workspace_controller::TrackedWindow& t) { return t.element == element; });
        if (it == session->elements.end()) continue;
        shown.tiling.windows().remove(it->appID);
        session->elements.erase(it);
        Log::line("[Tessane] A tiled window was closed — its pane is free again.");
        queue.post(lifetime.guard([this, id] {
            if (!sessions.contains(id)) return;
            shown.observers.rebuild();
            shown.sweep.reconcileWorkspace(id);
        }));
        return;
    }
}

}  // namespace tessane
