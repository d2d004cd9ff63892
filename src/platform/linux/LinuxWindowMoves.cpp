// Moving and sizing other applications' windows through the window manager, and waiting until it
// has done so.
#include "platform/linux/LinuxAccessibility.h"

#include "platform/linux/X11DesktopModel.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace tessane::linux_backend {

namespace {

// Some managers move the frame a moment after they answered (Openbox right after a window was
// restored, Mutter at all times, later the busier it is): how long a move that has not arrived
// yet is given. A move that arrives, or a manager that has acted and gone quiet, ends it sooner.
constexpr double kMoveGraceSeconds = 1.0;

// A manager that has moved or sized a window and left it short of where it was asked (its own
// minimum, the screen's edge) is done with it once it has been quiet this long.
constexpr double kSettleSeconds = 0.05;

// How long a manager is given to say a window it was asked to unmaximize is no longer maximized.
constexpr double kUnmaximizeBound = 0.5;

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

// A move asked of a manager that does not say when it is done, and what tells it has been done.
struct PendingMove {
    XWindowId window = 0;
    std::optional<Point> origin;  // Accessibility coordinates, as asked
    std::optional<Size> size;     // the visible size the window can take of the one asked
    unsigned long since = 0;      // the request's serial: older events are not about it
    std::optional<Rect> last;     // its frame as last read: before the request, at first
    std::optional<std::chrono::steady_clock::time_point> heard;  // the manager's latest change of it
    bool reread = true;
};

// Moves asked of a manager, heard from the moment they are asked; await() waits until each window
// is where it was asked to be, at the size it can take, or the manager, having moved or sized it
// (configure events of the client, real or the ones ICCCM has managers send for a move alone, or
// a change of its frame), has been quiet for kSettleSeconds. A window the manager never touches
// is given up on after the time-out.
class MoveWatch {
public:
    using clock = std::chrono::steady_clock;
    MoveWatch(const MoveWatch&) = delete;
    MoveWatch& operator=(const MoveWatch&) = delete;
    MoveWatch(X11Connection& x, LinuxAccessibility& ax, std::vector<PendingMove> moves)
        : x_(x), ax_(ax), moves_(std::move(moves)) {
        listener_ = x_.onEvent([this](const X11Event& e) {
            if (e.kind != X11Event::Kind::configure) return;
            for (auto& m : moves_) {
                if (e.serial < m.since) continue;
                if (e.window == m.window) {
                    m.heard = clock::now();
                    m.reread = true;
                } else if (e.eventWindow == x_.root()) {
                    m.reread = true;  // a frame moved, maybe this one's: its read-back tells
                }
            }
        });
    }

    void await(double timeout) {
        x_.sync();
        x_.waitFor([this] { return settled(); }, timeout);
    }

    // The windows still awaited that the manager has not touched since they were asked.
    std::vector<XWindowId> untouched() const {
        std::vector<XWindowId> out;
        for (const auto& m : moves_)
            if (!m.heard) out.push_back(m.window);
        return out;
    }

private:
    bool settled() {
        std::vector<XWindowId> reading;
        for (const auto& m : moves_)
            if (m.reread) reading.push_back(m.window);
        x_.desktop().prefetchGeometry(reading);
        const auto now = clock::now();
        std::erase_if(moves_, [&](PendingMove& m) {
            if (std::exchange(m.reread, false)) {
                const auto f = ax_.visibleFrame(m.window);
                if (!f) return true;  // gone
                if ((!m.origin || (same(f->minX(), m.origin->x) && same(f->minY(), m.origin->y))) &&
                    (!m.size || (same(f->width(), m.size->width) && same(f->height(), m.size->height))))
                    return true;
                if (m.last && !sameRect(*f, *m.last)) m.heard = now;
                m.last = f;
            }
            return m.heard && std::chrono::duration<double>(now - *m.heard).count() >= kSettleSeconds;
        });
        return moves_.empty();
    }

    X11Connection& x_;
    LinuxAccessibility& ax_;
    std::vector<PendingMove> moves_;
    Subscription listener_;
};

}  // namespace

AXError LinuxAccessibility::moveResize(XWindowId window, WindowFrame frame, std::optional<Point> axOrigin,
                                       std::optional<Size> axSize, double timeout) {
    auto s = state(window);
    if (!s) return AXError::invalidUIElement;
    forgetArrival(window);
    std::optional<WindowFrame> f = frame;
    if (s->maximized) {
        // A maximized window ignores moves in most window managers: take it out first. Its
        // frame changes with that (size, and the decorations of some managers).
        x_.requestWmState(window, 0, "_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ");
        if (!x_.windowManagerRoundTrip(timeout)) return AXError::cannotComplete;
        // Not every manager has done so when it answers (KWin does not answer, Mutter restores
        // later), and a move that arrives first is undone by the restore: its state tells.
        x_.waitFor([&] { const auto now = state(window); return !now || !now->maximized; },
                   std::min(timeout, kUnmaximizeBound));
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
    MoveWatch watch(x_, *this, {{window, axOrigin, taken, x_.lastRequestSerial(), f->visible().offsetBy(-o.x, -o.y)}});
    if (!x_.windowManagerDeclinesPings() && !x_.windowManagerRoundTrip(timeout)) return AXError::cannotComplete;
    if (x_.windowManagerDeclinesPings()) {
        // Nothing tells when such a manager is done: the move is confirmed by what it does.
        watch.await(timeout);
        return x_.windowExists(window) ? AXError::success : AXError::invalidUIElement;
    }
    auto now = visibleFrame(window, /*fresh=*/true);
    if (!now) return AXError::invalidUIElement;
    if ((axOrigin && (!same(now->minX(), axOrigin->x) || !same(now->minY(), axOrigin->y))) ||
        (taken && (!same(now->width(), taken->width) || !same(now->height(), taken->height)))) {
        // Some managers move or size the frame a moment after they answered (Openbox right
        // after a window was restored, Mutter at all times): give the move a short grace period
        // to arrive. A move the manager dropped (Mutter, now and then) is asked once more.
        watch.await(std::min(timeout, kMoveGraceSeconds));
        if (!watch.untouched().empty()) {
            ask();
            watch.await(std::min(timeout, kMoveGraceSeconds));
        }
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
    struct Move {
        size_t index;
        XWindowId window;
        Rect target;  // Accessibility coordinates
        bool maximized;
        Size taken{};  // the visible size it can take of the one asked
    };
    std::vector<Move> moves;
    double timeout = 0;
    const Point o = origin();
    if (batched) {
        // Where the windows are now: one batch for those the read model no longer knows.
        std::vector<XWindowId> asked;
        for (const auto& request : requests)
            if (!request.window.isNull() && !isApplication(request.window) && !NewWindowMenu::owns(request.window))
                asked.push_back(static_cast<XWindowId>(request.window.handle()));
        x_.desktop().prefetchGeometry(asked);
    }
    for (size_t i = 0; i < requests.size(); ++i) {
        const auto& [element, target] = requests[i];
        if (!batched || element.isNull() || isApplication(element) || NewWindowMenu::owns(element) ||
            !(target.width() > 0) || !(target.height() > 0)) {
            written[i] = setFrameInPixels(element, target);
            continue;
        }
        const XWindowId window = static_cast<XWindowId>(element.handle());
        const auto frame = windowFrame(window);
        const auto s = frame ? state(window) : std::nullopt;
        if (!frame || !s) continue;  // gone: nothing was taken
        // Already where it was asked to be, at the size it can take of the one asked: nothing to ask.
        const Rect taken(target.origin, takenSize(x_, window, *frame, target.size));
        if (const Rect now = frame->visible().offsetBy(-o.x, -o.y); sameRect(now, taken)) {
            written[i] = {true, true, now};
            continue;
        }
        // Restored just now and coming back to this very frame: the manager puts it there (Openbox
        // at the end of its restore animation, 150 ms on). Nothing to ask; its arrival is watched
        // without holding the main thread, and it is moved there should it not arrive.
        if (const auto back = !s->minimized ? restoringTo(window) : std::nullopt; back && sameRect(*back, taken)) {
            written[i] = {true, true, taken};
            awaitArrival(window, taken);
            continue;
        }
        forgetArrival(window);
        moves.push_back({i, window, target, s->maximized});
        timeout = std::max(timeout, timeoutFor(element));
    }
    if (moves.empty()) return written;

    // A maximized window ignores moves in most window managers: take it out first. Its frame
    // changes with that (size, and the decorations of some managers).
    if (std::any_of(moves.begin(), moves.end(), [](const Move& m) { return m.maximized; })) {
        for (const auto& m : moves)
            if (m.maximized)
                x_.requestWmState(m.window, 0, "_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ");
        if (!x_.windowManagerRoundTrip(timeout))
            std::erase_if(moves, [](const Move& m) { return m.maximized; });
        // Not every manager has restored them when it answers: their states tell.
        x_.waitFor([&] {
            return std::none_of(moves.begin(), moves.end(), [&](const Move& m) {
                const auto now = m.maximized ? state(m.window) : std::nullopt;
                return now && now->maximized;
            });
        }, std::min(timeout, kUnmaximizeBound));
    }

    std::vector<XWindowId> windows;
    for (const auto& m : moves) windows.push_back(m.window);
    x_.addEventMask(windows, X11EventMask::structure);
    x_.desktop().prefetchGeometry(windows);
    std::vector<PendingMove> pending;
    std::vector<Move> asked;
    for (Move& m : moves) {
        const auto frame = windowFrame(m.window);
        if (!frame) continue;
        const Point rootOrigin{m.target.minX() + o.x, m.target.minY() + o.y};
        x_.requestMoveResize(m.window, frame->outerOrigin(rootOrigin),
                             hintedClientSize(x_, m.window, *frame, m.target.size));
        m.taken = takenSize(x_, m.window, *frame, m.target.size);
        pending.push_back({m.window, m.target.origin, m.taken, x_.lastRequestSerial(),
                           frame->visible().offsetBy(-o.x, -o.y)});
        asked.push_back(m);
    }
    moves = std::move(asked);
    MoveWatch watch(x_, *this, std::move(pending));
    windows.clear();
    for (const auto& m : moves) windows.push_back(m.window);
    const auto frameOf = [&](const Move& m) {
        x_.desktop().prefetchGeometry(windows);
        return visibleFrame(m.window);
    };

    // A manager that lists the round trip's message and leaves it unanswered is found out here,
    // the first time; the round trip then passes, and its moves are confirmed as below.
    if (!x_.windowManagerDeclinesPings() && !x_.windowManagerRoundTrip(timeout)) {
        // No answer in time: only a window seen where it was asked, at the size it can take,
        // counts as taken.
        for (const auto& m : moves) {
            const auto f = frameOf(m);
            const auto frame = windowFrame(m.window);
            if (f && frame && sameRect(*f, Rect(m.target.origin, takenSize(x_, m.window, *frame, m.target.size))))
                written[m.index] = {true, true, f};
        }
        return written;
    }
    // Nothing tells when a manager that does not answer is done: each move is confirmed by what
    // it does. Others move or size a frame a moment after they answered: one grace period for
    // all the windows not there yet, not one each.
    const bool declines = x_.windowManagerDeclinesPings();
    if (declines || std::any_of(moves.begin(), moves.end(), [&](const Move& m) {
            const auto f = frameOf(m);
            return f && !sameRect(*f, Rect(m.target.origin, m.taken));
        })) {
        const double bound = declines ? timeout : std::min(timeout, kMoveGraceSeconds);
        watch.await(std::min(bound, kMoveGraceSeconds));
        // Mutter and KWin now and then drop a move asked of a window they have only just shown:
        // a window the manager has not touched at all is asked once more.
        const auto dropped = watch.untouched();
        for (const auto& m : moves) {
            if (std::find(dropped.begin(), dropped.end(), m.window) == dropped.end()) continue;
            if (const auto frame = windowFrame(m.window))
                x_.requestMoveResize(m.window, frame->outerOrigin({m.target.minX() + o.x, m.target.minY() + o.y}),
                                     hintedClientSize(x_, m.window, *frame, m.target.size));
        }
        if (declines || !dropped.empty()) watch.await(bound);
    }
    // What the caller reads back next: the frames as they are now, read together.
    for (const auto& m : moves)
        if (x_.windowExists(m.window)) written[m.index] = {true, true, frameOf(m)};
    return written;
}

}  // namespace tessane::linux_backend
