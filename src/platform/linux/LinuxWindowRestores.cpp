// Restoring minimized windows: the requests, and the bounded wait for the window manager.
#include "platform/linux/LinuxAccessibility.h"

#include "platform/linux/LinuxAXRegistry.h"

#include <algorithm>
#include <unordered_set>

namespace tessane::linux_backend {

namespace {

constexpr long kPropertyChangeMask = 1L << 22;
// How long a manager that does not answer round trips is given to act on a request most managers
// ignore (WM_CHANGE_STATE to normal), and on each one they honour (the ICCCM map, activation).
constexpr double kIgnoredRequestBound = 0.05;
constexpr double kRestoreStepBound = 0.5;
// What all the restores of one turn of the event loop wait at most, however many windows of
// however many applications: a manager busy with a thousand windows is not waited for a second
// per step and per application.
constexpr double kRestoresBound = 1.0;
// Windows still minimized when the wait ends are looked at again this much later, and only those
// minimized then are reported: a busy manager restores the last of many windows late.
constexpr double kLateRestoreSeconds = 2.0;

}  // namespace

void LinuxAccessibility::restoreWindows(const std::vector<XWindowId>& windows, RestoreReport report) {
    if (windows.empty()) return;
    using clock = std::chrono::steady_clock;
    if (!restoresUntil_) {
        restoresUntil_ = clock::now() + std::chrono::duration_cast<clock::duration>(std::chrono::duration<double>(kRestoresBound));
        queue_.post([this, registry = registry_] {
            if (registry->alive) restoresUntil_.reset();
        });
    }
    const auto deadline = *restoresUntil_;
    const auto left = [&] { return std::max(0.0, std::chrono::duration<double>(deadline - clock::now()).count()); };

    std::vector<XWindowId> pending = windows;
    const std::unordered_set<XWindowId> asked(windows.begin(), windows.end());
    // Which windows the manager changed the state of since a step began: the wait is for those
    // events, and the states are read once per step, in one batch, not once per event.
    std::unordered_set<XWindowId> waiting, heard;
    const XAtomId wmState = x_.atom("WM_STATE"), netState = x_.atom("_NET_WM_STATE");
    x_.addEventMask(windows, kPropertyChangeMask);
    const auto listener = x_.onEvent([&](const X11Event& e) {
        if (e.kind == X11Event::Kind::property && (e.atom == wmState || e.atom == netState) && waiting.count(e.window))
            heard.insert(e.window);
    });
    const auto stillMinimized = [&](const std::vector<XWindowId>& of) {
        const auto minimized = areMinimized(of);
        std::vector<XWindowId> out;
        for (size_t i = 0; i < of.size(); ++i)
            if (minimized[i]) out.push_back(of[i]);
        return out;
    };
    // `ask` sends a step's requests. The manager has acted once it answered a round trip (and,
    // for what it does after answering, `afterAnswer` more or until it changed every window); one
    // that does not answer them, once it changed every window, or `bound` passed.
    const auto step = [&](const std::function<void()>& ask, double bound, double afterAnswer) {
        waiting = {pending.begin(), pending.end()};
        heard.clear();
        ask();
        const auto allHeard = [&] { return heard.size() == waiting.size(); };
        if (!x_.windowManagerDeclinesPings() && x_.windowManagerRoundTrip(std::clamp(left(), 0.001, 1.0))) {
            if (afterAnswer > 0 && !allHeard()) x_.waitFor(allHeard, std::min(afterAnswer, left()));
        } else {
            x_.waitFor(allHeard, std::min(bound, left()));
        }
        pending = stillMinimized(pending);
    };

    // Restored without activation where the manager takes WM_CHANGE_STATE to normal; managers
    // that take it only for iconifying (most) get the ICCCM map, which some answer by activating
    // the window as well. A request this manager was seen to ignore is not asked again: each
    // costs a round trip, or the whole bound of a manager that answers none (KWin), per
    // application unhidden.
    // Ignored means that no window's state changed while the step waited, and that a later step
    // restored some of them.
    bool normalUnheard = false, mapUnheard = false;
    if (!restoreWays_.ignoresNormalState) {
        step([&] { for (XWindowId w : pending) x_.requestNormalState(w); }, kIgnoredRequestBound, 0);
        normalUnheard = heard.empty();
    }
    const size_t afterNormal = pending.size();
    if (!restoreWays_.ignoresMap && !pending.empty()) {
        step([&] { x_.requestMaps(pending); }, kRestoreStepBound, 0);
        mapUnheard = heard.empty();
    }
    const size_t afterMap = pending.size();
    // Some managers (Mutter) keep a minimized window mapped and answer neither request: only
    // activation brings it back, and the window the user was in gets the focus back afterwards.
    // Asked even once this turn's wait is over (then without waiting): left unasked, such a
    // manager would leave the windows minimized for good, after a quit too.
    if (!pending.empty()) {
        const auto active = x_.windowList(x_.root(), "_NET_ACTIVE_WINDOW");
        const XWindowId before = active && !active->empty() ? (*active)[0] : 0;
        // Every manager restores a window it activates, some (Openbox) a moment after they answered.
        step([&] { for (XWindowId w : pending) x_.requestActivate(w); }, kRestoreStepBound, kRestoreStepBound);
        if (before != 0 && !asked.count(before) && x_.windowExists(before)) x_.requestActivate(before);
    }
    x_.flush();
    // Learnt only from waits that ran their course.
    if (left() > 0) {
        if (normalUnheard && pending.size() < afterNormal) restoreWays_.ignoresNormalState = true;
        if (mapUnheard && pending.size() < afterMap) restoreWays_.ignoresMap = true;
    }

    if (pending.empty() || !report) return;
    queue_.postAfter(kLateRestoreSeconds, [this, registry = registry_, still = pending, report = std::move(report)] {
        if (!registry->alive) return;
        const auto minimized = areMinimized(still);
        if (const auto n = static_cast<size_t>(std::count(minimized.begin(), minimized.end(), true))) report(n);
    });
}

}  // namespace tessane::linux_backend
