// Observers: window moves, resizes and destruction, focus changes and new windows, told on the
// main queue.
#include "platform/linux/windows/LinuxAXRegistry.h"
#include "platform/linux/x11/LinuxScreens.h"
#include "platform/linux/x11/X11DesktopModel.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <utility>

namespace tessane::linux_backend {

namespace {

bool isWindowNotification(const std::string& n) {
    return n == ax::kWindowMoved || n == ax::kWindowResized || n == ax::kUIElementDestroyed;
}

bool isKnownNotification(const std::string& n) {
    return isWindowNotification(n) || n == ax::kFocusedWindowChanged || n == ax::kMainWindowChanged ||
           n == ax::kWindowCreated;
}

}  // namespace

class LinuxAXObserver final : public AXObserver {
public:
    LinuxAXObserver(LinuxAccessibility& ax, std::shared_ptr<LinuxAccessibility::ObserverState> state)
        : ax_(ax), registry_(ax.registry_), state_(std::move(state)) {}
    ~LinuxAXObserver() override { detach(); }

    AXError addNotification(const AXElement& element, const std::string& notification) override {
        auto registry = registry_.lock();
        if (!registry || !registry->alive || state_->detached) return AXError::invalidUIElement;
        return ax_.addRegistration(state_, element, notification);
    }

    void detach() override {
        state_->detached = true;
        state_->registrations.clear();
        if (auto registry = registry_.lock(); registry && registry->alive) ax_.unwatchUnheard();
    }

private:
    LinuxAccessibility& ax_;
    std::weak_ptr<LinuxAccessibility::Registry> registry_;
    std::shared_ptr<LinuxAccessibility::ObserverState> state_;
};

Accessibility::ObserverResult LinuxAccessibility::createObserver(Pid pid, ObserverCallback callback) {
    if (!isProcessTrusted()) return {AXError::apiDisabled, nullptr};
    if (pid <= 0 || !callback) return {AXError::illegalArgument, nullptr};
    if (::kill(pid, 0) != 0 && errno != EPERM) return {AXError::cannotComplete, nullptr};
    auto state = std::make_shared<ObserverState>();
    state->pid = pid;
    state->callback = std::move(callback);
    std::erase_if(registry_->observers, [](auto& w) { return w.expired(); });
    registry_->observers.push_back(state);
    return {AXError::success, std::make_unique<LinuxAXObserver>(*this, state)};
}

AXError LinuxAccessibility::addRegistration(const std::shared_ptr<ObserverState>& observer,
                                            const AXElement& element, const std::string& notification) {
    if (element.isNull()) return AXError::illegalArgument;
    if (!isKnownNotification(notification)) return AXError::notificationUnsupported;
    if (isApplication(element)) {
        if (applicationPid(element) != observer->pid) return AXError::illegalArgument;
    } else {
        const XWindowId window = static_cast<XWindowId>(element.handle());
        auto owner = windowPid(window);
        if (!owner) return x_.windowExists(window) ? AXError::illegalArgument : AXError::invalidUIElement;
        if (*owner != observer->pid) return AXError::illegalArgument;
    }
    if (!observer->registrations.emplace(element.handle(), notification).second)
        return AXError::notificationAlreadyRegistered;
    if (isWindowNotification(notification)) {
        if (isApplication(element)) {
            for (XWindowId w : windowsOf(observer->pid)) watchWindow(w);
        } else {
            watchWindow(static_cast<XWindowId>(element.handle()));
        }
    }
    return AXError::success;
}

void LinuxAccessibility::watchWindow(XWindowId window) {
    if (registry_->lastFrames.count(window)) return;
    // Its frame too: a frame moves on every step of a title-bar drag, while its client hears only
    // of the drop. The read model hears the frames from the root and knows which holds it.
    Subscription watch = x_.desktop().watch(window, X11EventMask::structure | X11EventMask::properties);
    if (!watch) return;
    registry_->watches[window] = std::move(watch);
    registry_->lastFrames[window] = visibleFrame(window).value_or(Rect());
    // Watched afresh while fullscreen (listed again by its manager, or fullscreen when shown).
    if (auto s = state(window); s && s->fullScreen) noteFullScreen(window, true);
}

void LinuxAccessibility::unwatchUnheard() {
    std::vector<XWindowId> unheard;
    for (const auto& [window, frame] : registry_->lastFrames)
        if (!heardByAnObserver(window)) unheard.push_back(window);
    for (XWindowId w : unheard) {
        registry_->lastFrames.erase(w);
        registry_->fullScreen.erase(w);
        registry_->watches.erase(w);
    }
}

bool LinuxAccessibility::heardByAnObserver(XWindowId window) {
    const auto owner = pidCache_.find(window);
    if (owner == pidCache_.end()) return false;  // nobody it could be told to
    const uint64_t app = applicationElement(owner->second).handle();
    for (auto& weak : registry_->observers) {
        auto o = weak.lock();
        if (!o || o->detached || o->pid != owner->second) continue;
        for (const char* n : {ax::kWindowMoved, ax::kWindowResized, ax::kUIElementDestroyed})
            if (o->registrations.count({window, n}) || o->registrations.count({app, n})) return true;
    }
    return false;
}

// A watched window that enters or leaves fullscreen (or goes while in it) is told as a change of
// the active Space, as on macOS, where a fullscreen window has a Space of its own.
void LinuxAccessibility::noteFullScreen(XWindowId window, bool fullScreen) {
    const bool was = registry_->fullScreen.count(window) != 0;
    if (was == fullScreen) return;
    if (fullScreen) registry_->fullScreen.insert(window);
    else registry_->fullScreen.erase(window);
    queue_.post([registry = std::weak_ptr<Registry>(registry_), &screens = screens_] {
        if (auto r = registry.lock(); r && r->alive) screens.deliver(Screens::Notification::activeSpaceDidChange);
    });
}

void LinuxAccessibility::deliver(XWindowId window, Pid pid, const char* notification) {
    const uint64_t app = applicationElement(pid).handle();
    for (auto& weak : registry_->observers) {
        auto observer = weak.lock();
        if (!observer || observer->detached || observer->pid != pid) continue;
        if (!observer->registrations.count({window, notification}) &&
            !observer->registrations.count({app, notification}))
            continue;
        // Always later, on the main queue, as the port promises; an observer detached meanwhile
        // hears nothing.
        queue_.post([weakObserver = std::weak_ptr<ObserverState>(observer), window,
                     name = std::string(notification)] {
            auto o = weakObserver.lock();
            if (!o || o->detached) return;
            auto callback = o->callback;  // the callback may destroy the observer
            callback(AXElement::fromHandle(window), name);
        });
    }
}

void LinuxAccessibility::onEvent(const X11Event& e) {
    using K = X11Event::Kind;
    if (e.kind == K::screensChanged) {
        origin_.reset();
        return;
    }
    if (e.kind == K::resync) {
        // What the root heard of windows in a flood was dropped: the list, the stacking and the
        // frames followed are read again.
        std::vector<XWindowId> followed;
        for (const auto& [window, frame] : registry_->lastFrames) followed.push_back(window);
        for (XWindowId window : followed) frameChanged(window);
        readAfterStorm(clientListStale_, &LinuxAccessibility::clientListChanged);
        readAfterStorm(stackingStale_, &LinuxAccessibility::stackingChanged);
        return;
    }
    if (e.kind == K::property && e.window == x_.root()) {
        if (e.atom == x_.atom("_NET_CLIENT_LIST")) ++clientListWrites_;
        // A successor's announcement or its list of the windows it took in may end the wait for it.
        if ((e.atom == x_.atom("_NET_CLIENT_LIST") || e.atom == x_.atom("_NET_SUPPORTING_WM_CHECK")) &&
            !awaitingManager_.empty() && !std::exchange(replacementCheckPosted_, true))
            queue_.post([this, registry = registry_] {
                if (!registry->alive) return;
                replacementCheckPosted_ = false;
                settleReplacement();
            });
        if (e.atom == x_.atom("_NET_SUPPORTING_WM_CHECK")) {
            trusted_.reset();
        } else if (e.atom == x_.atom("_NET_ACTIVE_WINDOW")) {
            readAfterStorm(activeWindowStale_, &LinuxAccessibility::activeWindowChanged);
        } else if (e.atom == x_.atom("_NET_CLIENT_LIST")) {
            // Some managers (Metacity, Mutter) rewrite the list for every window they restore.
            readAfterStorm(clientListStale_, &LinuxAccessibility::clientListChanged);
        } else if (e.atom == x_.atom("_NET_CLIENT_LIST_STACKING")) {
            readAfterStorm(stackingStale_, &LinuxAccessibility::stackingChanged);
        }
        return;
    }
    if (e.kind == K::property && e.atom == x_.atom("_NET_WM_STATE") && registry_->lastFrames.count(e.window)) {
        if (auto s = state(e.window)) noteFullScreen(e.window, s->fullScreen);
        return;
    }
    if (e.kind == K::configure) {
        if (e.window == e.eventWindow) forgetMinimizedFrame(e.window);
        if (registry_->lastFrames.count(e.window)) {
            frameChanged(e.window);
        } else if (e.eventWindow == x_.root()) {
            for (XWindowId w : x_.desktop().clientsIn(e.window))
                if (registry_->lastFrames.count(w)) frameChanged(w);
        }
        return;
    }
    if (e.kind == K::destroy && wmCheckWindow_ != 0 && e.window == wmCheckWindow_) {
        trusted_.reset();  // the window manager has gone: ask again next time
        wmCheckWindow_ = 0;
        managerLeftAt_ = std::chrono::steady_clock::now();
        clientListWritesAtLeaving_ = clientListWrites_;
        return;
    }
    if (e.kind == K::destroy && e.window == e.eventWindow) windowGone(e.window, true);
}

void LinuxAccessibility::readAfterStorm(bool& stale, void (LinuxAccessibility::*read)()) {
    // Read once after a storm of changes (a manager restoring a thousand windows restacks and
    // focuses each), not once per change while the storm goes on.
    if (std::exchange(stale, true)) return;
    queue_.post([this, registry = registry_, &stale, read] {
        if (!registry->alive) return;
        stale = false;
        (this->*read)();
    });
}

void LinuxAccessibility::frameChanged(XWindowId window) {
    auto it = registry_->lastFrames.find(window);
    if (it == registry_->lastFrames.end()) return;
    auto now = visibleFrame(window);
    if (!now) return;
    const bool moved = now->origin != it->second.origin;
    const bool resized = now->size != it->second.size;
    it->second = *now;
    auto owner = pidCache_.find(window);
    if (owner == pidCache_.end()) return;
    if (moved) deliver(window, owner->second, ax::kWindowMoved);
    if (resized) deliver(window, owner->second, ax::kWindowResized);
}

void LinuxAccessibility::clientListChanged() {
    auto list = x_.windowList(x_.root(), "_NET_CLIENT_LIST").value_or(std::vector<XWindowId>{});
    for (XWindowId w : clients_.update(list)) windowGone(w, false);
    // What is known about ids that left the list goes with them.
    std::erase_if(pidCache_, [this](const auto& entry) { return !clients_.listed(entry.first); });
    noOwner_.keepIf([this](XWindowId w) { return listedAnywhere(w); });
    clients_.takeInSlices(queue_, [this](const std::vector<XWindowId>& fresh) { takeNewClients(fresh); });
}

// A slice of the list's new ids (the first at once, the rest later on the main queue, so that
// the events and work waiting in between are not held up by a long list).
void LinuxAccessibility::takeNewClients(const std::vector<XWindowId>& fresh) {
    prefetchWindowFacts(fresh);
    const auto owners = windowPids(fresh);
    for (size_t i = 0; i < fresh.size(); ++i) {
        const XWindowId w = fresh[i];
        registry_->goneReported.erase(w);
        if (!owners[i]) continue;  // not a window, or nobody's we can name
        const Pid owner = *owners[i];
        const uint64_t app = applicationElement(owner).handle();
        bool heard = false, watched = false;
        for (auto& weak : registry_->observers) {
            auto o = weak.lock();
            if (!o || o->detached || o->pid != owner) continue;
            heard = true;
            for (const char* n : {ax::kWindowMoved, ax::kWindowResized, ax::kUIElementDestroyed})
                watched = watched || o->registrations.count({app, n}) != 0;
        }
        // Only windows an observer of their process may hear of cost a further question.
        if (!heard || !isApplicationWindow(w)) continue;
        if (watched) watchWindow(w);
        deliver(w, owner, ax::kWindowCreated);
    }
}

void LinuxAccessibility::activeWindowChanged() {
    auto list = x_.windowList(x_.root(), "_NET_ACTIVE_WINDOW");
    const XWindowId active = list && !list->empty() ? (*list)[0] : 0;
    if (active == registry_->activeWindow) return;
    registry_->activeWindow = active;
    if (active == 0) return;
    if (auto owner = windowPid(active)) {
        deliver(active, *owner, ax::kFocusedWindowChanged);
        deliver(active, *owner, ax::kMainWindowChanged);
    }
}

// The stacking list, which any client may set too: its new ids are asked about in slices, so
// that AXWindows finds the answers kept.
void LinuxAccessibility::stackingChanged() {
    const auto list = x_.windowList(x_.root(), "_NET_CLIENT_LIST_STACKING").value_or(std::vector<XWindowId>{});
    noteStacking(list);
    stacked_.update(list);
    stacked_.takeInSlices(queue_, [this](const std::vector<XWindowId>& fresh) { windowPids(fresh); });
}

void LinuxAccessibility::windowGone(XWindowId window, bool destroyed) {
    registry_->lastFrames.erase(window);
    registry_->watches.erase(window);
    minimizedFrom_.erase(window);
    noteFullScreen(window, false);
    // Its destruction is the last that can be heard of it: what was reported goes then.
    if (destroyed ? registry_->goneReported.erase(window) : registry_->goneReported.count(window)) return;
    auto owner = pidCache_.find(window);
    if (owner == pidCache_.end()) return;
    const Pid pid = owner->second;
    pidCache_.erase(owner);
    if (!destroyed) registry_->goneReported.insert(window);
    deliver(window, pid, ax::kUIElementDestroyed);
}

}  // namespace tessane::linux_backend
