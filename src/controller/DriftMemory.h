#pragma once

#include "platform/AccessibilityValue.h"
#include "platform/MainQueue.h"

#include <cstddef>
#include <map>
#include <set>
#include <vector>

namespace tessane {

// What the controller remembers of windows that move themselves out of their pane right after
// it placed them, per window element: the check pending for each, and the times it put each back.
// A window is put back twice within ten seconds at most, then left where its application wants
// it (the user is told once).
class DriftMemory final {
public:
    // Whether a window put back at the `previous` times may be put back again at `now`.
    static bool mayCorrect(const std::vector<TimeInterval>& previous, TimeInterval now);

    // Notes a check of the window's place as pending; false when one already is (one per window).
    bool queueCheck(const AXElement& window);
    // The pending check has run (or is dropped).
    void checkRan(const AXElement& window);
    size_t checksQueued() const { return checksQueued_.size(); }

    enum class Verdict {
        putBack,  // put it back (the correction is counted)
        giveUp,   // stop putting it back, and say so once
        givenUp,  // stopped already: nothing to do or say
    };
    // What to do with the window found out of its pane at `now`.
    Verdict judge(const AXElement& window, TimeInterval now);

    // Drops everything kept of a window that is gone, so that nothing piles up nor is inherited by
    // a later window that gets the same element.
    void forget(const AXElement& window);

private:
    std::set<AXElement> checksQueued_;
    std::map<AXElement, std::vector<TimeInterval>> corrections;
    std::set<AXElement> gaveUp;
};

}  // namespace tessane
