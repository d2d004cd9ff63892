#pragma once

#include <chrono>
#include <functional>
#include <string_view>

namespace tessane::testing {

using namespace std::chrono_literals;

// How long a test waits for something before it gives up, named by what it waits for. A bound
// only ends the wait for something that never comes: a wait ends when its condition holds, so a
// generous bound costs a passing test nothing.
struct Bound {
    std::string_view name;
    std::chrono::milliseconds limit;
};

// What a window manager, a client, a tool or Tessane does when asked. A manager beside a busy
// loop on every core (KWin setting up its compositor on two cores, Mutter raising a clicked
// frame) takes seconds for what it does at once when idle.
inline constexpr Bound kAnswer{"an answer", 30s};
// A manager's work on a few hundred windows of one application (iconifying them one by one).
inline constexpr Bound kManyWindows{"a manager's work on hundreds of windows", 60s};
// A request a manager may drop now and then (an activation xfwm4 forgets, a key press a busy
// program misses), before it is asked again or the test goes on without it.
inline constexpr Bound kAskAgain{"a request taken up before it is asked again", 5s};
// What a manager or a compositor may never do on this server (composite, announce a work area,
// draw), before the test goes on without it or skips what needs it.
inline constexpr Bound kMaybeNever{"what a manager may never do", 10s};

// What turns between a wait's looks: the test's event sources, or nothing, for a test of what
// the X server alone does while the program's loop stands still.
enum class Turning { eventSources, nothing };

// Until `condition` holds, turning the test's event sources between looks: Qt's loop when the
// process has an application object (blocking as the program's own loop does, which is when Qt
// sends its queued requests to the X server), and each turn added with EachWaitTurn. False when
// `bound` ran out, which is said on standard error the first time each bound does.
bool waitFor(const std::function<bool()>& condition, const Bound& bound = kAnswer,
             Turning turning = Turning::eventSources);

// Turns the same event sources for `period` without a condition: paces input the way a user's
// hand does (a drag's steps), never a verdict.
void keepTurning(std::chrono::milliseconds period);

// A turn added to every wait while it lives: reading a connection of the test's own.
class EachWaitTurn {
public:
    explicit EachWaitTurn(std::function<void()> turn);
    ~EachWaitTurn();
    EachWaitTurn(const EachWaitTurn&) = delete;
    EachWaitTurn& operator=(const EachWaitTurn&) = delete;

private:
    std::function<void()> turn_;
};

}  // namespace tessane::testing
