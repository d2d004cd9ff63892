// Hiding an application's windows a few at a time, as fast as the window manager iconifies them.
#include "platform/linux/apps/PacedIconifies.h"

#include "platform/linux/windows/LinuxAccessibility.h"
#include "platform/linux/windows/WindowManagerWaits.h"
#include "platform/linux/x11/X11DesktopModel.h"

#include <algorithm>
#include <set>

namespace tessane::linux_backend {

using Iconify = WindowLife::Iconify;

PacedIconifies::PacedIconifies(X11Connection& x, LinuxAccessibility& ax, WindowLives& lives, MainQueue& queue,
                               Owed owed, LogSink log)
    : x_(x), ax_(ax), lives_(lives), queue_(queue), owed_(std::move(owed)), log_(std::move(log)), answers_(x, queue) {
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
    for (XWindowId w : windows) {
        lives_.begin(w);
        WindowLife& life = *lives_.find(w);
        life.restoreOwedUntil.reset();  // hidden again: what is in flight is meant to go down
        if (life.iconify == Iconify::waiting) continue;
        // Asked before and still shown (the manager undid it, or was made to activate it): asked
        // again in its turn.
        if (life.iconify != Iconify::none) std::erase(app.asked, w);
        life.iconify = Iconify::waiting;
        app.waiting.push_back(w);
    }
    // The manager tells each iconify by a change of the window's state.
    x_.addEventMask(windows, X11EventMask::properties);
    send(app);
    x_.flush();
    askProgress();
}

void PacedIconifies::cancel(Pid pid) {
    const auto it = apps_.find(pid);
    if (it == apps_.end()) return;
    App& app = it->second;
    for (XWindowId w : app.waiting)
        if (WindowLife* life = lives_.find(w)) life->iconify = Iconify::none;
    app.waiting.clear();
    // Those iconified already are restored by the caller with the others; those the manager has
    // still to iconify are owed a restore once it has, for as long as that can be its doing.
    const auto minimized = ax_.areMinimized(app.asked);
    std::vector<XWindowId> owed;
    for (size_t i = 0; i < app.asked.size(); ++i) {
        WindowLife* life = lives_.find(app.asked[i]);
        if (!life) continue;
        if (minimized[i]) {
            WindowLives::settle(*life);
            continue;
        }
        life->restoreOwedUntil = queue_.now() + WindowLives::kIgnoredSeconds;
        owed.push_back(app.asked[i]);
    }
    app.asked = std::move(owed);
    if (app.asked.empty()) apps_.erase(it);
}

void PacedIconifies::forget(XWindowId window) {
    for (auto it = apps_.begin(); it != apps_.end();) {
        std::erase(it->second.waiting, window);
        std::erase(it->second.asked, window);
        if (it->second.waiting.empty() && it->second.asked.empty()) it = apps_.erase(it);
        else ++it;
    }
}

size_t PacedIconifies::inFlight(const App& app) const {
    return static_cast<size_t>(std::count_if(app.asked.begin(), app.asked.end(), [&](XWindowId w) {
        const WindowLife* life = lives_.find(w);
        return life && life->iconify == Iconify::inFlight && !life->restoreOwedUntil;
    }));
}

void PacedIconifies::send(App& app) {
    for (size_t flying = inFlight(app); flying < app.budget && !app.waiting.empty(); ++flying) {
        const XWindowId w = app.waiting.front();
        app.waiting.pop_front();
        WindowLife* life = lives_.find(w);
        if (!life) continue;
        life->iconify = Iconify::inFlight;
        life->iconifyAskedAt = queue_.now();
        app.asked.push_back(w);
        x_.requestIconify(w);
    }
}

void PacedIconifies::onEvent(const X11Event& e) {
    keepDown(e);
    if (lookPosted_ || apps_.empty()) return;
    // A resync: a flood's dropped events may have told of frames hidden.
    const bool frameHidden = (e.kind == X11Event::Kind::unmap || e.kind == X11Event::Kind::resync) && e.eventWindow == x_.root();
    bool stateChanged = false;
    if (e.kind == X11Event::Kind::property && (e.atom == x_.atom("WM_STATE") || e.atom == x_.atom("_NET_WM_STATE"))) {
        const WindowLife* life = lives_.find(e.window);
        stateChanged = life && (life->iconify == Iconify::inFlight || life->iconify == Iconify::late);
    }
    if (!frameHidden && !stateChanged) return;
    // Read once the event is in the read model, and once for a burst of them.
    lookPosted_ = true;
    queue_.post(lifetime_.guard([this] {
        lookPosted_ = false;
        const auto alive = lifetime_.liveness();  // the restores owed wait on the manager
        look(false);
        if (alive) askProgress();
    }));
}

// A window a hide took down a moment after we activated it, which comes back while the hide stands,
// is asked down once more: the manager acted on that activation late.
void PacedIconifies::keepDown(const X11Event& e) {
    if (e.kind != X11Event::Kind::property || e.atom != x_.atom("WM_STATE")) return;
    const WindowLife* life = lives_.find(e.window);
    if (!life || !life->keptDownUntil) return;
    // Judged once the event is in the read model.
    queue_.post(lifetime_.guard([this, window = e.window] {
        WindowLife* life = lives_.find(window);
        if (!life || !life->keptDownUntil) return;
        const bool standing = life->hideAsked && queue_.now() <= *life->keptDownUntil;
        if (standing && ax_.areMinimized({window})[0]) return;
        life->keptDownUntil.reset();
        if (!standing) return;
        x_.requestIconify(window);
        x_.flush();
        if (log_)
            log_("[Tessane][X11] The window manager brought back a window the hide had just taken down, though "
                 "nothing asked it to: it was asked down again.");
    }));
}

// The windows asked the manager is done with (minimized, and their frame off the screen:
// Openbox animates an iconify and works through the animations it has begun before anything
// asked after them; or minimized when it `answered` a round trip asked after them) make room for
// the next ones; those of an application shown again meanwhile are owed a restore, until their
// deadline. Each window's verdict is WindowLives::judge's.
void PacedIconifies::look(bool answered) {
    std::vector<XWindowId> all;
    for (const auto& [pid, app] : apps_) all.insert(all.end(), app.asked.begin(), app.asked.end());
    const auto minimized = ax_.areMinimized(all);
    std::vector<XWindowId> frames;
    for (size_t i = 0; i < all.size(); ++i)
        if (minimized[i])
            if (const auto frame = x_.desktop().frameOf(all[i])) frames.push_back(*frame);
    const auto frameStates = x_.desktop().rootChildStates(frames);
    std::set<XWindowId> shownFrames;
    for (size_t i = 0; i < frames.size(); ++i)
        if (frameStates[i] && frameStates[i]->viewable) shownFrames.insert(frames[i]);
    const double now = queue_.now();
    std::vector<std::pair<Pid, std::vector<XWindowId>>> owed;
    size_t k = 0;
    for (auto it = apps_.begin(); it != apps_.end();) {
        App& app = it->second;
        std::vector<XWindowId> pending, restore;
        bool quick = true, progress = false;
        for (XWindowId w : app.asked) {
            const bool iconic = minimized[k++];
            WindowLife* life = lives_.find(w);
            if (!life) continue;
            const auto frame = iconic ? x_.desktop().frameOf(w) : std::nullopt;
            const bool away = iconic && (!frame || !shownFrames.count(*frame));
            const auto verdict = WindowLives::judge(*life, iconic, away, answered, now);
            if (verdict == WindowLives::Verdict::pending) {
                pending.push_back(w);
                continue;
            }
            if (verdict == WindowLives::Verdict::restore) restore.push_back(w);
            progress = progress || iconic;
            quick = quick && iconic && now - life->iconifyAskedAt <= kQuickSeconds;
            WindowLives::settle(*life);
            if (iconic && verdict == WindowLives::Verdict::done && life->activationAskedAt &&
                life->iconifyAskedAt - *life->activationAskedAt <= WindowLives::kLateActivationSeconds)
                life->keptDownUntil = now + WindowLives::kKeptDownSeconds;
        }
        if (progress) ++progress_;
        if (progress && quick) app.budget = std::min(app.budget * 2, kMostInFlight);
        app.asked = std::move(pending);
        if (!restore.empty()) owed.emplace_back(it->first, std::move(restore));
        send(app);
        if (app.waiting.empty() && app.asked.empty()) it = apps_.erase(it);
        else ++it;
    }
    x_.flush();
    const auto alive = lifetime_.liveness();
    for (const auto& [pid, windows] : owed) {
        owed_(pid, windows);
        if (!alive) return;
    }
}

bool PacedIconifies::paced() const {
    return std::any_of(apps_.begin(), apps_.end(),
                       [this](const auto& entry) { return !entry.second.waiting.empty() || inFlight(entry.second) > 0; });
}

// Whether the manager works through the iconifies is judged by its answers: one asked after them
// comes once it has handled them, however slow a busy machine makes it.
void PacedIconifies::askProgress() {
    if (questionOpen_ || !paced()) return;
    questionOpen_ = true;
    answers_.ask(waits::kHeardAnswer,
                 lifetime_.guard([this, seen = progress_](bool answered) { judgeAnswer(answered, seen); }));
}

void PacedIconifies::judgeAnswer(bool answered, uint64_t seen) {
    questionOpen_ = false;
    if (!answered) return sendTheRest(false);
    const auto alive = lifetime_.liveness();
    look(true);
    if (!alive) return;
    if (progress_ != seen || !paced()) {
        quietAnswers_ = 0;
        return askProgress();
    }
    if (++quietAnswers_ < kIgnoredAnswers) {
        questionOpen_ = true;
        queue_.postAfter(kQuestionPace, lifetime_.guard([this, seen] {
            answers_.ask(waits::kHeardAnswer, lifetime_.guard([this, seen](bool answered) { judgeAnswer(answered, seen); }));
        }));
        return;
    }
    quietAnswers_ = 0;
    sendTheRest(true);
}

// A manager that iconifies nothing of what it was asked for (it ignores such requests), or
// answers nothing, would leave the rest of a hide unasked for good: the rest go out together, as
// they would without pacing, and none is waited for. What the manager iconifies later is still
// seen through, and restored if the application was shown again by then.
//
// One that answered without iconifying may have dropped a request: the windows asked and still
// up are asked once more, or a dropped one would leave its window up for good.
void PacedIconifies::sendTheRest(bool answered) {
    bool asked = false;
    for (auto& [pid, app] : apps_) {
        for (XWindowId w : app.asked) {
            WindowLife* life = lives_.find(w);
            if (!life || life->iconify != Iconify::inFlight) continue;
            life->iconify = Iconify::late;
            if (!answered || life->restoreOwedUntil) continue;
            x_.requestIconify(w);
            asked = true;
        }
        for (XWindowId w : app.waiting) {
            WindowLife* life = lives_.find(w);
            if (!life) continue;
            life->iconify = Iconify::late;
            life->iconifyAskedAt = queue_.now();
            app.asked.push_back(w);
            x_.requestIconify(w);
            asked = true;
        }
        app.waiting.clear();
    }
    if (!asked) return;
    x_.flush();
    if (!std::exchange(stallLogged_, true) && log_)
        log_(answered ? "[Tessane][X11] The window manager answered twice with the iconifies asked of it not done: "
                        "they were asked again, and the rest of the hide was asked for at once."
                      : "[Tessane][X11] The window manager did not answer while it had iconifies to do: the rest of the "
                        "hide was asked for at once.");
}

}  // namespace tessane::linux_backend
