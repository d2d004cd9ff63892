// Running applications: client windows grouped by process, their desktop entries, hide, unhide,
// activate, terminate and the notifications. Launching is in LinuxAppLaunching.cpp.
#include "platform/linux/apps/LinuxRunningApplications.h"

#include "platform/linux/windows/ActivationRaise.h"
#include "platform/linux/windows/LinuxAccessibility.h"
#include "platform/linux/windows/WindowManagerWaits.h"
#include "platform/linux/apps/LinuxAppCatalog.h"
#include "platform/linux/apps/PacedIconifies.h"
#include "platform/linux/apps/ProcessEvidence.h"
#include "platform/linux/apps/ProcessExits.h"
#include "platform/linux/processes/ProcessLauncher.h"
#include "platform/linux/x11/X11ManagerWatch.h"

#include <algorithm>
#include <fstream>
#include <unistd.h>

namespace tessane::linux_backend {
namespace fs = std::filesystem;

namespace {

constexpr double kIndexMaxAge = 5;  // seconds before a miss may rebuild the entry index

std::optional<std::string> processName(Pid pid) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    if (std::getline(comm, name) && !name.empty()) return name;
    return std::nullopt;
}

size_t slot(RunningApplications::Notification n) { return static_cast<size_t>(n); }

}  // namespace

LinuxRunningApplications::LinuxRunningApplications(X11Connection& x, LinuxAccessibility& ax,
                                                   const LinuxAppCatalog& catalog, MainQueue& queue,
                                                   LogSink log, std::filesystem::path helpFolder)
    : x_(x), ax_(ax), catalog_(catalog), queue_(queue), log_(std::move(log)), helpFolder_(std::move(helpFolder)) {
    // Its children's structure: new top-level windows, before they map.
    x_.selectInput(x_.root(), X11EventMask::properties | X11EventMask::structure | X11EventMask::substructure);
    events_ = x_.onEvent([this](const X11Event& e) { onEvent(e); });
    iconifies_ = std::make_unique<PacedIconifies>(
        x_, ax_, ax_.lives(), queue_, lifetime_.guard([this](Pid pid, const std::vector<XWindowId>& windows) {
            // Iconified by the manager after the application was shown again: brought back.
            if (const Group* g = group(pid); g && !g->hiddenByRequest) ax_.restoreWindows(windows, stayedMinimized(pid));
        }),
        [this](const std::string& line) { this->log(line); });
    refresh(/*initial=*/true);
    if (auto active = x_.windowList(x_.root(), "_NET_ACTIVE_WINDOW"); active && !active->empty()) {
        ax_.lives().toldActive((*active)[0], queue_.now());
        takeOutOfTurn((*active)[0]);
        if (auto it = windowOwners_.find((*active)[0]); it != windowOwners_.end()) activePid_ = it->second;
    }
}

LinuxRunningApplications::~LinuxRunningApplications() {
    events_.reset();
}

void LinuxRunningApplications::log(const std::string& line) const {
    if (log_) log_(line);
}

Subscription LinuxRunningApplications::observe(Notification notification,
                                               std::function<void(const RunningApplication&)> handler) {
    return notifications_.at(slot(notification)).subscribe(std::move(handler));
}

void LinuxRunningApplications::notify(Notification notification, const RunningApplication& app) {
    queue_.post(lifetime_.guard([this, notification, app] { notifications_.at(slot(notification)).emit(app); }));
}

// ------------------------------------------------------------------------------------ events

void LinuxRunningApplications::onEvent(const X11Event& e) {
    if (e.kind == X11Event::Kind::create && e.eventWindow == x_.root()) {
        windowCreated(e.window);
        return;
    }
    if (e.kind == X11Event::Kind::property && quietWindows_.count(e.window)) {
        if (e.atom == x_.atom("_NET_WM_USER_TIME_WINDOW")) keepQuiet(e.window);
        return;
    }
    // A flood's dropped events may have held new windows of a launch: the list tells of them.
    const bool resync = e.kind == X11Event::Kind::resync;
    if (!resync && (e.kind != X11Event::Kind::property || e.window != x_.root())) return;
    if ((resync || e.atom == x_.atom("_NET_CLIENT_LIST")) && !std::exchange(clientListStale_, true)) {
        // Read once after a storm of changes (Mutter rewrites the list for every window it
        // restores), not with a round trip per change.
        queue_.post(lifetime_.guard([this] {
            clientListStale_ = false;
            refresh(false);
        }));
    } else if (e.atom == x_.atom("_NET_ACTIVE_WINDOW") && !std::exchange(activeWindowStale_, true)) {
        // Read once after a storm of changes (a manager that focuses each of a thousand windows
        // it restores), not once per change while the storm goes on.
        queue_.post(lifetime_.guard([this] {
            activeWindowStale_ = false;
            activeWindowChanged();
        }));
    }
}

void LinuxRunningApplications::refresh(bool initial) {
    const auto clients = x_.windowList(x_.root(), "_NET_CLIENT_LIST").value_or(std::vector<XWindowId>{});
    for (XWindowId w : clients_.update(clients)) removeWindow(w);
    if (initial) listedAtStart_ = WindowIdSet(clients);
    clients_.takeInSlices(queue_, [this](const std::vector<XWindowId>& fresh) { takeNewClients(fresh); });
}

// A slice of the new windows (the first at once, the rest on the main queue). The windows listed
// when we started are taken in the same way, and none of them is told as launched.
void LinuxRunningApplications::takeNewClients(const std::vector<XWindowId>& fresh) {
    const auto pids = ax_.windowPids(fresh);
    // The evidence of the windows that make an application known, read in one batch.
    std::vector<XWindowId> first;
    std::set<Pid> firstPids;
    for (size_t i = 0; i < fresh.size(); ++i)
        if (pids[i] && !groups_.count(*pids[i]) && firstPids.insert(*pids[i]).second) first.push_back(fresh[i]);
    const auto evidence = WindowAppEvidence::read(x_, first);
    // A window without a process we can name cannot be addressed by pid: left out.
    for (size_t i = 0, next = 0; i < fresh.size(); ++i) {
        if (!pids[i]) continue;
        const bool hasEvidence = next < first.size() && first[next] == fresh[i];
        addWindow(fresh[i], *pids[i], listedAtStart_.contains(fresh[i]), hasEvidence ? &evidence[next++] : nullptr);
    }
    if (!clients_.hasWaiting()) listedAtStart_.clear();
}

// A window that matters before its turn in the list came (the active one).
void LinuxRunningApplications::takeOutOfTurn(XWindowId window) {
    if (!clients_.take(window)) return;
    if (auto pid = ax_.windowPid(window)) {
        const XWindowId one[] = {window};
        addWindow(window, *pid, listedAtStart_.contains(window), &WindowAppEvidence::read(x_, one).front());
    }
}

// A new top-level window of a process we launched without activating: before the window
// manager sees it mapped, it asks not to be focused (a toolkit that has a time of its own for
// it replaces ours).
void LinuxRunningApplications::windowCreated(XWindowId window) {
    if (std::none_of(launches_.begin(), launches_.end(), [](const Launch& l) { return !l.activates && !l.processGone; }))
        return;
    const XWindowId one[] = {window};
    const auto owner = x_.windowOwners(one).front();
    const auto pid = owner.serverPid ? owner.serverPid : owner.claimedPid;
    if (!pid) return;
    if (const Launch* l = launch(*pid); l && !l->activates) {
        // Toolkits that keep the time on a window of its own (GTK) name it a moment later.
        if (quietWindows_.size() >= kMaxQuietWindows) quietWindows_.erase(quietWindows_.begin());
        quietWindows_.insert(window);
        x_.selectInput(window, X11EventMask::properties);
        keepQuiet(window);
    }
}

void LinuxRunningApplications::keepQuiet(XWindowId window) {
    XWindowId timeWindow = window;
    if (auto named = x_.windowList(window, "_NET_WM_USER_TIME_WINDOW"); named && !named->empty() && (*named)[0])
        timeWindow = (*named)[0];
    if (!x_.cardinals(timeWindow, "_NET_WM_USER_TIME")) x_.setCardinal(timeWindow, "_NET_WM_USER_TIME", 0);
    x_.flush();
}

void LinuxRunningApplications::addWindow(XWindowId window, Pid pid, bool initial, const WindowAppEvidence* evidence) {
    windowOwners_[window] = pid;
    ax_.lives().begin(window);
    quietWindows_.erase(window);  // mapped: the window manager has decided
    const bool appWindow = ax_.isApplicationWindow(window);
    Group* g = group(pid);
    bool newGroup = false;
    if (!g) {
        newGroup = true;
        Group fresh;
        fresh.pid = pid;
        if (Launch* l = launch(pid)) {
            // Our own launch puts up its first window: it has finished launching.
            fresh.order = l->order;
            fresh.desktopId = l->desktopId;
            fresh.entryPath = l->entryPath;
            fresh.name = l->name;
        } else {
            fresh.order = nextOrder_++;
        }
        g = &groups_.emplace(pid, std::move(fresh)).first->second;
        const WindowAppEvidence read = evidence ? WindowAppEvidence{} : [&] {
            const XWindowId one[] = {window};
            return WindowAppEvidence::read(x_, one).front();
        }();
        const WindowAppEvidence& seen = evidence ? *evidence : read;
        if (!g->desktopId) identify(*g, seen);
        if (!g->name) {
            const auto& klass = seen.wmClass;
            g->name = klass && !klass->second.empty() ? std::optional(klass->second) : processName(pid);
        }
    }
    if (appWindow) {
        g->windows.push_back(window);
        if (x_.cardinals(window, kHiddenMark)) g->hiddenByRequest = true;
        const auto states = x_.atomList(window, "_NET_WM_STATE");
        if (states && std::find(states->begin(), states->end(), x_.atom("_NET_WM_STATE_SKIP_TASKBAR")) != states->end())
            g->skipsTaskbar.insert(window);
    } else {
        ++g->otherWindows;
    }

    // The launch this window answers: our process's own, the one whose startup id it carries
    // (a single-instance application that took the launch over), or one of the same
    // application whose launcher handed over to this process.
    auto served = std::find_if(launches_.begin(), launches_.end(), [&](const Launch& l) { return l.pid == pid; });
    if (served == launches_.end() && !launches_.empty()) {
        const XWindowId one[] = {window};
        const auto startupId = evidence ? evidence->startupId : WindowAppEvidence::read(x_, one).front().startupId;
        if (startupId)
            served = std::find_if(launches_.begin(), launches_.end(),
                                  [&](const Launch& l) { return l.startupId == *startupId; });
    }
    if (served == launches_.end() && g->desktopId) {
        served = std::find_if(launches_.begin(), launches_.end(), [&](const Launch& l) {
            return l.desktopId == *g->desktopId && (l.processGone || !ProcessExits::alive(l.pid));
        });
    }
    if (served != launches_.end() && appWindow) {
        // An activation asked for while the app was launching holds unless another app was
        // activated since (a show activates its primary app last): the latest request wins.
        const bool activates = served->activates && served->activationRequest == activationRequests_;
        launches_.erase(served);
        if (activates) {
            requestActivation(pid, window);
        } else {
            mappedQuietly_[window] = {queue_.now() + kFocusGiveBackSeconds, false};
            // The client list is read as it is now and the events as they come: on a busy
            // machine the list names the window before its creation is heard, which then finds
            // the launch answered. Asked here too, late for its mapping but not for the
            // manager's later choices.
            keepQuiet(window);
        }
    }
    if (newGroup && !initial) notify(Notification::didLaunch, *snapshot(*g));
    if (!launch(pid)) exits_.unwatch(pid);  // it has a window again: told by the window's going
}

// Once per process: the group stands for it as long as it has windows or runs.
void LinuxRunningApplications::identify(Group& g, const WindowAppEvidence& window) {
    const auto process = ProcessEvidence::read(g.pid, ProcessLauncher::searchPath());
    linux_desktop::DesktopAppIndex::Evidence facts;
    facts.gtkApplicationId = window.gtkApplicationId;
    facts.kdeDesktopFile = window.kdeDesktopFile;
    facts.startupId = window.startupId;
    facts.wmClass = window.wmClass;
    facts.sandboxAppId = process.sandboxAppId;
    facts.programs = process.programs;
    facts.arguments = process.arguments;
    const auto* app = index(false).match(facts, startupIds_);
    if (!app) app = index(true).match(facts, startupIds_);  // installed since the index was built?
    if (!app) return;
    g.desktopId = app->id;
    g.entryPath = app->path;
    g.name = app->name;
}

const linux_desktop::DesktopAppIndex& LinuxRunningApplications::index(bool mayRebuild) {
    const double now = queue_.now();
    if (index_ && (!mayRebuild || now - indexBuiltAt_ < kIndexMaxAge)) return *index_;
    std::vector<linux_desktop::DesktopAppIndex::App> apps;
    const std::string path = ProcessLauncher::searchPath();
    for (auto& [id, file] : catalog_.applicationEntries()) {
        if (auto entry = linux_desktop::DesktopEntry::read(file))
            apps.push_back(linux_desktop::DesktopAppIndex::describe(id, file, *entry, catalog_.folders().locale, path));
    }
    index_.emplace(std::move(apps));
    indexBuiltAt_ = now;
    return *index_;
}

void LinuxRunningApplications::removeWindow(XWindowId window) {
    auto owner = windowOwners_.find(window);
    if (owner == windowOwners_.end()) return;
    const Pid pid = owner->second;
    windowOwners_.erase(owner);
    // The one place a window's life ends: every request still pending on it goes with it.
    mappedQuietly_.erase(window);
    iconifies_->forget(window);
    ax_.lives().end(window);
    Group* g = group(pid);
    if (!g) return;
    auto it = std::find(g->windows.begin(), g->windows.end(), window);
    g->skipsTaskbar.erase(window);
    if (it != g->windows.end()) g->windows.erase(it);
    else if (g->otherWindows > 0) --g->otherWindows;
    if (!g->windows.empty() || g->otherWindows > 0) return;
    if (ProcessExits::alive(pid)) {
        exits_.watch(pid);  // windowless but running: told when the process goes
        return;
    }
    auto info = snapshot(*g);
    groups_.erase(pid);
    if (activePid_ == pid) activePid_ = 0;
    if (info) notify(Notification::didTerminate, *info);
}

void LinuxRunningApplications::activeWindowChanged() {
    auto active = x_.windowList(x_.root(), "_NET_ACTIVE_WINDOW");
    const XWindowId window = active && !active->empty() ? (*active)[0] : 0;
    if (window == 0) return;
    if (!windowOwners_.count(window)) {
        // Activated before its turn in the list came, or before the list told us.
        if (!clients_.listed(window)) refresh(false);
        takeOutOfTurn(window);
    }
    if (giveFocusBack(window)) return;
    ax_.lives().toldActive(window, queue_.now());
    auto owner = windowOwners_.find(window);
    if (owner == windowOwners_.end() || owner->second == activePid_) return;
    activePid_ = owner->second;
    if (Group* g = group(activePid_)) notify(Notification::didActivate, *snapshot(*g));
}

// A window of a launch that was not to activate, focused by the window manager as it mapped:
// the focus goes back where it was (the app a show activated keeps it), and nobody is told of
// an activation that is undone, nor of its repeats until the window manager has answered.
bool LinuxRunningApplications::giveFocusBack(XWindowId window) {
    const double now = queue_.now();
    std::erase_if(mappedQuietly_, [&](const auto& entry) {
        return entry.second.until < now || (entry.second.givenBack && entry.first != window);
    });
    const auto quiet = mappedQuietly_.find(window);
    if (quiet == mappedQuietly_.end()) return false;
    if (quiet->second.givenBack) return true;
    const XWindowId previous = ax_.lives().active();
    if (previous == window || !windowOwners_.count(previous) ||
        !ax_.lives().mayFocusAgain(previous, ax_.isMinimized(previous).value_or(true))) {
        mappedQuietly_.erase(quiet);
        return false;
    }
    quiet->second.givenBack = true;
    ax_.activate(previous);
    x_.flush();
    return true;
}

// A process we launched, or an application without windows, has exited.
void LinuxRunningApplications::processEnded(Pid pid) {
    const double now = queue_.now();
    for (auto& l : launches_)
        if (l.pid == pid && !l.processGone) {
            l.processGone = true;
            // A launcher that handed over is waited for that long after it started.
            queue_.postAfter(std::max(0.0, l.startedAt + kLaunchHandOverSeconds - now), lifetime_.guard([this] {
                const double later = queue_.now();
                std::erase_if(launches_, [&](const Launch& gone) {
                    return gone.processGone && later - gone.startedAt >= kLaunchHandOverSeconds;
                });
            }));
        }
    Group* g = group(pid);
    if (!g || !g->windows.empty() || g->otherWindows > 0) return;
    auto info = snapshot(*g);
    groups_.erase(pid);
    if (activePid_ == pid) activePid_ = 0;
    if (info) notify(Notification::didTerminate, *info);
}

// ---------------------------------------------------------------------------------- reading

LinuxRunningApplications::Group* LinuxRunningApplications::group(Pid pid) {
    auto it = groups_.find(pid);
    return it == groups_.end() ? nullptr : &it->second;
}

LinuxRunningApplications::Launch* LinuxRunningApplications::launch(Pid pid) {
    for (auto& l : launches_)
        if (l.pid == pid) return &l;
    return nullptr;
}

std::optional<RunningApplication> LinuxRunningApplications::snapshot(const Group& g) const {
    RunningApplication a;
    a.pid = g.pid;
    a.bundleIdentifier = g.desktopId;
    a.bundlePath = g.entryPath;
    a.activationPolicy = g.windows.size() > g.skipsTaskbar.size() ? ActivationPolicy::regular : ActivationPolicy::accessory;
    a.isFinishedLaunching = g.finishedLaunching;
    a.localizedName = g.name;
    // A hide whose iconifies are still to come counts: a show that follows it has them dropped.
    if (g.hiddenByRequest && !g.windows.empty()) {
        const auto minimized = ax_.areMinimized(g.windows);
        a.isHidden = true;
        for (size_t i = 0; i < g.windows.size() && a.isHidden; ++i)
            a.isHidden = ax_.lives().countsHidden(g.windows[i], minimized[i]);
    }
    return a;
}

RunningApplication LinuxRunningApplications::snapshot(const Launch& l) {
    RunningApplication a;
    a.pid = l.pid;
    a.bundleIdentifier = l.desktopId;
    a.bundlePath = l.entryPath;
    a.localizedName = l.name;
    a.isFinishedLaunching = false;
    return a;
}

std::optional<RunningApplication> LinuxRunningApplications::snapshot(Pid pid) const {
    if (auto it = groups_.find(pid); it != groups_.end()) return snapshot(it->second);
    for (auto& l : launches_)
        if (l.pid == pid && !l.processGone) return snapshot(l);
    return std::nullopt;
}

std::vector<RunningApplication> LinuxRunningApplications::runningApplications() const {
    std::vector<std::pair<uint64_t, RunningApplication>> ordered;
    for (auto& [pid, g] : groups_)
        if (auto a = snapshot(g)) ordered.emplace_back(g.order, std::move(*a));
    for (auto& l : launches_)
        if (!l.processGone && !groups_.count(l.pid)) ordered.emplace_back(l.order, snapshot(l));
    std::sort(ordered.begin(), ordered.end(), [](auto& a, auto& b) { return a.first < b.first; });
    std::vector<RunningApplication> out;
    for (auto& [order, app] : ordered) out.push_back(std::move(app));
    return out;
}

std::optional<RunningApplication> LinuxRunningApplications::frontmostApplication() const {
    auto active = x_.windowList(x_.root(), "_NET_ACTIVE_WINDOW");
    if (!active || active->empty() || (*active)[0] == 0) return std::nullopt;
    auto owner = windowOwners_.find((*active)[0]);
    if (owner == windowOwners_.end()) return std::nullopt;
    return snapshot(owner->second);
}

std::optional<XWindowId> LinuxRunningApplications::frontWindow(const Group& g) const {
    // One pass over the stacking list and one snapshot of the states, however many windows.
    const std::unordered_set<XWindowId> own(g.windows.begin(), g.windows.end());
    std::vector<XWindowId> ordered;
    for (XWindowId w : ax_.clientsFrontToBack())
        if (own.count(w)) ordered.push_back(w);
    const auto minimized = ax_.areMinimized(ordered);
    for (size_t i = 0; i < ordered.size(); ++i)
        if (!minimized[i]) return ordered[i];
    if (ordered.empty()) return std::nullopt;
    return ordered.front();
}

// --------------------------------------------------------------------------------- requests

bool LinuxRunningApplications::hide(Pid pid) {
    Group* g = group(pid);
    if (!g) return launch(pid) != nullptr;
    g->hiddenByRequest = true;
    ax_.forgetRestores(g->windows);
    for (XWindowId w : g->windows)
        if (WindowLife* life = ax_.lives().find(w)) life->hideAsked = true;
    // None of the requests is waited for. The iconifies go to the manager a few at a time, the
    // window the user had in front first.
    x_.setCardinals(g->windows, kHiddenMark, 1);
    const auto ordered = frontToBack(*g);
    const auto minimized = ax_.areMinimized(ordered);
    std::vector<XWindowId> shown;
    for (size_t i = 0; i < ordered.size(); ++i)
        if (!minimized[i]) shown.push_back(ordered[i]);
    ax_.noteMinimizing(shown);
    iconifies_->hide(pid, shown);
    x_.flush();
    return true;
}

// The front windows (those a show tiles) are restored when this returns, since a show looks for
// them right away; the backend waits for the window manager for all of them at once, all the
// unhides of one show share one bound, and many more windows come back after the show.
bool LinuxRunningApplications::unhide(Pid pid) {
    Group* g = group(pid);
    if (!g) return launch(pid) != nullptr;
    g->hiddenByRequest = false;
    x_.removeProperties(g->windows, kHiddenMark);
    for (XWindowId w : g->windows)
        if (WindowLife* life = ax_.lives().find(w)) life->hideAsked = false;
    // What the hide has not asked for yet stays up; what the manager has still to iconify comes
    // back once it has.
    iconifies_->cancel(pid);
    // Front to back: the window the user had in front (the one a show tiles) comes back first
    // from a manager that restores a thousand windows one after the other.
    const auto ordered = frontToBack(*g);
    std::vector<XWindowId> iconic;
    const auto minimized = ax_.areMinimized(ordered);
    for (size_t i = 0; i < ordered.size(); ++i)
        if (minimized[i]) iconic.push_back(ordered[i]);
    ax_.restoreWindows(iconic, stayedMinimized(pid));
    x_.flush();
    return true;
}

std::vector<XWindowId> LinuxRunningApplications::frontToBack(const Group& g) const {
    const std::unordered_set<XWindowId> own(g.windows.begin(), g.windows.end());
    std::vector<XWindowId> ordered;
    for (XWindowId w : ax_.clientsFrontToBack())
        if (own.count(w)) ordered.push_back(w);
    if (ordered.size() != g.windows.size()) return g.windows;  // the stacking list lags behind
    return ordered;
}

std::function<void(size_t)> LinuxRunningApplications::stayedMinimized(Pid pid) {
    return lifetime_.guard([this, pid](size_t left) {
        // Hidden again since: they are meant to be minimized.
        const Group* g = group(pid);
        if (g && g->hiddenByRequest) return;
        log("[Tessane] " + (g && g->name ? *g->name : "pid " + std::to_string(pid)) + ": " + std::to_string(left) +
            " window(s) stayed minimized: the window manager did not restore them.");
    });
}

bool LinuxRunningApplications::activate(Pid pid) {
    ++activationRequests_;
    Group* g = group(pid);
    if (!g) {
        if (Launch* l = launch(pid); l && !l->processGone) {
            l->activates = true;  // its first window will be activated
            l->activationRequest = activationRequests_;
            return true;
        }
        return false;
    }
    if (g->hiddenByRequest) {
        unhide(pid);
        // unhide() waits for the window manager, handling events: the application may be gone.
        g = group(pid);
        if (!g) return false;
    }
    auto front = frontWindow(*g);
    if (!front) return false;
    for (XWindowId w : g->windows) mappedQuietly_.erase(w);  // asked for now: it keeps the focus
    requestActivation(pid, *front);
    return true;
}

void LinuxRunningApplications::requestActivation(Pid pid, XWindowId window) {
    if (!x_.takesFocus(window)) {
        ax_.activate(window);
        activateByRaising(pid, window);
        return;
    }
    // IceWM focuses an activated window without raising it; the others raise it themselves, and
    // a restack request on top costs some of them a restack of every window (see ActivationRaise).
    const auto overBefore = ax_.framesOver(window).value_or(std::vector<XWindowId>{});
    const auto raise = raiseAfterActivation(x_.manager().activationRaises(), overBefore.empty());
    ax_.activate(window);  // what a window that takes the focus unasked gives it back to
    if (raise.raiseNow) x_.requestRaise(window);
    // A manager that refuses (or ignores) the request says nothing: what it did is looked at once
    // it answered a round trip after the request, and the one after that (a manager tells the
    // window active once the server told it the focus moved, which its first answer may precede),
    // unless another activation was asked for since. A busy manager is slow, not refusing.
    const uint64_t request = activationRequests_;
    const auto look = lifetime_.guard([this, pid, window, request, raise, overBefore](bool) {
        if (request != activationRequests_ || !windowOwners_.count(window)) return;
        const auto active = x_.windowList(x_.root(), "_NET_ACTIVE_WINDOW");
        const bool isActive = active && !active->empty() && (*active)[0] == window;
        if (const auto overNow = raise.lookLater ? ax_.framesOver(window) : std::nullopt) {
            const auto look = lookAfterActivation(isActive, overBefore, *overNow);
            if (look.managerRaises) x_.manager().learnActivationRaises(*look.managerRaises);
            if (look.raise) {
                x_.requestRaise(window);
                x_.flush();
            }
        }
        const auto owner = active && !active->empty() ? windowOwners_.find((*active)[0]) : windowOwners_.end();
        if (owner != windowOwners_.end() && owner->second == pid) return;
        activateByRaising(pid, window);
    });
    answers_.ask(waits::kHeardAnswer, lifetime_.guard([this, look](bool answered) {
        if (answered) answers_.ask(waits::kHeardAnswer, look);
        else look(false);
    }));
}

// An application the manager will not activate is brought forward all the same, as an activation
// does on other desktops: its window goes on top of the others, and it is told as the active
// application (the keyboard focus stays where it was).
void LinuxRunningApplications::activateByRaising(Pid pid, XWindowId window) {
    x_.requestRaise(window);
    x_.flush();
    if (activePid_ == pid) return;
    activePid_ = pid;
    if (Group* g = group(pid)) notify(Notification::didActivate, *snapshot(*g));
}

bool LinuxRunningApplications::terminate(Pid pid) {
    Group* g = group(pid);
    if (!g) return false;
    bool asked = false;
    for (XWindowId w : g->windows) asked = x_.requestDelete(w).ok() || asked;
    if (!asked)
        log("[Tessane] " + g->name.value_or("pid " + std::to_string(pid)) +
            " has no window that can be asked to close; it keeps running.");
    return asked;
}

}  // namespace tessane::linux_backend
