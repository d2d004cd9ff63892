// Restoring minimized windows: the requests, and the bounded wait for the window manager.
#include "platform/linux/windows/LinuxAccessibility.h"

#include "platform/linux/windows/LinuxAXRegistry.h"
#include "platform/linux/windows/WindowManagerWaits.h"
#include "platform/linux/x11/X11DesktopModel.h"
#include "platform/linux/x11/X11ManagerWatch.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_set>

namespace tessane::linux_backend {

namespace {

// What all the restores of one turn of the event loop wait at most for what a manager does with
// no answer to tell it (its state changes), however many windows of however many applications: a
// manager busy with a thousand windows is not waited for a second per step and per application.
// Its answers to round trips have their own bound.
constexpr WaitBound kRestoresTurn{"the restores of minimized windows in one turn of the event loop", 1.0};
// Windows a restore left minimized are told once this many answers of the manager in a row came
// with no change of their states, or this many more rounds in which it changed them but left as
// many minimized (an application that minimizes its windows again as they come back).
constexpr int kLateRestoreQuietAnswers = 2;
constexpr int kLateRestoreChurns = 3;
// Between an answer and the next question: managers of the Metacity family restore a window in
// their idle time, which a question sent back at each answer would never leave them.
constexpr double kLateRestorePace = 0.5;
// As many windows as a workspace has panes: those a show tiles when the application is in front.
constexpr size_t kAwaitedRestores = 4;
// How long a restored window is expected to come back to where it was: the longest restore
// animation of a manager (Openbox's 150 ms) under load, and the grace a move is given.
constexpr double kRestoreArrivalSeconds = 1.0;

bool sameRect(const Rect& a, const Rect& b) {
    const auto same = [](double p, double q) { return std::lround(p) == std::lround(q); };
    return same(a.minX(), b.minX()) && same(a.minY(), b.minY()) && same(a.width(), b.width()) &&
           same(a.height(), b.height());
}

}  // namespace

// The steps of restoring windows in one turn of the event loop: each sends its requests and
// waits for the manager's changes of their states. Which windows it changed is heard as events
// and their states are read once per step, in one batch, not once per event.
class LinuxAccessibility::RestoreSteps {
public:
    using clock = std::chrono::steady_clock;
    RestoreSteps(LinuxAccessibility& ax, const std::vector<XWindowId>& windows, clock::time_point deadline)
        : ax_(ax), x_(ax.x_), deadline_(deadline) {
        const XAtomId wmState = x_.atom("WM_STATE"), netState = x_.atom("_NET_WM_STATE");
        x_.addEventMask(windows, X11EventMask::properties);
        listener_ = x_.onEvent([this, wmState, netState](const X11Event& e) {
            if (e.kind == X11Event::Kind::property && (e.atom == wmState || e.atom == netState) && waiting_.count(e.window))
                heard_.insert(e.window);
        });
    }
    double left() const { return std::max(0.0, std::chrono::duration<double>(deadline_ - clock::now()).count()); }
    bool heardNone() const { return heard_.empty(); }

    // `ask` sends a step's requests for `pending`, which is left with the windows still minimized.
    // A manager that answers round trips has acted once it answered, however late a busy machine
    // makes that answer (the turn's bound is not its verdict). For what a manager does after
    // answering, when `afterAnswer`, it is asked again as long as each answer comes with more of
    // the windows changed, and then waited for until it changed every window. One that answers
    // none is waited for until it changed every window. `bound` ends those waits, and the turn's.
    // With `endsAtEcho`, a manager that answers no round trip and has changed no window by the
    // time it passed on an echo sent after the requests has ignored them: it acts on a message
    // as it takes it, and took the echo after them. (KWin ignores a restore by WM_CHANGE_STATE;
    // learning that from a quiet spell cost the first re-show of every run that spell.)
    void step(std::vector<XWindowId>& pending, const std::function<void()>& ask, const WaitBound& bound, bool afterAnswer,
              bool endsAtEcho = false) {
        waiting_ = {pending.begin(), pending.end()};
        heard_.clear();
        ask();
        const auto allHeard = [&] { return heard_.size() == waiting_.size(); };
        // The step's bound, or the turn's when less of that is left.
        const auto wait = [&] {
            if (allHeard()) return;
            const double span = std::min(bound.seconds, left());
            waits::until(x_, span < bound.seconds ? kRestoresTurn : bound, allHeard, span);
        };
        if (!x_.manager().declinesPings() && waits::answer(x_, 0)) {
            if (!afterAnswer) return keepMinimized(pending);
            for (size_t before = SIZE_MAX; !allHeard() && heard_.size() != before;) {
                before = heard_.size();
                if (!waits::answer(x_, 0)) break;
            }
            wait();
        } else if (endsAtEcho && x_.manager().declinesPings()) {
            // The echo is awaited as long as the turn has left: a busy manager passes it on late
            // (KWin beside a busy loop per core, over half a second), and the verdict is the
            // echo's, not the clock's. One that did not come has spent the turn.
            if (waits::echo(x_, bound, left()) && !heard_.empty()) wait();
        } else {
            wait();
        }
        keepMinimized(pending);
    }

private:
    void keepMinimized(std::vector<XWindowId>& pending) {
        const auto minimized = ax_.areMinimized(pending);
        std::vector<XWindowId> still;
        for (size_t i = 0; i < pending.size(); ++i)
            if (minimized[i]) still.push_back(pending[i]);
        pending = std::move(still);
    }

    LinuxAccessibility& ax_;
    X11Connection& x_;
    clock::time_point deadline_;
    std::unordered_set<XWindowId> waiting_, heard_;
    Subscription listener_;
};

void LinuxAccessibility::restoreWindows(const std::vector<XWindowId>& windows, RestoreReport report) {
    if (windows.empty()) return;
    using clock = std::chrono::steady_clock;
    if (!restoresUntil_) {
        restoresUntil_ = clock::now() + std::chrono::duration_cast<clock::duration>(std::chrono::duration<double>(kRestoresTurn.seconds));
        queue_.post([this, registry = registry_] {
            if (registry->alive) restoresUntil_.reset();
        });
    }
    noteRestoring(windows);
    RestoreSteps steps(*this, windows, *restoresUntil_);
    // The front windows are restored and waited for now; the rest, when the manager brought the
    // front ones back without activation, once this turn of the event loop is over.
    const size_t awaited = std::min(windows.size(), kAwaitedRestores);
    std::vector<XWindowId> pending(windows.begin(), windows.begin() + static_cast<std::ptrdiff_t>(awaited));
    std::vector<XWindowId> rest(windows.begin() + static_cast<std::ptrdiff_t>(awaited), windows.end());
    const std::unordered_set<XWindowId> asked(windows.begin(), windows.end());
    const auto restoredByMaps = restore(steps, pending, asked);
    if (!rest.empty() && restoredByMaps) {
        // A manager busy restoring a thousand windows would make the show that asked wait for
        // all of them, and its moves queue behind them: they go out after it, the same way.
        for (XWindowId w : rest) deferredRestores_[w] = *restoredByMaps;
        queue_.post([this, registry = registry_, rest = std::move(rest), still = pending, report]() mutable {
            if (registry->alive) sendRestoresAfterTheTurn(rest, std::move(still), std::move(report));
        });
        x_.flush();
        return;
    }
    if (!rest.empty()) {
        pending.insert(pending.end(), rest.begin(), rest.end());
        restore(steps, pending, asked);
    }
    x_.flush();
    reportLateRestores(std::move(pending), std::move(report));
}

// Restores `pending` (left with the windows still minimized). Answers what brought the windows
// back: the state message alone (false), or the map as well (true); none when some needed
// activation, or are minimized still.
std::optional<bool> LinuxAccessibility::restore(RestoreSteps& steps, std::vector<XWindowId>& pending,
                                                const std::unordered_set<XWindowId>& asked) {
    // Restored without activation where the manager takes WM_CHANGE_STATE to normal; managers
    // that take it only for iconifying (most) get the ICCCM map, which some answer by
    // activating the window as well. A request this manager was seen to ignore is not asked
    // again: each costs a round trip, or the whole bound of a manager that answers none
    // (KWin), per application unhidden.
    // Ignored means that no window's state changed while the step waited, and that a later
    // step restored some of them; learnt only from waits that ran their course.
    bool normalUnheard = false, mapUnheard = false;
    size_t afterNormal = 0, afterMap = 0;
    const auto learn = [&] {
        if (steps.left() <= 0) return;
        if (normalUnheard && pending.size() < afterNormal) restoreWays_.ignoresNormalState = true;
        if (mapUnheard && pending.size() < afterMap) restoreWays_.ignoresMap = true;
    };
    if (!restoreWays_.ignoresNormalState) {
        steps.step(pending, [&] { for (XWindowId w : pending) x_.requestNormalState(w); }, waits::kIgnoredRestore, false,
                   /*endsAtEcho=*/true);
        normalUnheard = steps.heardNone();
    }
    afterNormal = pending.size();
    if (pending.empty()) return false;
    if (!restoreWays_.ignoresMap) {
        steps.step(pending, [&] { x_.requestMaps(pending); }, waits::kRestoreStep, false);
        mapUnheard = steps.heardNone();
    }
    afterMap = pending.size();
    if (pending.empty()) {
        learn();
        return true;
    }
    // Some managers (Mutter) keep a minimized window mapped and answer neither request: only
    // activation brings it back, and the window the user was in gets the focus back
    // afterwards. Asked even once this turn's wait is over (then without waiting): left
    // unasked, such a manager would leave the windows minimized for good, after a quit too.
    const auto active = x_.windowList(x_.root(), "_NET_ACTIVE_WINDOW");
    const XWindowId before = active && !active->empty() ? (*active)[0] : 0;
    // Every manager restores a window it activates, some (Openbox) a moment after they answered.
    steps.step(pending, [&] { for (XWindowId w : pending) activate(w); }, waits::kRestoreStep, true);
    // Not to a window a hide has just asked down (a manager names it active until it is iconic),
    // nor to one minimized: activating it would bring it back.
    if (before != 0 && !asked.count(before) && lives_.mayFocusAgain(before, isMinimized(before).value_or(true)))
        activate(before);
    learn();
    return std::nullopt;
}

// The rest of a restore, once the turn that asked is over: those still owed (not minimized again
// meanwhile) are asked for, with the front ones the manager left minimized.
void LinuxAccessibility::sendRestoresAfterTheTurn(const std::vector<XWindowId>& rest, std::vector<XWindowId> still,
                                                  RestoreReport report) {
    std::vector<XWindowId> owed;
    bool maps = false;
    for (XWindowId w : rest)
        if (const auto it = deferredRestores_.find(w); it != deferredRestores_.end()) {
            owed.push_back(w);
            maps = maps || it->second;
            deferredRestores_.erase(it);
        }
    const auto minimized = areMinimized(owed);
    for (size_t i = 0; i < owed.size(); ++i)
        if (minimized[i]) still.push_back(owed[i]);
    sendRestores(still, maps);
    reportLateRestores(std::move(still), std::move(report));
}

// ICCCM: mapping an iconic window makes it normal again. Managers that ignore that (Openbox,
// Mutter) restore it on activation instead. Its state tells when the manager has restored it: an
// answer to a round trip may come before (Mutter restores a moment later; KWin answers none).
AXError LinuxAccessibility::restoreMinimized(XWindowId window, double timeout) {
    noteRestoring({window});
    const auto restored = [&] {
        const auto now = state(window);
        return !now || !now->minimized;
    };
    x_.requestMap(window);
    if (!waits::answer(x_, timeout)) return AXError::cannotComplete;
    if (x_.manager().declinesPings()) waits::until(x_, waits::kRestoreStep, restored);
    const auto after = state(window);
    if (!after) return AXError::invalidUIElement;
    if (!after->minimized) return AXError::success;
    activate(window);
    if (!waits::answer(x_, timeout)) return AXError::cannotComplete;
    waits::until(x_, waits::kUnminimize, restored, waits::boundFor(waits::kUnminimize, timeout));
    return x_.windowExists(window) ? AXError::success : AXError::invalidUIElement;
}

// Where each window comes back to, read before the restore is asked: where it was when this
// program minimized it (Openbox animates a minimized window's frame away and leaves it there),
// else the frame a minimized window keeps (managers unmap it, or keep it mapped, where it was).
void LinuxAccessibility::noteRestoring(const std::vector<XWindowId>& windows) {
    const auto now = std::chrono::steady_clock::now();
    std::erase_if(restoring_, [&](const auto& entry) {
        return std::chrono::duration<double>(now - entry.second.asked).count() > kRestoreArrivalSeconds;
    });
    x_.desktop().prefetchGeometry(windows);
    for (XWindowId w : windows) {
        if (const auto before = minimizedFrom_.find(w); before != minimizedFrom_.end()) {
            restoring_[w] = {before->second, now};
            minimizedFrom_.erase(before);
        } else if (const auto f = visibleFrame(w)) {
            restoring_[w] = {*f, now};
        }
    }
}

std::optional<Rect> LinuxAccessibility::restoringTo(XWindowId window) {
    const auto it = restoring_.find(window);
    if (it == restoring_.end()) return std::nullopt;
    const double since = std::chrono::duration<double>(std::chrono::steady_clock::now() - it->second.asked).count();
    const auto now = visibleFrame(window);
    if (since > kRestoreArrivalSeconds || !now) {
        restoring_.erase(it);  // gone, or too long ago to be the restore's doing
        return std::nullopt;
    }
    // There already: nothing is on its way (it is kept, as a window restored just now).
    if (sameRect(*now, it->second.frame)) return std::nullopt;
    return it->second.frame;
}

bool LinuxAccessibility::restoredJustNow(XWindowId window) const {
    const auto it = restoring_.find(window);
    return it != restoring_.end() &&
           std::chrono::duration<double>(std::chrono::steady_clock::now() - it->second.asked).count() <= kRestoreArrivalSeconds;
}

void LinuxAccessibility::awaitArrival(XWindowId window, Rect frame) {
    using clock = std::chrono::steady_clock;
    arrivals_[window] = {frame, clock::now() + std::chrono::duration_cast<clock::duration>(
                                                   std::chrono::duration<double>(kRestoreArrivalSeconds))};
    const XWindowId watched[] = {window};
    x_.addEventMask(watched, X11EventMask::structure);
    if (!arrivalEvents_)
        arrivalEvents_ = x_.onEvent([this](const X11Event& e) {
            if ((e.kind != X11Event::Kind::configure && e.kind != X11Event::Kind::resync) || arrivalCheckPosted_) return;
            if (e.eventWindow != x_.root() && !arrivals_.count(e.window)) return;
            // Read once the event is in the read model, and once for a burst of them.
            arrivalCheckPosted_ = true;
            queue_.post([this, registry = registry_] {
                if (registry->alive) checkArrivals();
            });
        });
    queue_.postAfter(kRestoreArrivalSeconds, [this, registry = registry_] {
        if (registry->alive) checkArrivals();
    });
}

// Windows that reached the frame they were coming back to are done with; those that did not
// within the grace are asked to move there (the manager put them elsewhere), without a wait.
void LinuxAccessibility::checkArrivals() {
    arrivalCheckPosted_ = false;
    if (arrivals_.empty()) return;
    std::vector<XWindowId> windows;
    for (const auto& entry : arrivals_) windows.push_back(entry.first);
    x_.desktop().prefetchGeometry(windows);
    const Point o = origin();
    const auto now = std::chrono::steady_clock::now();
    bool asked = false;
    for (auto it = arrivals_.begin(); it != arrivals_.end();) {
        const auto frame = windowFrame(it->first);
        const Rect& target = it->second.frame;
        if (!frame || sameRect(frame->visible().offsetBy(-o.x, -o.y), target)) {
            it = arrivals_.erase(it);
        } else if (now >= it->second.until) {
            x_.requestMoveResize(it->first, frame->outerOrigin({target.minX() + o.x, target.minY() + o.y}),
                                 frame->clientSize(target.size));
            asked = true;
            it = arrivals_.erase(it);
        } else {
            ++it;
        }
    }
    if (asked) x_.flush();
    if (arrivals_.empty()) arrivalEvents_.reset();
}

void LinuxAccessibility::sendRestores(const std::vector<XWindowId>& windows, bool maps) {
    if (windows.empty()) return;
    for (XWindowId w : windows) x_.requestNormalState(w);
    if (maps) x_.requestMaps(windows);
    x_.flush();
}

struct LinuxAccessibility::LateRestore {
    std::vector<XWindowId> windows;  // minimized at the last answer
    RestoreReport report;
    bool changed = false;  // a state of one of them changed since the last answer
    int quiet = 0;         // answers in a row that came with no change
    int churns = 0;
    Subscription states;
};

// A busy manager restores the last of many windows late, and some act on a restore only after
// they answered the round trip that followed it (Mutter, Openbox) or in their idle time (Marco):
// what is minimized when one answer is heard says nothing yet. The manager is asked again as
// long as it goes on restoring them; the windows still minimized are told once its answers to a
// question asked after the restores and to the next came with no change of state of any of them.
// The clock paces the questions and ends the wait of a manager that answers nothing (the
// answer's bound); it is never the verdict on a manager that answers.
void LinuxAccessibility::reportLateRestores(std::vector<XWindowId> windows, RestoreReport report) {
    if (windows.empty() || !report) return;
    auto late = std::make_shared<LateRestore>();
    late->windows = std::move(windows);
    late->report = std::move(report);
    x_.addEventMask(late->windows, X11EventMask::properties);
    const XAtomId wmState = x_.atom("WM_STATE"), netState = x_.atom("_NET_WM_STATE");
    late->states = x_.onEvent([weak = std::weak_ptr<LateRestore>(late), wmState, netState,
                               watched = std::unordered_set<XWindowId>(late->windows.begin(), late->windows.end())](
                                  const X11Event& e) {
        if (e.kind != X11Event::Kind::property || (e.atom != wmState && e.atom != netState) || !watched.count(e.window)) return;
        if (const auto l = weak.lock()) l->changed = true;
    });
    judgeLateRestores(std::move(late));
}

void LinuxAccessibility::judgeLateRestores(std::shared_ptr<LateRestore> late) {
    answers_.ask(waits::kHeardAnswer, [this, registry = registry_, late](bool answered) {
        if (!registry->alive) return;
        const auto minimized = areMinimized(late->windows);
        std::vector<XWindowId> left;
        for (size_t i = 0; i < late->windows.size(); ++i)
            if (minimized[i]) left.push_back(late->windows[i]);
        if (left.empty()) return;
        const bool restoredSome = left.size() < late->windows.size();
        late->churns = restoredSome ? 0 : late->churns + (late->changed ? 1 : 0);
        const bool working = restoredSome || (late->changed && late->churns < kLateRestoreChurns);
        late->quiet = working ? 0 : late->quiet + 1;
        late->changed = false;
        late->windows = std::move(left);
        if (answered && late->quiet < kLateRestoreQuietAnswers) {
            queue_.postAfter(kLateRestorePace, [this, registry, late] {
                if (registry->alive) judgeLateRestores(late);
            });
            return;
        }
        late->states.reset();
        const auto report = late->report;
        report(late->windows.size());
    });
}

void LinuxAccessibility::noteMinimizing(const std::vector<XWindowId>& windows) {
    x_.desktop().prefetchGeometry(windows);
    x_.addEventMask(windows, X11EventMask::structure);
    for (XWindowId w : windows)
        if (const auto f = visibleFrame(w)) minimizedFrom_[w] = *f;
}

// Moved or resized while minimized (by a taskbar, the application, a script): the manager tells
// the client where it now is, and a restore brings it back there, not where it was minimized
// from. A placement then asks its move at once instead of waiting for a return that never comes.
void LinuxAccessibility::forgetMinimizedFrame(XWindowId window) {
    const auto it = minimizedFrom_.find(window);
    if (it == minimizedFrom_.end()) return;
    if (const auto s = state(window); s && s->minimized) minimizedFrom_.erase(it);
}

void LinuxAccessibility::forgetRestores(const std::vector<XWindowId>& windows) {
    for (XWindowId w : windows) deferredRestores_.erase(w);
}

void LinuxAccessibility::sendDeferredRestores() {
    std::vector<XWindowId> windows;
    bool maps = false;
    for (const auto& [w, map] : deferredRestores_) {
        windows.push_back(w);
        maps = maps || map;
    }
    deferredRestores_.clear();
    sendRestores(windows, maps);
}

}  // namespace tessane::linux_backend
