#include "controller/ControllerObservers.h"

#include "model/WorkspaceManager.h"
#include "platform/Screens.h"
#include "system/AXAppFocusObserver.h"
#include "system/AXWindowObserver.h"
#include "system/ExternalAppController.h"

namespace tessane {

ControllerObservers::ControllerObservers(MainQueue& queue, Sources sources,
                                         const SessionMap<WorkspaceSession>& sessions, ExternalAppController& apps,
                                         Handlers handlers)
    : queue(queue),
      manager(sources.manager),
      applications(sources.applications),
      screens(sources.screens),
      sessions(sessions),
      apps(apps),
      handlers(std::move(handlers)),
      windowObserver_(std::move(sources.windows)),
      appFocusObserver_(std::move(sources.focus)) {
    // The manager tells its observers before the list changes; the reaction reads the manager,
    // so it runs on the next turn of the main queue, when the new list is in place.
    workspaceEditObserver = manager.observeWorkspaces(lifetime.guard([this](const std::vector<Workspace>&) {
        this->handlers.workspacesWillChange();
        this->queue.post(lifetime.guard([this] { this->handlers.workspacesChanged(); }));
    }));
    observeApplications();
    observeScreens();
    windowObserver_->onWindowEvent = lifetime.guard(
        [this](const AXElement& element, const std::string& notification) {
            this->handlers.windowEvent(element, notification);
        });
    appFocusObserver_->onFocusedWindowChanged = lifetime.guard([this](Pid) { this->handlers.focusedWindowChanged(); });
}

ControllerObservers::~ControllerObservers() {
    windowObserver_->onWindowEvent = nullptr;
    appFocusObserver_->onFocusedWindowChanged = nullptr;
}

void ControllerObservers::observeApplications() {
    using Notification = RunningApplications::Notification;
    const std::pair<Notification, std::function<void(const RunningApplication&)>*> wanted[] = {
        {Notification::didActivate, &handlers.appActivated},
        {Notification::didTerminate, &handlers.appTerminated},
        {Notification::didLaunch, &handlers.appLaunched},
    };
    for (const auto& [notification, handler] : wanted)
        applicationObservers.push_back(applications.observe(
            notification, lifetime.guard([handler](const RunningApplication& app) { (*handler)(app); })));
}

void ControllerObservers::observeScreens() {
    spaceObserver = screens.observe(Screens::Notification::activeSpaceDidChange,
                                    lifetime.guard([this] { handlers.spaceChanged(); }));
    screenParametersObserver = screens.observe(Screens::Notification::screenParametersChanged,
                                               lifetime.guard([this] { handlers.screenParametersChanged(); }));
    for (auto notification : {Screens::Notification::didWake, Screens::Notification::screensDidWake})
        wakeObservers.push_back(screens.observe(notification, lifetime.guard([this] { handlers.woke(); })));
}

void ControllerObservers::rebuild() {
    std::vector<AXWindowObserver::Entry> entries;
    std::vector<std::pair<Pid, AXElement>> windows;
    std::set<Pid> pids;
    for (const auto& [id, session] : sessions)
        for (const auto& tracked : session->elements) {
            entries.push_back({tracked.pid, tracked.element});
            windows.emplace_back(tracked.pid, tracked.element);
            pids.insert(tracked.pid);
        }
    if (pids != observedPids_ || windows != observedWindows_) {
        windowObserver_->observe(entries);
        observedPids_ = std::move(pids);
        observedWindows_ = std::move(windows);
    }

    auto focusPids = runningManagedFocusPids();
    if (focusPids == observedFocusPids_) return;
    appFocusObserver_->observe(std::vector<Pid>(focusPids.begin(), focusPids.end()), 3);
    observedFocusPids_ = std::move(focusPids);
}

std::set<Pid> ControllerObservers::runningManagedFocusPids() const {
    std::set<Pid> out;
    for (const auto& id : sessions.keys()) {
        const auto ws = manager.workspace(id);
        if (!ws) continue;
        for (const auto& app : ws->apps)
            if (auto running = apps.runningApplication(app.bundleIdentifier); running && running->isFinishedLaunching)
                out.insert(running->pid);
    }
    return out;
}

}  // namespace tessane
