// The running half of the simulated applications: processes, launches, hide and activation.
#include "platform/sim/SimApplications.h"

#include "platform/sim/SimMainQueue.h"
#include "platform/sim/SimWindowServer.h"

#include <algorithm>
#include <cassert>

namespace tessane::sim {
namespace fs = std::filesystem;

namespace {

std::string fileURL(const fs::path& path) { return "file://" + path.string(); }

// "The application can't be found": what the system answers for a path without an application.
SystemError applicationNotFound() {
    return {"NSOSStatusErrorDomain", -10814, "The application can’t be found."};
}

}  // namespace

void SimApplications::connect(SimMainQueue& queue, SimWindowServer& windowServer) {
    queue_ = &queue;
    windowServer_ = &windowServer;
}

void SimApplications::setLaunchBehaviour(const std::string& bundleIdentifier,
                                         LaunchBehaviour behaviour) {
    behaviours_[bundleIdentifier] = std::move(behaviour);
}

Pid SimApplications::allocatePid() {
    while (windowServer_->app(nextPid_) || processes_.count(nextPid_)) ++nextPid_;
    return nextPid_++;
}

SimApp& SimApplications::addRunningApp(const RunningSpec& setup) {
    assert(windowServer_ && "connect() the window server first");
    const Pid pid = allocatePid();
    Process p;
    p.info.pid = pid;
    if (!setup.bundleIdentifier.empty()) p.info.bundleIdentifier = setup.bundleIdentifier;
    p.info.bundlePath = setup.bundlePath;
    p.info.activationPolicy = setup.activationPolicy;
    p.info.isHidden = setup.hidden;
    p.info.isFinishedLaunching = setup.finishedLaunching;
    p.info.localizedName = setup.name;
    p.ignoresHide = setup.ignoresHide;
    p.ignoresUnhide = setup.ignoresUnhide;
    p.order = nextOrder_++;
    processes_[pid] = std::move(p);
    return windowServer_->addApp(pid, setup.name);
}

SimApplications::Process* SimApplications::process(Pid pid) {
    // A process whose window-server app has gone (terminated there) is gone here too.
    if (!windowServer_ || !windowServer_->app(pid)) {
        processes_.erase(pid);
        return nullptr;
    }
    auto it = processes_.find(pid);
    return it == processes_.end() ? nullptr : &it->second;
}

std::optional<RunningApplication> SimApplications::snapshot(Pid pid) const {
    if (!windowServer_) return std::nullopt;
    SimApp* app = windowServer_->app(pid);
    if (!app) return std::nullopt;
    if (auto it = processes_.find(pid); it != processes_.end()) return it->second.info;
    RunningApplication info;  // an app the test put on the window server directly
    info.pid = pid;
    info.localizedName = app->name();
    info.isFinishedLaunching = true;
    return info;
}

std::vector<RunningApplication> SimApplications::runningApplications() const {
    if (!windowServer_) return {};
    // Launch order: known processes by their order, then the window server's others by pid.
    std::vector<std::pair<uint64_t, Pid>> order;
    for (SimApp* app : windowServer_->apps()) {
        auto it = processes_.find(app->pid());
        const uint64_t rank = it != processes_.end() ? it->second.order : UINT64_MAX;
        order.emplace_back(rank, app->pid());
    }
    std::sort(order.begin(), order.end());
    std::vector<RunningApplication> out;
    for (auto& [rank, pid] : order)
        if (auto info = snapshot(pid)) out.push_back(*info);
    return out;
}

std::optional<RunningApplication> SimApplications::frontmostApplication() const {
    for (auto it = activationOrder_.rbegin(); it != activationOrder_.rend(); ++it) {
        auto info = snapshot(*it);
        if (info && !info->isHidden) return info;
    }
    return std::nullopt;
}

void SimApplications::notify(RunningApplications::Notification notification, Pid pid) {
    auto info = snapshot(pid);
    if (!info || !queue_) return;
    queue_->post(lifetime_.guard([this, notification, info = *info] {
        notifications_.at(static_cast<size_t>(notification)).emit(info);
    }));
}

bool SimApplications::openURL(const std::string& url) {
    openedURLs_.push_back(url);
    return true;
}

Subscription SimApplications::observe(RunningApplications::Notification notification,
                                      std::function<void(const RunningApplication&)> handler) {
    return notifications_.at(static_cast<size_t>(notification)).subscribe(std::move(handler));
}

void SimApplications::becomeFrontmost(Pid pid) {
    std::erase(activationOrder_, pid);
    activationOrder_.push_back(pid);
}

void SimApplications::frontmostMayHaveChanged(std::optional<Pid> before) {
    auto now = frontmostApplication();
    if (now && (!before || *before != now->pid))
        notify(RunningApplications::Notification::didActivate, now->pid);
}

bool SimApplications::hide(Pid pid) {
    if (onHide) onHide(pid);
    Process* p = process(pid);
    if (!p) return false;
    if (p->ignoresHide || p->info.isHidden) return true;
    auto before = frontmostApplication();
    p->info.isHidden = true;
    frontmostMayHaveChanged(before ? std::optional<Pid>(before->pid) : std::nullopt);
    return true;
}

bool SimApplications::unhide(Pid pid) {
    Process* p = process(pid);
    if (!p) return false;
    ++p->unhideRequests;
    if (!p->ignoresUnhide) p->info.isHidden = false;
    return true;
}

bool SimApplications::activate(Pid pid) {
    ++activationRequests_;
    if (!snapshot(pid)) return false;
    if (Process* p = process(pid)) {
        if (p->info.activationPolicy == ActivationPolicy::prohibited) return false;
        p->info.isHidden = false;  // activating a hidden application shows it
    }
    auto before = frontmostApplication();
    becomeFrontmost(pid);
    windowServer_->bringAppToFront(pid);
    frontmostMayHaveChanged(before ? std::optional<Pid>(before->pid) : std::nullopt);
    return true;
}

void SimApplications::setIgnoresHide(Pid pid, bool ignores) {
    if (Process* p = process(pid)) p->ignoresHide = ignores;
}

void SimApplications::setIgnoresUnhide(Pid pid, bool ignores) {
    if (Process* p = process(pid)) p->ignoresUnhide = ignores;
}

int SimApplications::unhideRequests(Pid pid) const {
    auto it = processes_.find(pid);
    return it == processes_.end() ? 0 : it->second.unhideRequests;
}

void SimApplications::finishLaunching(Pid pid) {
    Process* p = process(pid);
    if (!p || p->info.isFinishedLaunching) return;
    p->info.isFinishedLaunching = true;
    notify(RunningApplications::Notification::didLaunch, pid);
}

void SimApplications::quit(Pid pid) {
    SimApp* app = windowServer_ ? windowServer_->app(pid) : nullptr;
    if (!app) return;
    auto info = snapshot(pid);
    auto before = frontmostApplication();
    app->terminate();
    processes_.erase(pid);
    std::erase(activationOrder_, pid);
    if (queue_ && info)
        queue_->post(lifetime_.guard([this, info = *info] {
            notifications_.at(size_t(RunningApplications::Notification::didTerminate)).emit(info);
        }));
    if (before && before->pid == pid) frontmostMayHaveChanged(std::nullopt);
}

bool SimApplications::terminate(Pid pid) {
    if (!snapshot(pid) || !queue_) return false;
    // A polite request: the application quits a moment later, not while the caller waits.
    queue_->post(lifetime_.guard([this, pid] { quit(pid); }));
    return true;
}

void SimApplications::openApplication(const fs::path& appPath,
                                      const OpenConfiguration& configuration,
                                      OpenCompletion completion) {
    open(appPath, {}, configuration, std::move(completion));
}

void SimApplications::openDocuments(const std::vector<fs::path>& documents,
                                    const fs::path& appPath,
                                    const OpenConfiguration& configuration,
                                    OpenCompletion completion) {
    open(appPath, documents, configuration, std::move(completion));
}

void SimApplications::openWindows(Pid pid, const LaunchBehaviour& behaviour, int ownWindows,
                                  const std::vector<fs::path>& documents) {
    SimApp* app = windowServer_->app(pid);
    if (!app) return;
    std::vector<SimWindowSpec> windowSetups;
    for (int i = 0; i < ownWindows; ++i) windowSetups.push_back({.frame = behaviour.windowFrame});
    for (auto& doc : documents)
        windowSetups.push_back({.title = doc.filename().string(),
                         .frame = behaviour.windowFrame,
                         .document = fileURL(doc)});
    for (auto& setup : windowSetups) {
        if (behaviour.windowDelay > 0)
            app->addWindowAfter(behaviour.windowDelay, setup);
        else
            app->addWindow(setup);
    }
}

void SimApplications::open(const fs::path& appPath, const std::vector<fs::path>& documents,
                           const OpenConfiguration& configuration, OpenCompletion completion) {
    assert(queue_ && windowServer_ && "connect() the window server first");
    openRequests_.push_back({appPath, documents, configuration.activates});
    auto answer = std::make_shared<OpenCompletion>(std::move(completion));
    auto reply = [answer](std::optional<RunningApplication> app, std::optional<SystemError> error) {
        if (auto c = std::exchange(*answer, nullptr)) c(std::move(app), std::move(error));
    };

    const auto bundle = bundleAt(appPath);
    if (!bundle) {
        queue_->post([reply] { reply(std::nullopt, applicationNotFound()); });
        return;
    }
    auto found = behaviours_.find(bundle->bundleIdentifier);
    const LaunchBehaviour behaviour = found != behaviours_.end() ? found->second : LaunchBehaviour{};

    // Already running: the request goes to that instance.
    std::optional<Pid> existing;
    for (auto& app : runningApplications()) {
        if (app.bundleIdentifier != bundle->bundleIdentifier) continue;
        if (!existing || app.activationPolicy == ActivationPolicy::regular) existing = app.pid;
        if (app.activationPolicy == ActivationPolicy::regular) break;
    }
    if (existing) {
        // Opened again with nothing to hand it, an application without a window puts one up
        // (a desktop's "reopen"); with windows it only comes forward when asked to.
        const SimApp* app = windowServer_->app(*existing);
        const bool windowless = app && app->windows().empty();
        openWindows(*existing, behaviour, documents.empty() && windowless ? behaviour.windows : 0,
                    documents);
        if (configuration.activates) activate(*existing);
        auto info = snapshot(*existing);
        if (behaviour.answersAtOnce)
            reply(info, std::nullopt);
        else
            queue_->post([reply, info] { reply(info, std::nullopt); });
        return;
    }

    if (behaviour.failure || behaviour.failsWithoutReason) {
        auto error = behaviour.failure;
        if (behaviour.answersAtOnce)
            reply(std::nullopt, error);
        else
            queue_->postAfter(behaviour.launchTime, [reply, error] { reply(std::nullopt, error); });
        return;
    }

    RunningSpec setup;
    setup.bundleIdentifier = bundle->bundleIdentifier;
    setup.bundlePath = appPath;
    setup.name = bundle->displayName.value_or(bundle->bundleName.value_or(appPath.stem().string()));
    setup.activationPolicy = behaviour.activationPolicy;
    setup.finishedLaunching = false;
    setup.ignoresHide = behaviour.ignoresHide;
    const Pid pid = addRunningApp(setup).pid();

    if (behaviour.answersAtOnce) reply(snapshot(pid), std::nullopt);
    const bool activates = configuration.activates;
    queue_->postAfter(behaviour.launchTime,
                      lifetime_.guard([this, pid, behaviour, documents, activates, reply] {
                          if (!process(pid)) {  // quit while launching
                              reply(std::nullopt, std::nullopt);
                              return;
                          }
                          finishLaunching(pid);
                          openWindows(pid, behaviour, behaviour.windows, documents);
                          if (activates) activate(pid);
                          reply(snapshot(pid), std::nullopt);
                      }));
}

}  // namespace tessane::sim
