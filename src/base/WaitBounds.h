#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tessane {

// A blocking wait of the main thread ends when what it waits for has happened; its bound only
// ends the wait for something that never comes (a window manager that does not answer, a peer
// that hangs). Each kind of wait names its bound, so that a slow desktop shows where it waited:
// the first time a bound runs out it is logged, once per bound (the next ones are counted), and
// what every bound held the thread since the last look is read by the stall watch.
struct WaitBound {
    std::string_view name;  // what was waited for, as the log says it: "the window manager's answer"
    double seconds = 0;
};

class WaitBounds {
public:
    using Sink = std::function<void(const std::string&)>;
    // Where the lines of bounds that ran out go (the program's log); until set, standard error.
    static void setSink(Sink sink);

    // A line about the waits (what is waited for no longer, and why) to where bounds' lines go.
    static void tell(const std::string& line);

    // One wait under `bound` that took `waitedSeconds` and ended by the bound or by its event.
    static void note(const WaitBound& bound, double waitedSeconds, bool ranOut);

    // A wait under `bound`, driven by `wait` (which waits at most the seconds it is given and
    // answers whether what it waited for came). A `limit` that is not negative takes the place of
    // the bound's seconds: a caller's own (an application's messaging time-out, what is left of
    // a longer wait). A wait that ended without its event while `cutShort` holds ended because
    // what it waited on went away (a window manager that left): no bound ran out.
    static bool wait(const WaitBound& bound, const std::function<bool(double seconds)>& wait, double limit = -1,
                     const std::function<bool()>& cutShort = {});

    // Times a wait of the thread that has no bound of its own (a reply of the X server) from here
    // to the end of its scope, noted under `what`: the stall log then names it too. A wait timed
    // already (a bound's, or an outer one of these) holds it: its time is not noted twice.
    class Timed {
    public:
        explicit Timed(const WaitBound& what);
        ~Timed();
        Timed(const Timed&) = delete;
        Timed& operator=(const Timed&) = delete;

    private:
        const WaitBound* what_;
        double start_ = 0;
    };

    // What the bounds held the thread with since the last call, longest first.
    struct Tally {
        std::string name;
        double waitedSeconds = 0;
        int waits = 0;
        int ranOut = 0;
        bool operator==(const Tally&) const = default;
    };
    static std::vector<Tally> take();

    // For tests: forgets the tallies and which bounds were logged.
    static void resetForTesting();
};

}  // namespace tessane
