#pragma once

#include <optional>
#include <unordered_map>

namespace tessane::linux_backend {

using XWindowId = unsigned long;  // an XID, as X11Connection names it

// What this program has asked of one client window and not seen through yet, with the deadlines
// of those requests: the window's whole pending state, kept in one place.
struct WindowLife {
    // Its iconify as a hide asked for it: waiting for its turn, with the window manager (since
    // iconifyAskedAt), or with a manager that finished none of the hide's iconifies and is no
    // longer waited for.
    enum class Iconify { none, waiting, inFlight, late };
    Iconify iconify = Iconify::none;
    double iconifyAskedAt = 0;
    // A hide asked the window down and no show has asked it back since.
    bool hideAsked = false;
    // Shown again while its iconify was with the manager: restored once the manager has
    // iconified it, until this deadline (past it, a minimize is the user's, not the hide's).
    std::optional<double> restoreOwedUntil;
    // When this program last asked the manager to activate it.
    std::optional<double> activationAskedAt;
    // Taken down by a hide a moment after this program activated it: brought back before this
    // deadline with the hide still standing, it is the manager acting late on that activation
    // (Xfwm does, now and then), and the window is asked down once more.
    std::optional<double> keptDownUntil;

    bool operator==(const WindowLife&) const = default;
};

// The records of the windows of the running applications: one made when the backend first sees a
// window, ended by end() when the window goes, which takes every request still pending on it
// along. The policies that decide on them (pacing a hide, restores owed, the focus given back)
// ask no server: what they need of it (minimized, off the screen) is handed in.
class WindowLives {
public:
    // An iconify not done this long after it was asked never will be (the manager ignored it),
    // and a restore owed that long is not owed any more.
    static constexpr double kIgnoredSeconds = 30.0;
    // How long after a hide took a window down, activated by us at most kLateActivationSeconds
    // before the hide asked it down, the manager's bringing it back is taken for that activation.
    static constexpr double kKeptDownSeconds = 2.0;
    static constexpr double kLateActivationSeconds = 5.0;

    void begin(XWindowId window) { lives_.try_emplace(window); }
    void end(XWindowId window);
    WindowLife* find(XWindowId window);
    const WindowLife* find(XWindowId window) const;

    // The window counts as hidden by a hide: minimized, or its iconify is still to come.
    bool countsHidden(XWindowId window, bool minimized) const;

    // What becomes of a window whose iconify is pending. `iconic`: the manager has minimized it;
    // `away`: its frame is off the screen too; `answered`: the manager answered a round trip asked
    // after its iconify.
    enum class Verdict { pending, done, restore };
    static Verdict judge(const WindowLife& life, bool iconic, bool away, bool answered, double now);
    // Applies a verdict other than pending: the window's iconify is over.
    static void settle(WindowLife& life) {
        life.iconify = WindowLife::Iconify::none;
        life.restoreOwedUntil.reset();
    }

    // Every activation this program asks for, and every change of the active window the manager
    // tells, goes through here: the active window is the one last activated. Another window told
    // active within kOwnActivationSeconds of our own activation may be the manager's word from
    // before it came to our request: ours stays the active one.
    void activationAsked(XWindowId window, double now);
    void toldActive(XWindowId window, double now);
    XWindowId active() const { return active_; }
    static constexpr double kOwnActivationSeconds = 1.0;
    // Whether the focus may be given back to `window` (the active one before a change this program
    // did not want): not to a window a hide asked down, nor to a minimized one, which activating
    // would restore.
    bool mayFocusAgain(XWindowId window, bool minimized) const;

private:
    std::unordered_map<XWindowId, WindowLife> lives_;
    XWindowId active_ = 0;
};

}  // namespace tessane::linux_backend
