#include "platform/linux/x11/ManagerSilence.h"

#include <gtest/gtest.h>

namespace tessane::linux_backend {
namespace {

using Facts = ManagerSilence::Facts;

// A bound that ran out says the manager is not answering only when it left the echo asked with
// the wait unanswered too; the episode ends at its answer to the echo asked as it began, or with
// another manager. A client that redirects nothing has the server answer every echo.
TEST(ManagerSilence, ABoundRunOutJudgesTheManagerByItsEchoUntilItAnswersAgain) {
    ManagerSilence ignoring;
    EXPECT_FALSE(ignoring.ranOut(5, 6, Facts{5, 0, true}));  // it passed the echo on: one move ignored
    EXPECT_FALSE(ignoring.silent());

    ManagerSilence stopped;
    EXPECT_TRUE(stopped.ranOut(5, 6, Facts{4, 0, true}));
    EXPECT_FALSE(stopped.ranOut(6, 7, Facts{4, 0, true}));  // one episode, told once
    EXPECT_FALSE(stopped.needsRedirectFact());
    EXPECT_TRUE(stopped.stillSilent(Facts{5, 0, true}));  // the echo of the wait, not the episode's
    EXPECT_FALSE(stopped.stillSilent(Facts{6, 0, true}));
    EXPECT_EQ(stopped.episodes(), 1u);
    EXPECT_TRUE(stopped.ranOut(7, 8, Facts{6, 0, true}));  // stopped again: a new episode
    EXPECT_FALSE(stopped.stillSilent(Facts{6, 1, true}));  // it left: the next one is learnt afresh

    ManagerSilence squatter;
    EXPECT_TRUE(squatter.ranOut(5, 6, Facts{6, 0, false}));  // the server answered: no sign of a manager
    EXPECT_TRUE(squatter.needsRedirectFact());
    EXPECT_TRUE(squatter.stillSilent(Facts{9, 0, false}));
    EXPECT_FALSE(squatter.stillSilent(Facts{9, 0, true}));  // a manager took the root's children
}

}  // namespace
}  // namespace tessane::linux_backend
