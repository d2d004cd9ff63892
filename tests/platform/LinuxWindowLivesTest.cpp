#include "platform/linux/windows/WindowLives.h"

#include <gtest/gtest.h>

namespace tessane::linux_backend {
namespace {

using I = WindowLife::Iconify;
using V = WindowLives::Verdict;

// A pending iconify's verdict, on a clock of our own: its deadlines are on the record, so the
// verdict is the same whenever it is looked at, however long after (no watch has to come).
TEST(WindowLives, AnIconifyIsSeenThroughByTheManagersDoingOrItsDeadline) {
    const WindowLife asked{I::inFlight, 0, true, {}}, owed{I::inFlight, 0, false, 10 + WindowLives::kIgnoredSeconds};
    struct Case { const char* what; WindowLife life; bool iconic, away, answered; double now; V verdict; };
    const Case cases[] = {
        {"iconic, its frame still animating", asked, true, false, false, 1, V::pending},
        {"iconic, its frame away", asked, true, true, false, 1, V::done},
        {"iconic, the frame kept on screen, answered", asked, true, false, true, 1, V::done},
        {"not iconic though answered: a busy manager", asked, false, false, true, 29, V::pending},
        {"ignored past its deadline", asked, false, false, false, 31, V::done},
        {"no longer waited for, iconic at last", {I::late, 0, true, {}}, true, false, false, 5, V::done},
        {"shown again, iconified in time", owed, true, false, false, 39, V::restore},
        {"shown again, not iconic yet", owed, false, false, true, 39, V::pending},
        // A minimize after the restore stopped being owed is the user's, and stays.
        {"shown again, minimized after the deadline", owed, true, true, true, 41, V::done},
    };
    for (const auto& c : cases) EXPECT_EQ(WindowLives::judge(c.life, c.iconic, c.away, c.answered, c.now), c.verdict) << c.what;
}

// A hide counts as soon as it is asked, while its iconifies are still to come; not once a manager
// that iconified none of them is no longer waited for, nor once shown again, nor once ended.
TEST(WindowLives, AWindowCountsHiddenFromTheHidesAskingOn) {
    WindowLives lives;
    EXPECT_TRUE(lives.countsHidden(3, true));  // minimized, known or not
    for (const auto& [life, hidden] : {std::pair{WindowLife{I::waiting, 0, true, {}}, true}, {{I::inFlight, 0, true, {}}, true},
                                       {{I::late, 0, true, {}}, false}, {{I::inFlight, 0, false, {}}, false}}) {
        lives.begin(1);
        *lives.find(1) = life;
        EXPECT_EQ(lives.countsHidden(1, false), hidden);
    }
    lives.find(1)->hideAsked = true;
    lives.end(1);
    EXPECT_FALSE(lives.countsHidden(1, false));
}

// The manager's word of another active window just after our activation may predate it.
TEST(WindowLives, OurActivationOutlivesTheManagersOlderWord) {
    WindowLives lives;
    lives.begin(7);
    lives.activationAsked(7, 10.0);
    lives.toldActive(5, 10.5);
    EXPECT_EQ(lives.active(), 7u);
    lives.toldActive(5, 11.5);
    EXPECT_EQ(lives.active(), 5u);
}

}  // namespace
}  // namespace tessane::linux_backend
