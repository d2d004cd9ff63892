#pragma once

#include "base/WaitBounds.h"
#include "platform/linux/x11/X11Connection.h"

#include <algorithm>
#include <functional>
#include <string>

namespace tessane::linux_backend::waits {

// The bounds of window control's waits on the window manager. Each wait ends when the manager
// has done what it was asked (its events tell); a bound is reached only by a manager that does
// not, and is then logged once (WaitBounds). A manager answers and acts late when the machine is
// busy (Mutter took over a second to answer with 40 processes running on 8 cores): the bounds are
// for one that hangs or ignores a request, never the verdict of a slow one. An application's
// longer messaging time-out stretches them.
inline constexpr WaitBound kAnswer{"the window manager's answer to a round trip", 4.0};
inline constexpr WaitBound kMoves{"the window manager's moves of the windows it was asked to move", 2.0};
inline constexpr WaitBound kUnmaximize{"the window manager's restore of a maximized window", 2.0};
inline constexpr WaitBound kUnminimize{"the window manager's restore of a minimized window", 2.0};
// A manager that answers no round trip is asked for an echo after a restore that most managers
// ignore (WM_CHANGE_STATE to normal): one that changed no window by the time it passed the echo
// on has ignored it, and the next request follows. The echo is awaited for what is left of the
// turn's restores; one that restores some windows is given this long for the rest.
inline constexpr WaitBound kIgnoredRestore{"a restore of minimized windows most managers ignore", 0.5};
inline constexpr WaitBound kRestoreStep{"a step of restoring minimized windows", 0.5};
// A round trip whose answer is heard as an event, nothing waiting for it (ManagerAnswers): what
// the manager did is judged when it comes, this only ends the wait of one that answers nothing.
inline constexpr WaitBound kHeardAnswer{"the window manager's answer to a round trip heard as an event", 10.0};

// A wait of at least this long that runs out while the manager leaves an echo unanswered
// judges the manager not answering (ManagerSilence): shorter ones are for managers that may
// ignore a request, and say nothing of one that answers nothing.
inline constexpr double kSilenceEvidenceSeconds = 1.0;

// Every wait here ends too when no manager runs or the one asked leaves meanwhile (killed, or
// replaced): nothing it was asked will come, and no bound ran out (WaitBounds is told so). So
// does one that gives way to the user (X11ManagerWatch::GiveWay).
// While the manager is judged not answering, a wait is not waited out: `wait` is given no time,
// and what it waited for is judged at once (no bound ran out, nobody is blamed).
// `wait` under `bound`, `limit` as in WaitBounds::wait.
bool onManager(X11Connection& x, const WaitBound& bound, const std::function<bool(double seconds)>& wait,
               double limit = -1);
// The running manager's name as it may be shown (any client sets it): short and printable; empty
// when it has none.
std::string printableManagerName(X11Connection& x);
// Whether the manager is judged not answering now (ends the judgement once it answers again).
bool managerNotAnswering(X11Connection& x);
// Handles X events until `condition` holds; `limit`, if not negative, takes the bound's place.
bool until(X11Connection& x, const WaitBound& bound, const std::function<bool()>& condition, double limit = -1);
// The seconds a wait under `bound` is given for an element whose messaging time-out is `timeout`.
inline double boundFor(const WaitBound& bound, double timeout) { return std::max(bound.seconds, timeout); }
// The manager's answer to X11Connection::windowManagerRoundTrip for an element whose messaging
// time-out is `timeout`; answerWithin gives it `seconds` exactly (what is left of a longer wait).
bool answer(X11Connection& x, double timeout);
bool answerWithin(X11Connection& x, double seconds);
// A round trip that every manager answers (X11ManagerWatch::echo), under `bound`.
bool echo(X11Connection& x, const WaitBound& bound, double limit);

}  // namespace tessane::linux_backend::waits
