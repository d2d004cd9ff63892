// Hiding an application's windows a few at a time, as fast as the window manager iconifies them.
#include "platform/linux/apps/PacedIconifies.h"

#include "platform/linux/windows/LinuxAccessibility.h"
#include "platform/linux/x11/X11DesktopModel.h"

#include <algorithm>

namespace tessane::linux_backend {

PacedIconifies::PacedIconifies(X11Connection& x, LinuxAccessibility& ax, MainQueue& queue, Owed owed, LogSink log)
    : x_(x), ax_(ax), queue_(queue), owed_(std::move(owed)), log_(std::move(log)) {
    events_ = x_.onEvent([this](const X11Event& e) { onEvent(e); });
}

PacedIconifies::~PacedIconifies() {
    events_.reset();
    bool asked = false;
    for (auto& [pid, app] : apps_) {
        for (XWindowId w : app.waiting) x_.requestIconify(w);
        asked = asked || !app.waiting.empty();
    }
    if (asked) x_.flush();
}

void PacedIconifies::hide(Pid pid, const std::vector<XWindowId>& windows) {
    App& app = apps_[pid];
    app.owed = false;  // hidden again: what is in flight is meant to go down
    for (XWindowId w : windows) app.late.erase(w);
    for (XWindowId w : windows)
        if (!app.inFlight.count(w) && std::find(app.waiting.begin(), app.waiting.end(), w) == app.waiting.end())
            app.waiting.push_back(w);
    // The manager tells each iconify by a change of the window's state.
    x_.addEventMask(windows, X11EventMask::properties);
    send(app);
    x_.flush();
    armStallWatch();
}

void PacedIconifies::cancel(Pid pid) {
    const auto it = apps_.find(pid);
    if (it == apps_.end()) return;
    App& app = it->second;
    app.waiting.clear();
    // Those the manager is late with are in flight again: it may iconify them yet.
    for (XWindowId w : app.late) app.inFlight.emplace(w, queue_.now());
    app.late.clear();
    // Those iconified already are restored by the caller with the others.
    std::vector<XWindowId> inFlight;
    for (const auto& entry : app.inFlight) inFlight.push_back(entry.first);
    const auto minimized = ax_.areMinimized(inFlight);
    for (size_t i = 0; i < inFlight.size(); ++i)
        if (minimized[i]) app.inFlight.erase(inFlight[i]);
    if (app.inFlight.empty()) apps_.erase(it);
    else app.owed = true;
}

void PacedIconifies::forget(XWindowId window) {
    for (auto it = apps_.begin(); it != apps_.end();) {
        std::erase(it->second.waiting, window);
        it->second.inFlight.erase(window);
        it->second.late.erase(window);
        if (it->second.done()) it = apps_.erase(it);
        else ++it;
    }
}

void PacedIconifies::send(App& app) {
    while (app.inFlight.size() < app.budget && !app.waiting.empty()) {
        const XWindowId w = app.waiting.front();
        app.waiting.pop_front();
        app.inFlight.emplace(w, queue_.now());
        x_.requestIconify(w);
    }
}

void PacedIconifies::onEvent(const X11Event& e) {
    if (lookPosted_ || apps_.empty()) return;
    const bool frameHidden = e.kind == X11Event::Kind::unmap && e.eventWindow == x_.root();
    const bool stateChanged = e.kind == X11Event::Kind::property &&
                              (e.atom == x_.atom("WM_STATE") || e.atom == x_.atom("_NET_WM_STATE")) &&
                              std::any_of(apps_.begin(), apps_.end(),
                                          [&](const auto& entry) { return entry.second.inFlight.count(e.window); });
    if (!frameHidden && !stateChanged) return;
    // Read once the event is in the read model, and once for a burst of them.
    lookPosted_ = true;
    queue_.post(lifetime_.guard([this] { look(); }));
}

// The windows in flight the manager is done with (minimized, and their frame off the screen:
// Openbox animates an iconify and works through the animations it has begun before anything
// asked after them) make room for the next ones; for an application shown again meanwhile they
// are owed a restore.
void PacedIconifies::look() {
    lookPosted_ = false;
    std::vector<XWindowId> all;
    for (const auto& [pid, app] : apps_)
        for (const auto& entry : app.inFlight) all.push_back(entry.first);
    const auto minimized = ax_.areMinimized(all);
    std::vector<XWindowId> frames;
    for (size_t i = 0; i < all.size(); ++i)
        if (minimized[i])
            if (const auto frame = x_.desktop().frameOf(all[i])) frames.push_back(*frame);
    const auto frameStates = x_.desktop().rootChildStates(frames);
    std::set<XWindowId> shownFrames;
    for (size_t i = 0; i < frames.size(); ++i)
        if (frameStates[i] && frameStates[i]->viewable) shownFrames.insert(frames[i]);
    std::set<XWindowId> iconic, hidden;
    for (size_t i = 0; i < all.size(); ++i) {
        if (!minimized[i]) continue;
        iconic.insert(all[i]);
        const auto frame = x_.desktop().frameOf(all[i]);
        if (!frame || !shownFrames.count(*frame)) hidden.insert(all[i]);
    }
    if (iconic.empty()) return;
    std::vector<std::pair<Pid, std::vector<XWindowId>>> owed;
    for (auto it = apps_.begin(); it != apps_.end();) {
        App& app = it->second;
        // Shown again: restored as soon as the manager has minimized them.
        const std::set<XWindowId>& done = app.owed ? iconic : hidden;
        std::vector<XWindowId> gone;
        bool quick = true;
        for (const auto& [w, asked] : app.inFlight)
            if (done.count(w)) {
                gone.push_back(w);
                quick = quick && queue_.now() - asked <= kQuickSeconds;
            }
        if (!gone.empty()) ++progress_;
        if (!gone.empty() && quick) app.budget = std::min(app.budget * 2, kMostInFlight);
        for (XWindowId w : gone) app.inFlight.erase(w);
        if (app.owed && !gone.empty()) owed.emplace_back(it->first, std::move(gone));
        send(app);
        if (app.done()) it = apps_.erase(it);
        else ++it;
    }
    x_.flush();
    const auto alive = lifetime_.liveness();
    for (const auto& [pid, windows] : owed) {
        owed_(pid, windows);
        if (!alive) return;
    }
}

// A manager that iconifies nothing of what it was asked for (it ignores such requests, or hangs)
// would leave the rest of a hide unasked for good: once it has been quiet that long, the rest go
// out together, as they would without pacing.
bool PacedIconifies::paced() const {
    return std::any_of(apps_.begin(), apps_.end(),
                       [](const auto& entry) { return !entry.second.waiting.empty() || !entry.second.inFlight.empty(); });
}

void PacedIconifies::armStallWatch() {
    if (stallWatched_ || !paced()) return;
    stallWatched_ = true;
    queue_.postAfter(kStallSeconds, lifetime_.guard([this, seen = progress_] {
        stallWatched_ = false;
        if (!paced()) return;
        if (progress_ == seen) {
            bool asked = false;
            for (auto& [pid, app] : apps_) {
                // What the manager has not iconified yet is not waited for any longer; it is
                // still owed a restore if the application is shown before the manager gets to it,
                // and restored whenever the manager does, however busy, if it was.
                if (app.waiting.empty() && !app.owed) {
                    for (const auto& entry : app.inFlight) app.late.insert(entry.first);
                    app.inFlight.clear();
                }
                if (app.owed)
                    std::erase_if(app.inFlight, [&](const auto& entry) { return queue_.now() - entry.second > kIgnoredSeconds; });
                for (XWindowId w : app.waiting) {
                    app.inFlight.emplace(w, queue_.now());
                    x_.requestIconify(w);
                    asked = true;
                }
                app.waiting.clear();
            }
            std::erase_if(apps_, [](const auto& entry) { return entry.second.done(); });
            if (asked) x_.flush();
            if (asked && !std::exchange(stallLogged_, true) && log_)
                log_("[Tessane][X11] The window manager finished none of the iconifies asked of it in " +
                     std::to_string(static_cast<int>(kStallSeconds)) +
                     " s (or keeps minimized windows on the screen): the rest of the hide was asked for at once.");
        }
        armStallWatch();
    }));
}

}  // namespace tessane::linux_backend
