// Moving and sizing other applications' windows through the window manager, and waiting until it
// has done so.
#include "platform/linux/windows/LinuxAccessibility.h"

#include "platform/linux/windows/WindowManagerWaits.h"
#include "platform/linux/x11/X11DesktopModel.h"
#include "platform/linux/x11/X11ManagerWatch.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace tessane::linux_backend {

namespace {


bool same(double a, double b) { return std::lround(a) == std::lround(b); }
bool sameRect(const Rect& a, const Rect& b) {
    return same(a.minX(), b.minX()) && same(a.minY(), b.minY()) && same(a.width(), b.width()) &&
           same(a.height(), b.height());
}

// The client size asked of the manager for a visible size of `visibleSize`: only what the
// window's WM_NORMAL_HINTS allow (a terminal's whole character cells, never less than its
// minimum). Asked outright rather than left to the manager: some apply the hints to the user's
// own resizes only (IceWM gives a window less than its minimum, Xfwm4 ignores increments).
Size hintedClientSize(X11Connection& x, XWindowId window, const WindowFrame& frame, Size visibleSize) {
    const Size wanted = frame.clientSize(visibleSize);
    const auto hints = x.normalHints(window);
    return hints ? constrainedClientSize(*hints, wanted) : wanted;
}

// The visible size a window ends up with when asked for `visibleSize`: its client takes only
// what its hints allow, the decorations stay.
Size takenSize(X11Connection& x, XWindowId window, const WindowFrame& frame, Size visibleSize) {
    const Size wanted = frame.clientSize(visibleSize);
    const Size taken = hintedClientSize(x, window, frame, visibleSize);
    return {visibleSize.width + taken.width - wanted.width, visibleSize.height + taken.height - wanted.height};
}

// A move asked of the manager, and what it has done about it since.
struct PendingMove {
    XWindowId window = 0;
    std::optional<Point> origin;  // Accessibility coordinates, as asked
    std::optional<Size> size;     // the visible size the window can take of the one asked
    unsigned long since = 0;      // the request's serial: older events are not about it
    std::optional<Rect> before;   // its frame before the request
    std::optional<Rect> last;     // its frame as last read
    bool acted = false;           // the manager has moved or sized it since it was asked
    bool stirred = false;         // something happened to it since the manager's last answer
    bool reread = true;
    bool restoring = false;       // restored just now: its frame may still be on its way back
};

// Moves asked of a manager, heard from the moment they are asked. await() holds until each window
// is where it was asked to be, at the size it can take, or the manager, having moved or sized it
// elsewhere, has answered a round trip asked after the last event about it (configure events of
// the client, real or the ones ICCCM has managers send, and changes of its frame) without another:
// it is done with it. A busy manager acts late and answers late alike, so the verdict is the
// manager's, not the clock's. An event that leaves the frame as it was before the request is no
// sign the manager acted on it (KWin tells a window where it is while it takes it in, and now and
// then drops a move asked meanwhile): such a window, like one the manager never touches, is
// waited for until the bound, and so is a window restored just now that is not there yet.
class MoveWatch {
public:
    MoveWatch(const MoveWatch&) = delete;
    MoveWatch& operator=(const MoveWatch&) = delete;
    MoveWatch(X11Connection& x, LinuxAccessibility& ax, std::vector<PendingMove> moves)
        : x_(x), ax_(ax), moves_(std::move(moves)) {
        listener_ = x_.onEvent([this](const X11Event& e) {
            if (e.kind == X11Event::Kind::resync) {
                for (auto& m : moves_) m.reread = true;  // a flood's dropped events may have told of it
                return;
            }
            if (e.kind != X11Event::Kind::configure) return;
            for (auto& m : moves_) {
                if (e.serial < m.since) continue;
                if (e.window == m.window) {
                    m.stirred = true;
                    m.reread = true;
                } else if (e.eventWindow == x_.root() &&
                           x_.desktop().knownFrameOf(m.window).value_or(e.window) == e.window) {
                    // Its frame moved (or a frame that may be its own): its read-back tells.
                    // Other programs restacking their own windows without pause say nothing of it.
                    m.reread = true;
                }
            }
        });
    }

    // `timeout`: the application's messaging time-out.
    bool await(double timeout) {
        using clock = std::chrono::steady_clock;
        return waits::onManager(x_, waits::kMoves, [this](double seconds) {
            const auto deadline = clock::now() + std::chrono::duration_cast<clock::duration>(std::chrono::duration<double>(seconds));
            while (!judged()) {
                const double left = std::chrono::duration<double>(deadline - clock::now()).count();
                if (left <= 0) return false;
                // A window something happened to is judged after the manager's next answer. Until
                // something does, events are waited for, not answers asked for again and again: a
                // manager that acts on a timer or once idle (Openbox's animations, Mutter) would
                // only be kept busy answering.
                if (answerAwaited_ ? !x_.manager().echo(left) : !x_.manager().waitFor([this] { return heardOf(); }, left))
                    return judged();
            }
            return true;
        }, waits::boundFor(waits::kMoves, timeout));
    }

    bool awaits(XWindowId window) const {
        return std::any_of(moves_.begin(), moves_.end(), [&](const PendingMove& m) { return m.window == window; });
    }
    // The windows still awaited that the manager has not touched since they were asked.
    std::vector<XWindowId> untouched() const {
        std::vector<XWindowId> out;
        for (const auto& m : moves_)
            if (!m.acted) out.push_back(m.window);
        return out;
    }

private:
    bool heardOf() const {
        return std::any_of(moves_.begin(), moves_.end(), [](const PendingMove& m) { return m.reread || m.stirred; });
    }

    bool judged() {
        answerAwaited_ = false;
        std::vector<XWindowId> reading;
        for (const auto& m : moves_)
            if (m.reread) reading.push_back(m.window);
        x_.desktop().prefetchGeometry(reading);
        std::erase_if(moves_, [&](PendingMove& m) {
            if (std::exchange(m.reread, false)) {
                const auto f = ax_.visibleFrame(m.window);
                if (!f) return true;  // gone
                if ((!m.origin || (same(f->minX(), m.origin->x) && same(f->minY(), m.origin->y))) &&
                    (!m.size || (same(f->width(), m.size->width) && same(f->height(), m.size->height))))
                    return true;
                if (m.before && !sameRect(*f, *m.before)) m.acted = true;
                if (m.last && !sameRect(*f, *m.last)) m.stirred = true;
                m.last = f;
            }
            if (std::exchange(m.stirred, false)) {
                answerAwaited_ = true;
                return false;
            }
            // A window restored just now is not done with while its frame is not where it was
            // asked: Openbox animates it back, a step each 17 ms that no answer waits for, and
            // puts it where it was asked at the end.
            return m.acted && !m.restoring;
        });
        return moves_.empty();
    }

    X11Connection& x_;
    LinuxAccessibility& ax_;
    std::vector<PendingMove> moves_;
    bool answerAwaited_ = false;  // a window still awaited was stirred since the last answer
    Subscription listener_;
};

}  // namespace

// A maximized window ignores moves in most window managers: it is taken out first. Not every
// manager has done so when it answers (KWin does not answer, Mutter restores later), and a move
// that arrives first is undone by the restore: their states tell. False when the manager did not
// answer.
bool LinuxAccessibility::unmaximize(const std::vector<XWindowId>& windows, double timeout) {
    for (XWindowId w : windows)
        x_.requestWmState(w, 0, "_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ");
    if (!waits::answer(x_, timeout)) return false;
    waits::until(x_, waits::kUnmaximize, [&] {
        return std::none_of(windows.begin(), windows.end(), [&](XWindowId w) {
            const auto now = state(w);
            return now && now->maximized;
        });
    }, waits::boundFor(waits::kUnmaximize, timeout));
    return true;
}

AXError LinuxAccessibility::moveResize(XWindowId window, WindowFrame frame, std::optional<Point> axOrigin,
                                       std::optional<Size> axSize, double timeout) {
    auto s = state(window);
    if (!s) return AXError::invalidUIElement;
    forgetArrival(window);
    std::optional<WindowFrame> f = frame;
    if (s->maximized) {
        // Its frame changes with that (size, and the decorations of some managers).
        if (!unmaximize({window}, timeout)) return AXError::cannotComplete;
        f = windowFrame(window);
        if (!f) return AXError::invalidUIElement;
    }
    const Point o = origin();
    std::optional<Point> rootOrigin;
    if (axOrigin) rootOrigin = Point{axOrigin->x + o.x, axOrigin->y + o.y};
    const std::optional<Point> outer = rootOrigin ? std::optional(f->outerOrigin(*rootOrigin)) : std::nullopt;
    const std::optional<Size> clientSize =
        axSize ? std::optional(hintedClientSize(x_, window, *f, *axSize)) : std::nullopt;
    x_.selectInput(window, X11EventMask::structure);
    const auto ask = [&] {
        if (moveResizeMessage_) {
            // A move alone carries the size the client has: Fluxbox resizes a window the message
            // leaves the size out for (it grows by the height of its decorations each time).
            x_.requestMoveResize(window, outer, clientSize ? clientSize : std::optional(f->client.size));
            return;
        }
        // The manager reads a configure request's position by the client's window gravity.
        std::optional<Point> position;
        if (outer) {
            const auto hints = x_.normalHints(window).value_or(X11SizeHints{});
            position = configurePosition(*outer, f->decorations, f->borderWidth,
                                         hints.winGravity.value_or(gravity::northWest));
        }
        x_.requestConfigure(window, position, clientSize);
    };
    ask();
    const std::optional<Size> taken = axSize ? std::optional(takenSize(x_, window, *f, *axSize)) : std::nullopt;
    const Rect before = f->visible().offsetBy(-o.x, -o.y);
    MoveWatch watch(x_, *this,
                    {{window, axOrigin, taken, x_.lastRequestSerial(), before, before, false, false, true, restoredJustNow(window)}});
    if (!x_.manager().declinesPings() && !waits::answer(x_, timeout)) return AXError::cannotComplete;
    // What the manager did about it (some move or size the frame a moment after they answered:
    // Openbox right after a window was restored, Mutter at all times). A move the manager dropped
    // (Mutter and KWin, now and then) is asked once more.
    if (!watch.await(timeout) && !watch.untouched().empty()) {
        ask();
        watch.await(timeout);
    }
    return x_.windowExists(window) ? AXError::success : AXError::invalidUIElement;
}

// One _NET_MOVERESIZE_WINDOW carries both position and size, and the messages for every window
// go out before the window manager is waited for, once: a tiling pass costs one answer of the
// manager and one batch of read-backs, however many windows it moves. Without that message, the
// position of a configure request depends on the size the window has then: the writes go one at
// a time.
std::vector<Accessibility::FrameWrite> LinuxAccessibility::setFramesInPixels(std::span<const FrameRequest> requests) {
    std::vector<FrameWrite> written(requests.size());
    // The trust check is also what learns whether the manager takes the message.
    const bool batched = isProcessTrusted() && moveResizeMessage_;
    if (batched) {
        // Where the windows are now: one batch for those the read model no longer knows.
        std::vector<XWindowId> asked;
        for (const auto& request : requests)
            if (!request.window.isNull() && !isApplication(request.window) && !NewWindowMenu::owns(request.window))
                asked.push_back(static_cast<XWindowId>(request.window.handle()));
        x_.desktop().prefetchGeometry(asked);
    }
    std::vector<FrameMove> moves;
    for (size_t i = 0; i < requests.size(); ++i) {
        const auto& [element, target] = requests[i];
        if (!batched || element.isNull() || isApplication(element) || NewWindowMenu::owns(element) ||
            !(target.width() > 0) || !(target.height() > 0)) {
            written[i] = setFrameInPixels(element, target);
            continue;
        }
        if (auto move = frameMove(i, element, target, written[i])) moves.push_back(*move);
    }
    if (moves.empty()) return written;
    double timeout = 0;
    std::vector<XWindowId> maximized;
    for (const auto& m : moves) {
        timeout = std::max(timeout, timeoutFor(requests[m.index].window));
        if (m.maximized) maximized.push_back(m.window);
    }
    // Their frames change with that (size, and the decorations of some managers).
    if (!maximized.empty() && !unmaximize(maximized, timeout))
        std::erase_if(moves, [](const FrameMove& m) { return m.maximized; });
    moveFrames(moves, timeout, written);
    return written;
}

// The move a batch asks of one window; none when it is gone or nothing is to be asked (`written`
// then says so).
std::optional<LinuxAccessibility::FrameMove> LinuxAccessibility::frameMove(size_t index, const AXElement& element,
                                                                           const Rect& target, FrameWrite& written) {
    const XWindowId window = static_cast<XWindowId>(element.handle());
    const auto frame = windowFrame(window);
    const auto s = frame ? state(window) : std::nullopt;
    if (!frame || !s) return std::nullopt;  // gone: nothing was taken
    // Already where it was asked to be, at the size it can take of the one asked: nothing to ask.
    const Point o = origin();
    const Rect taken(target.origin, takenSize(x_, window, *frame, target.size));
    if (const Rect now = frame->visible().offsetBy(-o.x, -o.y); sameRect(now, taken)) {
        written = {true, true, now};
        return std::nullopt;
    }
    // Restored just now and coming back to this very frame: the manager puts it there (Openbox
    // at the end of its restore animation, 150 ms on). Nothing to ask; its arrival is watched
    // without holding the main thread, and it is moved there should it not arrive.
    if (const auto back = !s->minimized ? restoringTo(window) : std::nullopt; back && sameRect(*back, taken)) {
        written = {true, true, taken};
        awaitArrival(window, taken);
        return std::nullopt;
    }
    forgetArrival(window);
    return FrameMove{index, window, target, s->maximized};
}

// Asks the manager for every move at once and waits for what it does about them; `written` gets
// the frames as they are then.
void LinuxAccessibility::moveFrames(std::vector<FrameMove>& moves, double timeout, std::vector<FrameWrite>& written) {
    std::vector<XWindowId> windows;
    for (const auto& m : moves) windows.push_back(m.window);
    x_.addEventMask(windows, X11EventMask::structure);
    x_.desktop().prefetchGeometry(windows);
    const Point o = origin();
    const auto ask = [&](const FrameMove& m, const WindowFrame& frame) {
        x_.requestMoveResize(m.window, frame.outerOrigin({m.target.minX() + o.x, m.target.minY() + o.y}),
                             hintedClientSize(x_, m.window, frame, m.target.size));
    };
    std::vector<PendingMove> pending;
    std::vector<FrameExtents> askedWith;  // the decorations each window's client size was worked out from
    std::erase_if(moves, [&](FrameMove& m) {
        const auto frame = windowFrame(m.window);
        if (!frame) return true;
        ask(m, *frame);
        m.taken = takenSize(x_, m.window, *frame, m.target.size);
        const Rect before = frame->visible().offsetBy(-o.x, -o.y);
        pending.push_back({m.window, m.target.origin, m.taken, x_.lastRequestSerial(), before, before, false, false, true,
                           restoredJustNow(m.window)});
        askedWith.push_back(frame->decorations);
        return false;
    });
    MoveWatch watch(x_, *this, std::move(pending));
    windows.clear();
    for (const auto& m : moves) windows.push_back(m.window);
    const auto frameOf = [&](const FrameMove& m) {
        x_.desktop().prefetchGeometry(windows);
        return visibleFrame(m.window);
    };
    // A hot key pressed meanwhile is not kept waiting behind a busy or stopped manager: the
    // windows it has not yet moved are taken as where they were asked and watched until they
    // get there, without holding the main thread (asked once more if they do not).
    X11ManagerWatch::GiveWay giveWay(x_.manager());
    const auto leaveToArrive = [&] {
        size_t left = 0;
        for (const auto& m : moves) {
            if (!x_.windowExists(m.window)) continue;
            if (!watch.awaits(m.window)) {
                written[m.index] = {true, true, frameOf(m)};
                continue;
            }
            const Rect asked(m.target.origin, m.taken);
            written[m.index] = {true, true, asked};
            awaitArrival(m.window, asked);
            ++left;
        }
        WaitBounds::tell("[Tessane][wait] The window manager's moves gave way to a hot key: " +
                         std::to_string(left) + " window(s) are watched on their way without holding it.");
    };
    // A manager that lists the round trip's message and leaves it unanswered is found out here,
    // the first time; the round trip then passes, and its moves are confirmed as below.
    if (!x_.manager().declinesPings() && !waits::answer(x_, timeout)) {
        if (x_.manager().givingWay()) return leaveToArrive();
        // No answer in time: only a window seen where it was asked, at the size it can take,
        // counts as taken.
        for (const auto& m : moves)
            if (const auto f = frameOf(m); f && sameRect(*f, Rect(m.target.origin, m.taken))) written[m.index] = {true, true, f};
        return;
    }
    // Mutter and KWin now and then drop a move asked of a window they have only just shown: a
    // window the manager has not touched at all by the bound is asked once more.
    if (!watch.await(timeout)) {
        if (x_.manager().givingWay()) return leaveToArrive();
        const auto dropped = watch.untouched();
        for (const auto& m : moves)
            if (std::find(dropped.begin(), dropped.end(), m.window) != dropped.end())
                if (const auto frame = windowFrame(m.window)) ask(m, *frame);
        if (!dropped.empty() && !watch.await(timeout) && x_.manager().givingWay()) return leaveToArrive();
    }
    // A manager that has just taken over decorates the windows it adopts a moment after its
    // answer (KWin): a window sized before that is taller by its new title bar than asked. It is
    // asked once more with the decorations it has now, and the manager's answer to that awaited
    // (no more: a window that refuses the size would only be waited for to the bound); its
    // application refused nothing.
    bool redecorated = false;
    x_.desktop().prefetchGeometry(windows);  // one batch for all, kept for the read-back below
    for (size_t i = 0; i < moves.size(); ++i) {
        const auto& m = moves[i];
        const auto frame = windowFrame(m.window);
        if (!frame || frame->decorations == askedWith[i] ||
            sameRect(frame->visible().offsetBy(-o.x, -o.y), Rect(m.target.origin, m.taken)))
            continue;
        ask(m, *frame);
        redecorated = true;
    }
    if (redecorated && !x_.manager().declinesPings()) waits::answer(x_, timeout);
    // What the caller reads back next: the frames as they are now, read together.
    for (const auto& m : moves)
        if (x_.windowExists(m.window)) written[m.index] = {true, true, frameOf(m)};
}

}  // namespace tessane::linux_backend
