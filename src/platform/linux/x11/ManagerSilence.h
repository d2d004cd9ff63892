#pragma once

#include <cstdint>

namespace tessane::linux_backend {

// Whether the window manager is judged "not answering". A manager that was stopped (a debugger,
// a frozen compositor) or a client that holds the manager's selection and manages nothing lets
// every wait on it run to its bound, one after the other: a show would hold the program for as
// long as that lasts. So a wait that ran out while the manager also left an echo unanswered (the
// round trip every manager passes on, asked as the wait began) starts an episode: until the
// manager answers again, no wait on it is waited out. A wait that ran out while the echo came
// back says only that the manager ignored what was asked (a window it will not move): no episode.
//
// An echo proves a manager alive only when one redirects the root's children to itself; without
// one, the server answers it, and the episode lasts until another manager comes.
//
// The rule alone, with no X call: the connection tells it what it knows.
class ManagerSilence {
public:
    struct Facts {
        uint64_t echoesHeard = 0;  // the newest echo answered
        uint64_t leavings = 0;     // managers that have left so far
        bool redirected = false;   // someone redirects the root's children (a manager at all)
    };

    bool silent() const { return silent_; }
    // Episodes begun so far.
    uint64_t episodes() const { return episodes_; }

    // A wait on the manager ran out its bound. `echoAtStart`: the echo asked when it began;
    // `echoNow`: one asked now, whose answer ends the episode. True when this begins one.
    bool ranOut(uint64_t echoAtStart, uint64_t echoNow, const Facts& now);
    // Whether the manager is still judged not answering: the episode ends at the answer to the
    // echo asked as it began, or when the manager that ran has left (the next one is learnt
    // afresh), or when a manager redirects the root's children where none did.
    bool stillSilent(const Facts& now);
    // Whether stillSilent needs to know `redirected` (a round trip): only an episode that began
    // without a manager redirecting does.
    bool needsRedirectFact() const { return silent_ && !redirected_; }

private:
    bool silent_ = false;
    bool redirected_ = false;
    uint64_t echo_ = 0;
    uint64_t leavings_ = 0;
    uint64_t episodes_ = 0;
};

}  // namespace tessane::linux_backend
