#pragma once

#include "base/Lifetime.h"
#include "base/Signal.h"
#include "controller/SessionMap.h"
#include "controller/WorkspaceControllerTypes.h"
#include "platform/AccessibilityValue.h"
#include "platform/MainQueue.h"
#include "platform/RunningApplications.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tessane {

class AXAppFocusObserver;
class AXWindowObserver;
class ExternalAppController;
class Screens;
class WorkspaceManager;

// How the controller hears about the world: the workspace list's edits, other applications'
// activations, launches and quits, desktop, display and wake notifications, and the window
// events of the shown workspaces' tracked windows and of their applications' focus. Each is
// handed to the controller's handler for it; nothing is heard once this object is gone.
class ControllerObservers final {
public:
    using WorkspaceSession = workspace_controller::WorkspaceSession;

    struct Handlers {
        // Told at once when the workspace list is about to change (before the new list is in
        // place); `workspacesChanged` follows on the next turn of the main queue.
        std::function<void()> workspacesWillChange;
        std::function<void()> workspacesChanged;
        std::function<void(const RunningApplication&)> appActivated;
        std::function<void(const RunningApplication&)> appTerminated;
        std::function<void(const RunningApplication&)> appLaunched;
        std::function<void()> spaceChanged;
        std::function<void()> screenParametersChanged;
        std::function<void()> woke;
        std::function<void(const AXElement&, const std::string&)> windowEvent;
        std::function<void()> focusedWindowChanged;
    };
    struct Sources {
        WorkspaceManager& manager;
        RunningApplications& applications;
        Screens& screens;
        std::unique_ptr<AXWindowObserver> windows;
        std::unique_ptr<AXAppFocusObserver> focus;
    };

    // Registers every notification at once.
    ControllerObservers(MainQueue& queue, Sources sources, const SessionMap<WorkspaceSession>& sessions,
                        ExternalAppController& apps, Handlers handlers);
    ~ControllerObservers();
    ControllerObservers(const ControllerObservers&) = delete;
    ControllerObservers& operator=(const ControllerObservers&) = delete;

    // Observes the windows the shown workspaces track and the focus of their running
    // applications; nothing is asked again of an observer whose set did not change.
    void rebuild();

    const std::set<Pid>& observedPids() const { return observedPids_; }
    const std::vector<std::pair<Pid, AXElement>>& observedWindows() const { return observedWindows_; }
    const std::set<Pid>& observedFocusPids() const { return observedFocusPids_; }
    const AXWindowObserver& windowObserver() const { return *windowObserver_; }
    const AXAppFocusObserver& appFocusObserver() const { return *appFocusObserver_; }

private:
    void observeApplications();
    void observeScreens();
    std::set<Pid> runningManagedFocusPids() const;

    MainQueue& queue;
    WorkspaceManager& manager;
    RunningApplications& applications;
    Screens& screens;
    const SessionMap<WorkspaceSession>& sessions;
    ExternalAppController& apps;
    Handlers handlers;
    std::unique_ptr<AXWindowObserver> windowObserver_;
    std::unique_ptr<AXAppFocusObserver> appFocusObserver_;

    Subscription workspaceEditObserver;
    std::vector<Subscription> applicationObservers;  // activation, termination, launch
    Subscription spaceObserver;
    Subscription screenParametersObserver;
    std::vector<Subscription> wakeObservers;

    std::set<Pid> observedPids_;
    std::vector<std::pair<Pid, AXElement>> observedWindows_;
    std::set<Pid> observedFocusPids_;
    LifetimeToken lifetime;  // last: gone first
};

}  // namespace tessane
